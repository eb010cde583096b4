// The TOP5.dat format as bytes: the leading-number parse and the text form of
// numbers, the field reader, quoting, and the choice of encoding.

#include "top5/top5file.h"

#include <QtTest>

using namespace top5file;

namespace {

std::array<QString, Top5Table::kPlaces> names(std::initializer_list<QString> list)
{
    std::array<QString, Top5Table::kPlaces> a;
    std::copy(list.begin(), list.end(), a.begin());
    return a;
}

const std::array<QString, Top5Table::kPlaces> kScores = {"10", "8", "6", "4", "2"};

} // namespace

class TestTop5File : public QObject {
    Q_OBJECT

private slots:
    // Catches scores read as the wrong number, or written with blanks or points.
    void numbersReadAndWriteAsTheScoreRuleSays()
    {
        const struct {
            const char* text;
            double value;
        } cases[] = {{"12", 12},   {"12abc", 12},   {"abc", 0},    {"", 0},     {"   7", 7},
                     {"-3", -3},   {"+5", 5},       {"1.5x", 1.5}, {".5", 0.5}, {"1e3", 1000},
                     {"2e", 2},    {"1e999", 0},    {"- 3", 0},    {" 10 ", 10}, {"0012", 12}};
        for (const auto& c : cases)
            QVERIFY2(leadingNumber(QString::fromLatin1(c.text)) == c.value, c.text);

        QCOMPARE(numberText(0), QStringLiteral("0"));
        QCOMPARE(numberText(-0.0), QStringLiteral("0"));
        QCOMPARE(numberText(12), QStringLiteral("12"));
        QCOMPARE(numberText(99999), QStringLiteral("99999"));
        QCOMPARE(numberText(-4), QStringLiteral("-4"));
        QCOMPARE(numberText(12.5), QStringLiteral("12.5"));
        for (double v : {12.5, 0.1, 1e20, -7.25, 123456789012345.0, 1e15})
            QCOMPARE(leadingNumber(numberText(v)), v);
    }

    // Catches a reader that loses, shifts or invents fields.
    void theFieldReaderTakesTenFieldsAsWritten()
    {
        Fields f = parseFields(defaultFile(), true);
        QVERIFY(f.ok);
        QCOMPARE(f.fields, QStringList({"Tuntematon", "10", "Tuntematon", "8", "Tuntematon", "6",
                                        "Tuntematon", "4", "Tuntematon", "2"}));

        // Six lines: the first five pairs, the sixth never looked at.
        f = parseFields("a,1\r\nb,2\r\nc,3\r\nd,4\r\ne,5\r\nf,6\r\n", true);
        QVERIFY(f.ok);
        QCOMPARE(f.fields.last(), QStringLiteral("5"));

        // Four lines end too early, a damage told with its line and its limit.
        using K = Damage::Kind;
        const std::pair<QByteArray, Damage> damaged[] = {
            {"a,1\r\nb,2\r\nc,3\r\nd,4\r\n", {K::EndsEarly, 4, 5}},
            {"a,1\nb,2\rc,3", {K::EndsEarly, 3, 5}},
            {"a,1\r\n\"x\ny\",2\r\n" + QByteArray(kMaxFieldBytes + 1, 'z'), {K::FieldTooLong, 4, kMaxFieldBytes}},
            {"a,1\r\nb,2\r\nc,\"" + QByteArray(kMaxFieldBytes - 2, '"') + "x\"\r\nd,4\r\ne,5",
             {K::FieldTooLong, 3, kMaxFieldBytes}}};
        for (const auto& [bytes, damage] : damaged) {
            f = parseFields(bytes, true);
            QVERIFY(!f.ok && f.damage == damage);
        }

        // Leading blanks are skipped, a field ends at a comma or any line end,
        // and the tenth field may end at the end of the file.
        f = parseFields("  a , 1\nb,2\rc,3\r\nd,4\r\n   e,5", true);
        QVERIFY(f.ok);
        QCOMPARE(f.fields, QStringList({"a", "1", "b", "2", "c", "3", "d", "4", "e", "5"}));

        // An empty line is an empty field: the pairs shift by one.
        f = parseFields("a,1\r\n\r\nb,2\r\nc,3\r\nd,4\r\ne,5\r\n", true);
        QVERIFY(f.ok);
        QCOMPARE(f.fields.mid(0, 4), QStringList({"a", "1", "", "b"}));

        // Quotes keep commas, blanks and doubled quotes; text after the
        // closing quote is ignored up to the next comma.
        f = parseFields("\" a, \"\"b\"\" \",1\r\n\"x\"junk,2\r\nc,3\r\nd,4\r\ne,\"5\r\n", true);
        QVERIFY(f.ok);
        QCOMPARE(f.fields[0], QStringLiteral(" a, \"b\" "));
        QCOMPARE(f.fields[2], QStringLiteral("x"));
        QCOMPARE(f.fields[3], QStringLiteral("2"));
        QCOMPARE(f.fields[9], QStringLiteral("5\r\n")); // an unclosed quote runs to the end

        // A name with a comma written bare becomes two fields.
        f = parseFields("Matti, Teppo,10\r\nb,2\r\nc,3\r\nd,4\r\ne,5\r\n", true);
        QVERIFY(f.ok);
        QCOMPARE(f.fields.mid(0, 3), QStringList({"Matti", "Teppo", "10"}));
    }

