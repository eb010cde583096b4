#pragma once

// Reports a window's first frame for the start-up benchmark: once its first
// paint is done, prints the monotonic clock in nanoseconds and the resident
// memory in kB, and ends the program. On Windows it prints instead the
// nanoseconds since its process was made, and no memory (-1).

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

class FirstFrameProbe : public QObject {
public:
    explicit FirstFrameProbe(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Queued, so that the frame is finished and flushed first.
            QMetaObject::invokeMethod(this, &FirstFrameProbe::report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void report()
    {
#ifdef _WIN32
        FILETIME made, ended, kernel, user, now;
        GetProcessTimes(GetCurrentProcess(), &made, &ended, &kernel, &user);
        GetSystemTimePreciseAsFileTime(&now);
        const auto ticks = [](FILETIME t) { return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
        std::printf("%lld -1\n", (ticks(now) - ticks(made)) * 100);
#else
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%lld %ld\n", static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec,
                    residentKb());
#endif
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    static long residentKb()
    {
        std::ifstream status("/proc/self/status");
        std::string key;
        while (status >> key) {
            long kb = 0;
            if (key == "VmRSS:" && status >> kb)
                return kb;
            status.ignore(4096, '\n');
        }
        return -1;
    }

    bool seen_ = false;
};
