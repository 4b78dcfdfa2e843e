#include "app/QtSignalWatcher.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace veltrin {

namespace {
int g_fds[2] = {-1, -1};

void onSignal(int sig) {
    const char c = static_cast<char>(sig);
    // Only async-signal-safe work here: wake the event loop.
    (void)!::write(g_fds[0], &c, 1);
}
}  // namespace

QtSignalWatcher::QtSignalWatcher(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0) return;
    notifier_ = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QtSignalWatcher::onReadable);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(sig, &sa, nullptr);
}

QtSignalWatcher::~QtSignalWatcher() {
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(sig, &sa, nullptr);
    if (g_fds[0] >= 0) {
        ::close(g_fds[0]);
        ::close(g_fds[1]);
        g_fds[0] = g_fds[1] = -1;
    }
}

void QtSignalWatcher::onReadable() {
    char buf[16];
    (void)!::read(g_fds[1], buf, sizeof buf);
    if (received_) return;
    received_ = true;
    emit endRequested();
}

}  // namespace veltrin
