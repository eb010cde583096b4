// The program as app/main.cpp starts it, reporting its first frame.

#include "app/program.h"
#include "desktop/application.h"
#include "game/vikkelo.h"
#include "platform/systemplatform.h"

// After the platform's headers: on Windows it includes <windows.h>.
#include "probe.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    setUpWindows();
    SystemPlatform system;
    Program program(system.platform);
    new FirstFrameProbe(program.vikkelo().get());
    program.vikkelo().show();
    return QApplication::exec();
}
