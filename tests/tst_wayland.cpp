// The three windows as a Wayland client (run by tests/wayland.sh under its
// own headless Weston). Catches the crash of a fixed-size window asked to
// maximize: the compositor then demands the maximized size, the window
// draws at its own, and the compositor ends the program with a protocol
// error, losing a TOP5 entry not yet saved. Also catches windows that lose
// their designed client sizes under Wayland.

#include "about/frmabout.h"
#include "support/programtest.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtTest>

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
};

QTEST_MAIN(TestWayland)
#include "tst_wayland.moc"
