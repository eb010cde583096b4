#include "app/program.h"
#include "game/vikkelo.h"
#include "desktop/application.h"
#include "platform/systemplatform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication();
    // Only the board's own close ends the program; the ranking and About
    // windows come and go beside it.
    QApplication::setQuitOnLastWindowClosed(false);

    SystemPlatform system;
    Program program(system.platform);
    program.vikkelo().show();
    return QApplication::exec();
}
