#include "platform/files.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX

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

FileIdentity identity(const struct stat& st)
{
    FileIdentity id;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
    id.modifiedNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return id;
}

// The folder part of a path, for the unnamed file and the flush of the folder.
QByteArray folderOf(const QString& path)
{
    return native(QFileInfo(path).path());
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
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

WriteOutcome failed(int error)
{
    return {false, error, qt_error_string(error)};
}

// Gives the new file its mode and bytes, on disk; 0 or the error number.
int fill(int fd, const QByteArray& bytes, mode_t mode)
{
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0)
        return errno;
    return 0;
}

// A leftover temporary name of a regular file is ours from a crash; a link,
// folder or anything else there is not, and is left as it is.
bool clearLeftover(const QByteArray& temp)
{
    struct stat st;
    if (::lstat(temp.constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode) && ::unlink(temp.constData()) == 0;
}

} // namespace

EntryKind entryKind(const QString& path)
{
    struct stat st;
    if (::lstat(native(path).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? EntryKind::Missing : EntryKind::Unknown;
    return kindOf(st.st_mode);
}

FileIdentity identityOf(const QString& path)
{
    struct stat st;
    if (::lstat(native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return identity(st);
}

// Reads the regular file just seen at the name into `out`.
static void readFile(const QString& path, qint64 maxBytes, ReadOutcome& out)
{
    // O_NOFOLLOW and O_NONBLOCK keep a name swapped since the look above from
    // leading elsewhere or blocking; the descriptor is checked again.
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            out.kind = EntryKind::Missing;
            return;
        }
        out.status = errno == ELOOP ? ReadOutcome::NotAFile : ReadOutcome::Failed;
        out.kind = errno == ELOOP ? EntryKind::SymLink : out.kind;
        out.error = qt_error_string(errno);
        return;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        out.status = ReadOutcome::Failed;
        out.error = qt_error_string(errno);
        ::close(fd);
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        out.status = ReadOutcome::NotAFile;
        out.kind = kindOf(st.st_mode);
        ::close(fd);
        return;
    }
    out.identity = identity(st);

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
        ssize_t n;
        do
            n = ::read(fd, &probe, 1);
        while (n < 0 && errno == EINTR);
        if (n < 0)
            error = errno;
        complete = n == 0;
    }
    ::close(fd);
    if (error != 0) {
        out.status = ReadOutcome::Failed;
        out.error = qt_error_string(error);
        return;
    }
    bytes.truncate(got);
    out.status = ReadOutcome::Read;
    out.bytes = bytes;
    out.complete = complete;
}

int renameIfFree(const QString& from, const QString& to)
{
    const QByteArray f = native(from);
    const QByteArray t = native(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
#endif
    // A hard link cannot be made over any name, not even a dangling link, and
    // never follows one; where the file system has none, nothing is moved.
    if (::link(f.constData(), t.constData()) != 0)
        return errno;
    if (::unlink(f.constData()) != 0) {
        const int error = errno;
        ::unlink(t.constData());
        return error;
    }
    return 0;
}

WriteOutcome replaceWithNewFile(const QString& path, const QString& tempPath, const QByteArray& bytes)
{
    const QByteArray target = native(path);
    const QByteArray temp = native(tempPath);

    mode_t mode = 0666;
    struct stat old;
    const bool replacing = ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    if (replacing) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    if (!clearLeftover(temp))
        return failed(EEXIST);

    bool named = false;
    int error = 0;
    int fd = -1;
#ifdef O_TMPFILE
    // Unnamed until it is whole and on disk, so that a crash while writing
    // leaves nothing behind; linkat then names it through /proc.
    fd = ::open(folderOf(path).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0) {
        if ((error = fill(fd, bytes, mode)) != 0) {
            ::close(fd);
            return failed(error);
        }
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, temp.constData(), AT_SYMLINK_FOLLOW) == 0)
            named = true;
        else
            error = errno;
        ::close(fd);
        if (!named && (error == ENOSPC || error == EDQUOT || error == EEXIST || error == EROFS))
            return failed(error);
    }
#endif
    if (!named) {
        // Where an unnamed file cannot be made or linked, a new name of our own.
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0)
            return failed(errno);
        error = fill(fd, bytes, mode);
        if (::close(fd) != 0 && error == 0 && errno != EINTR)
            error = errno;
        if (error != 0) {
            ::unlink(temp.constData());
            return failed(error);
        }
    }

    if (::rename(temp.constData(), target.constData()) != 0) {
        error = errno;
        ::unlink(temp.constData());
        return failed(error);
    }
    // The new name itself is on disk only once the folder is.
    const int dir = ::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {true, 0, {}};
}

