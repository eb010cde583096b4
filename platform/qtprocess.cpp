#include "platform/qtprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <cstdlib>

void QtProcess::endProgram()
{
    // exit() leaves the event loop without asking any window to close, so the
    // ranking window's save-on-close does not run: quitting saves nothing.
    QCoreApplication::exit(0);
    // A request from outside (a logout) may come while a box is open. Its
    // loop ends at once, and so would every box the code behind it opens
    // next, over and over: a program in a box's loop ends here instead.
    if (QThread::currentThread()->loopLevel() > 1) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

bool QtProcess::fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool QtProcess::startProgram(const QString& path)
{
    // The path comes from the registry. A relative one would be looked up in
    // the working folder, and a NUL would quietly shorten it to another
    // program's path: start only what is named in full.
    if (path.isEmpty() || path.contains(QChar(u'\0')) || !QDir::isAbsolutePath(path))
        return false;
    // Started directly, never through a shell, and with no arguments.
    return QProcess::startDetached(path, {});
}
