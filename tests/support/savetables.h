#pragma once

// The two tables the crash test's child saves in turn: of different lengths
// and encodings, so that a file cut short or mixed from both is told apart
// from either.

#include "top5/top5file.h"

namespace savetables {

using Column = std::array<QString, Top5Table::kPlaces>;

inline const Column kNamesA = {"Matti", QStringLiteral("Äijä"), "Liisa", "Pekka", "Teppo"};
inline const Column kScoresA = {"50", "40", "30", "20", "12"};
inline const Column kNamesB = {QStringLiteral("Łukasz Kowalski"), QStringLiteral("\"Vikkelä\" Väinö"),
                               QStringLiteral("Aino, Anna ja Ari"), QStringLiteral(" Öljynporaaja "),
                               QStringLiteral("漢字の名前")};
inline const Column kScoresB = {"99999", "8123", "700", "65", "4"};

inline QByteArray fileA() { return top5file::tableFile(kNamesA, kScoresA); }
inline QByteArray fileB() { return top5file::tableFile(kNamesB, kScoresB); }

} // namespace savetables
