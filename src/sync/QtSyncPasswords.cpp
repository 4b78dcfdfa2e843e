#include "sync/QtSyncPasswords.h"

#include <qt6keychain/keychain.h>

namespace veltrin {

namespace {

const QString kService = QStringLiteral("Veltrin sync");

QString KeyOf(const std::string& url, const std::string& user) {
    return QString::fromStdString(user) + QLatin1Char('@') + QString::fromStdString(url);
}

QtSyncPasswords::Answer AnswerOf(const QKeychain::Job& job) {
    QtSyncPasswords::Answer a;
    a.storeAvailable = job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound;
    if (job.error() != QKeychain::NoError && job.error() != QKeychain::EntryNotFound)
        a.error = job.errorString().toStdString();
    return a;
}

}  // namespace

QtSyncPasswords::QtSyncPasswords(QObject* parent) : QObject(parent) {}

void QtSyncPasswords::read(const std::string& url, const std::string& user,
                           std::function<void(const Answer&)> done) {
    auto* job = new QKeychain::ReadPasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(KeyOf(url, user));
    connect(job, &QKeychain::Job::finished, this, [job, done] {
        Answer a = AnswerOf(*job);
        a.found = job->error() == QKeychain::NoError;
        if (a.found) a.password = job->textData().toStdString();
        done(a);
    });
    job->start();
}

void QtSyncPasswords::write(const std::string& url, const std::string& user, const std::string& password,
                            std::function<void(const Answer&)> done) {
    QKeychain::Job* job = nullptr;
    if (password.empty()) {
        job = new QKeychain::DeletePasswordJob(kService, this);
    } else {
        auto* writing = new QKeychain::WritePasswordJob(kService, this);
        writing->setTextData(QString::fromStdString(password));
        job = writing;
    }
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(KeyOf(url, user));
    connect(job, &QKeychain::Job::finished, this, [job, done] { done(AnswerOf(*job)); });
    job->start();
}

}  // namespace veltrin
