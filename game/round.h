#pragma once

#include <array>
#include <cstdint>
#include <string>

class Random;
class TimeOfDay;

// The state of the game board and the rules of a round, free of widgets: the
// light sequencer, the press check and scoring. The main window forwards its
// events here and shows what it finds.
//
// Lamps are numbered 1 to 4 from the left; a lamp is written as its digit
// '1' to '4' in the lit sequence and in the last pressed digit.
class Round {
public:
    static constexpr int kLamps = 4;
    static constexpr int kStartPeriod = 1000; // ms
    static constexpr int kFloorPeriod = 10;   // ms
    static constexpr int kSpeedUp = 10;       // ms per judged press

    enum class Press {
        NotJudged, // nothing has lit yet in this round
        Correct,
        Failed,    // the round is lost
        Over,      // the round was lost already: until the reset no press counts
    };

    Round(TimeOfDay& timeOfDay, Random& random);

    // The board before it is first shown: no sequence, timer off, score 0,
    // lamps regular and disabled (they keep the dark colour they were made with).
    void startUp();

    // The start/interrupt action. Returns true when a round now runs; an
    // interrupt resets the board through lopetus().
    bool toggle();

    // Resets the board for a new round. The lamp lit last (sama) is kept, so
    // that the next round's first lamp differs from it.
    void lopetus();

    // One tick of the round's timer: lights a lamp other than the last one and
    // appends its digit to the sequence. Returns the lamp.
    int tick();

    // A mouse button went down on a lamp: counts the press and judges it.
    // After a failed press the round is over, and nothing a press does
    // counts until lopetus() resets the board.
    Press press(int lamp);

    // The board's state, under the names the game's design gives it.
    int peli() const { return peli_; }
    const std::string& jono() const { return jono_; }
    int sama() const { return sama_; } // 0 until the first tick of the run
    std::int64_t klikkaus() const { return klikkaus_; }
    char p() const { return p_; } // 0 when no lamp has been pressed
    std::int64_t klikattu(int lamp) const { return klikattu_[lamp - 1]; }
    int t() const { return t_; }
    void setT(int value) { t_ = value; }
    std::int64_t score() const { return score_; }
    int period() const { return period_; }
    bool timerOn() const { return timerOn_; }
    bool lit(int lamp) const { return lit_[lamp - 1]; } // bright colour and bold caption
    bool lampsEnabled() const { return lampsEnabled_; }
    bool lost() const { return lost_; } // a press failed; the reset comes next

private:
    Press tarkistus();
    void setAllLamps(bool lit, bool enabled);

    TimeOfDay& timeOfDay_;
    Random& random_;

    int peli_ = 0;
    std::string jono_;
    int sama_ = 0;
    // Judged presses in the round. Wide enough that no round can wrap it.
    std::int64_t klikkaus_ = 0;
    char p_ = 0;
    std::array<std::int64_t, kLamps> klikattu_{};
    int t_ = 0;
    std::int64_t score_ = 0;
    int period_ = kStartPeriod;
    bool timerOn_ = false;
    std::array<bool, kLamps> lit_{};
    bool lampsEnabled_ = false;
    bool lost_ = false;
};
