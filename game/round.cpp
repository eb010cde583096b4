#include "game/round.h"

#include "platform/random.h"
#include "platform/timeofday.h"

#include <algorithm>

Round::Round(TimeOfDay& timeOfDay, Random& random) : timeOfDay_(timeOfDay), random_(random) {}

void Round::startUp()
{
    jono_.clear();
    timerOn_ = false;
    score_ = 0;
    p_ = 0;
    t_ = 0;
    for (int n = 0; n < kLamps; ++n)
        lit_[n] = false;
    lampsEnabled_ = false;
}

bool Round::toggle()
{
    peli_ = peli_ == 0 ? 1 : 0;
    if (peli_ == 1) {
        timerOn_ = true;
        // The period is left alone: every reset has already put it back to 1000.
        setAllLamps(true, true);
    } else {
        lopetus();
    }
    return peli_ == 1;
}

void Round::lopetus()
{
    peli_ = 0;
    timerOn_ = false;
    p_ = 0;
    t_ = 0;
    setAllLamps(false, false);
    score_ = 0;
    // A very long round leaves a large buffer behind; do not keep it for the next.
    if (jono_.capacity() > (1u << 20))
        std::string().swap(jono_);
    else
        jono_.clear();
    klikkaus_ = 0;
    period_ = kStartPeriod;
    klikattu_.fill(0);
    lost_ = false;
}

int Round::tick()
{
    // A fresh seed on every tick, from the time of day at full resolution:
    // ticks are at least 10 ms apart, so no two share a seed.
    random_.reseed(std::uint64_t(timeOfDay_.nanosecondsSinceMidnight()));

    auto drawLamp = [this] { return std::min(int(random_.draw() * kLamps), kLamps - 1) + 1; };
    int lamp = drawLamp();
    // Never the lamp lit last. A broken generator must not hang the game, so
    // after many refusals the next lamp in turn is taken.
    for (int tries = 0; lamp == sama_; ++tries)
        lamp = tries < 1000 ? drawLamp() : sama_ % kLamps + 1;
    t_ = lamp;

    jono_.push_back(char('0' + lamp));
    klikattu_[lamp - 1] = 0;
    sama_ = lamp;
    for (int n = 1; n <= kLamps; ++n)
        lit_[n - 1] = n == lamp;
    return lamp;
}

Round::Press Round::press(int lamp)
{
    // The end of a lost round may leave the lamps pressable behind its
    // boxes; a press then must not end the round a second time.
    if (lost_)
        return Press::Over;
    p_ = char('0' + lamp);
    ++klikattu_[lamp - 1];
    return tarkistus();
}

Round::Press Round::tarkistus()
{
    if (jono_.empty())
        return Press::NotJudged;

    // Every judged press speeds the lights up, the failing one too.
    if (period_ > kFloorPeriod)
        period_ -= kSpeedUp;
    ++klikkaus_;

    // A press ahead of the sequence is compared with its last digit.
    const std::size_t upTo = std::min<std::size_t>(std::size_t(klikkaus_), jono_.size());
    const char expected = jono_[upTo - 1];

    // A lamp may be pressed at most once between two of its lightings.
    const bool pressedTwice =
        std::any_of(klikattu_.begin(), klikattu_.end(), [](std::int64_t c) { return c > 1; });
    if (pressedTwice || p_ != expected) {
        lost_ = true;
        return Press::Failed;
    }

    ++score_;
    return Press::Correct;
}

void Round::setAllLamps(bool lit, bool enabled)
{
    lit_.fill(lit);
    lampsEnabled_ = enabled;
}
