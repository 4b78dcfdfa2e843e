#pragma once

#include <QObject>
#include <functional>
#include <string>

namespace veltrin {

// Sync passwords in the desktop's secret store (Secret Service), one per
// server address and user name. Never in the data folder, never in a log.
// Both calls answer later, on this thread, through the callback.
class QtSyncPasswords : public QObject {
    Q_OBJECT
public:
    explicit QtSyncPasswords(QObject* parent = nullptr);

    struct Answer {
        bool storeAvailable = false;
        bool found = false;
        std::string password;
        std::string error;  // what the store said, when it failed
    };
    void read(const std::string& url, const std::string& user, std::function<void(const Answer&)> done);
    // An empty password removes the entry.
    void write(const std::string& url, const std::string& user, const std::string& password,
               std::function<void(const Answer&)> done);
};

}  // namespace veltrin
