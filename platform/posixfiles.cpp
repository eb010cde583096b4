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

#include <utility>
#include <vector>

// The POSIX file services (winfiles.cpp keeps the same promises on Windows):
// they rest on lstat, O_NOFOLLOW, rename over a name and flock, which Qt's
// portable calls do not keep (QSaveFile writes through a link; QLockFile
// reads and removes its lock by name). What only Linux has (/proc, O_TMPFILE,
// renameat2, st_mtim) stands behind __linux__, the POSIX way beside it.

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
auto retried(Call call)
{
    decltype(call()) r;
    do
        r = call();
    while (r < 0 && errno == EINTR);
    return r;
}

// A descriptor closed when it goes, on every way out.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Fd() { close(); }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    // Closes it now: 0, or why the close failed (an interrupted one did close).
    int close()
    {
        const int fd = std::exchange(fd_, -1);
        return fd >= 0 && ::close(fd) != 0 && errno != EINTR ? errno : 0;
    }

private:
    int fd_;
};

Fd openAt(const QByteArray& name, int flags, mode_t mode = 0)
{
    return Fd(retried([&] { return ::open(name.constData(), flags | O_CLOEXEC, mode); }));
}

// Reads until `size` bytes are in or the file ends: 0 (`got` says how many),
// or the error of a read that failed.
int readUpTo(int fd, char* into, qsizetype size, qsizetype& got)
{
    got = 0;
    while (got < size) {
        const ssize_t n = retried([&] { return ::read(fd, into + got, size_t(size - got)); });
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        got += n;
    }
    return 0;
}

// The folder part of a path, for the unnamed file and the flush of the folder.
QByteArray folderOf(const QString& path)
{
    return native(QFileInfo(path).path());
}

bool writeAll(int fd, const char* p, qsizetype left)
{
    while (left > 0) {
        const ssize_t n = retried([&] { return ::write(fd, p, size_t(left)); });
        if (n < 0)
            return false;
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
    const Fd in = openAt(from, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (!in)
        return errno;
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxCopyBytes)
        return S_ISREG(st.st_mode) ? EFBIG : EINVAL;
    Fd out = openAt(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, st.st_mode & 0600);
    if (!out)
        return errno;
    int error = 0;
    char buffer[64 * 1024];
    for (qsizetype got = 1; error == 0 && got > 0;) {
        if ((error = readUpTo(in.get(), buffer, sizeof buffer, got)) == 0 && !writeAll(out.get(), buffer, got))
            error = errno;
    }
    if (error == 0 && retried([&] { return ::fsync(out.get()); }) != 0)
        error = errno;
    if (const int closed = out.close(); error == 0)
        error = closed;
    if (error != 0)
        ::unlink(to.constData());
    return error;
}

#ifdef __linux__
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
#else
// Other systems tell no holder of a flock without far more asking.
FileLock::Holder holderOf(const struct stat&, QString&)
{
    return FileLock::Holder::Unseen;
}
#endif

// When the file was last written, in seconds.
qint64 modifiedAt(const struct stat& st)
{
#ifdef __linux__
    return qint64(st.st_mtim.tv_sec);
#else
    return qint64(st.st_mtime);
#endif
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
    const auto failed = [&](int error) {
        out.status = ReadOutcome::Failed;
        out.error = fileError(error);
        return out;
    };

    // O_NOFOLLOW and O_NONBLOCK keep a name swapped since the look above from
    // leading elsewhere or blocking; the descriptor is checked again.
    const Fd fd = openAt(native(path), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (!fd && errno == ENOENT) {
        out.kind = EntryKind::Missing;
        return out;
    }
    if (!fd && errno == ELOOP) {
        out = failed(ELOOP);
        out.status = ReadOutcome::NotAFile;
        out.kind = EntryKind::SymLink;
        return out;
    }
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0)
        return failed(errno);
    if (!S_ISREG(st.st_mode)) {
        out.status = ReadOutcome::NotAFile;
        out.kind = kindOf(st.st_mode);
        return out;
    }

    // One byte more than asked tells whether the bytes read are all there is.
    QByteArray bytes(qsizetype(maxBytes) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    if (const int error = readUpTo(fd.get(), bytes.data(), bytes.size(), got); error != 0)
        return failed(error);
    bytes.truncate(qMin(got, qsizetype(maxBytes)));
    out.status = ReadOutcome::Read;
    out.bytes = bytes;
    out.complete = got <= maxBytes;
    return out;
}

KeepOutcome keepUnder(const QString& from, const QString& to)
{
    const QByteArray f = native(from);
    const QByteArray t = native(to);
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return {fileError(errno), false};
#endif
    // POSIX: a hard link cannot be made over any name, not even a dangling link, and
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

// The new file written and flushed under no name (Linux's O_TMPFILE), then
// given the temporary name: its descriptor, or none with `error` set (0:
// the file system cannot, and a named temporary is to be made instead).
#if defined(__linux__) && defined(O_TMPFILE)
Fd unnamedFile(const QString& path, const QByteArray& temp, const QByteArray& bytes, const NewFile& attrs,
               int& error)
{
    error = 0;
    Fd fd = openAt(folderOf(path), O_TMPFILE | O_WRONLY, attrs.mode);
    if (!fd)
        return fd;
    if ((error = fill(fd.get(), bytes, attrs)) != 0)
        return Fd();
    // linkat names it through /proc.
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd.get());
    if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, temp.constData(), AT_SYMLINK_FOLLOW) == 0)
        return fd;
    error = errno;
    // Where the disk is full or read-only, or the name is taken, a named temporary fares no better.
    if (error != ENOSPC && error != EDQUOT && error != EEXIST && error != EROFS)
        error = 0;
    return Fd();
}
#else
Fd unnamedFile(const QString&, const QByteArray&, const QByteArray&, const NewFile&, int& error)
{
    error = 0;
    return Fd();
}
#endif

