#include "platform/files.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

bool mayWrite(const QString& path)
{
#ifdef Q_OS_UNIX
    // access() would answer for the real user; the effective one is what
    // opening the file will meet.
    return faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
#else
    return QFileInfo(path).isWritable();
#endif
}
