#pragma once

// The TOP5.dat file format, apart from any window: five lines of a name, a
// comma and a score, each ending in CR LF. These are pure functions of bytes
// and texts; Top5Store reads and writes the file, Tiedot the labels.

#include "top5/top5table.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

namespace top5file {

inline constexpr int kFields = 2 * Top5Table::kPlaces;

// A field longer than this, in the file or as it would be saved again, or
// preceded by more blanks than this, is damage: no name a player can type
// comes near it.
inline constexpr int kMaxFieldBytes = 4096;
// All that ten fields can take up before a limit above is hit; nothing
// beyond this is ever read from the file.
inline constexpr qint64 kMaxReadBytes = 128 * 1024;

// The number at the start of the text: leading blanks skipped, an optional
// sign, digits with an optional decimal point, an optional exponent. 0 when
// the text does not start with a number (or the number does not fit a double).
double leadingNumber(const QString& text);

// The text form of a number: plain decimal digits for a whole number, with no
// blank, sign for negatives only, no decimal point. Any other number is
// written with a point and up to 15 significant digits (12.5, 1e+20), which
// leadingNumber() reads back to the same value.
QString numberText(double value);

// What is wrong with a file that is not a table.
struct Damage {
    enum class Kind {
        None,
        FieldTooLong, // a field (or the blanks before it) on `line` is longer than `limit` bytes
        EndsEarly,    // the file ends on `line` before all `limit` places are read
    };
    Kind kind = Kind::None;
    int line = 0; // counted from 1
    int limit = 0;
    explicit operator bool() const { return kind != Kind::None; }
    bool operator==(const Damage&) const = default;
};

struct Fields {
    bool ok = false;
    QStringList fields; // kFields of them when ok
    Damage damage;      // when not ok: what was wrong
};

// Reads the first ten fields of the file's content. A field ends at a comma or
// a line end (CR LF, LF or CR); blanks in front of it are skipped and, for a
// field not in quotes, blanks after it are dropped. A field that starts with a
// double quote runs to the closing quote, a doubled quote inside standing for
// one; anything between the closing quote and the next comma or line end is
// ignored. An empty line is an empty field. Nothing after the tenth field is
// looked at. `complete` says whether `bytes` is the whole file or only its start.
//
// Each field is UTF-8 when its bytes are valid UTF-8, and Windows-1252
// otherwise (text with ä or ö in Windows-1252 is practically never valid
// UTF-8), so a file edited by hand may mix the two. A file that starts with a
// UTF-16 byte order mark, either way round, is UTF-16 throughout.
Fields parseFields(const QByteArray& bytes, bool complete);

// Whether a name must be written in quotes to be read back unchanged.
bool needsQuotes(const QString& field);
// The field as written: as it stands, or quoted with its quotes doubled.
QString writtenField(const QString& field);
// Whether the text, as written, is within the field limit, so that a file
// holding it loads again.
bool fitsInFile(const QString& field);

// The file for a table: lines of name,score with CR LF. Windows-1252 when every
// text fits in it and none would read back as UTF-8, UTF-8 otherwise.
QByteArray tableFile(const std::array<QString, Top5Table::kPlaces>& names,
                     const std::array<QString, Top5Table::kPlaces>& scores);

// The default table, with its blanks around the commas.
QByteArray defaultFile();

} // namespace top5file
