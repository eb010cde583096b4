// The TOP5 table between TOP5.dat and the ranking window: start-up loads, the
// window's buttons, byte-exact files, and the faults that must lose nothing.

#include "app/program.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "support/programtest.h"
#include "support/files.h"
#include "support/filemodes.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#ifdef Q_OS_WIN
#include "platform/files.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

const QByteArray kDefault = "Tuntematon , 10\r\nTuntematon , 8\r\nTuntematon , 6\r\n"
                            "Tuntematon , 4\r\nTuntematon , 2\r\n";


} // namespace

class TestTiedot : public ProgramTest {
    Q_OBJECT

private slots:
    void init() { newFolder(); }
    void cleanup() { endAll(); }

    // Catches a start-up that does not load the table, loads it wrongly, or
    // changes the file.
    void startUpWithAGoodFileLoadsItIntoAHiddenRankingWindow()
    {
        write("TOP5.dat", kPlayed);
        startProgram();
        QVERIFY(program_->sijoitus().exists());
        QVERIFY(!table().isVisible());
        QCOMPARE(names(), QStringList({"Matti", "Äijä", "Liisa", "Pekka", "Teppo"}));
        QCOMPARE(scores(), QStringList({"50", "40", "30", "20", "12"}));
        QCOMPARE(contents("TOP5.dat"), kPlayed);
        QVERIFY(fake_->dialogs.shown.empty());
    }

    // Catches a control of the ranking window misplaced or mislabelled.
    void controlsAreWhereDrawn_data()
    {
        addControls({
            {"top5", {200, 0, 185, 25}, "TOP5"},
            // Six pixels wider than drawn, to the window's edge, so that no
            // stand-in font cuts the header's last colon.
            {"tidetplusmuut", {208, 32, 183, 17}, "#.         Nimi:                           Pisteet:"},
            {"Label16", {56, 0, 65, 25}, "Pisteesi :"},
            {"pisteett", {128, 0, 33, 25}, "0"},
            {"tila1", {208, 56, 25, 25}, "1."},
            {"tila5", {208, 184, 25, 25}, "5."},
            {"sijoitus3", {240, 120, 105, 17}, "Tuntematon"},
            {"pisteet4", {352, 152, 33, 17}, "4"},
            {"arvonimi1", {16, 32, 73, 17}, "Jumala"},
            {"pisteraja1", {96, 32, 89, 25}, "=     80-99-pistettä"},
            {"arvonimi2", {16, 56, 81, 25}, "Supermies"},
            {"pisteraja2", {96, 56, 89, 17}, "=     71-79-pistettä"},
            {"arvonimi3", {16, 80, 73, 25}, "Salama"},
            {"pisteraja3", {96, 80, 89, 25}, "=     61-70-pistettä"},
            {"arvonimi4", {16, 104, 81, 25}, "Normaali"},
            {"pisteraja4", {96, 104, 89, 25}, "=     51-60-pistettä"},
            {"arvonimi5", {16, 128, 81, 25}, "Vanhus"},
            {"pisteraja5", {96, 128, 89, 25}, "=     41-50-pistettä"},
            {"arvonimi6", {16, 152, 89, 25}, "Kramppi sormi"},
            {"pisteraja6", {96, 152, 89, 17}, "=     31-40-pistettä"},
            {"arvonimi7", {16, 176, 89, 25}, "Kilpikonna"},
            {"pisteraja7", {96, 176, 89, 25}, "=     21-30-pistettä"},
            {"arvonimi8", {16, 200, 89, 17}, "Etana"},
            {"pisteraja8", {96, 200, 89, 17}, "=     10-20-pistettä"},
            {"close", {160, 240, 65, 33}, "Sulje"},
            {"clear", {240, 240, 89, 25}, "Tyhjennä TOP5"},
        });
    }
    void controlsAreWhereDrawn() { startProgram(); checkControl(table()); }

