#pragma once

#include <QString>

class Program;
class Sijoitus;

// The TOP5 table's routines: moving it between the file TOP5.dat in the
// working folder and the ranking window's labels, and entering a new high
// score at the end of a round.
class Tiedot {
public:
    explicit Tiedot(Program& program);

    // Loads TOP5.dat into the ranking window. A file that cannot be loaded is
    // replaced by the default table and the labels keep what they showed.
    void LataaTop5();
    // Saves the ranking window's table. Returns false, after telling the
    // player why, when the file could not be written.
    bool TallennaTop5();
    // Writes the default table. Returns false, after telling the player why,
    // when the file could not be written.
    bool OletusTop5();
    // Asks the name for a score that reached the table and enters it.
    void LisaaTop5();

    // The end of a lost round: reports the score or enters it in the table,
    // and resets the board.
    void endOfGame();

    // The name typed last; the next name prompt offers it.
    QString nimi;

private:
    Program& program_;
};
