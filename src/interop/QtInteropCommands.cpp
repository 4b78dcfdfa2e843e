#include "interop/QtInteropCommands.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <fstream>
#include <sstream>

#include "contacts/CContactsView.h"
#include "controls/CGroupTree.h"
#include "documents/CDiaryView.h"
#include "documents/CNotesView.h"
#include "events/CEventsView.h"
#include "interop/ViewTransfer.h"
#include "platform/Platform.h"
#include "storage/QtStoredText.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {

namespace {

const QString kCalendarFilter = QStringLiteral("iCalendar files (*.ics)");
const QString kCardFilter = QStringLiteral("vCard files (*.vcf)");
const QString kNoteFolderFilter = QStringLiteral("A folder of HTML pages (*)");

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

void Report(const std::string& text) {
    messages().show(text, "Import", Messages::Icon::Information, Messages::Buttons::Ok);
}

void Exported(int count, const char* what) {
    messages().show(std::to_string(count) + " " + what + " exported.", "Export", Messages::Icon::Information,
                    Messages::Buttons::Ok);
}

// The selected group's name, for the suggested file name.
QString SelectedName(const GroupTreeModel& tree, const QString& otherwise) {
    const NodeHandle node = tree.GetSelectedItem();
    return node == kNoNode ? otherwise : FromStored(tree.GetItemText(node, 0));
}

}  // namespace

QtInteropCommands::QtInteropCommands(EventStore& events, ContactStore& contacts, DiaryTable& diary,
                                     NoteTable& notes, QObject* parent)
    : QObject(parent), events_(events), contacts_(contacts), diary_(diary), notes_(notes) {}

void QtInteropCommands::attach(CEventsView* view) {
    connect(view, &CTreeListView::interopRequested, this, [this, view](int c) { events(view, c); });
}
void QtInteropCommands::attach(CContactsView* view) {
    connect(view, &CTreeListView::interopRequested, this, [this, view](int c) { contacts(view, c); });
}
void QtInteropCommands::attach(CDiaryView* view) {
    connect(view, &CDocumentView::interopRequested, this, [this, view](int c) { diary(view, c); });
}
void QtInteropCommands::attach(CNotesView* view) {
    connect(view, &CDocumentView::interopRequested, this, [this, view](int c) { notes(view, c); });
}

void QtInteropCommands::events(CEventsView* view, int command) {
    const GroupTreeModel& tree = view->groupTree()->model();
    const NodeHandle selected = tree.GetSelectedItem();
    const std::optional<std::int32_t> group =
        selected == kNoNode ? std::nullopt : std::optional<std::int32_t>(tree.GetGroupId(selected));
    if (command == kTreeImport) {
        std::string text;
        const QString path = askOpen(view, kCalendarFilter);
        if (path.isEmpty() || !readFile(path, false, text)) return;
        CalendarImport r;
        withProgress(view, InteropItemCount(text), QStringLiteral("Importing..."), [&] {
            r = ImportEventsIntoViews(text, events_, view->saveState(), group, clock().now());
            if (r.ok && r.events.added) view->showStoredGroups();
        });
        if (!r.ok)
            messages().fileError(ToStored(QFileInfo(path).fileName()) +
                                 " is not an iCalendar file Veltrin can read.");
        else
            Report(r.events.Sentence("Events"));
    } else if (command == kTreeExport) {
        const QString path =
            askSave(view, kCalendarFilter, QStringLiteral("ics"), SelectedName(tree, "Events"));
        if (path.isEmpty()) return;
        std::string text;
        withProgress(view, static_cast<int>(events_.events.size()), QStringLiteral("Exporting..."),
                     [&] { text = EventsFromViews(events_, view->saveState(), group, clock().now()); });
        if (writeFile(path, text)) Exported(InteropItemCount(text), "events");
    }
}

void QtInteropCommands::contacts(CContactsView* view, int command) {
    const GroupTreeModel& tree = view->groupTree()->model();
    const NodeHandle selected = tree.GetSelectedItem();
    const std::optional<std::int32_t> group =
        selected == kNoNode ? std::nullopt : std::optional<std::int32_t>(tree.GetContactGroupId(selected));
    if (command == kTreeImport) {
        std::string text;
        const QString path = askOpen(view, kCardFilter);
        if (path.isEmpty() || !readFile(path, true, text)) return;
        ImportReport r;
        withProgress(view, InteropItemCount(text), QStringLiteral("Importing..."), [&] {
            r = ImportContactsIntoViews(text, contacts_, view->saveState(), group);
            if (r.added) view->showStoredGroups();
        });
        Report(r.Sentence("Contacts"));
    } else if (command == kTreeExport) {
        const QString path =
            askSave(view, kCardFilter, QStringLiteral("vcf"), SelectedName(tree, "Contacts"));
        if (path.isEmpty()) return;
        std::string text;
        withProgress(view, static_cast<int>(contacts_.contacts.size()), QStringLiteral("Exporting..."),
                     [&] { text = ContactsFromViews(contacts_, view->saveState(), group); });
        if (writeFile(path, text)) Exported(InteropItemCount(text), "contacts");
    }
}

