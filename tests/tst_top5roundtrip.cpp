// Nothing a table can hold is lost between the ranking window and TOP5.dat:
// random tables saved and loaded back, the fuzzer's finds, and every file of
// the fuzz corpus through the real load.

#include "app/program.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "support/files.h"
#include "support/programtest.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"
#include "top5/top5file.h"

#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QtTest>

using Column = std::array<QString, Top5Table::kPlaces>;

namespace {

// The seed is new on every run and shown with every failure, so that a
// failing table can be made again.
quint64 runSeed()
{
    static const quint64 seed = QRandomGenerator::system()->generate64();
    return seed;
}

// Names of 1 to 17 characters from what players type and what breaks files:
// letters, ä and ö, commas, quotes, blanks, and characters Windows-1252 has no
// place for (one outside the Basic Multilingual Plane), and the letters that
// in Windows-1252 spell a byte order mark.
QString randomName(QRandomGenerator& rng)
{
    static const QStringList pieces = {
        "a", "k", "Z", "M", "ä", "ö", "Ä", "Ö", ",", "\"", " ", " ", "Ł", "漢", "€", "😀", "ï", "»", "¿"};
    QString name;
    const int length = rng.bounded(1, 18);
    for (int i = 0; i < length; ++i)
        name += pieces[rng.bounded(int(pieces.size()))];
    return name;
}

void randomTable(QRandomGenerator& rng, Column& names, Column& scores)
{
    for (int k = 0; k < Top5Table::kPlaces; ++k) {
        names[k] = randomName(rng);
        scores[k] = top5file::numberText(rng.bounded(100000));
    }
}

} // namespace

class TestTop5RoundTrip : public ProgramTest {
    Q_OBJECT

private slots:
    void init() { newFolder(); }
    void cleanup() { endAll(); }

    // Catches any name or score that the file format cannot carry: quoting,
    // encoding choice or field splitting that changes a table on its way
    // through the file.
    void randomTablesReadBackEqualThroughTheFileFormat()
    {
        QRandomGenerator rng(runSeed());
        for (int i = 0; i < 20000; ++i) {
            Column names, scores;
            randomTable(rng, names, scores);
            const QByteArray bytes = top5file::tableFile(names, scores);
            const top5file::Fields read = top5file::parseFields(bytes, true);
            const QByteArray context = QStringLiteral("seed %1, table %2: %3")
                                           .arg(runSeed()).arg(i).arg(QString::fromLatin1(bytes.toHex()))
                                           .toLatin1();
            QVERIFY2(read.ok, context.constData());
            QVERIFY2(bytes.endsWith("\r\n"), context.constData());
            for (int k = 0; k < Top5Table::kPlaces; ++k) {
                QVERIFY2(read.fields[2 * k] == names[k], context.constData());
                QVERIFY2(read.fields[2 * k + 1] == scores[k], context.constData());
            }
        }
    }

    // Catches a save or load of the real routines that loses or alters an
    // entry, or reports a failure where there is none.
    void randomTablesSurviveTheRealSaveAndLoad()
    {
        startProgram();
        QRandomGenerator rng(runSeed() ^ 0x5a5a);
        for (int i = 0; i < 300; ++i) {
            Column names, scores;
            randomTable(rng, names, scores);
            for (int k = 1; k <= Top5Table::kPlaces; ++k) {
                table().sijoitus(k).setText(names[k - 1]);
                table().pisteet(k).setText(scores[k - 1]);
            }
            QVERIFY(program_->tiedot().TallennaTop5() == Tiedot::SaveResult::Saved);
            for (int k = 1; k <= Top5Table::kPlaces; ++k) {
                table().sijoitus(k).setText("-");
                table().pisteet(k).setText("-");
            }
            program_->tiedot().LataaTop5();
            const QByteArray context = QStringLiteral("seed %1, table %2").arg(runSeed() ^ 0x5a5a).arg(i).toLatin1();
            for (int k = 1; k <= Top5Table::kPlaces; ++k) {
                QVERIFY2(table().sijoitus(k).text() == names[k - 1], context.constData());
                QVERIFY2(table().pisteet(k).text() == scores[k - 1], context.constData());
            }
        }
        QVERIFY(fake_->dialogs.shown.empty());
        QVERIFY(!QFile::exists(Top5Store::kBackupName));
    }

