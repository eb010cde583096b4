#pragma once

// Scripted stand-ins for the platform services, and a fresh working folder
// for every test, so that no test touches a real TOP5.dat.

#include "platform/dialogs.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/random.h"
#include "platform/timeofday.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>

// Answers message and input boxes from a script and records what was asked.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        enum Kind { Message, Input } kind;
        QString text;  // message text, or the input box's prompt
        QString title;
        Buttons buttons = Buttons::Ok;
        QString defaultText;
    };

    int msgBox(const QString& text, Buttons buttons, const QString& title = {}) override
    {
        shown.push_back({Shown::Message, text, title.isEmpty() ? kProgramTitle : title, buttons, {}});
        if (onShow)
            onShow();
        if (answers.empty())
            return buttons == Buttons::YesNo ? No : (buttons == Buttons::OkCancel ? Cancel : Ok);
        const int a = answers.front();
        answers.pop_front();
        return a;
    }

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        shown.push_back({Shown::Input, prompt, title, Buttons::Ok, defaultText});
        if (onShow)
            onShow();
        if (typed.empty())
            return {}; // as if cancelled
        const QString t = typed.front();
        typed.pop_front();
        return t;
    }

    std::deque<int> answers;   // for message boxes, in order
    std::deque<QString> typed; // for input boxes, in order
    std::vector<Shown> shown;
    std::function<void()> onShow; // runs while a box is "open"
};

class FixedTimeOfDay final : public TimeOfDay {
public:
    std::int64_t nanosecondsSinceMidnight() override { return now += 10'000'000; }
    std::int64_t now = 0;
};

// Draws from a script first, then from a real generator.
class ScriptedRandom final : public Random {
public:
    void reseed(std::uint64_t seed) override
    {
        ++reseeds;
        real.reseed(seed);
    }
    double draw() override
    {
        if (draws.empty())
            return real.draw();
        const double r = draws.front();
        draws.pop_front();
        return r;
    }
    // The draw that lights the given lamp.
    static double lampDraw(int lamp) { return (lamp - 1) / 4.0 + 0.01; }

    std::deque<double> draws;
    int reseeds = 0;
    SplitMixRandom real;
};

class RecordingProcess final : public Process {
public:
    void endProgram() override { ++ended; }
    int ended = 0;
};

struct FakePlatform {
    ScriptedDialogs dialogs;
    FixedTimeOfDay timeOfDay;
    ScriptedRandom random;
    RecordingProcess process;
    Platform platform{dialogs, timeOfDay, random, process};
};

// Makes a new empty folder the working folder for as long as it lives.
class TempWorkdir {
public:
    TempWorkdir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~TempWorkdir() { QDir::setCurrent(previous_); }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};
