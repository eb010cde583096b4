#include "platform/files.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <vector>

// The POSIX file services (winfiles.cpp keeps the same promises on Windows):
// they rest on lstat, O_NOFOLLOW, rename over a name and flock, which Qt's
// portable calls do not keep (QSaveFile writes through a link; QLockFile
// reads and removes its lock by name).

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

EntryKind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISLNK(mode))
        return EntryKind::SymLink;
    if (S_ISFIFO(mode))
        return EntryKind::Fifo;
    if (S_ISSOCK(mode))
        return EntryKind::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return EntryKind::Device;
    return EntryKind::Unknown;
}

// A call interrupted by a signal is tried again, never taken for a failure.
template <typename Call>
int retried(Call call)
{
    int r;
    do
        r = call();
    while (r < 0 && errno == EINTR);
    return r;
}

// The folder part of a path, for the unnamed file and the flush of the folder.
QByteArray folderOf(const QString& path)
{
    return native(QFileInfo(path).path());
}

bool writeAll(int fd, const char* p, qsizetype left)
{
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// What a new file takes from the one it replaces.
struct NewFile {
    mode_t mode;
    gid_t group = gid_t(-1); // -1: the group it is made with
};

// Gives the new file its group, mode and bytes, on disk; 0 or the error
// number. A file system without permissions (FAT) refuses the mode: the file
// then has the mode it was made with, which is no wider.
int fill(int fd, const QByteArray& bytes, const NewFile& attrs)
{
    // The group first: a change of group may clear bits the mode then sets.
    if (attrs.group != gid_t(-1))
        retried([&] { return ::fchown(fd, uid_t(-1), attrs.group); });
    retried([&] { return ::fchmod(fd, attrs.mode); });
    if (!writeAll(fd, bytes.constData(), bytes.size()) || retried([&] { return ::fsync(fd); }) != 0)
        return errno;
    return 0;
}

// A leftover temporary name of a regular file is ours from a crash; a link,
// folder or anything else there is not, and is left as it is.
int clearLeftover(const QByteArray& temp)
{
    struct stat st;
    if (::lstat(temp.constData(), &st) != 0)
        return errno == ENOENT ? 0 : errno;
    if (!S_ISREG(st.st_mode))
        return EEXIST;
    return ::unlink(temp.constData()) == 0 ? 0 : errno;
}

mode_t umaskNow()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool inGroup(gid_t group)
{
    if (group == ::getegid())
        return true;
    const int n = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(size_t(n > 0 ? n : 0));
    return n > 0 && ::getgroups(n, groups.data()) == n &&
           std::find(groups.begin(), groups.end(), group) != groups.end();
}

// A new table may be read and written by whom the old one was, whoever made
// it, so that players who share a folder do not shut each other out; it is
// never run, set an id or sticks.
NewFile newFileAttrs(const QByteArray& target)
{
    struct stat old;
    if (::lstat(target.constData(), &old) != 0 || !S_ISREG(old.st_mode))
        return {mode_t(0666 & ~umaskNow())};
    return {mode_t(old.st_mode & 0666), inGroup(old.st_gid) ? old.st_gid : gid_t(-1)};
}

QString userName(uid_t uid)
{
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

// A move refused in a sticky folder, where only a file's owner (or the
// folder's) may replace it: whose the file is, or nothing.
QString stickyOwner(const QByteArray& target)
{
    struct stat folder, file;
    if (::stat(folderOf(QFile::decodeName(target)).constData(), &folder) != 0 || !(folder.st_mode & S_ISVTX) ||
        ::lstat(target.constData(), &file) != 0 || file.st_uid == ::geteuid() || folder.st_uid == ::geteuid())
        return {};
    return userName(file.st_uid);
}

// A folder's flush that the file system does not offer is no failure.
bool flushUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP || error == EBADF;
}

// Copies a damaged file where hard links are missing; never more than this.
constexpr qint64 kMaxCopyBytes = 64 * 1024 * 1024;

int copyIntoNewName(const QByteArray& from, const QByteArray& to)
{
    const int in = retried([&] { return ::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC); });
    if (in < 0)
        return errno;
    struct stat st;
    const int looked = ::fstat(in, &st) == 0 ? 0 : errno;
    if (looked != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxCopyBytes) {
        ::close(in);
        return looked != 0 ? looked : (S_ISREG(st.st_mode) ? EFBIG : EINVAL);
    }
    const int out = retried([&] {
        return ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 0600);
    });
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = 0;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        if (!writeAll(out, buffer, n)) {
            error = errno;
            break;
        }
    }
    if (error == 0 && retried([&] { return ::fsync(out); }) != 0)
        error = errno;
    ::close(in);
    if (::close(out) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error != 0)
        ::unlink(to.constData());
    return error;
}

