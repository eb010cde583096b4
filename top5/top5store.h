#pragma once

#include "platform/files.h"
#include "top5/top5file.h"
#include "top5/top5table.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The owner of TOP5.dat and the names beside it, apart from any window.
//
// The working folder may hold anything under the file's names, and other
// copies of the game may share it. Only a regular TOP5.dat is ever read; a
// new one is moved into the name, never written through it; every change
// (a save, a clear, the default written by a load, a damaged file kept
// aside) takes the lock and decides from what is on disk at that moment; a
// table another copy saved meanwhile gets this copy's new scores entered
// into it rather than being written over; and a file that cannot be read,
// or damaged and cannot be kept, is never written over.
//
// The store answers with a table to show or a problem as values; what the
// player is told is decided elsewhere.
class Top5Store {
public:
    static const QString kFileName;
    // A damaged file is kept under the first of these names that is free:
    // TOP5.dat.bak, then TOP5.dat.bak2 to TOP5.dat.bak9.
    static const QString kBackupName;
    static QStringList backupNames();
    // Beside the file: the lock every change takes, and the start of the
    // name a new file has for a moment before it replaces the old one (the
    // rest of it nobody can guess).
    static const QString kLockName;
    static const QString kTempName;

    enum class Action { Load, Save, Clear };

    enum class Problem {
        None,
        FolderRemoved,     // the working folder is gone
        NotAFile,          // `kind` stands at TOP5.dat
        ReadFailed,        // TOP5.dat could not be looked at or read: `error`
        NotKept,           // TOP5.dat is damaged (`damage`) and could not be kept aside:
                           // `error`, or none when every backup name is taken
        ReadOnlyFile,      // TOP5.dat's own permissions forbid writing it
        LockNotAFile,      // `kind` stands at the lock's name
        LockBusy,          // another process holds the lock: `holder` (`owner`: of another user)
        LockFailed,        // the lock could not be made or opened: `error`, `existed`, `owner`
        LockRefused,       // the lock file was opened (`readOnly`), but the lock not taken: `error`
        TempSwapped,       // the new file was moved in, but something else (`kind`) stands at
                           // TOP5.dat: the temporary was swapped
        FolderNotWritable, // the folder takes no new names
        StickyFolder,      // the folder lets only its owner replace TOP5.dat, which is `owner`'s
        WriteFailed,       // the new file could not be written or moved in: `error`
        NotFlushed,        // the new file is in place, but the disk did not confirm it: `error`
    };

    // What the window should do with `table`.
    enum class Shows {
        Nothing,     // keep what it shows
        Table,       // show it (creating the window)
        TableIfOpen, // show it when the window exists
    };

    struct Outcome {
        Action action = Action::Load;
        Problem problem = Problem::None;
        Shows shows = Shows::Nothing;
        Top5Table table{};
        EntryKind kind = EntryKind::Missing;
        FileError error{};
        bool existed = false;
        bool readOnly = false;
        FileLock::Holder holder = FileLock::Holder::Unseen;
        QString owner{};
        top5file::Damage damage{}; // a damaged file: what is wrong with it
        QString keptAs{}; // a damaged file was kept under this name
        QString folder{}; // the working folder, as the player knows it
        // The table is on disk now (a flush that was not confirmed included).
        bool saved() const { return problem == Problem::None || problem == Problem::NotFlushed; }
    };

    Top5Store();

    // The table on disk. A missing file is replaced by the default table; a
    // damaged one is first kept under a free backup name.
    Outcome load();
    // Saves the table shown, with this copy's new scores. When another copy
    // saved since this one last read or wrote the file (or this copy showed
    // the default table for a problem), its table is taken and the new
    // scores are entered into it instead: the outcome's table, to be shown.
    // When the file holds that table already, nothing is written.
    Outcome save(const Top5Table& shown);
    // Writes the default table.
    Outcome clear();

    // A score this copy entered; it goes into the file at the next save.
    void addNewScore(const QString& name, double points);
    // The new scores are given up (the window was closed without saving).
    void forgetNewScores() { newScores_.clear(); }
    // Whether closing without a save would lose anything the player sees:
    // new scores, or a table other than the one last loaded or written.
    bool wouldLose(const Top5Table& shown) const;

private:
    struct Score {
        QString name;
        double points;
    };
    // What stands at TOP5.dat now, read as a table if it is one.
    struct Disk {
        ReadOutcome file;
        std::optional<Top5Table> table;
        top5file::Damage damage;
    };
    Disk look() const;
    // Puts the table on disk (the lock held); the outcome's problem says
    // whether it could. A damaged file there is first kept aside.
    void write(const Disk& disk, const QByteArray& bytes, Outcome& out);
    // A problem with what stands at TOP5.dat, when it may not be read or written.
    bool unusable(const Disk& disk, Outcome& out) const;
    bool takeLock(FileLock& lock, Outcome& out) const;
    // The lock taken and TOP5.dat looked at under it; none (the problem in
    // `out`) when the file may not be written over or the lock is not had.
    std::optional<Disk> lockAndLook(FileLock& lock, Outcome& out) const;
    // What this copy knows once the bytes are on disk.
    void remember(const QByteArray& bytes, const Outcome& out);
    Outcome start(Action action) const;
    // Whether the bytes on disk are this copy's own: what it last read or wrote.
    bool ours(const QByteArray& bytes) const { return bytes == seen_; }
    // The working folder is gone; true when one is back where it was.
    bool folderBack() const;

    // The folder the game started in, for messages after it is gone, and
    // as the system names it, to go back to.
    QString folder_;
    QString startedIn_;
    // TOP5.dat as this copy last read or wrote it; none after a problem,
    // when the table shown is not the one on disk.
    std::optional<QByteArray> seen_;
    // The table last given to the window.
    std::optional<Top5Table> shown_;
    // The scores entered since then, to be entered again into another
    // copy's save.
    std::vector<Score> newScores_;
};
