// The three windows as a Wayland client (run by tests/wayland.sh under its
// own headless Weston). Catches the crash of a fixed-size window asked to
// maximize: the compositor then demands the maximized size, the window
// draws at its own, and the compositor ends the program with a protocol
// error, losing a TOP5 entry not yet saved. Also catches windows that lose
// their designed client sizes under Wayland.

#include "about/frmabout.h"
#include "desktop/fixedsize.h"
#include "game/lamp.h"
#include "platform/qtdialogs.h"
#include "support/files.h"
#include "support/modal.h"
#include "support/programtest.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

#include <deque>

class TestWayland : public ProgramTest {
    Q_OBJECT

    // A window the compositor must answer: every request made before it
    // has been taken, and a protocol error would have ended the test.
    static void roundTrip()
    {
        QWidget probe;
        probe.resize(40, 40);
        probe.show();
        QVERIFY(QTest::qWaitForWindowExposed(&probe));
    }

    // Answers the boxes as they open, each once it has been maximized and
    // the compositor has judged what it drew after: the button to press,
    // and the text to type first where the box asks for one.
    static void maximizeAndAnswer(std::deque<std::pair<QString, QString>> answers)
    {
        whenOpen([answers](QWidget& box) mutable {
            box.windowHandle()->showMaximized();
            QTRY_VERIFY(box.windowHandle()->windowStates() == Qt::WindowNoState && box.windowHandle()->isExposed());
            roundTrip();
            QCoreApplication::sendPostedEvents();
            box.repaint();
            roundTrip();
            QVERIFY2(box.isVisible(), qPrintable(box.windowTitle()));
            const auto [button, text] = answers.front();
            answers.pop_front();
            if (auto* edit = box.findChild<QLineEdit*>())
                edit->setText(text);
            if (!answers.empty())
                maximizeAndAnswer(answers);
            for (QPushButton* b : box.findChildren<QPushButton*>())
                if (b->text() == button)
                    b->click();
        });
    }

private slots:
    void init()
    {
        newFolder();
        startProgram();
    }

    void cleanup() { endAll(); }

    void aMaximizeRequestLeavesEveryWindowAsDesigned()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        program_->sijoitus().show();
        program_->frmAbout().show();
        const struct {
            QWidget* window;
            QWidget* client; // the area under the menu bar
            QSize size;
        } windows[] = {
            {&board(), board().centralWidget(), {361, 121}},
            {&table(), &table(), {391, 277}},
            {&program_->frmAbout().get(), &program_->frmAbout().get(), {382, 237}},
        };
        for (const auto& w : windows) {
            QVERIFY(QTest::qWaitForWindowExposed(w.window));
            QCOMPARE(w.client->size(), w.size);
            // As the title bar's maximize button asks.
            w.window->windowHandle()->showMaximized();
            QTRY_VERIFY2(w.window->windowHandle()->windowStates() == Qt::WindowNoState &&
                             w.window->windowHandle()->isExposed(),
                         qPrintable(w.window->objectName()));
        }
        // Whatever the compositor answered has arrived and been taken; each
        // window then draws again, and the compositor judges what it drew.
        roundTrip();
        QCoreApplication::sendPostedEvents();
        for (const auto& w : windows)
            w.window->repaint();
        roundTrip();
        for (const auto& w : windows) {
            QVERIFY(w.window->isVisible());
            QCOMPARE(w.window->windowHandle()->windowStates(), Qt::WindowNoState);
            QCOMPARE(w.client->size(), w.size);
        }
    }

    // The boxes at the end of a round, the name prompt first: each one
    // maximized while it is open, the game lives on and the entry is saved.
    void aMaximizedBoxEndsNothing()
    {
        QtDialogs boxes;
        Platform platform{boxes, fake_->timeOfDay, fake_->random, fake_->process, fake_->registry};
        program_ = std::make_unique<Program>(platform);
        keepEveryWindowFixed();
        program_->vikkelo().show();
        QVERIFY(QTest::qWaitForWindowExposed(&board()));
        // Cancelled, then told a name is needed, then a name.
        maximizeAndAnswer({{"Peruuta", ""}, {"OK", ""}, {"OK", "Wayland"}});
        QTest::mouseClick(board().findChild<QPushButton*>("uusipeli"), Qt::LeftButton);
        for (int lamp : {1, 2, 1, 3}) {
            fake_->random.draws = {ScriptedRandom::lampDraw(lamp)};
            tick();
            board().painike(lamp == 3 ? 4 : lamp).press();
        }
        QCOMPARE(table().sijoitus(5).text(), QStringLiteral("Wayland"));
        QTest::mouseClick(table().findChild<QPushButton*>("close"), Qt::LeftButton);
        QVERIFY(contents("TOP5.dat").endsWith("Tuntematon,4\r\nWayland,3\r\n"));
        program_.reset();
    }
};

QTEST_MAIN(TestWayland)
#include "tst_wayland.moc"
