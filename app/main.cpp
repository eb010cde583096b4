#include "game/program.h"
#include "game/vikkelo.h"
#include "platform/platform.h"
#include "platform/qtdialogs.h"
#include "platform/qtprocess.h"
#include "platform/random.h"
#ifdef Q_OS_WIN
#include "platform/winregistry.h"
#else
#include "platform/standinregistry.h"
#endif
#include "platform/timeofday.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vikkelo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.vikkelo"));
    // Only the board's own close ends the program; the ranking and About
    // windows come and go beside it.
    QApplication::setQuitOnLastWindowClosed(false);

    QtDialogs dialogs;
    SystemTimeOfDay timeOfDay;
    SplitMixRandom random;
    QtProcess process;
#ifdef Q_OS_WIN
    WinRegistry registry;
#else
    // No registry here: a stand-in points the About window at a local tool.
    StandInRegistry registry;
#endif
    Platform platform{dialogs, timeOfDay, random, process, registry};

    Program program(platform);
    program.vikkelo().show();
    return QApplication::exec();
}
