#include "desktop/lineshape.h"

#include "desktop/contrast.h"

#include <QPainter>

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
    return readableColour(design, palette().color(QPalette::WindowText), palette().color(QPalette::Window),
                          minimumContrast_);
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