QByteArray firstLine(const QByteArray& procFile)
{
    QFile file(QString::fromLatin1(procFile));
    return file.open(QIODevice::ReadOnly) ? file.readLine(256).trimmed() : QByteArray();
}

// Who holds a lock on the file, among the processes this one can see.
FileLock::Holder holderOf(const struct stat& lockFile, QString& who)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return FileLock::Holder::Unseen;
    // The same inode number stands for another file on every other disk.
    const QByteArray file = QString::asprintf("%02x:%02x:%llu", major(lockFile.st_dev), minor(lockFile.st_dev),
                                              static_cast<unsigned long long>(lockFile.st_ino))
                                .toLatin1();
    // A file of /proc has no size, so it is read until a line comes empty.
    for (int lines = 0; lines < 10000; ++lines) {
        // "1: FLOCK  ADVISORY  WRITE 1234 fd:01:5678 0 EOF"; waiters carry "->".
        const QByteArray line = locks.readLine(4096);
        if (line.isEmpty())
            break;
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 6 || f[1] == "->" || f[5] != file)
            continue;
        struct stat holder;
        const QByteArray proc = "/proc/" + f[4];
        // Under hidepid another user's processes cannot be seen at all.
        if (::stat(proc.constData(), &holder) != 0)
            continue;
        if (holder.st_uid != ::geteuid()) {
            who = userName(holder.st_uid);
            return FileLock::Holder::OtherUser;
        }
        const QByteArray name = firstLine(proc + "/comm");
        return f[4].toLongLong() == ::getpid() || (!name.isEmpty() && name == firstLine("/proc/self/comm"))
                   ? FileLock::Holder::Game
                   : FileLock::Holder::OtherProgram;
    }
    return FileLock::Holder::Unseen;
}

} // namespace

FileError fileError(int code)
{
    using K = FileError::Kind;
    switch (code) {
    case 0:
        return {};
    case EIO:
        return {K::IoError, code};
    case ENOSPC:
        return {K::NoSpace, code};
#ifdef EDQUOT
    case EDQUOT:
        return {K::Quota, code};
#endif
    case EFBIG:
        return {K::TooLarge, code};
    case EROFS:
        return {K::ReadOnlyDisk, code};
    case EACCES:
        return {K::NoAccess, code};
    case EPERM:
        return {K::NotPermitted, code};
    case EEXIST:
        return {K::NameTaken, code};
    case ENOSYS:
        return {K::NoSuchCall, code};
    case EINVAL:
        return {K::NotAccepted, code};
    case ENOTSUP:
#if EOPNOTSUPP != ENOTSUP
    case EOPNOTSUPP:
#endif
        return {K::NotSupported, code};
    case EBUSY:
        return {K::Busy, code};
    case ENOENT:
        return {K::NotFound, code};
    case ENOTDIR:
        return {K::NotAFolder, code};
    case EISDIR:
        return {K::IsAFolder, code};
    case ELOOP:
        return {K::IsALink, code};
    case ENAMETOOLONG:
        return {K::NameTooLong, code};
    case EMFILE:
    case ENFILE:
        return {K::TooManyOpen, code};
    case ENOMEM:
        return {K::NoMemory, code};
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return {K::TryAgain, code};
    case ENOLCK:
        return {K::NoLocks, code};
    case EBADF:
        return {K::NotOpen, code};
    case ETXTBSY:
        return {K::InUse, code};
#ifdef ESTALE
    case ESTALE:
        return {K::Stale, code};
#endif
    case EXDEV:
        return {K::OtherDisk, code};
    case EINTR:
        return {K::Interrupted, code};
    default:
        return {K::Other, code};
    }
}

