// The main window as the player meets it: its controls at start-up, the
// start/interrupt action from the button, the menu and F2, the lamps as the
// timer lights them, and the quit commands.

#include "about/frmabout.h"
#include "game/lamp.h"
#include "app/program.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "support/programtest.h"
#include "top5/sijoitus.h"

#include <QAccessible>
#include <QAction>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

#include <functional>

namespace {

// The lamps' colours as red, green, blue: red, yellow, green and blue.
const QColor kBright[] = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
const QColor kDark[] = {QColor(128, 0, 0), QColor(128, 128, 0), QColor(0, 128, 0), QColor(0, 0, 128)};

} // namespace

class TestVikkelo : public ProgramTest {
    Q_OBJECT

private:

    QPushButton* button(const char* name) { return board().findChild<QPushButton*>(name); }
    QAction* action(const char* name) { return board().findChild<QAction*>(name); }

    // Every lamp dark, regular and disabled, as before a round and after a reset.
    void verifyLampsAtRest()
    {
        for (int n = 1; n <= 4; ++n) {
            Lamp& lamp = board().painike(n);
            QCOMPARE(lamp.faceColour(), kDark[n - 1]);
            QVERIFY(!lamp.isBold());
            QVERIFY(!lamp.isEnabled());
            QCOMPARE(lamp.text(), QStringLiteral("KLIK"));
        }
    }

    void verifyResetBoard()
    {
        verifyLampsAtRest();
        QCOMPARE(button("uusipeli")->text(), QStringLiteral("Uusi peli"));
        QCOMPARE(action("menuUusipeli")->text(), QStringLiteral("Uusi peli"));
        QCOMPARE(board().pisteet().text(), QStringLiteral("0"));
        QVERIFY(!board().Timer1().isActive());
        QCOMPARE(board().Timer1().interval(), 1000);
        QCOMPARE(board().round().period(), 1000);
        QVERIFY(board().round().jono().empty());
    }

private slots:
    void init() { startOnScreen(); }

    void cleanup() { endAll(); }

    // Catches a control misplaced.
    void controlsAreWhereDrawn_data()
    {
        addControls({{"painike1", {8, 24, 81, 49}}, {"painike2", {96, 24, 81, 49}},
                     {"painike3", {184, 24, 81, 49}}, {"painike4", {272, 24, 81, 49}},
                     {"pisteet", {192, 8, 49, 17}}, {"Label1", {136, 8, 57, 17}},
                     {"uusipeli", {104, 88, 65, 25}}, {"lopeta", {192, 88, 65, 25}}});
    }
    void controlsAreWhereDrawn() { checkControl(board()); }

