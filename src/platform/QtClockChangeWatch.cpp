#include "platform/QtClockChangeWatch.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace veltrin {

QtClockChangeWatch::QtClockChangeWatch(QObject* parent) : QObject(parent) {
    fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0) return;
    if (!arm()) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QtClockChangeWatch::onReadable);
}

QtClockChangeWatch::~QtClockChangeWatch() {
    delete notifier_;
    if (fd_ >= 0) ::close(fd_);
}

bool QtClockChangeWatch::arm() {
    // A wall-clock timer far ahead that the kernel cancels whenever the
    // clock is set, and after a resume from suspend: the cancel is the news.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    itimerspec spec{};
    spec.it_value.tv_sec = now.tv_sec + 365L * 86400;
    return ::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
}

void QtClockChangeWatch::onReadable() {
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(fd_, &expirations, sizeof expirations);
    const bool changed = n < 0 && errno == ECANCELED;
    if (n < 0 && !changed && errno == EAGAIN) return;
    arm();  // a cancelled or expired timer must be set again
    if (changed) emit clockChanged();
}

}  // namespace veltrin