Entry lookAt(const QString& path)
{
    struct stat st;
    if (::lstat(native(path).constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {EntryKind::Missing, {}};
        return {EntryKind::CannotLook, fileError(errno)};
    }
    return {kindOf(st.st_mode), {}};
}

ReadOutcome readRegularFile(const QString& path, qint64 maxBytes)
{
    if (std::optional<ReadOutcome> early = readWithoutOpening(lookAt(path)))
        return *early;
    ReadOutcome out;
    out.kind = EntryKind::File;

    // O_NOFOLLOW and O_NONBLOCK keep a name swapped since the look above from
    // leading elsewhere or blocking; the descriptor is checked again.
    const int fd = retried([&] { return ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0) {
        if (errno == ENOENT) {
            out.kind = EntryKind::Missing;
            return out;
        }
        out.status = errno == ELOOP ? ReadOutcome::NotAFile : ReadOutcome::Failed;
        out.kind = errno == ELOOP ? EntryKind::SymLink : out.kind;
        out.error = fileError(errno);
        return out;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        out.status = ReadOutcome::Failed;
        out.error = fileError(errno);
        ::close(fd);
        return out;
    }
    if (!S_ISREG(st.st_mode)) {
        out.status = ReadOutcome::NotAFile;
        out.kind = kindOf(st.st_mode);
        ::close(fd);
        return out;
    }

    QByteArray bytes(qsizetype(maxBytes), Qt::Uninitialized);
    qsizetype got = 0;
    int error = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (n == 0)
            break;
        got += n;
    }
    bool complete = got < bytes.size();
    if (!complete && error == 0) {
        // Exactly maxBytes so far: one more byte tells whether that was all.
        char probe;
        const ssize_t n = retried([&] { return int(::read(fd, &probe, 1)); });
        if (n < 0)
            error = errno;
        complete = n == 0;
    }
    ::close(fd);
    if (error != 0) {
        out.status = ReadOutcome::Failed;
        out.error = fileError(error);
        return out;
    }
    bytes.truncate(got);
    out.status = ReadOutcome::Read;
    out.bytes = bytes;
    out.complete = complete;
    return out;
}

KeepOutcome keepUnder(const QString& from, const QString& to)
{
    const QByteArray f = native(from);
    const QByteArray t = native(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return {fileError(errno), false};
#endif
    // A hard link cannot be made over any name, not even a dangling link, and
    // never follows one.
    if (::link(f.constData(), t.constData()) == 0) {
        if (::unlink(f.constData()) != 0) {
            const int error = errno;
            ::unlink(t.constData());
            return {fileError(error), false};
        }
        return {};
    }
    // FAT and exFAT have no hard links: the bytes go into a name made new.
    if (errno == EPERM || errno == ENOSYS || errno == EOPNOTSUPP || errno == EMLINK) {
        const int error = copyIntoNewName(f, t);
        return {fileError(error), error == 0};
    }
    return {fileError(errno), false};
}

WriteOutcome replaceWithNewFile(const QString& path, const QString& tempPath, const QByteArray& bytes)
{
    const QByteArray target = native(path);
    const QByteArray temp = native(tempPath);
    const NewFile attrs = newFileAttrs(target);

    if (const int error = clearLeftover(temp); error != 0)
        return {fileError(error), false};

    bool named = false;
    int error = 0;
    int fd = -1;
#ifdef O_TMPFILE
    // Unnamed until it is whole and on disk, so that a crash while writing
    // leaves nothing behind; linkat then names it through /proc.
    fd = retried([&] { return ::open(folderOf(path).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, attrs.mode); });
    if (fd >= 0) {
        if ((error = fill(fd, bytes, attrs)) != 0) {
            ::close(fd);
            return {fileError(error), false};
        }
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, temp.constData(), AT_SYMLINK_FOLLOW) == 0)
            named = true;
        else
            error = errno;
        if (!named) {
            ::close(fd);
            if (error == ENOSPC || error == EDQUOT || error == EEXIST || error == EROFS)
                return {fileError(error), false};
        }
    }
#endif
    if (!named) {
        // Where an unnamed file cannot be made or linked, a new name of our own.
        fd = retried([&] {
            return ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, attrs.mode);
        });
        if (fd < 0)
            return {fileError(errno), false};
        if ((error = fill(fd, bytes, attrs)) != 0) {
            ::close(fd);
            ::unlink(temp.constData());
            return {fileError(error), false};
        }
    }

    // The descriptor stays open until the name is known to stand for it.
    WriteOutcome out;
    if (retried([&] { return ::rename(temp.constData(), target.constData()); }) != 0) {
        out.error = fileError(errno);
        if (errno == EPERM || errno == EACCES) {
            out.owner = stickyOwner(target);
            out.sticky = !out.owner.isEmpty();
        }
        ::close(fd);
        ::unlink(temp.constData());
        return out;
    }
    out.renamed = true;
    // Whoever can write the folder could have put something else at the
    // temporary name between its making and the move.
    struct stat written, now;
    out.swapped = ::fstat(fd, &written) != 0 || ::lstat(target.constData(), &now) != 0 ||
                  written.st_dev != now.st_dev || written.st_ino != now.st_ino;
    // The new name itself is on disk only once the folder is.
    const int dir = retried([&] { return ::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (dir >= 0) {
        error = retried([&] { return ::fsync(dir); }) == 0 ? 0 : errno;
        ::close(dir);
    } else {
        error = errno;
#ifdef __linux__
        // A folder that may be written but not read cannot be opened to flush
        // it: the whole disk is flushed instead.
        if (error == EACCES && ::syncfs(fd) == 0)
            error = 0;
#endif
    }
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    out.error = fileError(flushUnsupported(error) ? 0 : error);
    return out;
}

FileError writeAccess(const QString& path)
{
    // access() would answer for the real user; the effective one is what
    // opening the file will meet.
    return fileError(faccessat(AT_FDCWD, native(path).constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno);
}

bool workingFolderRemoved()
{
    struct stat st;
    return ::stat(".", &st) != 0 || st.st_nlink == 0;
}

void removeStaleFile(const QString& path, int olderThanSeconds)
{
    struct stat st;
    const QByteArray name = native(path);
    if (::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    if (st.st_mtim.tv_sec + olderThanSeconds < QDateTime::currentSecsSinceEpoch())
        ::unlink(name.constData());
}

FileLock::~FileLock()
{
    if (fd_ >= 0)
        ::close(fd_); // the kernel drops the lock with the last descriptor
}

FileLock::Outcome FileLock::lock(const QString& path, int waitMs)
{
    Outcome out;
    const QByteArray name = native(path);
    // Nothing but a regular file is opened: a device is never opened for writing.
    if (const Entry there = lookAt(path); there.kind != EntryKind::File && there.kind != EntryKind::Missing) {
        out.existed = true;
        out.kind = there.kind == EntryKind::CannotLook ? EntryKind::File : there.kind;
        out.error = there.kind == EntryKind::CannotLook ? there.error : fileError(EINVAL);
        return out;
    }
    constexpr int kOpen = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = -1;
    int error = 0;
    // A name removed between two tries is made again, a few times at most.
    for (int tries = 0; fd < 0 && tries < 3; ++tries) {
        fd = retried([&] { return ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | kOpen, 0666); });
        if (fd >= 0) {
            // Whatever the umask, every player who shares the folder needs it.
            retried([&] { return ::fchmod(fd, 0666); });
            break;
        }
        if ((error = errno) != EEXIST)
            break;
        out.existed = true;
        fd = retried([&] { return ::open(name.constData(), O_RDWR | kOpen); });
        if (fd < 0 && (errno == EACCES || errno == EROFS)) {
            fd = retried([&] { return ::open(name.constData(), O_RDONLY | kOpen); });
            out.readOnly = fd >= 0;
        }
        if (fd < 0 && (error = errno) != ENOENT)
            break;
    }
    if (fd < 0) {
        out.error = fileError(error);
        struct stat st;
        if (error == ELOOP)
            out.kind = EntryKind::SymLink;
        else if (error == EISDIR)
            out.kind = EntryKind::Folder;
        else if (error == EACCES && ::lstat(name.constData(), &st) == 0)
            out.owner = userName(st.st_uid);
        return out;
    }
    out.opened = true;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        out.error = fileError(errno);
        ::close(fd);
        return out;
    }
    if (!S_ISREG(st.st_mode)) {
        out.error = fileError(EINVAL);
        out.kind = kindOf(st.st_mode);
        ::close(fd);
        return out;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            out.locked = true;
            return out;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            out.error = fileError(errno);
            break;
        }
        if (std::chrono::steady_clock::now() >= until) {
            out.error = {FileError::Kind::Held, EWOULDBLOCK};
            out.holder = holderOf(st, out.owner);
            break;
        }
        QThread::msleep(10);
    }
    ::close(fd);
    return out;
}
