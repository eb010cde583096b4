#pragma once

#include <QString>

class Program;

// The TOP5 table's routines: moving it between the file TOP5.dat in the
// working folder and the ranking window's labels, and entering a new high
// score at the end of a round.
class Tiedot {
public:
    explicit Tiedot(Program& program);

    // Loads TOP5.dat into the ranking window. A file that cannot be loaded is
    // replaced by the default table (a damaged one is kept as TOP5.dat.bak)
    // and the labels keep what they showed.
    void LataaTop5();
    // Saves the ranking window's table. Returns false, after telling the
    // player why, when the file could not be written; the old file is intact.
    bool TallennaTop5();
    // Writes the default table. Returns false, after telling the player why,
    // when the file could not be written.
    bool OletusTop5();
    // Asks the name for a score that reached the table, enters it, shows the
    // table and resets the board.
    void LisaaTop5();

    // The end of a lost round: the score is entered in the table or reported,
    // and the board is reset.
    void endOfGame();

    // The text the name prompt returned last; the next prompt offers it.
    QString nimi;

    static const QString kFileName;
    static const QString kBackupName;

private:
    // Replaces the file with the given bytes in one step: a crash or a power
    // cut leaves the old file or the new one, never a part. On failure the
    // player is told why, followed by `consequence`.
    bool replaceFile(const QByteArray& bytes, const QString& consequence);
    // Keeps a damaged TOP5.dat as TOP5.dat.bak. False when it could not.
    bool keepDamagedFile();

    Program& program_;
};
