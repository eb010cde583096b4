#pragma once

class QWidget;

// Keeps a fixed-size window at its size when something asks to maximize it
// or make it full screen anyway: Qt's own title bar on Wayland offers a
// maximize button whatever the window says, and a compositor that has been
// told "maximized" kills a client that then draws at another size. The
// request is withdrawn before the compositor answers it. A window that has
// its guard already keeps that one.
void keepFixedSize(QWidget* window);

// Gives the same guard to every window the program shows from now on,
// message and input boxes included, as each is first shown.
void keepEveryWindowFixed();
