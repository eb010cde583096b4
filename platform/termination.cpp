#include "platform/termination.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaMethod>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int wakeUp[2] = {-1, -1};

void handle(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeUp[0], &byte, 1);
    errno = saved;
}

// The X11 session's connection (ICE, opened by Qt) ends the program with
// exit() when the session manager goes away, and new scores with it. The
// library is there only when Qt loaded it; its handler is set by name.
void sessionLost(void*)
{
    emit Termination::instance().requested();
}

void outliveTheSessionManager()
{
    void* ice = ::dlopen("libICE.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!ice)
        return;
    using Handler = void (*)(void*);
    if (auto set = reinterpret_cast<Handler (*)(Handler)>(::dlsym(ice, "IceSetIOErrorHandler")))
        set(sessionLost);
}

} // namespace

Termination::Termination()
{
    outliveTheSessionManager();
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeUp) != 0)
        return;
    auto* notifier = new QSocketNotifier(wakeUp[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(wakeUp[1], bytes, sizeof bytes) > 0) {
        }
        emit requested();
    });
    struct sigaction action = {};
    action.sa_handler = handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}
#else
// Windows sends no signal: it asks through the session (WM_QUERYENDSESSION,
// the session manager's request in Qt), then ends the program with the
// window system's quit below.
Termination::Termination() = default;
#endif

Termination& Termination::instance()
{
    static Termination* termination = [] {
        auto* made = new Termination;
        QCoreApplication::instance()->installEventFilter(made);
        return made;
    }();
    return *termination;
}

bool Termination::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance() ||
        !isSignalConnected(QMetaMethod::fromSignal(&Termination::requested)))
        return false;
    emit requested();
    return true;
}
