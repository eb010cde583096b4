#pragma once

#include "platform/dialogs.h"
#include "platform/files.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class Program;

// The TOP5 table's routines: moving it between the file TOP5.dat in the
// working folder and the ranking window's labels, and entering a new high
// score at the end of a round.
//
// The working folder may hold anything under the file's name, and other
// copies of the game may share it. Only a regular TOP5.dat is ever read; a
// new one is moved into the name, never written through it; a file that could
// not be read, or could not be kept aside when damaged, is never written over
// in this run; and each save takes a lock and first enters this copy's new
// scores into whatever another copy saved meanwhile.
class Tiedot {
public:
    explicit Tiedot(Program& program);

    enum class SaveResult {
        Saved,
        KeepOpen,     // not saved; the player keeps the ranking window open to try again
        CloseUnsaved, // not saved; the player chose to close the window and lose the new scores
    };

    // Loads TOP5.dat into the ranking window. A missing file is replaced by
    // the default table; a damaged one is first kept under a free backup name.
    // The labels keep what they showed, unless the default table could not be
    // put on disk: then an existing window shows it.
    void LataaTop5();
    // Saves the ranking window's table. When it cannot, the player is told
    // why in one box that asks whether to close the window without saving.
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
    void forgetNewScores() { newScores_.clear(); }

    // The text the name prompt returned last; the next prompt offers it.
    QString nimi;

    static const QString kFileName;
    // A damaged file is kept under the first of these names that is free:
    // TOP5.dat.bak, then TOP5.dat.bak2 to TOP5.dat.bak9.
    static const QString kBackupName;
    static QStringList backupNames();
    // Beside the file: the lock every save takes, and the name a new file has
    // for a moment before it replaces the old one.
    static const QString kLockName;
    static const QString kTempName;

private:
    enum class Tell { Always, OncePerRun };
    struct Score {
        QString name;
        double points;
    };

    // Shows the message, unless it asks to be told once and already was.
    int tell(const QString& text, Tell when, Dialogs::Buttons buttons = Dialogs::Buttons::Ok);
    // Why TOP5.dat cannot be written now; empty when nothing is in the way.
    QString obstacle() const;
    // Writes a new TOP5.dat under the lock: the given bytes, or (`merge`) the
    // labels, once another copy's save since has been brought into them.
    // Returns why it could not, or empty.
    QString writeLocked(bool merge, const QByteArray& fixed = {});
    // Another copy's save since this copy last read or wrote the file goes
    // into the labels, with this copy's new scores entered again. Returns
    // why the file must not be written, or empty.
    QString mergeFresh();
    // Writes the default table; returns why it could not, or empty.
    QString writeDefault();
    // Moves a damaged TOP5.dat to the first free backup name; returns why
    // it could not, or empty, and the name used in `used`.
    QString keepAside(QString& used);
    // Puts the default table into the ranking window, when it exists.
    void showDefaultTable();
    void setTable(const QStringList& fields);
    // Enters a score at its place, by the rule of a new high score.
    void enter(const QString& name, double points);
    QByteArray labelsFile();

    Program& program_;
    // The folder the game started in, for messages after it is gone.
    QString startFolder_;
    // TOP5.dat as this copy last read or wrote it; none when unknown.
    std::optional<QByteArray> seen_;
    // The scores entered since then, to be entered again into another
    // copy's save.
    std::vector<Score> newScores_;
    // A file that could not be read or kept aside, and why.
    FileIdentity untouchable_;
    QString untouchableWhy_;
    QSet<QString> told_;
};
