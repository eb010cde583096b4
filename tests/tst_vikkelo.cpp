// The main window as the player meets it: its controls at start-up, the
// start/interrupt action from the button, the menu and F2, the lamps as the
// timer lights them, and the quit commands.

#include "about/frmabout.h"
#include "game/lamp.h"
#include "game/program.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "top5/sijoitus.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

namespace {

const quint32 kBright[] = {255, 65535, 65280, 16711680};
const quint32 kDark[] = {128, 32896, 32768, 8388608};

} // namespace

class TestVikkelo : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempWorkdir> dir_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<Program> program_;

    Vikkelo& window() { return program_->vikkelo().get(); }
    QPushButton* button(const char* name) { return window().findChild<QPushButton*>(name); }
    QAction* action(const char* name) { return window().findChild<QAction*>(name); }
    void tick() { QMetaObject::invokeMethod(&window().Timer1(), "timeout"); }

    // Every lamp dark, regular and disabled, as before a round and after a reset.
    void verifyLampsAtRest()
    {
        for (int n = 1; n <= 4; ++n) {
            Lamp& lamp = window().painike(n);
            QCOMPARE(lamp.faceColour(), Lamp::fromBgr(kDark[n - 1]));
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
        QCOMPARE(window().pisteet().text(), QStringLiteral("0"));
        QVERIFY(!window().Timer1().isActive());
        QCOMPARE(window().Timer1().interval(), 1000);
        QCOMPARE(window().round().period(), 1000);
        QVERIFY(window().round().jono().empty());
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<TempWorkdir>();
        fake_ = std::make_unique<FakePlatform>();
        program_ = std::make_unique<Program>(fake_->platform);
        program_->vikkelo().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }

    void cleanup()
    {
        program_.reset();
        fake_.reset();
        dir_.reset();
    }

    // Catches a control misplaced, mislabelled or in the wrong state at start-up.
    void startUpShowsTheDesignedBoard()
    {
        QCOMPARE(window().objectName(), QStringLiteral("vikkelo"));
        QCOMPARE(window().windowTitle(), QStringLiteral("Vikkelo v1.0"));
        QVERIFY(!window().windowIcon().isNull());
        QCOMPARE(window().centralWidget()->size(), QSize(361, 121));
        QCOMPARE(window().minimumSize(), window().maximumSize());
        QVERIFY(!(window().windowFlags() & Qt::WindowMaximizeButtonHint));

        const struct {
            const char* name;
            QRect geometry;
        } places[] = {
            {"painike1", {8, 24, 81, 49}},  {"painike2", {96, 24, 81, 49}},
            {"painike3", {184, 24, 81, 49}}, {"painike4", {272, 24, 81, 49}},
            {"pisteet", {192, 8, 49, 17}},   {"Label1", {136, 8, 57, 17}},
            {"uusipeli", {104, 88, 65, 25}}, {"lopeta", {192, 88, 65, 25}},
        };
        for (const auto& p : places) {
            QWidget* w = window().findChild<QWidget*>(p.name);
            QVERIFY2(w, p.name);
            QCOMPARE(w->geometry(), p.geometry);
        }

        verifyLampsAtRest();
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(window().painike(n).font().pointSizeF(), 12.0);
        QCOMPARE(window().pisteet().text(), QStringLiteral("0"));
        QVERIFY(window().pisteet().font().bold());
        auto* label1 = window().findChild<QLabel*>("Label1");
        QCOMPARE(label1->text(), QStringLiteral("Pisteet :"));
        QVERIFY(label1->font().bold());
        QCOMPARE(label1->font().pointSizeF(), 8.25);
        QCOMPARE(button("uusipeli")->text(), QStringLiteral("Aloita!"));
        QCOMPARE(button("lopeta")->text(), QStringLiteral("Lopeta"));
        QVERIFY(!button("uusipeli")->isDefault() && !button("lopeta")->isDefault());
        QVERIFY(!window().Timer1().isActive());
        QCOMPARE(window().Timer1().interval(), 1000);
        QCOMPARE(window().Timer1().timerType(), Qt::PreciseTimer);

        // The tab order runs lamps, then the two buttons.
        QWidget* w = &window().painike(1);
        for (const char* next : {"painike2", "painike3", "painike4", "uusipeli", "lopeta"}) {
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            QCOMPARE(w->objectName(), QString::fromLatin1(next));
        }

        // The menus, their items and shortcuts.
        auto* file = window().findChild<QMenu*>("menuFile");
        auto* help = window().findChild<QMenu*>("menuOhje");
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
        QTest::mousePress(&window().painike(2), Qt::LeftButton);
        QCOMPARE(window().round().klikattu(2), 0);
    }

    // Catches a start or an interrupt that forgets a caption, a colour, a
    // font, the enabled state, the timer or its period.
    void startInterruptAndStartAgain()
    {
        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        QCOMPARE(button("uusipeli")->text(), QStringLiteral("Keskeytä"));
        QCOMPARE(action("menuUusipeli")->text(), QStringLiteral("Keskeytä"));
        for (int n = 1; n <= 4; ++n) {
            Lamp& lamp = window().painike(n);
            QCOMPARE(lamp.faceColour(), Lamp::fromBgr(kBright[n - 1]));
            QVERIFY(lamp.isBold());
            QVERIFY(lamp.isEnabled());
        }
        QVERIFY(window().Timer1().isActive());
        QCOMPARE(window().Timer1().interval(), 1000);
        QCOMPARE(window().pisteet().text(), QStringLiteral("0"));

        tick();
        tick();
        QCOMPARE(window().round().jono().size(), std::size_t(2));

        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        verifyResetBoard();
        QVERIFY(fake_->dialogs.shown.empty()); // an interrupt asks nothing

        // Again, this time from the menu.
        action("menuUusipeli")->trigger();
        QCOMPARE(button("uusipeli")->text(), QStringLiteral("Keskeytä"));
        QVERIFY(window().Timer1().isActive());
        QVERIFY(window().painike(1).isEnabled());
        action("menuUusipeli")->trigger();
        verifyResetBoard();
    }

    // Catches a start/interrupt shortcut that is missing or only works one way.
    void f2StartsAndInterrupts()
    {
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QTest::keyClick(&window(), Qt::Key_F2);
        QCOMPARE(window().round().peli(), 1);
        QVERIFY(window().Timer1().isActive());
        QTest::keyClick(&window(), Qt::Key_F2);
        QCOMPARE(window().round().peli(), 0);
        verifyResetBoard();
    }

    // Catches lamps that do not follow the sequencer: after every tick
    // exactly the lamp just lit is bright and bold.
    void lampsFollowTheTicks()
    {
        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        for (int i = 0; i < 50; ++i) {
            tick();
            const int lit = window().round().sama();
            for (int n = 1; n <= 4; ++n) {
                Lamp& lamp = window().painike(n);
                QCOMPARE(lamp.faceColour(),
                         Lamp::fromBgr(n == lit ? kBright[n - 1] : kDark[n - 1]));
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
        Lamp& lamp = window().painike(1);
        const auto inkOf = [](const QImage& image) {
            int ink = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    ink += qGray(image.pixel(x, y)) < 40;
            return ink;
        };
        const QImage bold = lamp.grab().toImage();
        QCOMPARE(QColor(bold.pixel(5, 5)), Lamp::fromBgr(kBright[0]));
        lamp.setBold(false);
        const QImage regular = lamp.grab().toImage();
        QCOMPARE(QColor(regular.pixel(5, 5)), Lamp::fromBgr(kBright[0]));
        QVERIFY2(inkOf(bold) > inkOf(regular) + 20,
                 qPrintable(QStringLiteral("%1 vs %2").arg(inkOf(bold)).arg(inkOf(regular))));
        lamp.setBright(false);
        QCOMPARE(QColor(lamp.grab().toImage().pixel(5, 5)), Lamp::fromBgr(kDark[0]));
    }

    // Catches presses taken from the keyboard or only from the left button.
    void onlyAMouseButtonGoingDownPressesALamp()
    {
        QTest::mouseClick(button("uusipeli"), Qt::LeftButton);
        Lamp& lamp = window().painike(3);
        lamp.setFocus();
        QTest::keyClick(&lamp, Qt::Key_Space);
        QTest::keyClick(&lamp, Qt::Key_Return);
        QCOMPARE(window().round().klikattu(3), 0);
        QTest::mousePress(&lamp, Qt::RightButton);
        QCOMPARE(window().round().klikattu(3), 1);
        QTest::mouseRelease(&lamp, Qt::RightButton);
        QCOMPARE(window().round().klikattu(3), 1);
        QCOMPARE(window().round().p(), '3');
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
        window().close();
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
        QVERIFY(window().Timer1().isActive());
        QCOMPARE(window().round().peli(), 1);
    }
};

QTEST_MAIN(TestVikkelo)
#include "tst_vikkelo.moc"
