#pragma once

// Tells screen readers what two kinds of widget are that Qt cannot know by
// itself: a LineShape is a separator, named "Erotinviiva", and a top-level
// window built on a plain QWidget (the ranking window) is a window rather
// than an unnamed pane. Installing it more than once does no harm.
void installAccessibleRoles();
