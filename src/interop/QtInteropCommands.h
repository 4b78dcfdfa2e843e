#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "contacts/ContactRecords.h"
#include "documents/DocumentRecords.h"
#include "events/EventRecords.h"
#include "interop/ImportReport.h"

class QWidget;

namespace veltrin {

class CContactsView;
class CDiaryView;
class CEventsView;
class CNotesView;

// "Import..." and "Export..." of the Events, Contacts, Diary and Notes views:
// asks for the file, shows a progress window for big files, merges through
// the core (ViewTransfer.h) and says what happened in a message.
class QtInteropCommands : public QObject {
    Q_OBJECT
public:
    // The stores behind the views, which outlive this object.
    QtInteropCommands(EventStore& events, ContactStore& contacts, DiaryTable& diary, NoteTable& notes,
                      QObject* parent = nullptr);

    void attach(CEventsView* view);
    void attach(CContactsView* view);
    void attach(CDiaryView* view);
    void attach(CNotesView* view);

    // From this many items on, a progress window shows while the work runs.
    static constexpr int kProgressFrom = 2000;

private:
    void events(CEventsView* view, int command);
    void contacts(CContactsView* view, int command);
    void diary(CDiaryView* view, int command);
    void notes(CNotesView* view, int command);

    // Asks for the file, reads it and reports what merge did with it; merge
    // gives nothing when the file could not be read as its kind.
    using Merge = std::function<std::optional<ImportReport>(const std::string& text)>;
    void runImport(QWidget* view, bool cards, const char* what, const Merge& merge);
    // Asks where to (into path_), lets produce make the text in the chosen
    // filter (or write a folder itself) and writes it; produce gives how
    // many items went out, or -1 when it failed and said so.
    using Produce = std::function<int(const QString& filter, std::string& text)>;
    void runExport(QWidget* view, const QString& filters, const QString& suggested, int items,
                   const char* what, const Produce& produce);

    // The file to import, or empty when the user cancelled.
    static QString askOpen(QWidget* parent, const QString& filter);
    // Where to export; selectedFilter receives the filter the user chose.
    static QString askSave(QWidget* parent, const QString& filters, const QString& suffix,
                           const QString& suggested, QString* selectedFilter = nullptr);
    // The file's bytes; false (with the message shown) when it cannot be read
    // or is not of the kind wanted.
    static bool readFile(const QString& path, bool cards, std::string& text);
    static bool writeFile(const QString& path, const std::string& text);
    // Runs work, behind a progress window when there are many items.
    static void withProgress(QWidget* parent, int items, const QString& label,
                             const std::function<void()>& work);

    EventStore& events_;
    ContactStore& contacts_;
    DiaryTable& diary_;
    NoteTable& notes_;
    QString path_;  // where the running export writes
};

}  // namespace veltrin
