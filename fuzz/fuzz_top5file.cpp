// Feeds arbitrary bytes to the TOP5.dat reader as the load does, and checks
// that nothing it accepts can be lost on the way back: every table that
// loads, saved again, loads to the very same fields.

#include "top5/top5file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool ok, const char* what, const QByteArray& input)
{
    if (ok)
        return;
    std::fprintf(stderr, "TOP5.dat property broken: %s\ninput (%lld bytes): %s\n", what,
                 static_cast<long long>(input.size()), input.toHex().constData());
    std::abort();
}

using Column = std::array<QString, Top5Table::kPlaces>;

void splitFields(const QStringList& fields, Column& names, Column& scores)
{
    for (int k = 0; k < Top5Table::kPlaces; ++k) {
        names[k] = fields[2 * k];
        scores[k] = fields[2 * k + 1];
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Read-only view of libFuzzer's buffer, so that a read past its end is caught.
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    // The load reads at most kMaxReadBytes and says whether that was all of it.
    const QByteArray read = input.left(top5file::kMaxReadBytes);
    const top5file::Fields whole = top5file::parseFields(read, read.size() < top5file::kMaxReadBytes);
    require(whole.ok != bool(whole.damage), "a failed read must say why, a good one must not", input);

    // A read of only the start of the file that succeeds must agree with the whole file.
    const qsizetype cut = size == 0 ? 0 : qsizetype((size * data[0]) / 256);
    const top5file::Fields part = top5file::parseFields(read.left(cut), false);
    if (part.ok)
        require(whole.ok && part.fields == whole.fields, "the start of a file read otherwise than the whole", input);

    if (!whole.ok)
        return 0;
    require(whole.fields.size() == top5file::kFields, "a good read without ten fields", input);

    // The fields exactly as read, written back and read again.
    Column names, scores;
    splitFields(whole.fields, names, scores);
    const QByteArray saved = top5file::tableFile(names, scores);
    const top5file::Fields again = top5file::parseFields(saved, true);
    require(again.ok, "a loaded table saved to a file that does not load", input);
    require(again.fields == whole.fields, "a loaded table saved and loaded to other fields", input);

    // As the program goes: the score labels show the number's text form, and
    // the save writes the labels.
    Column shown = scores;
    for (QString& s : shown) {
        s = top5file::numberText(top5file::leadingNumber(s));
        require(top5file::numberText(top5file::leadingNumber(s)) == s, "a score's text form read back otherwise",
                input);
    }
    const top5file::Fields reloaded = top5file::parseFields(top5file::tableFile(names, shown), true);
    require(reloaded.ok, "a table saved from the labels does not load", input);
    Column names2, scores2;
    splitFields(reloaded.fields, names2, scores2);
    require(names2 == names && scores2 == shown, "the labels saved and loaded to other labels", input);
    return 0;
}
