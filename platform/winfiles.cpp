#include "platform/files.h"

#include <chrono>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The Windows file services keep the promises of the POSIX ones with what
// Windows offers: a reparse point (a symbolic link, a junction or anything
// else the file system would lead elsewhere) is opened as itself and never
// used, a new file is renamed in over the name, and the lock is LockFileEx's,
// which Windows drops with the handle. Windows has no file modes to carry;
// its read-only attribute is what makes a file not ours to replace.

namespace {

std::wstring native(const QString& path)
{
    return path.toStdWString();
}

using Err = FileError::Kind;

// The system's error, as the player needs to know it; GetLastError's own
// number stays with it for the codes that have no name here.
FileError errorFrom(DWORD code)
{
    const int raw = int(code);
    switch (code) {
    case ERROR_SUCCESS:
        return {};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return {Err::NotFound, raw};
    case ERROR_ACCESS_DENIED:
        return {Err::NoAccess, raw};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return {Err::NoSpace, raw};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return {Err::NameTaken, raw};
    case ERROR_SHARING_VIOLATION: // another program has the file open and shares it not
    case ERROR_LOCK_VIOLATION:    // or has locked the part of it asked for
        return {Err::InUse, raw};
    case ERROR_WRITE_PROTECT:
        return {Err::ReadOnlyDisk, raw};
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return {Err::NotSupported, raw};
    case ERROR_INVALID_PARAMETER:
        return {Err::NotAccepted, raw};
    case ERROR_BUSY:
        return {Err::Busy, raw};
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
        return {Err::IoError, raw};
    case ERROR_TOO_MANY_OPEN_FILES:
        return {Err::TooManyOpen, raw};
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return {Err::NoMemory, raw};
    case ERROR_FILENAME_EXCED_RANGE:
        return {Err::NameTooLong, raw};
    case ERROR_NOT_SAME_DEVICE:
        return {Err::OtherDisk, raw};
    default:
        return {Err::Other, raw};
    }
}

FileError lastError()
{
    return errorFrom(GetLastError());
}

EntryKind kindOf(DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryKind::SymLink;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return EntryKind::Folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return EntryKind::Device;
    return EntryKind::File;
}

// What an open handle really is, whatever the name said a moment before:
// only a file on disk that is neither a folder nor a reparse point is File.
Entry lookAtOpened(HANDLE file)
{
    switch (GetFileType(file)) {
    case FILE_TYPE_DISK:
        break;
    case FILE_TYPE_PIPE:
        return {EntryKind::Fifo, {}};
    case FILE_TYPE_CHAR:
        return {EntryKind::Device, {}};
    default:
        return {EntryKind::Unknown, {}};
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return {EntryKind::CannotLook, lastError()};
    return {kindOf(info.dwFileAttributes), {}};
}

// Opens the name itself, never what a link there leads to. Others may go on
// reading, writing, renaming and removing while we hold it, as on POSIX.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE openName(const QString& path, DWORD access, DWORD disposition, DWORD share = kShareAll)
{
    return CreateFileW(native(path).c_str(), access, share, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// ReadFile and WriteFile count in DWORDs: a byte array goes in pieces.
constexpr qsizetype kChunk = 1 << 20;

bool writeAll(HANDLE file, const char* p, qsizetype left)
{
    while (left > 0) {
        DWORD n = 0;
        if (!WriteFile(file, p, DWORD(qMin<qsizetype>(left, kChunk)), &n, nullptr))
            return false;
        p += n;
        left -= n;
    }
    return true;
}

// A new file that failed halfway is removed through its handle, so that what
// goes is the very file we made, whatever took its name since.
void removeOpened(HANDLE file)
{
    FILE_DISPOSITION_INFO gone{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
}

// A leftover temporary name of a regular file is ours from a crash; a link,
// folder or anything else there is not, and is left as it is.
FileError clearLeftover(const QString& temp)
{
    const Entry entry = lookAt(temp);
    if (entry.kind == EntryKind::Missing)
        return {};
    if (entry.kind != EntryKind::File)
        return entry.kind == EntryKind::CannotLook ? entry.error : errorFrom(ERROR_FILE_EXISTS);
    return DeleteFileW(native(temp).c_str()) ? FileError() : lastError();
}

} // namespace

FileError fileError(int code)
{
    return errorFrom(DWORD(code));
}

Entry lookAt(const QString& path)
{
    // GetFileAttributesW answers for a link itself, never for its target.
    const DWORD attributes = GetFileAttributesW(native(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return {kindOf(attributes), {}};
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
        return {EntryKind::Missing, {}};
    return {EntryKind::CannotLook, errorFrom(code)};
}

ReadOutcome readRegularFile(const QString& path, qint64 maxBytes)
{
    if (std::optional<ReadOutcome> early = readWithoutOpening(lookAt(path)))
        return *early;
    ReadOutcome out;
    out.kind = EntryKind::File;

    // The name may have been swapped since the look above: the handle is
    // looked at again.
    const HANDLE file = openName(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) {
            out.kind = EntryKind::Missing;
            return out;
        }
        out.status = ReadOutcome::Failed;
        out.error = errorFrom(code);
        return out;
    }
    const Entry opened = lookAtOpened(file);
    if (opened.kind != EntryKind::File) {
        out.status = opened.kind == EntryKind::CannotLook ? ReadOutcome::Failed : ReadOutcome::NotAFile;
        out.kind = opened.kind == EntryKind::CannotLook ? out.kind : opened.kind;
        out.error = opened.error;
        CloseHandle(file);
        return out;
    }

    // One byte more than asked tells whether the bytes read are all there is.
    QByteArray bytes(qsizetype(maxBytes) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    FileError error;
    while (got < bytes.size()) {
        DWORD n = 0;
        const DWORD ask = DWORD(qMin<qsizetype>(bytes.size() - got, kChunk));
        if (!ReadFile(file, bytes.data() + got, ask, &n, nullptr)) {
            error = lastError();
            break;
        }
        if (n == 0)
            break;
        got += n;
    }
    CloseHandle(file);
    if (error) {
        out.status = ReadOutcome::Failed;
        out.error = error;
        return out;
    }
    out.complete = got <= maxBytes;
    bytes.truncate(qMin<qsizetype>(got, qsizetype(maxBytes)));
    out.status = ReadOutcome::Read;
    out.bytes = bytes;
    return out;
}

KeepOutcome keepUnder(const QString& from, const QString& to)
{
    // A hard link first: the file then also stays at its name until the new
    // table is renamed over it, so a crash in between leaves it there. Like
    // a move without MOVEFILE_REPLACE_EXISTING, it takes no name that
    // stands, not even a dangling link's.
    if (CreateHardLinkW(native(to).c_str(), native(from).c_str(), nullptr))
        return {{}, true};
    if (const DWORD code = GetLastError(); code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
        return {errorFrom(code), false};
    // FAT and exFAT have no hard links, but every Windows file system can
    // rename within a folder (a link itself, never what it leads to).
    if (MoveFileExW(native(from).c_str(), native(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return {};
    return {lastError(), false};
}

WriteOutcome replaceWithNewFile(const QString& path, const QString& tempPath, const QByteArray& bytes)
{
    if (const FileError error = clearLeftover(tempPath))
        return {error, false};

    // Shared with nobody while it is written; CREATE_NEW takes no name that
    // stands, so nothing of anyone else's is ever written into.
    const HANDLE file = openName(tempPath, GENERIC_WRITE | DELETE, CREATE_NEW, 0);
    if (file == INVALID_HANDLE_VALUE)
        return {lastError(), false};
    FileError error;
    if (!writeAll(file, bytes.constData(), bytes.size()) || !FlushFileBuffers(file)) {
        error = lastError();
        removeOpened(file);
    }
    CloseHandle(file);
    if (error)
        return {error, false};

    // The rename replaces whatever stood at the name as a name, a link
    // included, and is on disk when it returns.
    const DWORD replace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (!MoveFileExW(native(tempPath).c_str(), native(path).c_str(), replace)) {
        error = lastError();
        // A file another program holds open without sharing its removal is
        // refused as access denied; its handle tells the truth.
        if (error.is(Err::NoAccess)) {
            const HANDLE held = openName(path, DELETE, OPEN_EXISTING);
            if (held == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
                error = errorFrom(ERROR_SHARING_VIOLATION);
            if (held != INVALID_HANDLE_VALUE)
                CloseHandle(held);
        }
        DeleteFileW(native(tempPath).c_str());
        return {error, false};
    }
    return {{}, true};
}

FileError writeAccess(const QString& path)
{
    // A read-only file stays as it is, even where the folder would let it be
    // replaced. A folder's read-only attribute means nothing to Windows.
    const DWORD attributes = GetFileAttributesW(native(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY)
        return errorFrom(ERROR_ACCESS_DENIED);
    // Opening for writing asks Windows the rest: the permissions and a
    // write-protected disk answer, and nothing is written through the
    // handle. For a folder (which opens only with backup semantics) the same
    // right is the right to add a file.
    const HANDLE handle = CreateFileW(native(path).c_str(), FILE_WRITE_DATA, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    CloseHandle(handle);
    return {};
}

bool workingFolderRemoved()
{
    // Windows seldom lets a folder a process works in go, but a network
    // folder or a removed disk can.
    return GetFileAttributesW(L".") == INVALID_FILE_ATTRIBUTES;
}

void removeStaleFile(const QString& path, int olderThanSeconds)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    const std::wstring name = native(path);
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data) ||
        kindOf(data.dwFileAttributes) != EntryKind::File)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    // File times count tenths of a microsecond.
    const auto ticks = [](const FILETIME& t) {
        return qint64((quint64(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    if (ticks(data.ftLastWriteTime) + qint64(olderThanSeconds) * 10'000'000 < ticks(now))
        DeleteFileW(name.c_str());
}

// The handle is kept in the int the POSIX side keeps its descriptor in:
// Windows keeps handles within 32 bits so that 32- and 64-bit programs can
// share them, and -1 is no handle on both.
FileLock::~FileLock()
{
    if (fd_ != -1) {
        const HANDLE file = LongToHandle(fd_);
        UnlockFile(file, 0, 0, 1, 0);
        CloseHandle(file); // Windows would drop the lock with the handle anyway
    }
}

FileLock::Outcome FileLock::lock(const QString& path, int waitMs)
{
    Outcome out;
    out.existed = lookAt(path).kind != EntryKind::Missing;
    // Read access is enough for LockFileEx, and lets a lock file another
    // user made serve every player of a shared folder.
    const HANDLE file = openName(path, GENERIC_READ, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
        out.error = lastError();
        // A folder or a junction at the name cannot be opened as a file.
        if (const EntryKind there = lookAt(path).kind; there == EntryKind::Folder || there == EntryKind::SymLink)
            out.kind = there;
        return out;
    }
    const Entry opened = lookAtOpened(file);
    if (opened.kind != EntryKind::File) {
        out.error = opened.kind == EntryKind::CannotLook ? opened.error : errorFrom(ERROR_INVALID_PARAMETER);
        out.kind = opened.kind == EntryKind::CannotLook ? EntryKind::File : opened.kind;
        CloseHandle(file);
        return out;
    }
    // One byte is locked, whether or not the file has it: the file itself is
    // never read or written.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        OVERLAPPED at{};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            fd_ = HandleToLong(file);
            out.locked = true;
            return out;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) {
            out.error = errorFrom(code);
            break;
        }
        if (std::chrono::steady_clock::now() >= until) {
            // Who holds it Windows does not tell without asking far more.
            out.error = {Err::Held, int(code)};
            break;
        }
        Sleep(10);
    }
    CloseHandle(file);
    return out;
}