    // Catches a control mislabelled or in the wrong state at start-up.
    void startUpShowsTheDesignedBoard()
    {
        QCOMPARE(board().objectName(), QStringLiteral("vikkelo"));
        QCOMPARE(board().windowTitle(), QStringLiteral("Vikkelo v1.0"));
        QVERIFY(!board().windowIcon().isNull());
        QCOMPARE(board().centralWidget()->size(), QSize(361, 121));
        QCOMPARE(board().minimumSize(), board().maximumSize());
        QVERIFY(!(board().windowFlags() & Qt::WindowMaximizeButtonHint));

        verifyLampsAtRest();
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(board().painike(n).font().pointSizeF(), 12.0);
        QCOMPARE(board().pisteet().text(), QStringLiteral("0"));
        QVERIFY(board().pisteet().font().bold());
        auto* label1 = board().findChild<QLabel*>("Label1");
        QCOMPARE(label1->text(), QStringLiteral("Pisteet :"));
        QVERIFY(label1->font().bold());
        QCOMPARE(label1->font().pointSizeF(), 8.25);
        // MS Sans Serif where it has outlines, else the first stand-in there
        // is; never its bitmaps (Windows'), which Qt draws a size too large.
        const QStringList faces = QFontDatabase::families();
        QString face = QStringLiteral("Liberation Sans");
        for (const char* f : {"Arial", "Microsoft Sans Serif", "MS Sans Serif"})
            if (faces.contains(f) && QFontDatabase::isSmoothlyScalable(f))
                face = QString::fromLatin1(f);
        QCOMPARE(QFontInfo(label1->font()).family(), face);
        QCOMPARE(button("uusipeli")->text(), QStringLiteral("Aloita!"));
        QCOMPARE(button("lopeta")->text(), QStringLiteral("Lopeta"));
        QVERIFY(!button("uusipeli")->isDefault() && !button("lopeta")->isDefault());
        QVERIFY(!board().Timer1().isActive());
        QCOMPARE(board().Timer1().interval(), 1000);
        QCOMPARE(board().Timer1().timerType(), Qt::PreciseTimer);

        // The tab order runs lamps, then the two buttons.
        QWidget* w = &board().painike(1);
        for (const char* next : {"painike2", "painike3", "painike4", "uusipeli", "lopeta"}) {
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            QCOMPARE(w->objectName(), QString::fromLatin1(next));
        }

        // The menus, their items and shortcuts.
        auto* file = board().findChild<QMenu*>("menuFile");
        auto* help = board().findChild<QMenu*>("menuOhje");
        QCOMPARE(file->title(), QStringLiteral("&Tiedosto"));
        QCOMPARE(help->title(), QStringLiteral("O&hje"));
        QCOMPARE(file->actions().size(), 3);
        QCOMPARE(file->actions()[0]->objectName(), QStringLiteral("menuUusipeli"));
        QCOMPARE(file->actions()[1]->objectName(), QStringLiteral("menusijoitus"));
        QCOMPARE(file->actions()[2]->objectName(), QStringLiteral("menuLopeta"));
        QCOMPARE(action("menuUusipeli")->text(), QStringLiteral("Uusi peli"));
        QCOMPARE(action("menuUusipeli")->shortcut(), QKeySequence(Qt::Key_F2));
        QCOMPARE(action("menusijoitus")->text(), QStringLiteral("Sijoitustaulukko ja TOP5"));
        QCOMPARE(action("menuLopeta")->text(), QStringLiteral("Lo&peta"));
        QCOMPARE(action("menuLopeta")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
        QCOMPARE(help->actions().size(), 1);
        QCOMPARE(action("menuTietoja")->text(), QStringLiteral("Tietoja ohjelmasta"));

        // Pressing a dark lamp before any round does nothing.
        QTest::mousePress(&board().painike(2), Qt::LeftButton);
        QCOMPARE(board().round().klikattu(2), 0);
    }

    // Catches a start or an interrupt that forgets a caption, a colour, a
    // font, the enabled state, the timer or its period.
    void startInterruptAndStartAgain()
    {
        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        QCOMPARE(button("uusipeli")->text(), QStringLiteral("Keskeytä"));
        QCOMPARE(action("menuUusipeli")->text(), QStringLiteral("Keskeytä"));
        for (int n = 1; n <= 4; ++n) {
            Lamp& lamp = board().painike(n);
            QCOMPARE(lamp.faceColour(), kBright[n - 1]);
            QVERIFY(lamp.isBold());
            QVERIFY(lamp.isEnabled());
        }
        QVERIFY(board().Timer1().isActive());
        QCOMPARE(board().Timer1().interval(), 1000);
        QCOMPARE(board().pisteet().text(), QStringLiteral("0"));

        tick();
        tick();
        QCOMPARE(board().round().jono().size(), std::size_t(2));

        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        verifyResetBoard();
        QVERIFY(fake_->dialogs.shown.empty()); // an interrupt asks nothing

        // Again, this time from the menu.
        action("menuUusipeli")->trigger();
        QCOMPARE(button("uusipeli")->text(), QStringLiteral("Keskeytä"));
        QVERIFY(board().Timer1().isActive());
        QVERIFY(board().painike(1).isEnabled());
        action("menuUusipeli")->trigger();
        verifyResetBoard();
    }

    // Catches a start/interrupt shortcut that is missing or only works one way.
    void f2StartsAndInterrupts()
    {
        board().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&board()));
        QTest::keyClick(&board(), Qt::Key_F2);
        QCOMPARE(board().round().peli(), 1);
        QVERIFY(board().Timer1().isActive());
        QTest::keyClick(&board(), Qt::Key_F2);
        QCOMPARE(board().round().peli(), 0);
        verifyResetBoard();
    }

    // Catches lamps that do not follow the sequencer: after every tick
    // exactly the lamp just lit is bright and bold.
    void lampsFollowTheTicks()
    {
        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        for (int i = 0; i < 50; ++i) {
            tick();
            const int lit = board().round().sama();
            for (int n = 1; n <= 4; ++n) {
                Lamp& lamp = board().painike(n);
                QCOMPARE(lamp.faceColour(), n == lit ? kBright[n - 1] : kDark[n - 1]);
                QCOMPARE(lamp.isBold(), n == lit);
                QVERIFY(lamp.isEnabled());
            }
        }
    }

    // Catches a lamp that reports one state and paints another: the face is
    // the exact colour, and the bold caption really is drawn heavier.
    void lampsPaintWhatTheyReport()
    {
        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        Lamp& lamp = board().painike(1);
        const auto inkOf = [](const QImage& image) {
            int ink = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    ink += qGray(image.pixel(x, y)) < 40;
            return ink;
        };
        const QImage bold = lamp.grab().toImage();
        QCOMPARE(QColor(bold.pixel(5, 5)), kBright[0]);
        lamp.setBold(false);
        const QImage regular = lamp.grab().toImage();
        QCOMPARE(QColor(regular.pixel(5, 5)), kBright[0]);
        QVERIFY2(inkOf(bold) > inkOf(regular) + 20,
                 qPrintable(QStringLiteral("%1 vs %2").arg(inkOf(bold)).arg(inkOf(regular))));
        lamp.setBright(false);
        QCOMPARE(QColor(lamp.grab().toImage().pixel(5, 5)), kDark[0]);
    }

    // Catches a press taken only from the left button, a key on the focused
    // lamp or a digit key that does not press (or presses the wrong lamp, or
    // outside a round), a key held down that presses again, a release that
    // counts, and a Press action that waits for what the press opens.
    void everyWayOfPressingALampGoesThroughTheCheck()
    {
        QTest::keyClick(&board(), Qt::Key_1);
        QCOMPARE(board().round().klikattu(1), 0);
        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        Lamp& lamp = board().painike(3);
        lamp.setFocus();
        // A key held down is one press (not judged before the first tick).
        QTest::keyPress(&lamp, Qt::Key_Space);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(&lamp, &held);
        QCOMPARE(board().round().klikattu(3), 1);
        // Each press is on the lamp just lit, so each scores.
        const auto lightAndPress = [&](int lit, const std::function<void()>& pressIt) {
            fake_->random.draws = {ScriptedRandom::lampDraw(lit)};
            tick();
            pressIt();
            QCOMPARE(board().round().klikattu(lit), 1);
            QCOMPARE(board().round().p(), char('0' + lit));
        };
        lightAndPress(3, [&] { QTest::keyClick(&lamp, Qt::Key_Space); });
        lightAndPress(1, [&] { QTest::keyClick(&lamp, Qt::Key_1); }); // to the window behind the lamp
        lightAndPress(3, [&] { QTest::keyClick(&lamp, Qt::Key_Return); });
        lightAndPress(4, [&] { QTest::mousePress(&board().painike(4), Qt::RightButton); });
        lightAndPress(2, [&] { QTest::keyClick(&board(), Qt::Key_2, Qt::KeypadModifier); });
        lightAndPress(3, [&] { QTest::keyClick(&lamp, Qt::Key_Enter); });
        // A screen reader's Press only queues the press, as a mouse-down
        // comes from the event loop, and answers at once.
        lightAndPress(1, [&] {
            QAccessible::queryAccessibleInterface(&board().painike(1))->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
            QCOMPARE(board().round().klikattu(1), 0);
            QCoreApplication::sendPostedEvents();
        });
        QCOMPARE(board().pisteet().text(), QStringLiteral("7"));
        QTest::mouseRelease(&board().painike(4), Qt::RightButton);
        QTest::keyRelease(&lamp, Qt::Key_Enter);
        QCOMPARE(board().round().klikattu(3) + board().round().klikattu(4), 2);
    }

    // Catches a quit that saves or asks, and a board whose closing leaves a
    // hidden process behind.
    void quitEndsTheProgramFromEveryWay()
    {
        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        QTest::mouseClick(button("lopeta"), Qt::LeftButton);
        QCOMPARE(fake_->process.ended, 1);
        action("menuLopeta")->trigger();
        QCOMPARE(fake_->process.ended, 2);
        board().close();
        QCOMPARE(fake_->process.ended, 3);
        QVERIFY(fake_->dialogs.shown.empty());
    }

    // Catches menu commands that open a second window, or stop the round.
    void menuCommandsShowOneOfEachWindowBesideARunningRound()
    {
        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        action("menusijoitus")->trigger();
        action("menusijoitus")->trigger();
        action("menuTietoja")->trigger();
        action("menuTietoja")->trigger();
        QVERIFY(program_->sijoitus().get().isVisible());
        QVERIFY(program_->frmAbout().get().isVisible());
        int rankings = 0, abouts = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            rankings += w->objectName() == QLatin1String("sijoitus");
            abouts += w->objectName() == QLatin1String("frmAbout");
        }
        QCOMPARE(rankings, 1);
        QCOMPARE(abouts, 1);
        QVERIFY(board().Timer1().isActive());
        QCOMPARE(board().round().peli(), 1);
    }
};

QTEST_MAIN(TestVikkelo)
#include "tst_vikkelo.moc"
