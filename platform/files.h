#pragma once

// Files in a folder the player, or anyone, may have filled with anything: a
// name is looked at without following links, only a regular file is ever
// read, and a file is replaced by moving a new one into its name, so that no
// write ever goes through a link into another file.

#include <QByteArray>
#include <QString>

// What stands at a name, looked at without following a link.
enum class EntryKind { Missing, File, Folder, SymLink, Fifo, Socket, Device, Unknown };

EntryKind entryKind(const QString& path);

// The file a name stood for when it was looked at, and its size and time:
// two equal identities are the same file, not written since.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;

    bool isNull() const { return size < 0; }
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file at the name; null for anything else.
FileIdentity identityOf(const QString& path);

struct ReadOutcome {
    enum Status { Read, Missing, NotAFile, Failed };
    Status status = Missing;
    EntryKind kind = EntryKind::Missing; // what stands at the name
    QByteArray bytes;                    // Read: the start of the file, at most the bytes asked for
    bool complete = false;               // Read: the bytes are the whole file
    FileIdentity identity;               // Read or Failed: the file that was (or could not be) read
    QString error;                       // Failed: the system's own words
};

// Reads at most maxBytes from the start of the regular file at the name. A
// link, a FIFO, a device or a folder there is not opened at all (so nothing
// can block or be followed); an open or read that fails is Failed, not
// Missing, and no part of a failed read is returned.
ReadOutcome readRegularFile(const QString& path, qint64 maxBytes);

// Gives the file at `from` the name `to`, but only while nothing at all
// (not even a dangling link) has that name. Never copies. Returns 0, or the
// system's error number (EEXIST when the name is taken).
int renameIfFree(const QString& from, const QString& to);

struct WriteOutcome {
    bool ok = false;
    int error = 0;      // the system's error number when not ok
    QString errorText;  // and its words
};

// Puts a new regular file with the bytes at the name in one step: the file
// is written and flushed to disk unnamed (or under `tempPath` where the file
// system cannot do that), then moved over the name, which replaces whatever
// stood there as a name and never writes into it. A crash leaves the old file
// or the new one. A leftover `tempPath` that is a regular file is ours from
// an earlier crash and is replaced; anything else there fails the write.
// The new file keeps the permissions of the regular file it replaces.
WriteOutcome replaceWithNewFile(const QString& path, const QString& tempPath, const QByteArray& bytes);

// Whether this process may write the file or folder at the path, judged by
// the permissions it runs with now (not by who it started as).
bool mayWrite(const QString& path);

// Whether the working folder has been removed since the program started in it.
bool workingFolderRemoved();

// Whether the file system of the working folder has no room left.
bool workingFolderFull();

// Removes the regular file at the name when it is older than the given
// number of seconds; anything else, or a newer file, is left alone.
void removeStaleFile(const QString& path, int olderThanSeconds);
