#include "desktop/accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// Set by the window itself, so that nothing here needs to know it by name.
const char kAnnouncedWindow[] = "vikkeloAnnouncedWindow";
// Set likewise by a button that is pressed as a mouse button goes down.
const char kPressedOnDown[] = "vikkeloPressedOnDown";

// A screen reader's "Press" on such a button is the press a mouse-down makes;
// a push button's own press action would click it, and it has no click.
class PressedOnDownAccessible : public QAccessibleWidget {
public:
    explicit PressedOnDownAccessible(QWidget* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        // Queued, as a mouse-down comes from the event loop: the caller (a
        // screen reader waiting for its answer) gets it at once, not when
        // the box a losing press opens has been closed.
        if (action == pressAction())
            QMetaObject::invokeMethod(widget(), "press", Qt::QueuedConnection);
        else
            QAccessibleWidget::doAction(action);
    }
};

// The window's invisible notification, shown anew for every announcement.
const QString kNotification = QStringLiteral("vikkeloNotification");

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
    if (widget->property(kPressedOnDown).toBool())
        return new PressedOnDownAccessible(widget);
    if (widget->objectName() == kNotification)
        return new QAccessibleWidget(widget, QAccessible::Notification);
    // Claimed only for the windows that asked: any broader test also catches
    // Qt's own top-level classes, and a menu would lose the interface that
    // lists its items.
    if (widget->isWindow() && widget->property(kAnnouncedWindow).toBool())
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

void announceAsWindow(QWidget& window)
{
    window.setProperty(kAnnouncedWindow, true);
}

void announcePressedOnDown(QWidget& button)
{
    button.setProperty(kPressedOnDown, true);
}

void announce(QWidget& window, const QString& text)
{
    installAccessibleRoles();
    auto* note = window.findChild<QWidget*>(kNotification, Qt::FindDirectChildrenOnly);
    if (!note) {
        // Draws nothing: one transparent pixel in the corner.
        note = new QWidget(&window);
        note->setObjectName(kNotification);
        note->setGeometry(0, 0, 1, 1);
    }
    note->hide();
    note->setAccessibleName(text);
    note->show();
}
