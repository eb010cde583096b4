#pragma once

#include <QObject>

// A request from outside to end the program, as a logout, a shutdown or
// `kill` sends it: SIGTERM, or SIGHUP when the terminal it was started from
// goes away. A signal handler may do next to nothing, so the request is
// handed on to the event loop and arrives there as requested(). The window
// system's own quit (the session's last word after a logout: Die on X11,
// WM_ENDSESSION on Windows) arrives the same way, instead of Qt closing
// every window, each of which would ask again what the session has settled.
class Termination : public QObject {
    Q_OBJECT

public:
    // The one instance of the program; the first call installs the handlers.
    static Termination& instance();

signals:
    void requested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Termination();
};
