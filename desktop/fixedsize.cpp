#include "desktop/fixedsize.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

constexpr Qt::WindowStates kResizing = Qt::WindowMaximized | Qt::WindowFullScreen;
const QString kName = QStringLiteral("fixedSizeKeeper");

class FixedSizeKeeper : public QObject {
public:
    explicit FixedSizeKeeper(QWidget* window) : QObject(window), window_(window)
    {
        setObjectName(kName);
        window->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        // The platform window exists from the first show on, and is made
        // anew when the window's flags change.
        if (event->type() == QEvent::Show && window_->windowHandle() != handle_) {
            handle_ = window_->windowHandle();
            connect(handle_, &QWindow::windowStateChanged, this, &FixedSizeKeeper::stateAsked);
        }
        return false;
    }

private:
    void stateAsked(Qt::WindowState state)
    {
        // At once: the window leaves the screen before it draws again at its
        // own size. Queued, a box's own loop may draw it first, and the
        // compositor ends a program that draws at a size it did not ask for.
        if (state & kResizing)
            refuse();
    }

    void refuse()
    {
        if (!handle_ || !(handle_->windowStates() & kResizing))
            return;
        window_->setWindowState(window_->windowState() & ~kResizing);
        handle_->setWindowStates(handle_->windowStates() & ~kResizing);
        // An X11 window manager takes the state back; a Wayland compositor
        // would still answer with a maximized size the window must then
        // take. Only a new surface leaves that answer with no one to obey it.
        if (QGuiApplication::platformName() == QLatin1String("wayland") && window_->isVisible()) {
            window_->hide();
            window_->show();
        }
    }

    QWidget* window_;
    QPointer<QWindow> handle_;
};

// Every window the program shows, the ones Qt makes for it included.
class EveryWindow : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show && object->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(object);
            const Qt::WindowType type = widget->windowType();
            if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog))
                keepFixedSize(widget);
        }
        return false;
    }
};

} // namespace

void keepFixedSize(QWidget* window)
{
    if (!window->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly))
        new FixedSizeKeeper(window);
}

void keepEveryWindowFixed()
{
    static EveryWindow* every = nullptr;
    if (!every) {
        every = new EveryWindow(qApp);
        qApp->installEventFilter(every);
    }
}
