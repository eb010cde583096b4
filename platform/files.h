#pragma once

// Files in a folder the player, or anyone, may have filled with anything: a
// name is looked at without following links, only a regular file is ever
// read, a file is replaced by moving a new one into its name, so that no
// write ever goes through a link into another file, and two processes take
// turns through a kernel lock that dies with its holder.
//
// Every failure is returned as a FileError: what it means to the player, made
// here from the system's own code; how it is worded is decided above.

#include <QByteArray>
#include <QString>

#include <optional>

// Why a call on a file failed, as far as the player needs to know, with the
// system's own code for anything the layer has no name for.
struct FileError {
    enum class Kind {
        None,
        IoError,       // the disk failed to read or write
        NoSpace,       // the disk is full
        Quota,         // the user's disk quota is full
        TooLarge,      // the file would be too large
        ReadOnlyDisk,  // the disk is mounted read-only
        NoAccess,      // the permissions deny it
        NotPermitted,  // the system does not allow it (whoever asks)
        NameTaken,     // something already stands at the name
        NoSuchCall,    // the system has no such call
        NotAccepted,   // the file system does not accept the call as made
        NotSupported,  // the file system does not support it
        Busy,          // the file or the disk is busy
        NotFound,      // no file or folder at the name
        NotAFolder,    // a part of the path is not a folder
        IsAFolder,     // a folder stands at the name
        IsALink,       // a symbolic link stands at the name
        NameTooLong,   // the path is too long
        TooManyOpen,   // too many files are open
        NoMemory,      // memory ran out
        TryAgain,      // the system could not do it just now
        NoLocks,       // no locks are left, or the disk gives none
        NotOpen,       // the file was not opened for the call
        InUse,         // another program is using the file
        Stale,         // a network disk's handle went stale
        OtherDisk,     // a file cannot be moved to another disk
        Interrupted,   // the call was interrupted
        Held,          // a lock: another process holds it
        Other,         // none of these: `code` says which
    };
    Kind kind = Kind::None;
    int code = 0; // the system's own code, for the fallback sentence

    FileError() = default;
    FileError(Kind k, int c) : kind(k), code(c) {}
    explicit operator bool() const { return kind != Kind::None; }
    bool is(Kind k) const { return kind == k; }
    bool operator==(const FileError&) const = default;
};

// The system's own code turned into a FileError (errno, or GetLastError on
// Windows); 0 is none.
FileError fileError(int code);

// What stands at a name, looked at without following a link. CannotLook: the
// look itself failed (a folder on the way may not be searched), which says
// nothing of what is there.
enum class EntryKind { Missing, File, Folder, SymLink, Fifo, Socket, Device, Unknown, CannotLook };

struct Entry {
    EntryKind kind = EntryKind::Missing;
    FileError error{}; // CannotLook: why
};

Entry lookAt(const QString& path);

struct ReadOutcome {
    enum Status { Read, Missing, NotAFile, Failed };
    Status status = Missing;
    EntryKind kind = EntryKind::Missing; // what stands at the name
    QByteArray bytes;                    // Read: the start of the file, at most the bytes asked for
    bool complete = false;               // Read: the bytes are the whole file
    FileError error{};                   // Failed: why
};

// Reads at most maxBytes from the start of the regular file at the name. A
// link, a FIFO, a device or a folder there is not opened at all (so nothing
// can block or be followed); a look, open or read that fails is Failed, not
// Missing, and no part of a failed read is returned.
ReadOutcome readRegularFile(const QString& path, qint64 maxBytes);

// What a read finds before it opens anything, from the look at the name:
// none when a regular file stands there and is to be read.
inline std::optional<ReadOutcome> readWithoutOpening(const Entry& entry)
{
    ReadOutcome out;
    out.kind = entry.kind;
    if (entry.kind == EntryKind::File)
        return std::nullopt;
    if (entry.kind == EntryKind::CannotLook) {
        out.status = ReadOutcome::Failed;
        out.error = entry.error;
    } else if (entry.kind != EntryKind::Missing) {
        out.status = ReadOutcome::NotAFile;
    }
    return out;
}

struct KeepOutcome {
    FileError error{};   // none, or why not (NameTaken: the name is taken)
    bool copied = false; // the file was copied, not moved: it still stands at `from`
};

// Gives the regular file at `from` the name `to`, but only while nothing at
// all (not even a dangling link) has that name: moved where the file system
// can move without replacing, else copied into a name made new, flushed to
// disk. Never follows a link at either name.
KeepOutcome keepUnder(const QString& from, const QString& to);

struct WriteOutcome {
    FileError error{};     // none, or why not
    bool renamed = false;  // the new file stands at the name (even when the folder's flush failed)
    bool swapped = false;  // renamed, but what now stands at the name is not the file written
    bool sticky = false;   // refused: the folder lets only a file's owner replace it, and it is `owner`'s
    QString owner{};       // sticky: whose the file at the name is
};

// Puts a new regular file with the bytes at the name in one step: the file
// is written and flushed to disk unnamed (or under `tempPath` where the file
// system cannot do that), then moved over the name, which replaces whatever
// stood there as a name and never writes into it. A crash leaves the old file
// or the new one. `tempPath` should be a name nobody can guess; a leftover
// regular file there is ours from an earlier crash and is replaced, anything
// else there fails the write. After the move the name is checked to stand
// for the file written. The new file is never executable, set-id or sticky:
// it keeps the read and write bits of the regular file it replaces, whoever
// owns it (whoever could put it there could replace it anyway), and its
// group where this process belongs to that group; else it takes 0666 less
// the umask.
WriteOutcome replaceWithNewFile(const QString& path, const QString& tempPath, const QByteArray& bytes);

// Whether this process may write the file or folder at the path, judged by
// the permissions it runs with now: none, or why not (NoAccess, ReadOnlyDisk …).
FileError writeAccess(const QString& path);

// Whether the working folder has been removed since the program started in it.
bool workingFolderRemoved();

// Removes the regular file at the name when it is older than the given
// number of seconds; anything else, or a newer file, is left alone.
void removeStaleFile(const QString& path, int olderThanSeconds);

// A kernel lock on a file beside the table, shared by every copy of the
// game. The name is opened for writing (NFS locks only what may be written;
// for reading only where this user may not write it), without following a
// link and without blocking, and only a regular file there is locked; a file
// it makes is opened to everyone, since it holds nothing and every player
// of a shared folder needs it. The file is never read, written, truncated
// or removed, and the kernel drops the lock when its holder ends, so a lock
// is never judged stale.
class FileLock {
public:
    // Who holds a lock that could not be taken, as far as this process can see.
    enum class Holder {
        Unseen,       // no process that holds it can be seen (another user's, under hidepid)
        Game,         // a copy of this program
        OtherProgram, // another program of this user
        OtherUser,    // a process of another user (`owner`)
    };

    struct Outcome {
        bool locked = false;
        EntryKind kind = EntryKind::File; // not locked: what stands at the name when it is not a file
        FileError error{};                // not locked: why (Held: another process holds it)
        bool existed = false;             // the name stood before this try
        bool opened = false;              // the name was opened (made, if it did not stand)
        bool readOnly = false;            // opened for reading only: this user may not write it
        Holder holder = Holder::Unseen;   // held: by whom
        QString owner;                    // not opened for want of the right: whose the file is;
                                          // held by another user: who
    };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock, waiting at most waitMs while another process holds it.
    Outcome lock(const QString& path, int waitMs);

private:
    int fd_ = -1;
};
