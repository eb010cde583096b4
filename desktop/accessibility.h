#pragma once

// Tells screen readers what two kinds of widget are that Qt cannot know by
// itself: a LineShape is a separator, named "Erotinviiva", and the ranking
// window, built on a plain QWidget, is a window rather than an unnamed pane. Installing it more than once does no harm.
void installAccessibleRoles();
