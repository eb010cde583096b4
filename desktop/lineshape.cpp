#include "desktop/lineshape.h"

#include "desktop/contrast.h"

#include <QPainter>

#include <algorithm>

LineShape::LineShape(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

QColor LineShape::colour() const
{
    const QColor design = fixed_.isValid() ? fixed_ : palette().color(role_);
    if (minimumContrast_ <= 0)
        return design;
    // In a light scheme a rule keeps its colour unless it would nearly vanish.
    const double minimum =
        isLightScheme(palette(), style()) ? std::min(minimumContrast_, kRuleVanishes) : minimumContrast_;
    return readableColour(design, palette().color(QPalette::WindowText), palette().color(QPalette::Window),
                          minimum);
}

void LineShape::setColour(const QColor& colour)
{
    fixed_ = colour;
    update();
}

void LineShape::setColourRole(QPalette::ColorRole role)
{
    fixed_ = QColor();
    role_ = role;
    update();
}

void LineShape::setMinimumContrast(double ratio)
{
    minimumContrast_ = ratio;
    update();
}

void LineShape::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), colour());
}
