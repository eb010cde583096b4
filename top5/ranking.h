#pragma once

// Where a score goes in the TOP5 table: pure functions of the five scores.

#include "top5/top5table.h"

#include <QString>

#include <array>

namespace ranking {

// A score reaches the table when it is at least the fifth place's.
inline bool qualifies(double fifth, double score)
{
    return score >= fifth;
}

// The place (1 to 5) a score is entered at: above the first place whose score
// is not higher, so a tie goes above the older entry. 0 when it has no place.
int insertionPlace(const std::array<double, Top5Table::kPlaces>& scores, double score);

// Length of a name as the player sees it: user-perceived characters, so that
// "Äijä" is 4 however it was typed and an emoji is 1.
int visibleLength(const QString& name);

} // namespace ranking
