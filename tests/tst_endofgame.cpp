// The end of a lost round, through the real windows: the score reported or
// entered in the TOP5 table under a typed name, ties, the name prompt's
// rules, and the file untouched until the ranking window is closed.

#include "game/lamp.h"
#include "app/program.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "support/programtest.h"
#include "support/filemodes.h"
#include "support/files.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

const QByteArray kTieTable = "AAA,30\r\nBBB,25\r\nCCC,20\r\nDDD,20\r\nEEE,12\r\n";
const QString kPrompt = QStringLiteral("Onneksi olkoon. Pääsit TOP5-listalle pisteillä ");
const QString kEmptyName = QStringLiteral("Sinun täytyy kirjoittaa nimimerkkisi tai nimesi!");
const QString kLongName = QStringLiteral("Nimimerkkisi tai nimesi saa olla maksimissaan vain 17-merkkiä pitkä!");

} // namespace

class TestEndOfGame : public ProgramTest {
    Q_OBJECT

private:

    ScriptedDialogs& dialogs() { return fake_->dialogs; }

    void lightLamp(int lamp)
    {
        fake_->random.draws.push_back(ScriptedRandom::lampDraw(lamp));
        QMetaObject::invokeMethod(&board().Timer1(), "timeout");
        QCOMPARE(board().round().sama(), lamp);
    }
    void press(int lamp, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(&board().painike(lamp), button);
        QTest::mouseRelease(&board().painike(lamp), button);
    }
    // Plays a round that scores `score` points and then loses it.
    void playAndLose(int score)
    {
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        int lamp = board().round().sama() == 1 ? 2 : 1;
        for (int i = 0; i < score; ++i) {
            lightLamp(lamp);
            press(lamp);
            lamp = lamp == 1 ? 2 : 1;
        }
        QCOMPARE(board().pisteet().text(), QString::number(score));
        lightLamp(3);
        press(4);
    }
    void verifyBoardReset()
    {
        QCOMPARE(board().round().peli(), 0);
        QCOMPARE(board().pisteet().text(), QStringLiteral("0"));
        QVERIFY(!board().Timer1().isActive());
        QCOMPARE(board().Timer1().interval(), 1000);
        QVERIFY(!board().painike(1).isEnabled());
        QCOMPARE(board().findChild<QPushButton*>("uusipeli")->text(), QStringLiteral("Uusi peli"));
        QCOMPARE(board().findChild<QAction*>("menuUusipeli")->text(), QStringLiteral("Uusi peli"));
    }

private slots:
    void init() { newFolder(); }
    void cleanup() { endAll(); }

    // The tie example: catches ties entered below older entries, scores
    // moved as raw text, a file written before "Sulje", and a press behind
    // the prompt that ends the round again.
    void aTieGoesAboveTheOlderEntries()
    {
        write("TOP5.dat", kTieTable);
        startProgram();
        dialogs().typed = {"NNN", "NNN"}; // a second prompt would not hang the test
        bool timerRanBehindThePrompt = false;
        dialogs().onShow = [&] {
            timerRanBehindThePrompt = board().Timer1().isActive();
            // Presses that reach the lamps behind the prompt end nothing again.
            dialogs().onShow = nullptr;
            lightLamp(1);
            press(1);
            QTest::keyClick(&board(), Qt::Key_2);
            board().findChild<QPushButton*>("uusipeli")->click(); // nor does an interrupt
            QAccessible::queryAccessibleInterface(&board().painike(3))->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
            QCoreApplication::sendPostedEvents();
        };
        playAndLose(20);

        QCOMPARE(dialogs().shown.size(), std::size_t(1));
        const auto& prompt = dialogs().shown[0];
        QCOMPARE(prompt.kind, ScriptedDialogs::Shown::Input);
        QCOMPARE(prompt.text, kPrompt + "20!");
        QCOMPARE(prompt.title, QStringLiteral("Onneksi olkoon!"));
        QCOMPARE(prompt.defaultText, QString());
        QVERIFY(timerRanBehindThePrompt);

        QCOMPARE(names(), QStringList({"AAA", "BBB", "NNN", "CCC", "DDD"}));
        QCOMPARE(scores(), QStringList({"30", "25", "20", "20", "20"}));
        QCOMPARE(table().pisteett().text(), QStringLiteral("20"));
        QVERIFY(table().isVisible());
        verifyBoardReset();
        QCOMPARE(contents("TOP5.dat"), kTieTable);

        pressClose();
        QCOMPARE(contents("TOP5.dat"), QByteArray("AAA,30\r\nBBB,25\r\nNNN,20\r\nCCC,20\r\nDDD,20\r\n"));
    }

