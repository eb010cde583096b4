#pragma once

#include <QPushButton>
#include <QStaticText>

// One of the four lamps: a push button whose whole face is filled with its
// colour under any style. A press is a mouse button going down on it, Space
// or Enter while it has the focus, or a screen reader's press action; each
// is one press, taken as it comes (a click needs no release). The press
// action is queued and taken from the event loop, as a mouse-down is.
class Lamp : public QPushButton {
    Q_OBJECT

public:
    explicit Lamp(QWidget* parent = nullptr);

    // Colours as the game's design gives them, 0x00BBGGRR.
    void setColours(quint32 bright, quint32 dark);
    // The colour as a screen reader says it ("punainen"); the lamp's
    // accessible name then tells its caption, its colour and whether it is
    // lit ("KLIK, punainen lamppu, palaa").
    void setColourName(const QString& colourName);
    // Presses the lamp as a mouse button going down on it does. A disabled
    // lamp, outside a round, takes no press. A screen reader's "Press" runs it.
    Q_INVOKABLE void press();
    // Lit: bright colour and bold caption; unlit: dark colour and regular caption.
    void setLit(bool lit);
    void setBright(bool bright);
    void setBold(bool bold);

    bool isBright() const { return bright_; }
    bool isBold() const { return bold_; }
    // The font the caption is drawn in now.
    QFont captionFont() const;
    // The colour the face is filled with now.
    QColor faceColour() const { return bright_ ? brightColour_ : darkColour_; }
    // The colour the caption is drawn in now: black or white, whichever
    // stands out more on the face, so that it reads alike in every scheme.
    QColor captionColour() const;

    // Converts a 0x00BBGGRR value to a colour.
    static QColor fromBgr(quint32 bgr);

signals:
    // The lamp was pressed: a mouse button went down on it, or press() ran.
    void pressedDown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void prepareCaption();

    QColor brightColour_;
    QColor darkColour_;
    bool bright_ = false;
    // The caption's weight is the lamp's own: it changes on every tick, and
    // setting the widget's font that often would re-resolve and re-polish it.
    bool bold_ = false;
    // The caption laid out once per font, not on every paint.
    QFont boldFont_;
    QStaticText regularCaption_;
    QStaticText boldCaption_;
    bool captionReady_ = false;
    // Both names are made once, so that a tick only swaps shared strings.
    QString litName_;
    QString darkName_;
};
