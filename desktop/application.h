#pragma once

// What the whole program tells its platform once, before any window is made:
// its name and version, the desktop entry its windows belong to (so that a
// desktop ties them to the menu entry and its icon), and the program icon for
// every window and dialog, message and input boxes included; then what
// setUpWindows() does.
void setUpApplication();

// What the windows need of the process before the first one is made: the
// fonts that stand in for the forms' Windows fonts, and what screen readers
// are told of the program's own controls, and the guard that keeps every
// window and box at its size when something maximizes it. Running it again
// does no harm.
void setUpWindows();