void QtInteropCommands::diary(CDiaryView* view, int command) {
    if (command == kTreeImport) {
        std::string text;
        const QString path = askOpen(view, kCalendarFilter);
        if (path.isEmpty() || !readFile(path, false, text)) return;
        ImportReport r;
        withProgress(view, InteropItemCount(text), QStringLiteral("Importing..."), [&] {
            r = ImportDiaryIntoView(text, diary_, view->saveState(), clock().now());
            if (r.added) view->showStoredPages();
        });
        Report(r.Sentence("Diary pages"));
    } else if (command == kTreeExport) {
        const QString path = askSave(view, kCalendarFilter, QStringLiteral("ics"), QStringLiteral("Diary"));
        if (path.isEmpty()) return;
        const DiaryTable pages = DiaryFromView(diary_, view->saveState());
        std::string text;
        withProgress(view, static_cast<int>(pages.size()), QStringLiteral("Exporting..."),
                     [&] { text = DiaryToICalendar(pages, clock().now()); });
        if (writeFile(path, text)) Exported(static_cast<int>(pages.size()), "diary pages");
    }
}

void QtInteropCommands::notes(CNotesView* view, int command) {
    if (command == kTreeImport) {
        std::string text;
        const QString path = askOpen(view, kCalendarFilter);
        if (path.isEmpty() || !readFile(path, false, text)) return;
        ImportReport r;
        withProgress(view, InteropItemCount(text), QStringLiteral("Importing..."), [&] {
            r = ImportNotesIntoView(text, notes_, view->saveState(), clock().now());
            if (r.added) view->showStoredNotes();
        });
        Report(r.Sentence("Notes"));
    } else if (command == kTreeExport) {
        QString filter;
        const QString path = askSave(view, kCalendarFilter + QStringLiteral(";;") + kNoteFolderFilter,
                                     QStringLiteral("ics"), QStringLiteral("Notes"), &filter);
        if (path.isEmpty()) return;
        const NoteTable all = NotesFromView(notes_, view->saveState());
        if (filter == kNoteFolderFilter) {
            std::string why;
            if (!WriteNoteFolder(all, Local(path), why))
                messages().fileError("Cannot write the notes: " + why + ".");
            else
                Exported(static_cast<int>(all.size()), "notes");
            return;
        }
        std::string text;
        withProgress(view, static_cast<int>(all.size()), QStringLiteral("Exporting..."),
                     [&] { text = NotesToICalendar(all, clock().now()); });
        if (writeFile(path, text)) Exported(static_cast<int>(all.size()), "notes");
    }
}

QString QtInteropCommands::askOpen(QWidget* parent, const QString& filter) {
    // Qt's own dialog, the same on every desktop.
    QFileDialog dialog(parent, QStringLiteral("Import"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({filter, QStringLiteral("All files (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString QtInteropCommands::askSave(QWidget* parent, const QString& filters, const QString& suffix,
                                   const QString& suggested, QString* selectedFilter) {
    QFileDialog dialog(parent, QStringLiteral("Export"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filters);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString filter = dialog.selectedNameFilter();
    if (selectedFilter) *selectedFilter = filter;
    QString path = dialog.selectedFiles().first();
    // The suffix of the file kind, not for a folder of pages.
    if (filter.contains(QStringLiteral("*.") + suffix) && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".") + suffix;
    return path;
}

bool QtInteropCommands::readFile(const QString& path, bool cards, std::string& text) {
    std::ifstream in(Local(path), std::ios::binary);
    std::ostringstream read;
    if (!in || !(read << in.rdbuf())) {
        messages().fileError("Cannot open file " + ToStored(path) + "!");
        return false;
    }
    text = read.str();
    const InteropText kind = KindOfInteropText(text);
    if (kind != (cards ? InteropText::Cards : InteropText::Calendar)) {
        messages().fileError(ToStored(QFileInfo(path).fileName()) +
                             (cards ? " is not a vCard file." : " is not an iCalendar file."));
        return false;
    }
    return true;
}

bool QtInteropCommands::writeFile(const QString& path, const std::string& text) {
    std::string why;
    if (WriteExportFile(Local(path), text, why)) return true;
    messages().fileError("Cannot write file " + ToStored(path) + ": " + why + ".");
    return false;
}

void QtInteropCommands::withProgress(QWidget* parent, int items, const QString& label,
                                     const std::function<void()>& work) {
    if (items < kProgressFrom) {
        work();
        return;
    }
    // The work runs in one go, so the window only says that it runs.
    QProgressDialog progress(label, QString(), 0, 0, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.show();
    QApplication::processEvents();
    work();
}

}  // namespace veltrin