bool mayWrite(const QString& path)
{
    // access() would answer for the real user; the effective one is what
    // opening the file will meet.
    return faccessat(AT_FDCWD, native(path).constData(), W_OK, AT_EACCESS) == 0;
}

bool workingFolderRemoved()
{
    struct stat st;
    return ::stat(".", &st) != 0 || st.st_nlink == 0;
}

bool workingFolderFull()
{
    struct statvfs fs;
    return ::statvfs(".", &fs) == 0 && (fs.f_bavail == 0 || fs.f_favail == 0);
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

#else // not Q_OS_UNIX: the same promises kept as far as Qt's own calls allow

EntryKind entryKind(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return EntryKind::SymLink;
    if (!info.exists())
        return EntryKind::Missing;
    if (info.isDir())
        return EntryKind::Folder;
    return info.isFile() ? EntryKind::File : EntryKind::Unknown;
}

FileIdentity identityOf(const QString& path)
{
    const QFileInfo info(path);
    if (entryKind(path) != EntryKind::File)
        return {};
    FileIdentity id;
    id.size = info.size();
    id.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1'000'000;
    id.inode = qHash(info.absoluteFilePath());
    return id;
}

// Reads the regular file just seen at the name into `out`.
static void readFile(const QString& path, qint64 maxBytes, ReadOutcome& out)
{
    out.identity = identityOf(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.status = ReadOutcome::Failed;
        out.error = file.errorString();
        return;
    }
    out.bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        out.status = ReadOutcome::Failed;
        out.error = file.errorString();
        out.bytes.clear();
        return;
    }
    out.complete = file.atEnd() || out.bytes.size() < maxBytes;
    out.status = ReadOutcome::Read;
}

int renameIfFree(const QString& from, const QString& to)
{
    if (entryKind(to) != EntryKind::Missing)
        return EEXIST;
    return QFile::rename(from, to) ? 0 : EIO;
}

WriteOutcome replaceWithNewFile(const QString& path, const QString&, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size() &&
        file.commit())
        return {true, 0, {}};
    const bool full = file.error() == QFileDevice::ResourceError || file.error() == QFileDevice::WriteError;
    return {false, full ? ENOSPC : EIO, file.errorString()};
}

bool mayWrite(const QString& path)
{
    return QFileInfo(path).isWritable();
}

bool workingFolderRemoved()
{
    return !QFileInfo(QStringLiteral(".")).exists();
}

bool workingFolderFull()
{
    return false;
}

void removeStaleFile(const QString& path, int olderThanSeconds)
{
    const QFileInfo info(path);
    if (entryKind(path) == EntryKind::File &&
        info.lastModified().secsTo(QDateTime::currentDateTime()) > olderThanSeconds)
        QFile::remove(path);
}

#endif

ReadOutcome readRegularFile(const QString& path, qint64 maxBytes)
{
    ReadOutcome out;
    out.kind = entryKind(path);
    if (out.kind == EntryKind::Missing)
        return out;
    if (out.kind != EntryKind::File) {
        out.status = ReadOutcome::NotAFile;
        return out;
    }
    readFile(path, maxBytes, out);
    return out;
}
