#include "platform/fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutes()
{
    const QStringList sansSerif = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                   QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               QStringList{QStringLiteral("Microsoft Sans Serif"),
                                           QStringLiteral("Arial")} + sansSerif);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sansSerif);
}
