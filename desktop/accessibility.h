#pragma once

class QWidget;

// Tells screen readers what two kinds of widget are that Qt cannot know by
// itself: a LineShape is a separator, named "Erotinviiva", and a window built
// on a plain QWidget that announced itself is a window rather than an unnamed
// pane. Installing it more than once does no harm.
void installAccessibleRoles();

// A top-level window built on a plain QWidget (the ranking window) says so
// here, before anything asks for its accessible interface: from its
// constructor, first thing.
void announceAsWindow(QWidget& window);

class QString;

// Says a short text to a screen reader at once, whatever has the focus:
// Orca speaks a notification as it appears, where it speaks a changed name
// only on the focused control. What shows is one transparent pixel.
void announce(QWidget& window, const QString& text);
