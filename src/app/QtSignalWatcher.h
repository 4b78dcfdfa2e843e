#pragma once

#include <QObject>

class QSocketNotifier;

namespace veltrin {

// Turns SIGTERM, SIGHUP and SIGINT (a desktop ending the session, or a user
// stopping the program) into a Qt signal on the user-interface thread.
class QtSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit QtSignalWatcher(QObject* parent = nullptr);
    ~QtSignalWatcher() override;
    bool received() const { return received_; }

signals:
    void endRequested();

private:
    void onReadable();
    QSocketNotifier* notifier_ = nullptr;
    bool received_ = false;
};

}  // namespace veltrin
