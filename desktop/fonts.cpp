#include "desktop/fonts.h"

#include <QFont>
#include <QStringList>
#include <QWidget>

void installFontSubstitutes()
{
    const QStringList sansSerif = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                   QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               QStringList{QStringLiteral("Microsoft Sans Serif"),
                                           QStringLiteral("Arial")} + sansSerif);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sansSerif);
}

void setPointSizes(std::initializer_list<QWidget*> widgets, double points)
{
    for (QWidget* w : widgets) {
        QFont f = w->font();
        f.setPointSizeF(points);
        w->setFont(f);
    }
}
