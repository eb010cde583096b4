#include "desktop/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
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

    // Windows has MS Sans Serif only as bitmaps of a few sizes, and Qt asks
    // for a bitmap by its line height as if it were the letters' height, so
    // 8.25 pt comes out as the 10 pt bitmap and the windows clip their texts.
    // There the fonts are drawn from outlines: Microsoft Sans Serif, the same
    // face with the same metrics, stands in at the designed sizes.
    const QString designed = QStringLiteral("MS Sans Serif");
    if (QFontDatabase::families().contains(designed) && !QFontDatabase::isSmoothlyScalable(designed)) {
        QFont font = QGuiApplication::font();
        font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::ForceOutline));
        QGuiApplication::setFont(font);
    }
}

void setPointSizes(std::initializer_list<QWidget*> widgets, double points)
{
    for (QWidget* w : widgets) {
        QFont f = w->font();
        f.setPointSizeF(points);
        w->setFont(f);
    }
}

namespace {

// The width and height a caption needs in the control's font now.
QSize needs(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->wordWrap() || label->text().isEmpty() ? QSize() : label->sizeHint();
    if (auto* button = qobject_cast<QPushButton*>(w))
        return {button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) + 6,
                button->fontMetrics().height()};
    return {};
}

} // namespace

void fitCaptions(QWidget& window)
{
    for (QWidget* w : window.findChildren<QWidget*>()) {
        QFont f = w->font();
        for (QSize need = needs(w); (need.width() > w->width() || need.height() > w->height()) &&
                                    f.pointSizeF() > 6;
             need = needs(w)) {
            f.setPointSizeF(f.pointSizeF() - 0.25);
            w->setFont(f);
        }
    }
}
