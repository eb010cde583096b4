#pragma once

#include <QObject>

// A request from outside to end the program, as a logout, a shutdown or
// `kill` sends it: SIGTERM, or SIGHUP when the terminal it was started from
// goes away. A signal handler may do next to nothing, so the request is
// handed on to the event loop and arrives there as requested().
class Termination : public QObject {
    Q_OBJECT

public:
    // The one instance of the program; the first call installs the handlers.
    static Termination& instance();

signals:
    void requested();

private:
    Termination();
};