    // Catches a Notepad "Unicode" file read as garbage, and a file with both
    // encodings turning its Windows-1252 names into mojibake.
    void utf16AndMixedFilesReadAsTheirLettersSay()
    {
        const QString text = QStringLiteral("Mäkelä,12\r\nŁukasz,9\r\nc,3\r\nd,2\r\ne,1\r\n");
        QByteArray le("\xFF\xFE"), be("\xFE\xFF");
        for (QChar c : text) {
            le.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
            be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
        }
        for (const QByteArray& bytes : {le, be}) {
            const Fields f = parseFields(bytes, true);
            QVERIFY(f.ok);
            QCOMPARE(f.fields.mid(0, 4), QStringList({"Mäkelä", "12", "Łukasz", "9"}));
        }
        // Cut short inside a field, a UTF-16 file is damage, not a shorter name.
        QVERIFY(!parseFields(le.left(le.size() - 3), false).ok);

        // "Mäkelä" in UTF-8 beside "Äijä" in Windows-1252.
        const Fields mixed = parseFields("M\xc3\xa4kel\xc3\xa4,12\r\n\xc4ij\xe4,9\r\nc,3\r\nd,2\r\ne,1\r\n", true);
        QVERIFY(mixed.ok);
        QCOMPARE(mixed.fields[0], QStringLiteral("Mäkelä"));
        QCOMPARE(mixed.fields[2], QStringLiteral("Äijä"));
    }

    // Catches a reader that runs away on hostile bytes, or takes the start of
    // a huge file for a whole one.
    void hostileBytesAreDamageNotACrash()
    {
        QVERIFY(!parseFields(QByteArray(kMaxFieldBytes + 1, 'x') + ",1\r\n", true).ok);
        QVERIFY(!parseFields(QByteArray(kMaxFieldBytes + 1, ' ') + "a,1\r\n", true).ok);
        QVERIFY(!parseFields("\"" + QByteArray(kMaxFieldBytes + 1, 'x') + "\",1", true).ok);
        QVERIFY(!parseFields(QByteArray(kMaxReadBytes, '\0'), false).ok);
        QVERIFY(!parseFields("a,1\r\nb,2\r\nc,3\r\nd,4\r\ne,5", false).ok);
        QVERIFY(!parseFields("", true).ok);

        // NUL and other binary bytes inside fields are just characters.
        static const char kBinary[] = "a\0b,1\r\nb,2\r\nc,3\r\nd,4\r\ne,\xff\x01\r\n";
        Fields f = parseFields(QByteArray(kBinary, sizeof kBinary - 1), true);
        QVERIFY(f.ok);
        QCOMPARE(f.fields[0].size(), 3);

        // Random garbage of every length never crashes and, when it loads,
        // gives exactly ten fields.
        QRandomGenerator rng(12345);
        for (int i = 0; i < 2000; ++i) {
            QByteArray junk(rng.bounded(300), '\0');
            for (char& c : junk)
                c = "a, \"\r\n\xe4\xc3"[rng.bounded(8)];
            f = parseFields(junk, true);
            QVERIFY(!f.ok || f.fields.size() == kFields);
        }
    }

