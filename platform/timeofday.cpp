#include "platform/timeofday.h"

#include <QDateTime>

#include <chrono>

std::int64_t SystemTimeOfDay::nanosecondsSinceMidnight()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::int64_t sinceEpoch = duration_cast<nanoseconds>(now.time_since_epoch()).count();
    // The offset is asked of Qt so that summer time is followed as the clock is.
    const std::int64_t offset =
        std::int64_t(QDateTime::currentDateTime().offsetFromUtc()) * 1'000'000'000;
    constexpr std::int64_t day = 86'400LL * 1'000'000'000;
    std::int64_t local = (sinceEpoch + offset) % day;
    if (local < 0)
        local += day;
    return local;
}