    // Catches the first and the last place handled off by one.
    void tiesAtTheFirstAndTheFifthPlace()
    {
        write("TOP5.dat", kTieTable);
        startProgram();
        dialogs().typed = {"Top", "Low"};
        playAndLose(30);
        QCOMPARE(names(), QStringList({"Top", "AAA", "BBB", "CCC", "DDD"}));
        QCOMPARE(scores(), QStringList({"30", "30", "25", "20", "20"}));

        playAndLose(20);
        QCOMPARE(names(), QStringList({"Top", "AAA", "BBB", "Low", "CCC"}));
        // The second prompt offers the name typed last.
        QCOMPARE(dialogs().shown.back().defaultText, QStringLiteral("Top"));

        // Equal to the fifth only: place 5, the old fifth dropped.
        write("TOP5.dat", kTieTable);
        program_->tiedot().LataaTop5();
        dialogs().typed = {"Five"};
        playAndLose(12);
        QCOMPARE(names(), QStringList({"AAA", "BBB", "CCC", "DDD", "Five"}));
        QCOMPARE(scores(), QStringList({"30", "25", "20", "20", "12"}));
    }

    // Catches a wrong message, a reset after it instead of before it, and an
    // answer that shows or hides the wrong window.
    void aScoreBelowTheTableIsReportedAfterTheReset()
    {
        write("TOP5.dat", kTieTable);
        startProgram();
        bool resetBeforeTheMessage = false;
        dialogs().onShow = [&] {
            resetBeforeTheMessage = board().pisteet().text() == "0" && !board().Timer1().isActive();
        };
        dialogs().answers = {Dialogs::No};
        playAndLose(11);
        QCOMPARE(dialogs().shown.size(), std::size_t(1));
        const auto& message = dialogs().shown[0];
        QCOMPARE(message.text, QStringLiteral("  Sait 11-pistettä.\r\nHaluatko nähdä sijoituksesi taulukossa?"));
        QCOMPARE(message.title, QStringLiteral("Pisteet"));
        QVERIFY(message.buttons == Dialogs::Buttons::YesNo);
        QVERIFY(resetBeforeTheMessage);
        QCOMPARE(board().round().t(), int(Dialogs::No));
        QVERIFY(!table().isVisible());
        QCOMPARE(table().pisteett().text(), QStringLiteral("11"));
        QCOMPARE(names(), QStringList({"AAA", "BBB", "CCC", "DDD", "EEE"}));

        dialogs().answers = {Dialogs::Yes};
        playAndLose(3);
        QVERIFY(table().isVisible());
        QCOMPARE(table().pisteett().text(), QStringLiteral("3"));
        verifyBoardReset();
    }

    // Catches a comparison that is not numeric, or a window that is not made
    // when the first round ends before it exists.
    void aFifthScoreOfZeroLetsEvenAPointlessRoundIn()
    {
        write("TOP5.dat", "a,5\r\nb,4\r\nc,3\r\nd,2\r\ne,x\r\n");
        startProgram();
        QVERIFY(program_->sijoitus().exists());
        dialogs().typed = {"Nolla"};
        playAndLose(0);
        QCOMPARE(dialogs().shown[0].text, kPrompt + "0!");
        QCOMPARE(names().last(), QStringLiteral("Nolla"));

        // Without a file the window is made at the end of the first round,
        // and the default table's fifth place (2) decides.
        cleanup();
        init();
        startProgram();
        QVERIFY(!program_->sijoitus().exists());
        dialogs().answers = {Dialogs::No};
        playAndLose(1);
        QVERIFY(program_->sijoitus().exists());
        QCOMPARE(dialogs().shown[0].text.left(9), QStringLiteral("  Sait 1-"));
    }

