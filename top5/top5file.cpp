#include "top5/top5file.h"

#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>

namespace top5file {

namespace {

// Windows-1252 is Latin-1 but for the 32 bytes 0x80 to 0x9F, which hold
// these letters and signs. The five it leaves unassigned stand for the same
// code points, as Windows itself reads them, so any byte reads and writes
// back unchanged. The table is ours, so every build of Qt (with ICU or
// without, as on Windows) reads and writes the same bytes.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

// The text in Windows-1252, or nothing when a character has no byte there.
std::optional<QByteArray> toWindows1252(const QString& text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes[i] = char(c);
            continue;
        }
        const auto* at = std::find(std::begin(kWindows1252High), std::end(kWindows1252High), c);
        if (at == std::end(kWindows1252High))
            return std::nullopt;
        bytes[i] = char(0x80 + (at - std::begin(kWindows1252High)));
    }
    return bytes;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoder is lazy: only the conversion to a string does the work.
    const QString decoded = decoder.decode(bytes);
    return !decoder.hasError();
}

QString decode(QByteArrayView bytes, bool utf8)
{
    if (utf8) {
        // Each field is decoded on its own: a name that starts with U+FEFF
        // keeps it (QString::fromUtf8 would drop it as a byte order mark).
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return decoder.decode(bytes);
    }
    return fromWindows1252(bytes);
}

// A file saved as "Unicode" or "Unicode big endian" starts with a UTF-16 byte
// order mark; its text is read as UTF-8 bytes, so that one field reader serves.
// A trailing odd byte (a file cut short) becomes a replacement character.
QByteArray utf16AsUtf8(const QByteArray& bytes)
{
    const bool littleEndian = bytes.startsWith("\xFF\xFE");
    QStringDecoder decoder(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(QByteArrayView(bytes).sliced(2));
    return text.toUtf8();
}

bool isUtf16Bom(const QByteArray& bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

} // namespace

double leadingNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        return i - from;
    };
    qsizetype mantissa = digits();
    if (i < n && text[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0;
    qsizetype end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (digits() > 0)
            end = i;
    }

    QByteArray number = text.mid(start, end - start).toLatin1();
    if (number.startsWith('+'))
        number.remove(0, 1);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(number.constData(), number.constData() + number.size(), value);
    (void)ptr;
    if (ec != std::errc() || !std::isfinite(value))
        return 0;
    return value == 0 ? 0 : value; // no negative zero
}

QString numberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

namespace {

Fields parseFieldsOf(const QByteArray& bytes, bool complete)
{
    Fields result;
    const char* data = bytes.constData();
    const qsizetype n = bytes.size();
    // A UTF-8 byte order mark says nothing the fields do not: each field is
    // decoded on its own below.
    qsizetype pos = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    QList<QByteArray> raw;
    // Where each field starts.
    QList<qsizetype> starts;
    // The line a byte is on, counted from 1; CR LF ends one line.
    const auto lineAt = [&](qsizetype at) {
        int line = 1;
        for (qsizetype i = 0; i < at && i < n; ++i)
            line += data[i] == '\n' || (data[i] == '\r' && (i + 1 >= n || data[i + 1] != '\n'));
        return line;
    };
    const auto damaged = [&](Damage::Kind kind, int line) {
        result.damage = {kind, line, kind == Damage::Kind::EndsEarly ? Top5Table::kPlaces : kMaxFieldBytes};
        return result;
    };
    const auto tooLong = [&] { return damaged(Damage::Kind::FieldTooLong, lineAt(pos)); };
    const auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };

    for (int f = 0; f < kFields; ++f) {
        const qsizetype blanksFrom = pos;
        starts.append(pos);
        while (pos < n && data[pos] == ' ')
            ++pos;
        if (pos - blanksFrom > kMaxFieldBytes)
            return tooLong();
        if (pos >= n)
            // A last line end closes the file's last line rather than opening one.
            return complete ? damaged(Damage::Kind::EndsEarly, lineAt(n - (n > 0 && isLineEnd(data[n - 1]))))
                            : tooLong();

        QByteArray field;
        if (data[pos] == '"') {
            ++pos;
            const qsizetype from = pos;
            for (;;) {
                if (pos >= n) {
                    if (!complete)
                        return tooLong();
                    break; // an unclosed quote runs to the end of the file
                }
                if (data[pos] == '"') {
                    if (pos + 1 < n && data[pos + 1] == '"') {
                        field.append('"');
                        pos += 2;
                    } else {
                        ++pos;
                        break;
                    }
                } else {
                    field.append(data[pos++]);
                }
                if (pos - from > kMaxFieldBytes)
                    return tooLong();
            }
            const qsizetype tailFrom = pos;
            while (pos < n && data[pos] != ',' && !isLineEnd(data[pos]))
                ++pos;
            if (pos - tailFrom > kMaxFieldBytes)
                return tooLong();
        } else {
            const qsizetype from = pos;
            while (pos < n && data[pos] != ',' && !isLineEnd(data[pos])) {
                if (pos - from >= kMaxFieldBytes)
                    return tooLong();
                ++pos;
            }
            qsizetype to = pos;
            while (to > from && data[to - 1] == ' ')
                --to;
            field = QByteArray(data + from, to - from);
        }
        if (pos >= n && !complete)
            return tooLong();

        // The field's end: a comma, or one line end of any of the three kinds.
        if (pos < n) {
            if (data[pos] == ',') {
                ++pos;
            } else if (data[pos] == '\r') {
                ++pos;
                if (pos < n && data[pos] == '\n')
                    ++pos;
            } else if (data[pos] == '\n') {
                ++pos;
            }
        }
        raw.append(field);
    }

    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QByteArray& field = raw[i];
        // Decided field by field: a file edited by hand may mix the two.
        const QString text = decode(field, isValidUtf8(field));
        // Quoting doubles the quotes in a name, so a long enough name read
        // bare would be saved to a file that no longer loads. UTF-8 is the
        // longer of the two encodings the save may choose.
        if (!fitsInFile(text))
            return damaged(Damage::Kind::FieldTooLong, lineAt(starts[i]));
        result.fields.append(text);
    }
    result.ok = true;
    return result;
}

} // namespace

Fields parseFields(const QByteArray& bytes, bool complete)
{
    if (isUtf16Bom(bytes))
        return parseFieldsOf(utf16AsUtf8(bytes), complete);
    return parseFieldsOf(bytes, complete);
}

bool needsQuotes(const QString& field)
{
    if (field.isEmpty())
        return false;
    if (field.front() == u' ' || field.back() == u' ' || field.front() == QChar(0xFEFF))
        return true;
    // In Windows-1252 these letters are the bytes of a UTF-8 or a UTF-16 byte
    // order mark, which the reader takes for one at the start of the file.
    if (field.startsWith(QStringLiteral("\u00EF\u00BB\u00BF")) || field.startsWith(QStringLiteral("\u00FF\u00FE")) ||
        field.startsWith(QStringLiteral("\u00FE\u00FF")))
        return true;
    for (QChar c : field) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

QString writtenField(const QString& field)
{
    if (!needsQuotes(field))
        return field;
    QString quoted = field;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

bool fitsInFile(const QString& field)
{
    // UTF-8 is the longer of the two encodings the save may choose.
    return writtenField(field).toUtf8().size() <= kMaxFieldBytes;
}

QByteArray tableFile(const std::array<QString, Top5Table::kPlaces>& names,
                     const std::array<QString, Top5Table::kPlaces>& scores)
{
    QString text;
    for (int k = 0; k < Top5Table::kPlaces; ++k)
        text += writtenField(names[k]) + u',' + writtenField(scores[k]) + QStringLiteral("\r\n");

    // Windows-1252 as ever, unless a text does not fit in it, or its bytes
    // would read back as UTF-8 (the reader decides field by field, and would
    // then give other letters).
    const std::optional<QByteArray> legacy = toWindows1252(text);
    if (!legacy)
        return text.toUtf8();
    const auto readsAsUtf8 = [](const QString& field) {
        const QByteArray bytes = toWindows1252(field).value_or(QByteArray());
        const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
        return !ascii && isValidUtf8(bytes);
    };
    if (std::any_of(names.begin(), names.end(), readsAsUtf8) ||
        std::any_of(scores.begin(), scores.end(), readsAsUtf8))
        return text.toUtf8();
    return *legacy;
}

QByteArray defaultFile()
{
    return QByteArrayLiteral("Tuntematon , 10\r\n"
                             "Tuntematon , 8\r\n"
                             "Tuntematon , 6\r\n"
                             "Tuntematon , 4\r\n"
                             "Tuntematon , 2\r\n");
}

} // namespace top5file
