// Disks that are not a private local one, for the store's tests. Linked in,
// it does nothing until VIKKELO_SHIM holds some of these words:
//   nfs: flock(LOCK_EX) on a descriptor open only for reading fails with EBADF, as on NFS
//   nolock: every flock fails with ENOLCK       liar: a rename onto TOP5.dat happens, and reports EIO
//   swap: a link replaces the file being renamed onto TOP5.dat, just before
//   locks=PATH (last): /proc/locks reads as the file PATH

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

static bool wants(const char* what)
{
    const char* all = std::getenv("VIKKELO_SHIM");
    return all && std::strstr(all, what);
}
template <typename F>
static F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
static bool ontoTable(const char* to)
{
    return std::strlen(to) >= 8 && std::strcmp(to + std::strlen(to) - 8, "TOP5.dat") == 0;
}

extern "C" int flock(int fd, int operation) noexcept
{
    const bool readOnly = (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY;
    if (wants("nolock") || (wants("nfs") && (operation & LOCK_EX) && readOnly))
        return errno = wants("nolock") ? ENOLCK : EBADF, -1;
    return real<int (*)(int, int)>("flock")(fd, operation);
}

extern "C" int rename(const char* from, const char* to) noexcept
{
    if (ontoTable(to) && wants("swap"))
        unlink(from), symlink("swapped-in.txt", from);
    const int moved = real<int (*)(const char*, const char*)>("rename")(from, to);
    return moved == 0 && ontoTable(to) && wants("liar") ? (errno = EIO, -1) : moved;
}

extern "C" int open64(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
    va_end(args);
    const char* shim = std::getenv("VIKKELO_SHIM");
    const char* locks = shim && std::strcmp(path, "/proc/locks") == 0 ? std::strstr(shim, "locks=") : nullptr;
    return real<int (*)(const char*, int, ...)>("open64")(locks ? locks + 6 : path, flags, mode);
}
