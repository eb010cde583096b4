#include "platform/lineshape.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

class LineShapeAccessible : public QAccessibleWidget {
public:
    explicit LineShapeAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Separator) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return QStringLiteral("Erotinviiva");
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* lineShapeFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("LineShape") && object && object->isWidgetType())
        return new LineShapeAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void LineShape::installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(lineShapeFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

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
