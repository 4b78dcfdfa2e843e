#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/SyncRounds.h"
#include "sync/SyncConfig.h"
#include "sync/SyncRun.h"

class QThread;
class QTimer;

namespace veltrin {

class QtSyncPasswords;
class SyncSession;

// The program's syncs: at start, on its timer and by hand. The records are
// stored the ordinary way, the network part runs on a thread of its own,
// and what came down goes into the data files only when the views still
// hold what was stored; else the user's edits are stored and it syncs again.
class QtSyncService : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> store;                     // the program's own save: false when a store failed
        std::function<DataDigests()> digests;            // what the views would store now
        std::function<void(const StoredFiles&)> reload;  // these data files changed: show them again
        std::function<std::string()> password;           // the secret store's, or empty
    };
    QtSyncService(std::string dataFolder, Hooks hooks, QObject* parent = nullptr);
    // A network part still running is waited for and never applied.
    ~QtSyncService() override;

    // Reads the configuration again for the timer; no configuration, no
    // timer. False when there is none.
    bool configure();
    // Syncs now, or once more right after the sync that runs.
    void syncNow();
    bool running() const { return state_.running; }
    const SyncState& state() const { return state_; }
    QString stateText() const;
    QTimer* timer() const { return timer_; }
    QtSyncPasswords* passwords() const { return passwords_; }
    // The password the user gave for this server and user name, once kept
    // in the secret store: the next sync need not ask the store.
    void setPassword(const std::string& url, const std::string& user, const std::string& password);
    // The record files the program's start did not read whole: never synced this run.
    void setFilesNotWhole(std::vector<std::string> files) { filesNotWhole_ = std::move(files); }

signals:
    // Also once a minute after a sync, for "Synced 2 minutes ago".
    void stateChanged();

private:
    // The configuration as one round reads it: once, for the password and the session.
    struct RoundConfig {
        bool read = false;
        SyncConfig config;
        std::string why;
    };
    RoundConfig readConfig() const;
    // The secret store's password, unless a password command gives it.
    void withPassword(const RoundConfig& round, std::function<void()> then);
    void begin(const RoundConfig& round);
    void fetched();
    void finish(const std::string& error);

    std::string dataFolder_;
    Hooks hooks_;
    SyncState state_;
    QTimer* timer_ = nullptr;
    QTimer* minute_ = nullptr;
    QThread* worker_ = nullptr;
    std::atomic<bool> stopping_{false};
    std::vector<std::string> filesNotWhole_;
    std::shared_ptr<SyncSession> session_;
    QtSyncPasswords* passwords_ = nullptr;
    std::string passwordFor_;  // the server and user the password is for
    std::optional<std::string> password_;
    DataDigests stored_;
    int round_ = 0;
    bool allowMassDelete_ = false;
    bool again_ = false;
};

}  // namespace veltrin
