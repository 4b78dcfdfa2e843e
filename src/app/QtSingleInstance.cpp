#include "app/QtSingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include "platform/InstanceLock.h"

namespace veltrin {

QtSingleInstance::QtSingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {}

QString QtSingleInstance::socketPath(const QString& key) {
    return QString::fromStdString(InstanceLock::runtimeFolder()) + "/" + key + ".socket";
}

bool QtSingleInstance::listen() {
    const QString path = socketPath(key_);
    QLocalServer::removeServer(path);  // we hold the lock, so any socket there is stale
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) return false;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, s, [this, s] {
                if (s->readAll().contains("show")) {
                    s->write("ok\n");
                    s->flush();
                    emit activationRequested();
                }
                s->disconnectFromServer();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

void QtSingleInstance::close() {
    if (server_) server_->close();
}

bool QtSingleInstance::notifyRunning(const QString& key, int timeoutMs) {
    // The running program may still be starting: knock again until it listens.
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket s;
        s.connectToServer(socketPath(key));
        if (s.waitForConnected(500)) {
            s.write("show\n");
            s.flush();
            if (s.waitForReadyRead(std::max<qint64>(100, deadline.remainingTime())) &&
                s.readAll().contains("ok"))
                return true;
        }
        QThread::msleep(100);
    }
    return false;
}

}  // namespace veltrin
