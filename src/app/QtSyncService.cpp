#include "app/QtSyncService.h"

#include <QThread>
#include <QTimer>

#include <cstdio>

#include "platform/Platform.h"
#include "sync/QtSyncPasswords.h"
#include "sync/SyncConfig.h"
#include "sync/SyncRun.h"

namespace veltrin {

namespace {

std::string PasswordKey(const std::string& url, const std::string& user) { return user + '\n' + url; }

}  // namespace

QtSyncService::QtSyncService(std::string dataFolder, Hooks hooks, QObject* parent)
    : QObject(parent), dataFolder_(std::move(dataFolder)), hooks_(std::move(hooks)) {
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("syncTimer"));
    connect(timer_, &QTimer::timeout, this, &QtSyncService::syncNow);
    passwords_ = new QtSyncPasswords(this);
    minute_ = new QTimer(this);
    minute_->setInterval(60 * 1000);
    connect(minute_, &QTimer::timeout, this, &QtSyncService::stateChanged);
}

QtSyncService::~QtSyncService() {
    stopping_ = true;  // a slow server is not waited for
    if (worker_) {
        worker_->disconnect(this);
        worker_->wait();
        delete worker_;
    }
}

bool QtSyncService::configure() {
    SyncConfig config;
    std::string why;
    timer_->stop();
    if (!LoadSyncConfig(dataFolder_, config, why)) return false;
    if (config.intervalMinutes > 0) timer_->start(config.intervalMinutes * 60 * 1000);
    return true;
}

QString QtSyncService::stateText() const {
    return QString::fromStdString(SyncStateText(state_, clock().now()));
}

void QtSyncService::syncNow() {
    if (state_.running) {
        again_ = true;
        return;
    }
    round_ = 0;
    state_.running = true;
    emit stateChanged();
    const RoundConfig round = readConfig();
    withPassword(round, [this, round] { begin(round); });
}

QtSyncService::RoundConfig QtSyncService::readConfig() const {
    RoundConfig round;
    round.read = LoadSyncConfig(dataFolder_, round.config, round.why);
    return round;
}

void QtSyncService::setPassword(const std::string& url, const std::string& user,
                                const std::string& password) {
    passwordFor_ = PasswordKey(url, user);
    password_ = password;
}

void QtSyncService::withPassword(const RoundConfig& round, std::function<void()> then) {
    const SyncConfig& config = round.config;
    if (!round.read || !config.passwordCommand.empty()) {
        then();
        return;
    }
    const std::string key = PasswordKey(config.url, config.user);
    if (password_ && passwordFor_ == key) {
        then();
        return;
    }
    const bool needsOne = !config.user.empty();
    passwords_->read(config.url, config.user, [this, key, then, needsOne](const QtSyncPasswords::Answer& a) {
        password_.reset();
        if (a.found) {
            passwordFor_ = key;
            password_ = a.password;
        }
        if (!a.storeAvailable && needsOne) {
            finish("the desktop's password store is not available (" + a.error +
                   "); give a password command in Sync...");
            return;
        }
        then();
    });
}

// One round: store, load what was stored, the network part on the worker.
void QtSyncService::begin(const RoundConfig& round) {
    ++round_;
    if (!hooks_.store()) {
        finish("The data files could not be stored, so nothing was synced.");
        return;
    }
    stored_ = hooks_.digests();
    if (!round.read) {
        finish(round.why);
        return;
    }
    SyncRequest request;
    request.dataFolder = dataFolder_;
    request.allowMassDelete = allowMassDelete_;
    request.now = clock().now();
    request.config = round.config;
    request.cancel = &stopping_;
    request.filesNotWhole = filesNotWhole_;
    const SyncConfig& config = round.config;
    if (config.passwordCommand.empty() && password_ && passwordFor_ == PasswordKey(config.url, config.user)) {
        request.password = *password_;
        request.passwordGiven = true;
    }
    session_ = std::make_shared<SyncSession>(request);
    if (!session_->Load()) {
        finish(session_->report().error);
        return;
    }
    std::shared_ptr<SyncSession> session = session_;
    worker_ = QThread::create([session] { session->Fetch(); });
    connect(worker_, &QThread::finished, this, &QtSyncService::fetched);
    worker_->start();
}

void QtSyncService::fetched() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    std::shared_ptr<SyncSession> session = std::move(session_);
    switch (StepAfterFetch(stored_, hooks_.digests(), round_)) {
    case SyncStep::Apply: break;
    case SyncStep::SyncAgain:
        // What came down is dropped; the server's side is in the status.
        begin(readConfig());
        return;
    case SyncStep::GiveUp: finish("The records kept changing; the next sync tries again."); return;
    }
    session->Apply();
    const SyncReport& report = session->report();
    if (report.dataChanged) hooks_.reload(report.stored);
    if (report.massDelete && !allowMassDelete_) {
        // Still running while asked: a sync by hand or by the timer waits.
        const bool yes = messages().show(report.error + "\n\nSync anyway?", "Sync", Messages::Icon::Question,
                                         Messages::Buttons::YesNo) == Messages::Answer::Yes;
        if (yes) {
            allowMassDelete_ = true;
            round_ = 0;
            begin(readConfig());
            return;
        }
    }
    finish(report.ok ? std::string() : report.error);
}

void QtSyncService::finish(const std::string& error) {
    allowMassDelete_ = false;
    state_.running = false;
    state_.error = error;
    if (error.empty()) state_.syncedAt = clock().now();
    // Also for the session's log: a sync at start or by the timer is not watched.
    if (!error.empty()) std::fprintf(stderr, "veltrin: the sync failed: %s\n", error.c_str());
    if (!minute_->isActive()) minute_->start();
    emit stateChanged();
    if (again_) {
        again_ = false;
        QTimer::singleShot(0, this, &QtSyncService::syncNow);
    }
}

}  // namespace veltrin
