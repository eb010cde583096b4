#include "game/lamp.h"

#include "desktop/contrast.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

Lamp::Lamp(QWidget* parent) : QPushButton(parent)
{
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
    litName_ = colourName + QStringLiteral(" lamppu, palaa");
    darkName_ = colourName + QStringLiteral(" lamppu, ei pala");
    setAccessibleName(bright_ ? litName_ : darkName_);
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

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = r.adjusted(4, 4, -4, -4);
        option.backgroundColor = faceColour();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

QColor Lamp::captionColour() const
{
    // The scheme's button text where it shows on the lamp's colour, else the
    // scheme's button face colour, its counterpart. The face keeps its colour
    // in every state, and so does the caption: a dark lamp is told by its
    // colour and regular caption, and a scheme's dimmed colours for disabled
    // buttons or inactive windows would vanish on it.
    return readableColour(palette().color(QPalette::Active, QPalette::ButtonText),
                          palette().color(QPalette::Active, QPalette::Button), faceColour(), kLargeTextContrast);
}

void Lamp::mousePressEvent(QMouseEvent* event)
{
    // Which button, the modifiers and the position do not matter.
    event->accept();
    emit pressedDown();
}

void Lamp::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void Lamp::keyPressEvent(QKeyEvent* event)
{
    // Space and Enter would click a push button; a lamp is pressed by mouse only.
    // Tab and the arrow keys still move the focus.
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        event->accept();
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
