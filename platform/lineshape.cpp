#include "platform/lineshape.h"

#include <QPainter>

LineShape::LineShape(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

QColor LineShape::colour() const
{
    return fixed_.isValid() ? fixed_ : palette().color(role_);
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

void LineShape::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), colour());
}
