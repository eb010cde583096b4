#pragma once

class QString;
class QWidget;

// Tells screen readers what three kinds of widget are that Qt cannot know by
// itself: a LineShape is a separator, named "Erotinviiva"; a window built on
// a plain QWidget that announced itself is a window rather than an unnamed
// pane; and the "Press" of a button announced as pressed on down is its
// press(). Installing it more than once does no harm.
void installAccessibleRoles();

// A top-level window built on a plain QWidget (the ranking window) says so
// here, before anything asks for its accessible interface: from its
// constructor, first thing.
void announceAsWindow(QWidget& window);

// A button whose press is a mouse button going down (a lamp) says so here,
// from its constructor; it has a press() slot or Q_INVOKABLE that does it.
void announcePressedOnDown(QWidget& button);

// Says a short text to a screen reader at once, whatever has the focus:
// Orca speaks a notification as it appears, where it speaks a changed name
// only on the focused control. What shows is one transparent pixel.
void announce(QWidget& window, const QString& text);
