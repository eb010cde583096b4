#include "platform/programicon.h"

QIcon programIcon()
{
    QIcon icon(QStringLiteral(":/icons/vikkelo.ico"));
    for (int size : {48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/vikkelo-%1.png").arg(size), QSize(size, size));
    return icon;
}
