#include "desktop/programicon.h"

QIcon programIcon()
{
    // Built once: Qt decodes every image as it is added, and each window asks.
    // 128 px is the largest a window needs (a 32 px icon on a 400 % screen);
    // desktops take the 256 px drawing from the installed icon theme.
    static const QIcon icon = [] {
        // The images live in the static library, where the linker drops
        // their registration unless something refers to it.
        Q_INIT_RESOURCE(resources);
        QIcon made(QStringLiteral(":/icons/vikkelo.ico"));
        for (int size : {48, 64, 128})
            made.addFile(QStringLiteral(":/icons/vikkelo-%1.png").arg(size), QSize(size, size));
        return made;
    }();
    return icon;
}