    // The name prompt's rules: catches empty, cancelled or one-blank names
    // accepted, a length counted in code units, a refused name not offered
    // again, and a name shown as rich text.
    void theNamePromptInsistsOnAFittingName()
    {
        startProgram();
        const QString seventeen = QStringLiteral("abcdefghijklmnopq");
        const QString eighteen = seventeen + "r";
        // Cancel gives the empty text; then one blank; then too long; then
        // 17 characters of which two are written with combining marks.
        const QString combining = QStringLiteral("A\u0308ij\u0308a") + QString(12, 'x'); // Äijä + 12 = 16
        dialogs().typed = {"", " ", eighteen, combining + QStringLiteral("\U0001F600")};
        playAndLose(10);

        QStringList seen;
        for (const auto& s : dialogs().shown)
            seen << (s.kind == ScriptedDialogs::Shown::Input ? "prompt:" + s.defaultText : s.text);
        QCOMPARE(seen, QStringList({"prompt:", kEmptyName, "prompt:", kEmptyName, "prompt: ", kLongName,
                                    "prompt:" + eighteen}));
        for (const auto& s : dialogs().shown) {
            if (s.kind == ScriptedDialogs::Shown::Message) {
                QCOMPARE(s.title, QStringLiteral("Vikkelo"));
                QVERIFY(s.buttons == Dialogs::Buttons::Ok);
            }
        }
        QCOMPARE(table().sijoitus(1).text(), combining + QStringLiteral("\U0001F600"));
        QCOMPARE(program_->tiedot().nimi, combining + QStringLiteral("\U0001F600"));

        // Exactly 17 plain characters, and two blanks, are names.
        dialogs().shown.clear();
        dialogs().typed = {seventeen};
        playAndLose(9);
        QCOMPARE(dialogs().shown.size(), std::size_t(1));
        dialogs().typed = {"  "};
        playAndLose(9);
        QCOMPARE(table().sijoitus(3).text(), QStringLiteral("  "));

        // A name that looks like markup is shown as typed, tags and all, not
        // as one bold letter.
        const QString markup = QStringLiteral("<b>x</b>");
        dialogs().typed = {markup};
        playAndLose(9);
        QLabel& shown = table().sijoitus(3);
        QCOMPARE(shown.text(), markup);
        QVERIFY2(shown.sizeHint().width() >= shown.fontMetrics().horizontalAdvance(markup),
                 qPrintable(QString::number(shown.sizeHint().width())));
    }

