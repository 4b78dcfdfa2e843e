#include "interop/QtInteropCommands.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>

#include "contacts/CContactsView.h"
#include "controls/CGroupTree.h"
#include "documents/CDiaryView.h"
#include "documents/CNotesView.h"
#include "events/CEventsView.h"
#include "interop/ViewTransfer.h"
#include "platform/Platform.h"
#include "storage/QtStoredText.h"
#include "storage/SafeFile.h"
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
        runImport(view, false, "Events", [&](const std::string& text) -> std::optional<ImportReport> {
            const CalendarImport r =
                ImportEventsIntoViews(text, events_, view->saveState(), group, clock().now());
            if (r.ok && r.events.added) view->showStoredGroups();
            return r.ok ? std::optional<ImportReport>(r.events) : std::nullopt;
        });
    } else if (command == kTreeExport) {
        runExport(view, kCalendarFilter, SelectedName(tree, "Events"),
                  static_cast<int>(events_.events.size()), "events", [&](const QString&, std::string& text) {
                      text = EventsFromViews(events_, view->saveState(), group, clock().now());
                      return InteropItemCount(text);
                  });
    }
}

void QtInteropCommands::contacts(CContactsView* view, int command) {
    const GroupTreeModel& tree = view->groupTree()->model();
    const NodeHandle selected = tree.GetSelectedItem();
    const std::optional<std::int32_t> group =
        selected == kNoNode ? std::nullopt : std::optional<std::int32_t>(tree.GetContactGroupId(selected));
    if (command == kTreeImport) {
        runImport(view, true, "Contacts", [&](const std::string& text) -> std::optional<ImportReport> {
            const ImportReport r = ImportContactsIntoViews(text, contacts_, view->saveState(), group);
            if (r.added) view->showStoredGroups();
            return r;
        });
    } else if (command == kTreeExport) {
        runExport(view, kCardFilter, SelectedName(tree, "Contacts"),
                  static_cast<int>(contacts_.contacts.size()), "contacts",
                  [&](const QString&, std::string& text) {
                      text = ContactsFromViews(contacts_, view->saveState(), group);
                      return InteropItemCount(text);
                  });
    }
}

void QtInteropCommands::diary(CDiaryView* view, int command) {
    if (command == kTreeImport) {
        runImport(view, false, "Diary pages", [&](const std::string& text) -> std::optional<ImportReport> {
            const ImportReport r = ImportDiaryIntoView(text, diary_, view->saveState(), clock().now());
            if (r.added) view->showStoredPages();
            return r;
        });
    } else if (command == kTreeExport) {
        runExport(view, kCalendarFilter, QStringLiteral("Diary"), static_cast<int>(diary_.size()),
                  "diary pages", [&](const QString&, std::string& text) {
                      const DiaryTable pages = DiaryFromView(diary_, view->saveState());
                      text = DiaryToICalendar(pages, clock().now());
                      return static_cast<int>(pages.size());
                  });
    }
}

void QtInteropCommands::notes(CNotesView* view, int command) {
    if (command == kTreeImport) {
        runImport(view, false, "Notes", [&](const std::string& text) -> std::optional<ImportReport> {
            const ImportReport r = ImportNotesIntoView(text, notes_, view->saveState(), clock().now());
            if (r.added) view->showStoredNotes();
            return r;
        });
    } else if (command == kTreeExport) {
        runExport(view, kCalendarFilter + QStringLiteral(";;") + kNoteFolderFilter, QStringLiteral("Notes"),
                  static_cast<int>(notes_.size()), "notes", [&](const QString& filter, std::string& text) {
                      const NoteTable all = NotesFromView(notes_, view->saveState());
                      if (filter != kNoteFolderFilter) {
                          text = NotesToICalendar(all, clock().now());
                          return static_cast<int>(all.size());
                      }
                      std::string why;
                      if (WriteNoteFolder(all, Local(path_), why)) return static_cast<int>(all.size());
                      messages().fileError("Cannot write the notes: " + why + ".");
                      return -1;
                  });
    }
}

void QtInteropCommands::runImport(QWidget* view, bool cards, const char* what, const Merge& merge) {
    std::string text;
    const QString path = askOpen(view, cards ? kCardFilter : kCalendarFilter);
    if (path.isEmpty() || !readFile(path, cards, text)) return;
    std::optional<ImportReport> report;
    withProgress(view, InteropItemCount(text), QStringLiteral("Importing..."), [&] { report = merge(text); });
    if (report)
        Report(report->Sentence(what));
    else
        messages().fileError(ToStored(QFileInfo(path).fileName()) +
                             " is not an iCalendar file Veltrin can read.");
}

void QtInteropCommands::runExport(QWidget* view, const QString& filters, const QString& suggested, int items,
                                  const char* what, const Produce& produce) {
    QString filter;
    // The first filter names the file kind and its suffix.
    const QString suffix = filters.section(QStringLiteral("*."), 1).section(QLatin1Char(')'), 0, 0);
    path_ = askSave(view, filters, suffix, suggested, &filter);
    if (path_.isEmpty()) return;
    std::string text;
    int count = 0;
    withProgress(view, items, QStringLiteral("Exporting..."), [&] { count = produce(filter, text); });
    // A folder of pages is written by produce itself; a file here.
    if (count >= 0 && (filter == kNoteFolderFilter || writeFile(path_, text))) Exported(count, what);
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
    std::string why;
    if (!ReadWholeFile(Local(path), text, why)) {
        messages().fileError("Cannot open file " + ToStored(path) + "!");
        return false;
    }
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
