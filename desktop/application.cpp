#include "desktop/application.h"

#include "desktop/fixedsize.h"
#include "desktop/programicon.h"

#include <QApplication>

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Vikkelo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    // The desktop entry dist/org.example.vikkelo.desktop; on Wayland also the app id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.vikkelo"));
    QApplication::setWindowIcon(programIcon());
    // Message and input boxes too: a maximized box must not end the game.
    keepEveryWindowFixed();
}
