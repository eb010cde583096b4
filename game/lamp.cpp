#include "game/lamp.h"

#include "desktop/contrast.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A screen reader's "Press" on a lamp is the press a mouse-down makes; a
// push button's own press action would click it, and a lamp has no click.
class LampAccessible : public QAccessibleWidget {
public:
    explicit LampAccessible(Lamp* lamp) : QAccessibleWidget(lamp, QAccessible::Button) {}

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
            QMetaObject::invokeMethod(static_cast<Lamp*>(widget()), &Lamp::press, Qt::QueuedConnection);
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* lampFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("Lamp") && object && object->isWidgetType())
        return new LampAccessible(static_cast<Lamp*>(object));
    return nullptr;
}

} // namespace

Lamp::Lamp(QWidget* parent) : QPushButton(parent)
{
    static const bool accessible = (QAccessible::installFactory(lampFactory), true);
    Q_UNUSED(accessible);
    setAutoDefault(false);
    setDefault(false);
    // The face is filled edge to edge: nothing behind it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QFont Lamp::captionFont() const
{
    QFont f = font();
    f.setBold(bold_);
    return f;
}

void Lamp::prepareCaption()
{
    boldFont_ = font();
    boldFont_.setBold(true);
    for (QStaticText* caption : {&regularCaption_, &boldCaption_}) {
        caption->setText(text());
        caption->setTextFormat(Qt::PlainText);
        caption->setPerformanceHint(QStaticText::AggressiveCaching);
    }
    regularCaption_.prepare(QTransform(), font());
    boldCaption_.prepare(QTransform(), boldFont_);
    captionReady_ = true;
}

void Lamp::changeEvent(QEvent* event)
{
    // Laid out again at the next paint, not at every change while the form is built.
    if (event->type() == QEvent::FontChange)
        captionReady_ = false;
    QPushButton::changeEvent(event);
}

QColor Lamp::fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
}

void Lamp::setColours(quint32 bright, quint32 dark)
{
    brightColour_ = fromBgr(bright);
    darkColour_ = fromBgr(dark);
    update();
}

void Lamp::setColourName(const QString& colourName)
{
    // The caption first, so that a player who says what the lamp shows is understood.
    const QString lamp = text() + QStringLiteral(", ") + colourName + QStringLiteral(" lamppu");
    litName_ = lamp + QStringLiteral(", palaa");
    darkName_ = lamp + QStringLiteral(", ei pala");
    setAccessibleName(bright_ ? litName_ : darkName_);
}

void Lamp::press()
{
    if (isEnabled())
        emit pressedDown();
}

void Lamp::setLit(bool lit)
{
    setBold(lit);
    setBright(lit);
}

void Lamp::setBright(bool bright)
{
    if (bright == bright_)
        return;
    bright_ = bright;
    // Set only on a change: the name-change event it sends (when a screen
    // reader listens) is what tells the player a lamp went on or off.
    if (!litName_.isEmpty())
        setAccessibleName(bright_ ? litName_ : darkName_);
    update();
}

void Lamp::setBold(bool bold)
{
    if (bold == bold_)
        return;
    bold_ = bold;
    update();
}

void Lamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    // A flat face of exactly the lamp's colour inside a thin frame.
    painter.fillRect(r, palette().color(QPalette::Shadow));
    painter.fillRect(r.adjusted(1, 1, -1, -1), faceColour());

    if (!captionReady_ || regularCaption_.text() != text())
        prepareCaption();
    QStaticText& caption = bold_ ? boldCaption_ : regularCaption_;
    painter.setFont(bold_ ? boldFont_ : font());
    painter.setPen(captionColour());
    const QSizeF size = caption.size();
    painter.drawStaticText(QPointF((r.width() - size.width()) / 2, (r.height() - size.height()) / 2),
                           caption);

    // A dotted focus mark in the caption's colour: a style's own mark may
    // tint the face and the caption, and the lamp's colour is the game.
    if (hasFocus()) {
        painter.setPen(QPen(captionColour(), 1, Qt::DotLine));
        painter.drawRect(r.adjusted(4, 4, -5, -5));
    }
}

QColor Lamp::captionColour() const
{
    // The face is the lamp's own colour in every scheme, and so is the
    // caption: black or white, whichever stands out more. The closest call
    // is the dark yellow lamp, where black still reaches 5:1. A dark lamp is
    // told by its colour and regular caption, never by a greyed-out one.
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrastRatio(black, faceColour()) >= contrastRatio(white, faceColour()) ? black : white;
}

void Lamp::mousePressEvent(QMouseEvent* event)
{
    // Which button, the modifiers and the position do not matter.
    event->accept();
    press();
}

void Lamp::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void Lamp::keyPressEvent(QKeyEvent* event)
{
    // Space and Enter press the lamp as the key goes down, as a mouse button
    // does; a push button would wait for the release and click. A key held
    // down is one press. Tab and the arrow keys still move the focus.
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        event->accept();
        if (!event->isAutoRepeat())
            press();
        return;
    default:
        QPushButton::keyPressEvent(event);
    }
}

void Lamp::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Select) {
        event->accept();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}
