#include "desktop/application.h"

#include "desktop/accessibility.h"
#include "desktop/fonts.h"
#include "desktop/fixedsize.h"
#include "desktop/programicon.h"

#include <QApplication>

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Vikkelo"));
    QApplication::setApplicationVersion(QStringLiteral(VIKKELO_VERSION));
    // The desktop entry dist/org.example.vikkelo.desktop; on Wayland also the app id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.vikkelo"));
    QApplication::setWindowIcon(programIcon());
    setUpWindows();
}

void setUpWindows()
{
    installFontSubstitutes();
    installAccessibleRoles();
    // Message and input boxes too: a maximized box must not end the game.
    keepEveryWindowFixed();
}
