#pragma once

#include "platform/dialogs.h"
#include "top5/top5messages.h"
#include "top5/top5store.h"

#include <QString>

#include <vector>

class Board;
class Sijoitus;
template <class W> class WindowInstance;

// The TOP5 table's routines: moving it between the high-score file and the
// ranking window's labels, and entering a new high score at the end of a
// round. What happens on disk is the store's; these routines copy a table
// to or from the labels and tell the player what the store answered.
class Tiedot {
public:
    // The ranking window is the one instance given; of the board, only what Board offers is used.
    Tiedot(Dialogs& dialogs, WindowInstance<Sijoitus>& sijoitus, Board& board);

    enum class SaveResult {
        Saved,
        KeepOpen,     // not saved; the player keeps the ranking window open to try again
        CloseUnsaved, // not saved; the window closes (nothing was lost, or the player chose to lose it)
    };

    // Loads the table into the ranking window. A missing file is replaced by
    // the default table; a damaged one is first kept under a free backup name.
    // The labels keep what they showed, unless the file could not be read:
    // then an existing window shows the default table.
    void LataaTop5();
    // Saves the ranking window's table. When it cannot, the player is told
    // why, and asked whether to close the window without saving when that
    // would lose anything.
    SaveResult TallennaTop5();
    // Writes the default table, as the clear button asks. False, after telling
    // the player why, when it could not be written.
    bool OletusTop5();
    // Asks the name for a score that reached the table, enters it, shows the
    // table and resets the board.
    void LisaaTop5();

    // The end of a lost round: the score is entered in the table or reported,
    // and the board is reset.
    void endOfGame();

    // The ranking window is closed without saving: its new scores are given up.
    void forgetNewScores() { store_.forgetNewScores(); }
    // Before the program ends: new scores not yet saved are saved as "Sulje"
    // would. False when that failed and the player chose not to quit. A
    // logout may not wait for a player: then nothing is asked or told, and
    // a save that fails leaves the old file as it was.
    enum class Asking { Player, NoOne };
    bool saveBeforeQuit(Asking asking = Asking::Player);

    // The text the name prompt returned last; the next prompt offers it.
    QString nimi;

private:
    // Shows the message; a load's problem is told once a run.
    void tell(const Top5Store::Outcome& outcome);
    bool windowOpen();
    // The table in the labels, and the labels set from a table.
    Top5Table labels();
    void setLabels(const Top5Table& table);
    void show(const Top5Store::Outcome& outcome);

    Dialogs& dialogs_;
    WindowInstance<Sijoitus>& sijoitus_;
    Board& board_;
    Top5Store store_;
    // The problems a load has told.
    std::vector<top5messages::Cause> told_;
};