// The folder flushed, so that the new name itself is on disk: 0 or why not.
int flushFolder(const QString& path, int written)
{
    if (const Fd dir = openAt(folderOf(path), O_RDONLY | O_DIRECTORY))
        return retried([&] { return ::fsync(dir.get()); }) == 0 ? 0 : errno;
    const int error = errno;
#ifdef __linux__
    // A folder that may be written but not read cannot be opened to flush
    // it: the whole disk is flushed instead.
    if (error == EACCES && ::syncfs(written) == 0)
        return 0;
#else
    (void)written;
#endif
    return error;
}

WriteOutcome replaceWithNewFile(const QString& path, const QString& tempPath, const QByteArray& bytes)
{
    const QByteArray target = native(path);
    const QByteArray temp = native(tempPath);
    const NewFile attrs = newFileAttrs(target);

    if (const int error = clearLeftover(temp); error != 0)
        return {fileError(error), false};

    // Unnamed until it is whole and on disk where the system can, so that a
    // crash while writing leaves nothing behind.
    int error = 0;
    Fd fd = unnamedFile(path, temp, bytes, attrs, error);
    if (error != 0)
        return {fileError(error), false};
    if (!fd) {
        // Where an unnamed file cannot be made or linked, a new name of our own.
        fd = openAt(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, attrs.mode);
        if (!fd)
            return {fileError(errno), false};
        if ((error = fill(fd.get(), bytes, attrs)) != 0) {
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
        ::unlink(temp.constData());
        return out;
    }
    out.renamed = true;
    // Whoever can write the folder could have put something else at the
    // temporary name between its making and the move.
    struct stat written, now;
    out.swapped = ::fstat(fd.get(), &written) != 0 || ::lstat(target.constData(), &now) != 0 ||
                  written.st_dev != now.st_dev || written.st_ino != now.st_ino;
    error = flushFolder(path, fd.get());
    if (const int closed = fd.close(); error == 0)
        error = closed;
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
    if (modifiedAt(st) + olderThanSeconds < QDateTime::currentSecsSinceEpoch())
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
    constexpr int kOpen = O_NOFOLLOW | O_NONBLOCK;
    Fd fd;
    int error = 0;
    // A name removed between two tries is made again, a few times at most.
    for (int tries = 0; !fd && tries < 3; ++tries) {
        fd = openAt(name, O_RDWR | O_CREAT | O_EXCL | kOpen, 0666);
        if (fd) {
            // Whatever the umask, every player who shares the folder needs it.
            retried([&] { return ::fchmod(fd.get(), 0666); });
            break;
        }
        if ((error = errno) != EEXIST)
            break;
        out.existed = true;
        fd = openAt(name, O_RDWR | kOpen);
        if (!fd && (errno == EACCES || errno == EROFS)) {
            fd = openAt(name, O_RDONLY | kOpen);
            out.readOnly = bool(fd);
        }
        if (!fd && (error = errno) != ENOENT)
            break;
    }
    if (!fd) {
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
    if (::fstat(fd.get(), &st) != 0) {
        out.error = fileError(errno);
        return out;
    }
    if (!S_ISREG(st.st_mode)) {
        out.error = fileError(EINVAL);
        out.kind = kindOf(st.st_mode);
        return out;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd.release();
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
    return out;
}
