#pragma once

#include <QString>

// What the TOP5 routines may use of the game board at the end of a round:
// its score, the reset for a new round, and where the player's answer to
// "see the table?" is kept.
class Board {
public:
    // The score label's text: the score of the round that just ended.
    virtual QString pisteet() const = 0;
    // Resets the board for a new round, the score back to "0".
    virtual void Lopetus() = 0;
    // Keeps the answer the player gave to the question after a round.
    virtual void setT(int answer) = 0;

protected:
    ~Board() = default;
};
