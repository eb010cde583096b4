#pragma once

#include <cstdint>

// A pseudo-random generator that can be reseeded and draws 0 <= r < 1.
class Random {
public:
    virtual ~Random() = default;
    virtual void reseed(std::uint64_t seed) = 0;
    virtual double draw() = 0;
};

// SplitMix64: tiny, fast, and every 64-bit seed starts a different stream,
// so two ticks a few milliseconds apart never share their draws.
class SplitMixRandom final : public Random {
public:
    void reseed(std::uint64_t seed) override { state_ = seed; }
    double draw() override;

private:
    std::uint64_t state_ = 0;
};