    // Catches again what the fuzzer found: names whose first letters are, or
    // look in Windows-1252 like, a byte order mark lost on the way back, and a
    // name that loaded but whose doubled quotes made the saved file unloadable.
    void theFuzzersFindsStayFixed()
    {
        // "ï»¿" in Windows-1252 is the byte order mark's three bytes.
        Column names = {QStringLiteral("ï»¿mted"), "b", "c", "d", QStringLiteral("ï»¿")};
        const Column scores = {"5", "4", "3", "2", "1"};
        top5file::Fields read = top5file::parseFields(top5file::tableFile(names, scores), true);
        QVERIFY(read.ok);
        QCOMPARE(read.fields[0], names[0]);
        QCOMPARE(read.fields[8], names[4]);

        // A UTF-8 name that starts with U+FEFF keeps it, in any place.
        names = {QStringLiteral("\uFEFF"), QStringLiteral("\uFEFFŁ"), "c", "d", "e"};
        const QByteArray utf8 = top5file::tableFile(names, scores);
        read = top5file::parseFields(utf8, true);
        QVERIFY(read.ok);
        QCOMPARE(read.fields[0], names[0]);
        QCOMPARE(read.fields[2], names[1]);
        read = top5file::parseFields("\xEF\xBB\xBF\xEF\xBB\xBFx,1\r\nb,2\r\nc,3\r\nd,4\r\ne,5\r\n", true);
        QCOMPARE(read.fields[0], QStringLiteral("\uFEFFx"));

        // Every find, loaded and saved again, loads to the same fields, or is damage.
        QDirIterator it(QStringLiteral(VIKKELO_FUZZ_CORPUS), {"find-*"}, QDir::Files);
        int finds = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            ++finds;
            const top5file::Fields whole = top5file::parseFields(contents(path), true);
            if (!whole.ok)
                continue;
            Column n, s;
            for (int k = 0; k < Top5Table::kPlaces; ++k) {
                n[k] = whole.fields[2 * k];
                s[k] = whole.fields[2 * k + 1];
            }
            const top5file::Fields again = top5file::parseFields(top5file::tableFile(n, s), true);
            QVERIFY2(again.ok && again.fields == whole.fields, qPrintable(path));
        }
        QVERIFY(finds >= 3);

        // A name of 3000 quotes read bare is damage: saved it would double.
        QByteArray quotes = "a" + QByteArray(3000, '"') + ",1\r\nb,2\r\nc,3\r\nd,4\r\ne,5\r\n";
        QVERIFY(!top5file::parseFields(quotes, true).ok);
        // Still loads: the same name quoted, as the program saves it.
        quotes = "\"a" + QByteArray(4000, '"') + "\",1\r\nb,2\r\nc,3\r\nd,4\r\ne,5\r\n";
        read = top5file::parseFields(quotes, true);
        QVERIFY(read.ok);
        QCOMPARE(read.fields[0], "a" + QString(2000, u'"'));
    }

    // Catches a real load that crashes on, or loses, any file of the fuzz
    // corpus: each one either loads as the reader says, untouched, or is kept
    // whole as TOP5.dat.bak with the default table in its place.
    void everyCorpusFileLoadsOrIsKeptAside()
    {
        QDirIterator it(QStringLiteral(VIKKELO_FUZZ_CORPUS), QDir::Files);
        int files = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            const QByteArray bytes = contents(path);
            ++files;
            QFile::remove(Top5Store::kFileName);
            QFile::remove(Top5Store::kBackupName);
            write(Top5Store::kFileName, bytes);
            restart();

            const top5file::Fields read = top5file::parseFields(bytes, true);
            if (read.ok) {
                QVERIFY2(contents(Top5Store::kFileName) == bytes, qPrintable(path));
                QVERIFY2(!QFile::exists(Top5Store::kBackupName), qPrintable(path));
                for (int k = 1; k <= Top5Table::kPlaces; ++k)
                    QVERIFY2(table().sijoitus(k).text() == read.fields[2 * (k - 1)], qPrintable(path));
            } else {
                QVERIFY2(contents(Top5Store::kBackupName) == bytes, qPrintable(path));
                QVERIFY2(contents(Top5Store::kFileName) == top5file::defaultFile(), qPrintable(path));
                QVERIFY2(fake_->dialogs.shown.size() == 1, qPrintable(path));
                QVERIFY2(fake_->dialogs.shown[0].text.contains(Top5Store::kBackupName), qPrintable(path));
            }
        }
        QVERIFY(files >= 10);
    }
};

QTEST_MAIN(TestTop5RoundTrip)
#include "tst_top5roundtrip.moc"
