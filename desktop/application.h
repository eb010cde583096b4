#pragma once

// What the whole program tells its platform once, before any window is made:
// its name and version, the desktop entry its windows belong to (so that a
// desktop ties them to the menu entry and its icon), and the program icon for
// every window and dialog, message and input boxes included, and the guard
// that keeps each of them at its size when something maximizes it.
void setUpApplication();
