#pragma once

// Scripted stand-ins for the platform services.

#include "platform/dialogs.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/random.h"
#include "platform/registry.h"
#include "platform/timeofday.h"

#include <QStringList>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

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
            return buttons == Buttons::Ok ? Ok : (buttons == Buttons::OkCancel ? Cancel : No);
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

// Knows a scripted set of files and records every program it is asked to
// start. Like the real one, it cannot start an empty path.
class RecordingProcess final : public Process {
public:
    void endProgram() override { ++ended; }
    bool fileExists(const QString& path) override
    {
        existsAsked.push_back(path);
        return files.count(path) > 0;
    }
    bool startProgram(const QString& path) override
    {
        started.push_back(path);
        return startSucceeds && !path.isEmpty();
    }

    int ended = 0;
    std::set<QString> files;
    std::vector<QString> existsAsked;
    std::vector<QString> started; // every attempt, failed ones too
    bool startSucceeds = true;
};

// A registry from a script: keys by path under HKEY_LOCAL_MACHINE, each with
// named values of a type and raw bytes. Records what was opened and read,
// and which keys are still open. Its "ANSI" code page is Latin-1.
class ScriptedRegistry final : public Registry {
public:
    struct Value {
        std::uint32_t type;
        std::string bytes;
    };
    // A text value as the registry stores it: with its terminating NUL, unless asked not to.
    static Value text(const std::string& s, bool withNul = true)
    {
        return {REG_SZ, withNul ? s + '\0' : s};
    }

    long RegOpenKeyExA(Key root, const char* subKey, std::uint32_t, std::uint32_t samDesired,
                       Key* result) override
    {
        opened.push_back(subKey);
        accessAsked.push_back(samDesired);
        if (root != HKEY_LOCAL_MACHINE || !keys.count(subKey))
            return ERROR_FILE_NOT_FOUND;
        const Key k = nextHandle++;
        handles[k] = subKey;
        *result = k;
        return ERROR_SUCCESS;
    }

    long RegQueryValueExA(Key key, const char* valueName, std::uint32_t*, std::uint32_t* type,
                          unsigned char* data, std::uint32_t* dataSize) override
    {
        if (!handles.count(key))
            return 6; // ERROR_INVALID_HANDLE
        queried.push_back(handles[key] + "\\" + valueName);
        const auto& values = keys[handles[key]];
        const auto it = values.find(valueName);
        if (it == values.end())
            return ERROR_FILE_NOT_FOUND;
        const std::string& bytes = it->second.bytes;
        if (bytes.size() > *dataSize) {
            *dataSize = static_cast<std::uint32_t>(bytes.size());
            return 234; // ERROR_MORE_DATA
        }
        std::memcpy(data, bytes.data(), bytes.size());
        *type = it->second.type;
        *dataSize = static_cast<std::uint32_t>(bytes.size());
        return ERROR_SUCCESS;
    }

    long RegCloseKey(Key key) override { return handles.erase(key) ? ERROR_SUCCESS : 6; }

    std::string toAnsi(const std::u16string& text) const override
    {
        return QString::fromStdU16String(text).toLatin1().toStdString();
    }
    std::u16string fromAnsi(const std::string& bytes) const override
    {
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())).toStdU16String();
    }

    std::map<std::string, std::map<std::string, Value>> keys; // the script
    std::vector<std::string> opened;                           // key paths, in order
    std::vector<std::uint32_t> accessAsked;                    // access mask of each open
    std::vector<std::string> queried;                          // "key\\value", in order
    std::map<Key, std::string> handles;                        // keys still open

private:
    Key nextHandle = 0x100;
};

struct FakePlatform {
    ScriptedDialogs dialogs;
    FixedTimeOfDay timeOfDay;
    ScriptedRandom random;
    RecordingProcess process;
    ScriptedRegistry registry;
    Platform platform{dialogs, timeOfDay, random, process, registry};
};