    // Catches a missing default file, a window made too early, or a wrong
    // layout of the ranking window.
    void startUpWithoutAFileWritesTheDefaultAndShowsItLater()
    {
        startProgram();
        QCOMPARE(contents("TOP5.dat"), kDefault);
        QVERIFY(!program_->sijoitus().exists());
        QVERIFY(!QFile::exists("TOP5.dat.bak"));
        QVERIFY(fake_->dialogs.shown.empty());

        program_->vikkelo().get().findChild<QAction*>("menusijoitus")->trigger();
        QVERIFY(table().isVisible());
        QCOMPARE(names(), QStringList(5, "Tuntematon"));
        QCOMPARE(scores(), QStringList({"10", "8", "6", "4", "2"}));

        QCOMPARE(table().windowTitle(), QStringLiteral("Sijoitustaulukko ja TOP5"));
        QCOMPARE(table().size(), QSize(391, 277));
        QCOMPARE(table().minimumSize(), table().maximumSize());
        QCOMPARE(table().pisteett().text(), QStringLiteral("0"));
        auto* close = table().findChild<QPushButton*>("close");
        auto* clear = table().findChild<QPushButton*>("clear");
        QVERIFY(close->font().bold());
        QCOMPARE(close->font().pointSizeF(), 9.75);
        QVERIFY(!close->isDefault() && !clear->isDefault());
        QCOMPARE(table().findChild<QLabel*>("top5")->font().pointSizeF(), 15.75);
    }

    // Catches unusual but loadable files read wrongly.
    void unusualFilesLoadAsTheFieldRulesSay()
    {
        startProgram();
        write("TOP5.dat", "a,1\r\nb,2\r\nc,3\r\nd,4\r\ne,5\r\nf,6\r\n");
        program_->tiedot().LataaTop5();
        QCOMPARE(names(), QStringList({"a", "b", "c", "d", "e"}));

        write("TOP5.dat", "  Lead,12abc\r\n\"Comma, quoted\",abc\r\nc,3.5\r\nd,-4\r\ne,\r\n");
        program_->tiedot().LataaTop5();
        QCOMPARE(names(), QStringList({"Lead", "Comma, quoted", "c", "d", "e"}));
        QCOMPARE(scores(), QStringList({"12", "0", "3.5", "-4", "0"}));

        // UTF-8 names load as UTF-8.
        write("TOP5.dat", QStringLiteral("Łukasz,9\r\nÄijä,8\r\nc,3\r\nd,2\r\ne,1\r\n").toUtf8());
        program_->tiedot().LataaTop5();
        QCOMPARE(names().mid(0, 2), QStringList({"Łukasz", "Äijä"}));
        QVERIFY(!QFile::exists("TOP5.dat.bak"));
    }

