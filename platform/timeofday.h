#pragma once

#include <cstdint>

// The local time of day, as the lamps' random generator is seeded from it.
class TimeOfDay {
public:
    virtual ~TimeOfDay() = default;
    // Nanoseconds since local midnight, at the clock's full resolution.
    virtual std::int64_t nanosecondsSinceMidnight() = 0;
};

class SystemTimeOfDay final : public TimeOfDay {
public:
    std::int64_t nanosecondsSinceMidnight() override;
};
