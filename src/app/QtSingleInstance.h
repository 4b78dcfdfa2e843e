#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace veltrin {

// The channel by which a second start over the same data folder asks the
// running program to come to the front. The lock itself is InstanceLock.
class QtSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit QtSingleInstance(const QString& key, QObject* parent = nullptr);

    // The running program listens; a stale socket of a dead one is replaced.
    bool listen();
    // Stops listening; the socket goes with it.
    void close();
    // A second start knocks; true when the running program answered.
    static bool notifyRunning(const QString& key, int timeoutMs = 15000);
    static QString socketPath(const QString& key);

signals:
    void activationRequested();

private:
    QString key_;
    QLocalServer* server_ = nullptr;
};

}  // namespace veltrin