    // Catches a quit or a logout that writes with nothing new, or loses a
    // new entry not yet saved, and a logout that asks or harms the old file.
    void quittingSavesOnlyANewEntry()
    {
        write("TOP5.dat", kTieTable);
        startProgram();
        QTest::mouseClick(board().findChild<QPushButton*>("lopeta"), Qt::LeftButton);
        QCOMPARE(fake_->process.ended, 1);
        QCOMPARE(QDir().entryList(QDir::Files), QStringList({"TOP5.dat"}));
        dialogs().typed = {"Quitter"};
        playAndLose(40);
        QCOMPARE(table().sijoitus(1).text(), QStringLiteral("Quitter"));
        QTest::mouseClick(board().findChild<QPushButton*>("lopeta"), Qt::LeftButton);
        QCOMPARE(fake_->process.ended, 2);
        program_.reset();
        const QByteArray saved = "Quitter,40\r\nAAA,30\r\nBBB,25\r\nCCC,20\r\nDDD,20\r\n";
        QCOMPARE(contents("TOP5.dat"), saved);

        // A logout (SIGTERM) is such a quit, and asks no one: with nothing
        // new nothing is written, a save that fails leaves the old file.
#ifdef Q_OS_WIN
        // Windows asks each window whether the session may end, and Qt asks
        // the program. The player is asked only when a save fails, and "Ei"
        // calls the logout off. Each one here is then called off (a real end
        // would end the test), as Windows tells when any program refuses.
        if (QGuiApplication::platformName() != QLatin1String("windows"))
            QSKIP("only the windows platform hears the session end: tst_endofgame_session");
        startProgram();
        const auto logOff = [this] {
            const HWND window = HWND(board().winId());
            const LRESULT ends = SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
            SendMessageW(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
            return ends;
        };
        QCOMPARE(logOff(), LRESULT(1));
        dialogs().typed = {"Lähtijä"};
        playAndLose(35);
        QVERIFY(QFile::setPermissions("TOP5.dat", QFile::ReadOwner));
        QCOMPARE(logOff(), LRESULT(0));
        QVERIFY2(lastMessage().contains("Uudet tulokset menetetään"), qPrintable(lastMessage()));
        QCOMPARE(contents("TOP5.dat"), saved);
        QVERIFY(QFile::setPermissions("TOP5.dat", QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(logOff(), LRESULT(1));
        QCOMPARE(fake_->process.ended, 2);
        QVERIFY(contents("TOP5.dat").contains("Quitter,40\r\nL\xe4htij\xe4,35\r\n"));
#else
        startProgram();
        const QDateTime old = QDateTime::currentDateTimeUtc().addYears(-1);
        QFile file("TOP5.dat");
        QVERIFY(file.open(QIODevice::ReadOnly) && file.setFileTime(old, QFileDevice::FileModificationTime));
        ::raise(SIGTERM);
        QTRY_COMPARE(fake_->process.ended, 3);
        QCOMPARE(file.fileTime(QFileDevice::FileModificationTime), old);
        dialogs().typed = {"Lähtijä"};
        playAndLose(35);
        const std::size_t boxes = dialogs().shown.size();
        QVERIFY(QFile::setPermissions("TOP5.dat", QFile::ReadOwner));
        {
            FileModesApply modes;
            ::raise(SIGTERM);
            QTRY_COMPARE(fake_->process.ended, 4);
        }
        QCOMPARE(contents("TOP5.dat"), saved);
        QVERIFY(QFile::setPermissions("TOP5.dat", QFile::ReadOwner | QFile::WriteOwner));
        ::raise(SIGTERM);
        QTRY_COMPARE(fake_->process.ended, 5);
        QCOMPARE(dialogs().shown.size(), boxes);
        QVERIFY(contents("TOP5.dat").contains("Quitter,40\r\nL\xe4htij\xe4,35\r\n"));
#endif
        // The window system's quit that ends a logout asks no window to close,
        // so no one is asked again what the session settled.
        const int ended = fake_->process.ended;
        dialogs().typed = {"Viimeinen"};
        playAndLose(34);
        const std::size_t asked = dialogs().shown.size();
        QVERIFY(QFile::setPermissions("TOP5.dat", QFile::ReadOwner));
        {
            FileModesApply modes;
            QEvent quit(QEvent::Quit);
            QCoreApplication::sendEvent(qApp, &quit);
        }
        QCOMPARE(dialogs().shown.size(), asked);
        QCOMPARE(fake_->process.ended, ended + 1);
        QVERIFY(!contents("TOP5.dat").contains("Viimeinen"));
    }

    // A whole game through the real windows: every mouse button presses,
    // the lamps speed up, a wrong press ends the round, the entry is saved.
    void aWholeGameFromStartToSavedHighScore()
    {
        startProgram();
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        press(2); // before the first tick: counted, not judged
        QCOMPARE(board().round().period(), 1000);
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        const int lamps[] = {1, 3, 4, 2, 1, 4, 3, 1, 2, 4, 1, 3};
        for (int i = 0; i < 12; ++i) {
            lightLamp(lamps[i]);
            // The real timer, not only the rules, runs 10 ms faster per press
            // from the tick after it.
            QCOMPARE(board().Timer1().interval(), 1000 - 10 * i);
            press(lamps[i], buttons[i % 3]);
            QCOMPARE(board().pisteet().text(), QString::number(i + 1));
            QCOMPARE(board().round().period(), 1000 - 10 * (i + 1));
            QVERIFY(board().painike(lamps[i]).isBold());
        }
        dialogs().typed = {"Pelaaja"};
        lightLamp(2);
        QCOMPARE(board().Timer1().interval(), 880);
        press(1, Qt::RightButton); // out of order
        QVERIFY(table().isVisible());
        QCOMPARE(table().sijoitus(1).text(), QStringLiteral("Pelaaja"));
        QCOMPARE(table().pisteet(1).text(), QStringLiteral("12"));
        verifyBoardReset();
        pressClose();
        QCOMPARE(contents("TOP5.dat"), QByteArray("Pelaaja,12\r\nTuntematon,10\r\nTuntematon,8\r\n"
                                                  "Tuntematon,6\r\nTuntematon,4\r\n"));
    }
};

QTEST_MAIN(TestEndOfGame)
#include "tst_endofgame.moc"
