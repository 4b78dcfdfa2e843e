#pragma once

#include <QObject>

class QSocketNotifier;

namespace veltrin {

// Tells when the wall clock jumped: set by hand or by time sync, or the
// machine woke from sleep. A sleeper waiting for a wall-clock moment on a
// steady timer wakes at the wrong time after either; this lets it wait
// without polling.
class QtClockChangeWatch : public QObject {
    Q_OBJECT
public:
    explicit QtClockChangeWatch(QObject* parent = nullptr);
    ~QtClockChangeWatch() override;

    // False where the system cannot tell: callers then look now and then.
    bool watching() const { return fd_ >= 0; }

signals:
    void clockChanged();

private:
    bool arm();
    void onReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace veltrin
