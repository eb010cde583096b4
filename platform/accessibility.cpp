#include "platform/accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

class SeparatorAccessible : public QAccessibleWidget {
public:
    explicit SeparatorAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Separator) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return QStringLiteral("Erotinviiva");
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* roleFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("LineShape"))
        return new SeparatorAccessible(widget);
    // Asked first with the most derived class name; Qt's own classes have
    // interfaces of their own and are left to them.
    if (widget->isWindow() && className == QLatin1String(object->metaObject()->className()) &&
        object->metaObject()->superClass() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibleRoles()
{
    static const bool installed = [] {
        QAccessible::installFactory(roleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
