// Disks that are not a private local one, for the store's tests: system
// calls that behave as NFS, SMB or a hostile folder make them behave. Linked
// into a test (or preloaded into a copy of the game), it does nothing until
// VIKKELO_SHIM names what to do, as words joined by commas:
//   nfs         flock(LOCK_EX) on a descriptor open only for reading fails
//               with EBADF, as on NFS
//   nolock      every flock fails with ENOLCK
//   liar        a rename onto TOP5.dat takes place and reports EIO
//   swap        just before a rename onto TOP5.dat, a link replaces the
//               file at the name being moved
//   locks=PATH  /proc/locks reads as the file PATH

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace {

bool wants(const char* what)
{
    const char* all = std::getenv("VIKKELO_SHIM");
    if (!all)
        return false;
    const std::string words = std::string(",") + all + ",";
    return words.find(std::string(",") + what + ",") != std::string::npos;
}

template <typename F>
F next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool ontoTable(const char* to)
{
    const std::size_t n = std::strlen(to);
    return n >= 8 && std::strcmp(to + n - 8, "TOP5.dat") == 0 && (n == 8 || to[n - 9] == '/');
}

// The shim's own locks file in place of the kernel's, when one is named.
const char* redirected(const char* path)
{
    const char* all = std::getenv("VIKKELO_SHIM");
    const char* at = all ? std::strstr(all, "locks=") : nullptr;
    if (!at || std::strcmp(path, "/proc/locks") != 0)
        return path;
    static thread_local std::string file;
    file.assign(at + 6, std::strcspn(at + 6, ","));
    return file.c_str();
}

int moved(int result, const char* from, const char* to)
{
    (void)from;
    if (result == 0 && ontoTable(to) && wants("liar")) {
        errno = EIO;
        return -1;
    }
    return result;
}

void swapBefore(const char* from, const char* to)
{
    if (ontoTable(to) && wants("swap")) {
        unlink(from);
        symlink("swapped-in.txt", from);
    }
}

} // namespace

extern "C" {

int flock(int fd, int operation) noexcept
{
    if (wants("nolock")) {
        errno = ENOLCK;
        return -1;
    }
    if (wants("nfs") && (operation & LOCK_EX) && (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
        errno = EBADF;
        return -1;
    }
    return next<int (*)(int, int)>("flock")(fd, operation);
}

int rename(const char* from, const char* to) noexcept
{
    swapBefore(from, to);
    return moved(next<int (*)(const char*, const char*)>("rename")(from, to), from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) noexcept
{
    swapBefore(from, to);
    return moved(next<int (*)(int, const char*, int, const char*)>("renameat")(fromDir, from, toDir, to), from, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) noexcept
{
    swapBefore(from, to);
    const auto real = next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    return moved(real(fromDir, from, toDir, to, flags), from, to);
}

#define VIKKELO_OPEN(name)                                                                                           \
    int name(const char* path, int flags, ...)                                                                       \
    {                                                                                                                \
        mode_t mode = 0;                                                                                             \
        if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {                                                 \
            va_list args;                                                                                            \
            va_start(args, flags);                                                                                   \
            mode = va_arg(args, mode_t);                                                                             \
            va_end(args);                                                                                            \
        }                                                                                                            \
        return next<int (*)(const char*, int, ...)>(#name)(redirected(path), flags, mode);                           \
    }
VIKKELO_OPEN(open)
VIKKELO_OPEN(open64)

} // extern "C"