    // Catches a system whose own converters write other bytes (Qt without
    // ICU knows no Windows-1252): the same table is the same file on Linux
    // and on Windows, and those bytes read back as the same names on both.
    void everySystemWritesAndReadsTheSameBytes_data()
    {
        QTest::addColumn<QStringList>("table");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ä and ö") << QStringList{"Äijä", "b", "c", "d", "Pöö"}
                                 << QByteArray("\xc4ij\xe4,10\r\nb,8\r\nc,6\r\nd,4\r\nP\xf6\xf6,2\r\n");
        QTest::newRow("euro and quotes")
            << QStringList{"5€", "“Ässä”", "‘x’ „y“", "say \"hi\"", "Šašlik"}
            << QByteArray("5\x80,10\r\n\x93\xc4ss\xe4\x94,8\r\n\x91x\x92 \x84y\x93,6\r\n"
                          "\"say \"\"hi\"\"\",4\r\n\x8a\x61\x9alik,2\r\n");
        // Every byte from 0x80 to 0x9F, the five Windows leaves unassigned too.
        QTest::newRow("0x80 to 0x9F")
            << QStringList{QString::fromUtf16(u"€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F"),
                           QString::fromUtf16(u"\u0090‘’“”•–—˜™š›œ\u009DžŸ"), "c", "d", "ÿ ñ ß"}
            << QByteArray("\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8d\x8e\x8f,10\r\n"
                          "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9a\x9b\x9c\x9d\x9e\x9f,8\r\n"
                          "c,6\r\nd,4\r\n\xff \xf1 \xdf,2\r\n");
    }
    void everySystemWritesAndReadsTheSameBytes()
    {
        QFETCH(QStringList, table);
        QFETCH(QByteArray, bytes);
        QCOMPARE(tableFile(names({table[0], table[1], table[2], table[3], table[4]}), kScores), bytes);
        const Fields f = parseFields(bytes, true);
        QVERIFY(f.ok);
        for (int k = 0; k < Top5Table::kPlaces; ++k)
            QCOMPARE(f.fields[2 * k], table[k]);
    }

    // Catches a save that is not byte-exact, or names that do not come back.
    void savedTablesAreExactAndReadBackUnchanged()
    {
        QCOMPARE(tableFile(names({"Tuntematon", "Tuntematon", "Tuntematon", "Tuntematon", "Tuntematon"}),
                           kScores),
                 QByteArray("Tuntematon,10\r\nTuntematon,8\r\nTuntematon,6\r\nTuntematon,4\r\n"
                            "Tuntematon,2\r\n"));

        // Ä and ö in Windows-1252, as files have always been.
        QByteArray bytes = tableFile(names({"Äijä", "b", "c", "d", "Pöö"}), kScores);
        QCOMPARE(bytes, QByteArray("\xc4ij\xe4,10\r\nb,8\r\nc,6\r\nd,4\r\nP\xf6\xf6,2\r\n"));
        QCOMPARE(parseFields(bytes, true).fields[0], QStringLiteral("Äijä"));

        // A name Windows-1252 cannot hold turns the whole file to UTF-8.
        bytes = tableFile(names({"Łukasz", "Äijä", "c", "d", "e"}), kScores);
        QCOMPARE(bytes, QStringLiteral("Łukasz,10\r\nÄijä,8\r\nc,6\r\nd,4\r\ne,2\r\n").toUtf8());
        QCOMPARE(parseFields(bytes, true).fields[0], QStringLiteral("Łukasz"));
        QCOMPARE(parseFields(bytes, true).fields[2], QStringLiteral("Äijä"));

        // Windows-1252 bytes that would read back as UTF-8 are written as UTF-8.
        bytes = tableFile(names({"Ã¤", "b", "c", "d", "e"}), kScores);
        QCOMPARE(parseFields(bytes, true).fields[0], QStringLiteral("Ã¤"));

        // Names that need protecting are quoted; everything else stays bare.
        const auto tricky = names({" lead", "trail ", "a,b", "say \"hi\"", "   "});
        bytes = tableFile(tricky, kScores);
        QCOMPARE(bytes, QByteArray("\" lead\",10\r\n\"trail \",8\r\n\"a,b\",6\r\n"
                                   "\"say \"\"hi\"\"\",4\r\n\"   \",2\r\n"));
        const Fields f = parseFields(bytes, true);
        QVERIFY(f.ok);
        for (int k = 0; k < Top5Table::kPlaces; ++k) {
            QCOMPARE(f.fields[2 * k], tricky[k]);
            QCOMPARE(f.fields[2 * k + 1], kScores[k]);
        }

        // Letters that in Windows-1252 spell a UTF-16 byte order mark are quoted,
        // or the file would be read as UTF-16.
        for (const QString& bom : {QStringLiteral("ÿþA"), QStringLiteral("þÿA")}) {
            bytes = tableFile(names({bom, "b", "c", "d", "e"}), kScores);
            QCOMPARE(parseFields(bytes, true).fields[0], bom);
        }
        QVERIFY(!needsQuotes("Matti Meikäläinen"));
        QVERIFY(needsQuotes(QString(QChar(0xFEFF)) + "x"));
    }
};

QTEST_GUILESS_MAIN(TestTop5File)
#include "tst_top5file.moc"