    // Catches a damaged file destroyed by the default table, replaced
    // without a word or with the wrong reason, or an older backup lost.
    void aDamagedFileIsKeptAsBackupBeforeTheDefaultReplacesIt()
    {
        const QByteArray fourLines = "Matti,50\r\nLiisa,40\r\nPekka,30\r\nTeppo,20\r\n";
        write("TOP5.dat", fourLines);
        write("TOP5.dat.bak", "an older backup");
        // No box is shown while the lock is held: another copy could not save meanwhile.
        bool lockFreeAtEveryBox = true;
        fake_->dialogs.onShow = [&] {
#ifdef Q_OS_WIN
            // LockFileEx refuses a second handle, in this process too.
            lockFreeAtEveryBox &= FileLock().lock("TOP5.dat.lock", 0).locked;
#else
            const int fd = ::open("TOP5.dat.lock", O_RDONLY | O_CLOEXEC);
            lockFreeAtEveryBox &= fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            ::close(fd);
#endif
        };
        startProgram();
        QCOMPARE(contents("TOP5.dat.bak2"), fourLines);
        QVERIFY(!program_->sijoitus().exists());
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));
        QCOMPARE(fake_->dialogs.shown[0].title, QStringLiteral("Vikkelo"));

        // The labels of an existing window keep what they showed.
        table().sijoitus(1).setText("Kept");
        write("TOP5.dat", "a," + QByteArray(5000, '1') + "\r\n");
        program_->tiedot().LataaTop5();
        QCOMPARE(table().sijoitus(1).text(), QStringLiteral("Kept"));

        // A file damaged since is kept aside by the save too, and the table shown goes in its place.
        write("TOP5.dat", "rikki");
        pressClose();
        QVERIFY(contents("TOP5.dat").startsWith("Kept,"));
        QVERIFY(lockFreeAtEveryBox);
    }

    // Catches a clear that acts without confirmation or ignores it.
    void clearAsksFirstAndThenRestoresTheDefaults()
    {
        write("TOP5.dat", kPlayed);
        startProgram();
        program_->sijoitus().show();
        table().pisteett().setText("7");
        auto* clear = table().findChild<QPushButton*>("clear");

        fake_->dialogs.answers = {Dialogs::Cancel};
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(fake_->dialogs.shown.back().text, QStringLiteral("Haluatko varmasti tyhjentää TOP5:n?"));
        QCOMPARE(fake_->dialogs.shown.back().title, QStringLiteral("Varoitus"));
        QVERIFY(fake_->dialogs.shown.back().buttons == Dialogs::Buttons::OkCancel);
        QCOMPARE(contents("TOP5.dat"), kPlayed);
        QCOMPARE(names()[1], QStringLiteral("Äijä"));

        fake_->dialogs.answers = {Dialogs::Ok};
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(contents("TOP5.dat"), kDefault);
        QCOMPARE(names(), QStringList(5, "Tuntematon"));
        QCOMPARE(scores(), QStringList({"10", "8", "6", "4", "2"}));
        QCOMPARE(table().pisteett().text(), QStringLiteral("7"));
        QVERIFY(!QFile::exists("TOP5.dat.bak"));
    }

    // Catches a close that does not save exactly, does not unload, or a
    // title-bar close that loses the table.
    void closeSavesExactlyAndUnloads()
    {
        startProgram();
        program_->sijoitus().show();
        table().sijoitus(1).setText("Äijä");
        table().sijoitus(2).setText(" Lead");
        table().pisteett().setText("7");
        pressClose();
        QCOMPARE(contents("TOP5.dat"),
                 QByteArray("\xc4ij\xe4,10\r\n\" Lead\",8\r\nTuntematon,6\r\nTuntematon,4\r\nTuntematon,2\r\n"));
        QVERIFY(!program_->sijoitus().exists());
        flushUnloads();

        program_->vikkelo().get().findChild<QAction*>("menusijoitus")->trigger();
        QCOMPARE(names().mid(0, 2), QStringList({"Äijä", " Lead"}));
        QCOMPARE(table().pisteett().text(), QStringLiteral("0"));

        // The title bar's close saves too, here a name only UTF-8 can hold.
        table().sijoitus(5).setText("Łukasz");
        QVERIFY(table().close());
        QVERIFY(contents("TOP5.dat").endsWith(QStringLiteral("Łukasz,2\r\n").toUtf8()));
        QVERIFY(!program_->sijoitus().exists());
        QVERIFY(fake_->dialogs.shown.empty());
    }

    // Catches a program that cannot start, or play, where it may not write.
    void aReadOnlyFolderStillStartsAndPlays()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows keeps no one out of a folder by its modes (a folder's read-only attribute means nothing)");
#endif
        FileModesApply modes;
        QVERIFY(QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::ExeOwner));
        startProgram();
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));

        Vikkelo& board = program_->vikkelo().get();
        QTest::mouseClick(board.findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        QMetaObject::invokeMethod(&board.Timer1(), "timeout");
        QCOMPARE(board.round().jono().size(), std::size_t(1));

        // Told once: the window made later meets the same failure silently,
        // and shows the default table it could not write.
        board.findChild<QAction*>("menusijoitus")->trigger();
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(1));
        QCOMPARE(scores(), QStringList({"10", "8", "6", "4", "2"}));

        // The same problem of another cause is told again: a folder at the name, then a link.
        QVERIFY(QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QDir().mkdir("TOP5.dat"));
        program_->tiedot().LataaTop5();
        QVERIFY(QDir().rmdir("TOP5.dat") && QFile::link("elsewhere", "TOP5.dat"));
        program_->tiedot().LataaTop5();
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(3));
    }

    // Catches a failed save reported as success, a window closed on a
    // failed save, or an old file harmed by it.
    void anUnwritableFileKeepsTheWindowOpenUntilSaved()
    {
        write("TOP5.dat", kPlayed);
        startProgram();
        program_->sijoitus().show();
        table().sijoitus(5).setText("Uusi");
        QVERIFY(QFile::setPermissions("TOP5.dat", QFile::ReadOwner));
        {
            FileModesApply modes;
            pressClose();
            QVERIFY(!table().close());
        }
        QCOMPARE(fake_->dialogs.shown.size(), std::size_t(2));
        // The one box also offers to close without saving, No being the default.
        QVERIFY(fake_->dialogs.shown[0].buttons == Dialogs::Buttons::YesNoDefaultNo);
        QVERIFY(program_->sijoitus().exists());
        QVERIFY(table().isVisible());

        QVERIFY(QFile::setPermissions("TOP5.dat", QFile::ReadOwner | QFile::WriteOwner));
        pressClose();
        QVERIFY(contents("TOP5.dat").endsWith("Uusi,12\r\n"));
        QVERIFY(!program_->sijoitus().exists());
    }
};

QTEST_MAIN(TestTiedot)
#include "tst_tiedot.moc"
