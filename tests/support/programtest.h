#pragma once

// The common ground of the tests that drive the real windows: the program
// with scripted platform services, in a working folder of its own.

#include "app/program.h"
#include "desktop/application.h"
#include "game/vikkelo.h"
#include "support/fakeplatform.h"
#include "support/workdir.h"
#include "top5/sijoitus.h"
#include "top5/tiedot.h"

#include <QCoreApplication>
#include <QLabel>
#include <QFile>
#include <QPushButton>
#include <QStringList>
#include <QtTest>

#include <initializer_list>
#include <memory>

class ProgramTest : public WorkdirTest {
protected:
    ProgramTest() { setUpWindows(); }

    // A new empty working folder and fresh doubles; nothing started yet.
    void newFolder()
    {
        enterNewFolder();
        fake_ = std::make_unique<FakePlatform>();
    }

    // Starts the program as main() does: the board is made, loaded and shown.
    void startProgram()
    {
        program_ = std::make_unique<Program>(fake_->platform);
        program_->vikkelo().show();
    }

    // The game started again in the same folder.
    void restart()
    {
        program_.reset();
        flushUnloads();
        fake_ = std::make_unique<FakePlatform>();
        startProgram();
    }

    // The suites that look at the windows: a new folder, the program
    // started, and the board on screen.
    void startOnScreen()
    {
        newFolder();
        startProgram();
        QVERIFY(QTest::qWaitForWindowExposed(&board()));
    }

    // Ends the program, lets the windows it unloaded go, and removes the
    // folder, writable again whatever a test made of it.
    void endAll()
    {
        program_.reset();
        flushUnloads();
        fake_.reset();
        leaveFolder();
    }

    // Runs the deferred deletions that unloading a window asks for.
    static void flushUnloads() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    Vikkelo& board() { return program_->vikkelo().get(); }
    // One tick of the board's timer, at once.
    void tick() { QMetaObject::invokeMethod(&board().Timer1(), "timeout"); }
    Sijoitus& table() { return program_->sijoitus().get(); }

    // "Sulje", with the answer to a question it may ask.
    void pressClose(int answer = Dialogs::No)
    {
        fake_->dialogs.answers = {answer};
        QTest::mouseClick(table().findChild<QPushButton*>("close"), Qt::LeftButton);
        fake_->dialogs.answers.clear();
    }
    // A round ends with the score, and the player types the name; the
    // name prompt is not counted among the messages.
    void endRound(const QString& score, const QString& name)
    {
        board().pisteet().setText(score);
        fake_->dialogs.typed = {name};
        program_->tiedot().endOfGame();
        QCOMPARE(fake_->dialogs.shown.back().kind, ScriptedDialogs::Shown::Input);
        fake_->dialogs.shown.pop_back();
    }

    // A form's controls as drawn, one row each, tagged with the control's
    // name: its geometry, and its text unless the row gives none.
    struct Control {
        const char* name;
        QRect geometry;
        QString text = {};
    };
    static void addControls(std::initializer_list<Control> controls)
    {
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        for (const Control& c : controls)
            QTest::newRow(c.name) << c.geometry << c.text;
    }
    // Checks the current row's control in the window.
    static void checkControl(QWidget& window)
    {
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        const QWidget* control = window.findChild<QWidget*>(QTest::currentDataTag());
        QVERIFY2(control, QTest::currentDataTag());
        QCOMPARE(control->geometry(), geometry);
        if (!text.isEmpty())
            QCOMPARE(control->property("text").toString(), text);
    }

    // The table's names and scores, place 1 first.
    QStringList names()
    {
        QStringList l;
        for (int k = 1; k <= Top5Table::kPlaces; ++k)
            l << table().sijoitus(k).text();
        return l;
    }
    QStringList scores()
    {
        QStringList l;
        for (int k = 1; k <= Top5Table::kPlaces; ++k)
            l << table().pisteet(k).text();
        return l;
    }

    // The text of the box shown last, or nothing when none was.
    QString lastMessage() const
    {
        return fake_->dialogs.shown.empty() ? QString() : fake_->dialogs.shown.back().text;
    }

    // The texts of every box shown so far, in order.
    QStringList messages() const
    {
        QStringList l;
        for (const auto& s : fake_->dialogs.shown)
            l << s.text;
        return l;
    }

    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<Program> program_;
};
