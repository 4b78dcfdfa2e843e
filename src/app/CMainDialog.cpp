#include "app/CMainDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include "app/AppData.h"
#include "app/CAboutDialog.h"
#include "app/CDigitalClock.h"
#include "app/CNotificationsDialog.h"
#include "app/COptionsDialog.h"
#include "app/CTipOfTheDayDialog.h"
#include "app/Notifications.h"
#include "app/OptionsRules.h"
#include "app/QtSyncService.h"
#include "app/SyncRounds.h"
#include "app/WindowRules.h"
#include "contacts/CContactsView.h"
#include "contacts/ContactRecords.h"
#include "contacts/ContactTrees.h"
#include "controls/CGroupTree.h"
#include "controls/CPopupMenu.h"
#include "controls/CSkinButton.h"
#include "controls/QtSkinAssets.h"
#include "controls/QtThemeIcons.h"
#include "documents/CDiaryView.h"
#include "documents/CDocumentEditor.h"
#include "documents/CNotesView.h"
#include "documents/DocumentTrees.h"
#include "documents/QtEditorModule.h"
#include "events/CEventList.h"
#include "events/CEventsView.h"
#include "events/EventRecords.h"
#include "events/EventTrees.h"
#include "events/QtReminderService.h"
#include "events/Snoozes.h"
#include "imaging/QtPicture.h"
#include "imaging/QtSkinResources.h"
#include "interop/QtInteropCommands.h"
#include "platform/DataLocation.h"
#include "platform/ModuleFolder.h"
#include "platform/Platform.h"
#include "search/CSearchWindow.h"
#include "search/SearchIndex.h"
#include "search/SearchTargets.h"
#include "settings/AppSettings.h"
#include "settings/QtSettingsFont.h"
#include "storage/Identifier.h"
#include "storage/QtStoredText.h"
#include "sync/CSyncDialog.h"
#include "sync/QtSyncPasswords.h"
#include "sync/SyncConfig.h"
#include "today/CTodayView.h"

namespace veltrin {

namespace {

// The main buttons' captions, in ButtonIndex order; the tray menu names the
// views the same way.
const char* const kButtonCaptions[CMainDialog::kMainButtonCount] = {"Today",    "Diary",   "Notes", "Events",
                                                                    "Contacts", "Options", "Info"};

}  // namespace

CMainDialog::CMainDialog(AppData& data, const QStringList& arguments, QWidget* parent)
    : QDialog(parent), data_(data) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Veltrin"));
    setWindowIcon(QApplication::windowIcon());
    setSizeGripEnabled(false);
    setMinimumSize(640, 400);
    resize(1024, 700);

    // The views, created in this order; ViewIndex gives their order on screen.
    today_ = new CTodayView(data_.events, data_.settings, this);
    diary_ = new CDiaryView(data_.diary, data_.settings, this);
    events_ = new CEventsView(data_.events, data_.settings, this);
    notes_ = new CNotesView(data_.notes, data_.settings, this);
    contacts_ = new CContactsView(data_.contacts, data_.settings, this);
    views_ = {today_, diary_, notes_, events_, contacts_};
    for (CViewBase* v : views_) v->hide();
    auto* interop = new QtInteropCommands(data_.events, data_.contacts, data_.diary, data_.notes, this);
    interop->attach(events_);
    interop->attach(contacts_);
    interop->attach(diary_);
    interop->attach(notes_);

    skin_ = std::make_unique<QtSkinAssets>();

    for (int i = 0; i < kMainButtonCount; ++i) {
        const bool isView = i < kViewCount;
        auto* b = new CSkinButton(QString::fromLatin1(kButtonCaptions[i]), this,
                                  isView ? CSkinButton::Kind::Radio : CSkinButton::Kind::Push);
        b->setObjectName(QString::fromLatin1(kButtonCaptions[i]));
        b->setFocusPolicy(Qt::NoFocus);
        buttons_[static_cast<std::size_t>(i)] = b;
        if (isView) connect(b, &QAbstractButton::clicked, this, [this, i] { onViewButton(i); });
    }
    connect(button(kOptionsButton), &QAbstractButton::clicked, this, &CMainDialog::RunOptions);
    connect(button(kInfoButton), &QAbstractButton::clicked, this, &CMainDialog::showInfoMenu);
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), this);
    connect(find, &QShortcut::activated, this, &CMainDialog::RunSearch);

    AppSettings& s = data_.settings;
    if (!IsViewIndex(s.currentView)) s.currentView = kTodayView;
    startHidden_ = IsAutorun(arguments) && s.minimizeOnAutorun != 0;
    maximizeOnRestore_ = startHidden_;
    ApplySettings();
    ShowView();

    if (startHidden_) {
        // Stays hidden until restored; the first show request is swallowed.
        if (trayAvailable()) showTrayIcon();
    } else {
        setWindowState(windowState() | Qt::WindowMaximized);
    }

    // Once the window's own loop runs, also at a hidden start.
    if (s.showTipsAtStartup) QTimer::singleShot(0, this, &CMainDialog::RunTipOfTheDay);

    autoSave_ = new QTimer(this);
    autoSave_->setObjectName(QStringLiteral("autoSave"));
    autoSave_->setInterval(kAutoSaveIntervalMs);
    connect(autoSave_, &QTimer::timeout, this, [this] {
        SaveAll();
        // Off the screen only reminders change records: rest until they do.
        if (!onScreen_) autoSave_->stop();
    });
    autoSave_->start();

    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { SaveAll(); });

    // One engine for every event, whichever view is shown or none: the views
    // only show countdowns. Queued, so no pass runs inside a list's handler.
    reminders_ = new QtReminderService(data_.events, this);
    reminders_->setLists(&today_->list()->model(), &events_->eventList()->model());
    reminders_->setIcons(events_->groupIcons(),
                         [this](std::int32_t groupId) { return events_->groupIcon(groupId); });
    connect(today_, &CTodayView::eventsChanged, reminders_, &QtReminderService::wake, Qt::QueuedConnection);
    connect(events_, &CEventsView::eventsChanged, reminders_, &QtReminderService::wake, Qt::QueuedConnection);
    reminders_->setSnoozeFile(DataFilePath(kSnoozesFileName));
    connect(reminders_, &QtReminderService::remindersDue, this, [this] {
        if (!autoSave_->isActive()) autoSave_->start();
    });
    reminders_->start();

    QtSyncService::Hooks hooks;
    hooks.store = [this] { return SaveAll(); };
    hooks.digests = [this] {
        AppData now = GatherAll(data_, viewStates());
        return DigestRecords(now);
    };
    hooks.reload = [this](const StoredFiles& stored) { reloadSyncedData(stored); };
    sync_ = new QtSyncService(DataFolder(), hooks, this);
    sync_->setFilesNotWhole(data_.filesNotWhole);
    connect(sync_, &QtSyncService::stateChanged, this, [this] {
        if (tray_) tray_->setToolTip(trayTip());
    });
    // Once the window's loop runs: the first sync never holds up the start.
    if (sync_->configure()) QTimer::singleShot(0, sync_, &QtSyncService::syncNow);
}

void CMainDialog::FinalSave() {
    removeTrayIcon();
    // A sync still talking to the server ends first and is never applied;
    // what the server took is in its status before the process ends.
    delete sync_;
    sync_ = nullptr;
    SaveAll();
}

CMainDialog::~CMainDialog() { FinalSave(); }

void CMainDialog::RunSession() {
    // Not exec(): that would make the window application modal, so that no
    // window beside it (a reminder) takes input, and hiding the window in
    // the tray would end its loop.
    QEventLoop loop;
    bool finished = false;
    connect(this, &QDialog::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    show();
    if (!finished) loop.exec(QEventLoop::DialogExec);
}

bool CMainDialog::IsAutorun(const QStringList& arguments) {
    std::vector<std::string> args;
    for (const QString& a : arguments) args.push_back(a.toStdString());
    return IsAutorunStart(args);
}

bool CMainDialog::SaveAll() {
    // A failing store shows a message box; a timer tick inside it must not
    // start a second save and a second box.
    if (saving_) return false;
    saving_ = true;
    // Each view hands over what its controls hold, after taking in any edit
    // in progress; the core writes the files in their fixed order.
    const bool ok = veltrin::SaveAll(data_, viewStates());
    saving_ = false;
    return ok;
}

void CMainDialog::reloadSyncedData(const StoredFiles& stored) {
    // Nothing changed in the views since their store, so the rows can go
    // back and the files take their place; a view whose file the sync did
    // not store stays as it is.
    if (stored.events) {
        const bool todayHeld = today_->holdsListRows();
        const bool eventsHeld = events_->holdsListRows();
        if (todayHeld) today_->commitList();
        events_->showStoredGroups([this] {
            EventStore fresh;
            if (SerializeEventsFile(fresh, false)) data_.events = std::move(fresh);
        });
        if (!eventsHeld) events_->commitList();
        if (todayHeld) today_->FillComingEvents();
        reminders_->wake();
    }
    if (stored.contacts) {
        contacts_->showStoredGroups([this] {
            ContactStore fresh;
            if (SerializeContactsFile(fresh, false)) data_.contacts = std::move(fresh);
        });
    }
    if (stored.diary || stored.notes) reloadSyncedDocuments(stored);
}

void CMainDialog::reloadSyncedDocuments(const StoredFiles& stored) {
    // Listing the Diary again moves it to the day's page, and a hidden
    // view's editor must not take the keyboard from where the user is.
    const QPointer<QWidget> focused = QApplication::focusWidget();
    DiaryTable diary;
    if (stored.diary && SerializeDiaryFile(diary, false)) {
        data_.diary = std::move(diary);
        diary_->showStoredPages();
    }
    NoteTable notes;
    if (stored.notes && SerializeNotesFile(notes, false)) {
        data_.notes = std::move(notes);
        notes_->showStoredNotes();
    }
    if (focused) focused->setFocus();
}

QString CMainDialog::trayTip() const {
    const SyncState& s = sync_ ? sync_->state() : SyncState{};
    if (s.syncedAt == 0 && s.error.empty() && !s.running) return QStringLiteral("Veltrin");
    return QStringLiteral("Veltrin\n") + sync_->stateText();
}

CSyncDialog* CMainDialog::syncDialog() const { return syncDialog_; }

void CMainDialog::RunSync() {
    if (syncDialog_) {
        syncDialog_->raise();
        syncDialog_->activateWindow();
        return;
    }
    const std::string folder = DataFolder();
    SyncConfig config;
    std::string why;
    LoadSyncConfig(folder, config, why);  // none yet: the defaults
    CSyncDialog dialog(config, this);
    syncDialog_ = &dialog;
    const auto showState = [this, &dialog] {
        dialog.setStatus(sync_->stateText());
        dialog.syncNowButton()->setEnabled(!sync_->running());
    };
    showState();
    connect(sync_, &QtSyncService::stateChanged, &dialog, showState);
    // The password box shows what the secret store keeps for the account;
    // without a store it stays off and the dialog says so.
    std::string stored;
    dialog.passwordBox()->setEnabled(false);
    QPointer<CSyncDialog> open = &dialog;
    sync_->passwords()->read(config.url, config.user, [open, &stored](const QtSyncPasswords::Answer& a) {
        if (!open) return;
        open->setSecretStoreAvailable(a.storeAvailable);
        if (a.found) open->setPassword(stored = a.password);
    });
    const auto keep = [&] {
        const SyncConfig chosen = dialog.chosen();
        if (!SaveSyncConfig(folder, chosen, why)) {
            messages().show("The sync settings could not be saved: " + why, "Sync",
                            Messages::Icon::Exclamation, Messages::Buttons::Ok);
            return false;
        }
        const std::string password = dialog.password();
        if (dialog.passwordBox()->isEnabled() &&
            (password != stored || chosen.url != config.url || chosen.user != config.user)) {
            sync_->setPassword(chosen.url, chosen.user, password);
            sync_->passwords()->write(
                chosen.url, chosen.user, password, [](const QtSyncPasswords::Answer& a) {
                    if (!a.error.empty())
                        messages().show(
                            "The password could not be kept in the desktop's password store: " + a.error,
                            "Sync", Messages::Icon::Exclamation, Messages::Buttons::Ok);
                });
            stored = password;
            config = chosen;
        }
        sync_->configure();
        return true;
    };
    connect(&dialog, &CSyncDialog::syncNowClicked, &dialog, [&] {
        if (keep()) sync_->syncNow();
    });
    if (!isVisible()) RestoreFromTray();
    while (dialog.exec() == QDialog::Accepted)
        if (keep()) break;
}

ViewStates CMainDialog::viewStates() {
    ViewStates views;
    views.events = events_->saveState();
    views.events.todayList = today_->saveState().todayList;
    views.diary = diary_->saveState();
    views.notes = notes_->saveState();
    views.contacts = contacts_->saveState();
    return views;
}

CSearchWindow* CMainDialog::searchWindow() const { return search_; }

void CMainDialog::RunSearch() {
    if (!search_) {
        search_ = new CSearchWindow(this);
        search_->setOpenResult(
            [this](const SearchEntry& entry, const std::string& hit) { openSearchResult(entry, hit); });
    }
    // A copy of the records as the next save would write them: the search
    // sees unsaved edits, and nothing is written for it. It is taken again
    // when the user comes back to the window after working in the views.
    search_->setIndexSource([this] {
        searched_ = std::make_unique<AppData>(GatherAll(data_, viewStates()));
        return std::make_shared<SearchIndex>(
            BuildSearchIndex(searched_->events, searched_->diary, searched_->notes, searched_->contacts));
    });
    if (!isVisible()) RestoreFromTray();
    search_->show();
    search_->raise();
    search_->activateWindow();
    search_->queryBox()->setFocus();
    search_->queryBox()->selectAll();
}

void CMainDialog::openSearchResult(const SearchEntry& entry, const std::string& hit) {
    // A dialog left open keeps its view, as for the tray's view commands.
    if (!searched_ || openDialog()) return;
    static constexpr int kViewOfKind[] = {kEventsView, kDiaryView, kNotesView, kContactsView};
    data_.settings.currentView = kViewOfKind[static_cast<int>(entry.kind)];
    ShowView();
    const auto selectIn = [](GroupTreeModel& model, NodeHandle node) {
        if (node != kNoNode) model.SelectItem(node, 0);
        return node != kNoNode;
    };
    // A page or note is marked at its hit once the editor has it: at once
    // when it is already the one shown, else when it has been loaded.
    const auto openDocument = [&](CDocumentView* view) {
        GroupTreeModel& tree = view->tree()->model();
        const NodeHandle node = NodeOfRecord(tree, entry.record);
        if (node == kNoNode) return;
        CDocumentEditor* editor = view->editor();
        const QString text = QString::fromStdString(hit);
        if (!text.isEmpty()) {
            if (tree.GetSelectedItem() == node && editor->isLoaded())
                editor->Find(text);
            else
                connect(
                    editor, &CDocumentEditor::documentLoaded, editor, [editor, text] { editor->Find(text); },
                    Qt::SingleShotConnection);
        }
        selectIn(tree, node);
    };
    switch (entry.kind) {
    case SearchKind::DiaryPage: openDocument(diary_); break;
    case SearchKind::Note: openDocument(notes_); break;
    case SearchKind::Event: {
        const EventDetails& details = searched_->events.events.at(entry.record).details;
        GroupTreeModel& groups = events_->groupTree()->model();
        if (selectIn(groups, EventGroupNode(groups, details.groupId))) {
            GroupTreeModel& list = events_->recordList()->model();
            selectIn(list, EventRowOf(list, details.eventId));
        }
        break;
    }
    case SearchKind::Contact: {
        const ContactItem& contact = searched_->contacts.contacts.at(entry.record);
        GroupTreeModel& groups = contacts_->groupTree()->model();
        if (selectIn(groups, ContactGroupNode(groups, contact.groupId))) {
            GroupTreeModel& list = contacts_->recordList()->model();
            selectIn(list, ContactRowOf(list, contact.fields));
        }
        break;
    }
    }
}

int CMainDialog::ClockLeft(int clientWidth) {
    const int rowEnd = kMainButtonCount * kButtonWidth;
    return rowEnd + kClockWidth < clientWidth ? clientWidth - kClockWidth : rowEnd;
}

QColor CMainDialog::stripColour() const { return skin_->stripColour(); }

int CMainDialog::tickPeriodMs() const { return TickPeriodMs(shownView_, data_.settings, onScreen_); }

void CMainDialog::applyTickPeriod() {
    if (shownView_ == kTodayView) today_->setTickPeriod(tickPeriodMs());
    if (shownView_ == kEventsView) events_->setTickPeriod(tickPeriodMs());
}

void CMainDialog::followScreen() {
    const bool now = isVisible() && !isMinimized();
    if (now == onScreen_) return;
    onScreen_ = now;
    applyTickPeriod();
    if (clock_) clock_->Rest(!onScreen_);
    if (!onScreen_) return;
    // A document view shown first in a minimized window makes its editor
    // only now: restoring does not show the window's children again.
    QTimer::singleShot(0, this, [this] {
        if (!onScreen_) return;
        if (shownView_ == kDiaryView) diary_->editor();
        if (shownView_ == kNotesView) notes_->editor();
    });
    if (!autoSave_->isActive()) autoSave_->start();
    // Edits in other windows, or a clock that moved, may have shifted the
    // next due time while nothing looked.
    reminders_->wake();
}

void CMainDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    followScreen();
}

void CMainDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    followScreen();
}

void CMainDialog::layOut() {
    for (int i = 0; i < kMainButtonCount; ++i)
        buttons_[static_cast<std::size_t>(i)]->setGeometry(i * kButtonWidth, 0, kButtonWidth, kClockHeight);
    if (clock_) clock_->move(ClockLeft(width()), 0);
    if (shownView_ >= 0 && shownView_ < kViewCount)
        view(shownView_)->setGeometry(0, kClockHeight, width(), std::max(0, height() - kClockHeight));
}

void CMainDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOut();
}

void CMainDialog::paintEvent(QPaintEvent*) {
    // Only the part of the button row that no button covers shows the window itself.
    QPainter p(this);
    const int left = kInfoButton * kButtonWidth;
    const QRect strip = clock_ ? QRect(QPoint(left, 0), clock_->geometry().bottomRight())
                               : QRect(left, 0, std::max(0, width() - left), height());
    p.fillRect(strip, skin_->stripColour());
}

void CMainDialog::showInfoMenu() {
    CPopupMenu menu(this);
    menu.setSideTitle(QStringLiteral("Veltrin"));
    // Search first, so that "Exit Veltrin" stays the last command, where people look for it.
    menu.addCommand(kInfoSearch, QStringLiteral("Search..."), ThemeIcon(QStringLiteral("edit-find")));
    menu.addSeparator();
    menu.addCommand(kInfoHelpContents, QStringLiteral("Contents and index"),
                    ThemeIcon(QStringLiteral("help-browser")));
    menu.addCommand(kInfoReadMe, QStringLiteral("Read me"), ThemeIcon(QStringLiteral("text-x-generic")));
    menu.addCommand(kInfoTipOfTheDay, QStringLiteral("Tip of the day..."),
                    ThemeIcon(QStringLiteral("dialog-information")));
    menu.addSeparator();
    menu.addCommand(kInfoNotifications, QStringLiteral("Information about updates..."),
                    ThemeIcon(QStringLiteral("internet-mail")));
    menu.addCommand(kInfoHomePage, QStringLiteral("Visit Veltrin homepage"),
                    ThemeIcon(QStringLiteral("internet-web-browser")));
    menu.addCommand(kInfoAbout, QStringLiteral("About Veltrin..."),
                    ThemeIcon(QStringLiteral("help-browser")));
    menu.addSeparator();
    menu.addCommand(kInfoMinimizeToTray, QStringLiteral("Minimize to System Tray"),
                    ThemeIcon(QStringLiteral("go-down")));
    menu.addCommand(kInfoSync, QStringLiteral("Sync..."), ThemeIcon(QStringLiteral("view-refresh")));
    menu.addCommand(kInfoExitVeltrin, QStringLiteral("Exit Veltrin"),
                    ThemeIcon(QStringLiteral("system-log-out")));
    OnInfoCommand(menu.execUnder(button(kInfoButton)));
}

void CMainDialog::OnInfoCommand(int command) {
    switch (command) {
    case kInfoHelpContents: help().showTopic("/General/index.htm"); break;
    case kInfoReadMe: OpenWithShell(ShippedFolder() + "/readme.txt"); break;
    case kInfoTipOfTheDay: RunTipOfTheDay(); break;
    case kInfoNotifications: RunNotifications(); break;
    case kInfoHomePage: OpenWithShell(HomePage()); break;
    case kInfoAbout: RunAbout(); break;
    case kInfoMinimizeToTray: HideToTray(); break;
    case kInfoExitVeltrin: ExitVeltrin(false); break;
    case kInfoSearch: RunSearch(); break;
    case kInfoSync: RunSync(); break;
    default: break;
    }
}

void CMainDialog::RunOptions() {
    COptionsDialog dialog(data_.settings, this);
    if (dialog.exec() != QDialog::Accepted) return;
    ApplyOptionsControls(dialog.chosen(), data_.settings);
    ApplySettings();
    SerializeSettings(data_.settings, true);
}

void CMainDialog::RunAbout() {
    // One About box at a time, from whichever menu.
    if (about_) {
        about_->raise();
        about_->activateWindow();
        return;
    }
    CAboutDialog dialog(this);
    about_ = &dialog;
    dialog.exec();
}

void CMainDialog::RunTipOfTheDay() {
    CTipOfTheDayDialog dialog(data_.settings, static_cast<unsigned>(DrawRandom()), this);
    dialog.exec();
}

void CMainDialog::RunNotifications() {
    CNotificationsDialog dialog(this);
    dialog.exec();
}

void CMainDialog::showTrayMenu() {
    // In front, so that the menu closes when the user clicks elsewhere.
    activateWindow();
    CPopupMenu menu;
    menu.setSideTitle(QStringLiteral("Veltrin"));
    menu.addCommand(kTrayRestore, QStringLiteral("Restore Veltrin"),
                    ThemeIcon(QStringLiteral("view-fullscreen")));
    menu.addSeparator();
    static const char* const icons[kViewCount] = {"office-calendar", "x-office-document",
                                                  "accessories-text-editor", "appointment-new",
                                                  "x-office-address-book"};
    for (int v = 0; v < kViewCount; ++v)
        menu.addCommand(kTrayFirstView + v, QString::fromLatin1(kButtonCaptions[v]),
                        ThemeIcon(QString::fromLatin1(icons[v])));
    menu.addSeparator();
    menu.addCommand(kTraySearch, QStringLiteral("Search..."), ThemeIcon(QStringLiteral("edit-find")));
    menu.addCommand(kTrayAbout, QStringLiteral("About Veltrin..."),
                    ThemeIcon(QStringLiteral("help-browser")));
    menu.addCommand(kTraySync, QStringLiteral("Sync..."), ThemeIcon(QStringLiteral("view-refresh")));
    menu.addCommand(kTrayExit, QStringLiteral("Exit Veltrin"), ThemeIcon(QStringLiteral("system-log-out")));
    OnTrayCommand(menu.execAbove(QCursor::pos()));
}

void CMainDialog::OnTrayCommand(int command) {
    if (command == kTraySearch) {
        RunSearch();
        return;
    }
    if (command == kTraySync) {
        RunSync();
        return;
    }
    if (command < kTrayRestore || command > kTrayExit) return;
    if (command == kTrayAbout) {
        RunAbout();
        return;
    }
    if (command == kTrayExit) {
        ExitVeltrin(true);
        return;
    }
    // A dialog left open keeps its view: switching would take the rows it
    // works on from under it. It comes to the front with the window instead.
    if (command != kTrayRestore && !openDialog()) {
        data_.settings.currentView = command - kTrayFirstView;
        ShowView();
    }
    RestoreFromTray();
}

void CMainDialog::onViewButton(int index) {
    data_.settings.currentView = index;
    ShowView();
}

void CMainDialog::ShowView() {
    const int next = data_.settings.currentView;
    if (next == shownView_ || next < 0 || next >= kViewCount) return;
    setUpdatesEnabled(false);
    if (shownView_ >= 0) {
        view(shownView_)->hide();
        view(shownView_)->viewHidden();
    }
    shownView_ = next;
    layOut();
    const int handsBack = ListToCommitBefore(next);
    if (handsBack == kEventsView && events_->holdsListRows()) events_->commitList();
    if (handsBack == kTodayView && today_->holdsListRows()) today_->commitList();
    view(next)->viewShown(tickPeriodMs());
    view(next)->show();
    button(next)->setChecked(true);
    setUpdatesEnabled(true);
}

void CMainDialog::ApplySettings() {
    const AppSettings& s = data_.settings;
    const unsigned g = ChangedSettingsGroups(lastApplied_, s);
    lastGroups_ = g;
    if (g == 0) return;
    const AppliedSettings now = AppliedSettings::From(s);
    setUpdatesEnabled(false);

    if (g & kButtonFontGroup) {
        const QFont font = QtFontFromSetting(now.buttonFont);
        for (CSkinButton* b : buttons_) b->setFont(font);
    }
    if (g & kButtonTextGroup) {
        const QColor c = QColorFromColour(s.buttonTextColour);
        for (CSkinButton* b : buttons_) b->setTextColour(c);
        for (CViewBase* v : views_) v->setButtonTextColour(c);
    }
    if (g & (kDayInfoFontGroup | kDayInfoTextGroup))
        today_->setDayInfoFont(QtFontFromSetting(now.dayInfoFont), QColorFromColour(s.dayInfoTextColour));
    if (g & kHeaderFontGroup) {
        const QFont font = QtFontFromSetting(now.headerFont);
        for (CViewBase* v : views_) v->setHeaderFont(font);
    }
    if (g & kHeaderColoursGroup)
        for (CViewBase* v : views_)
            v->setHeaderColours(QColorFromColour(s.headerTextColour), QColorFromColour(s.headerGradient1),
                                QColorFromColour(s.headerGradient2));
    if (g & kButtonColourGroup) {
        skin_->ApplyButtonColour(s.buttonColour);
        AssignRowFaces({buttons_.begin(), buttons_.end()}, skin_->topFaces());
        for (CViewBase* v : views_) v->setCommandFaces(skin_->smallFaces());
    }
    if (g & kSkinColourGroup) {
        if (startHidden_ && trayAvailable()) {
            skinDeferred_ = true;
            skin_->DropUntintedBackground();
        } else {
            applySkinColour();
        }
    }
    if (g & kToolbarGroup)
        for (CViewBase* v : views_) v->setToolbarColour(QColorFromColour(s.toolbarColour));
    if (g & kListColoursGroup) {
        const EventColumnColours columns = ComputeEventColumnColours(s.skinColour, s.listBackColour);
        const CViewBase::ListColours colours{
            QColorFromColour(s.listTextColour),    QColorFromColour(s.listBackColour),
            QColorFromColour(s.listSelTextColour), QColorFromColour(s.listSelBackColour),
            QColorFromColour(columns.time),        QColorFromColour(columns.priority)};
        for (CViewBase* v : views_) v->setListColours(colours);
    }
    if (g & kClockGroup) {
        skin_->ApplyClockColours(s.clockBackColour, s.clockDigitColour);
        clock_ = CDigitalClock::Recreate(clock_, this, skin_->clockFace(), skin_->clockLargeDigits(),
                                         skin_->clockSmallDigits());
        clock_->Rest(!onScreen_);
        layOut();
    }
    if ((g & kShowSecondsGroup) && lastApplied_) applyTickPeriod();

    lastApplied_ = now;
    setUpdatesEnabled(true);
    update();
}

namespace {
int g_trayOverride = -1;
}

void CMainDialog::SetTrayAvailableForTesting(int available) { g_trayOverride = available; }

bool CMainDialog::trayAvailable() {
    return g_trayOverride >= 0 ? g_trayOverride != 0 : QSystemTrayIcon::isSystemTrayAvailable();
}

bool CMainDialog::trayIconShown() const { return tray_ && tray_->isVisible(); }

void CMainDialog::showTrayIcon() {
    if (!tray_) {
        tray_ = new QSystemTrayIcon(TrayIcon(), this);
        tray_->setToolTip(trayTip());
        // A single left click does nothing; the menu is our own, opened upwards.
        // Queued: restoring or exiting removes the icon, which must not happen
        // inside the icon's own mouse handling (it is deleted under it).
        connect(
            tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::DoubleClick) RestoreFromTray();
                if (r == QSystemTrayIcon::Context) showTrayMenu();
            },
            Qt::QueuedConnection);
    }
    tray_->show();
}

void CMainDialog::removeTrayIcon() {
    if (tray_) tray_->hide();
}

void CMainDialog::applySkinColour() {
    skinDeferred_ = false;
    skin_->ApplySkinColour(data_.settings.skinColour);
    for (CViewBase* v : views_) {
        v->setSkin(skin_->background());
        v->setPanelColour(v == today_ ? skin_->stripColour() : skin_->panelColour());
    }
}

void CMainDialog::applyDeferredSkin() {
    if (skinDeferred_) applySkinColour();
}

void CMainDialog::setVisible(bool visible) {
    if (visible && startHidden_) {
        // The hidden start: keep the window out of sight, but make its next
        // appearance a maximized one.
        startHidden_ = false;
        setWindowState(windowState() | Qt::WindowMaximized);
        if (!trayAvailable()) {
            // Without a notification area the window could never be brought
            // back from hiding: start minimized instead.
            setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
            applyDeferredSkin();
            PrepareEditorSurface(this);
            QDialog::setVisible(true);
        }
        return;
    }
    // Only as the window comes up, before it is mapped (a window made anew
    // then is not seen): one that stays in the tray never loads the GL driver.
    if (visible && !isVisible()) {
        applyDeferredSkin();
        PrepareEditorSurface(this);
    }
    QDialog::setVisible(visible);
}

void CMainDialog::HideToTray() {
    if (trayAvailable()) {
        hide();
        showTrayIcon();
    } else if (!isMinimized()) {
        showMinimized();
    }
    SaveAll();
}

void CMainDialog::RestoreFromTray() {
    removeTrayIcon();
    startHidden_ = false;
    Qt::WindowStates state = windowState() & ~Qt::WindowMinimized;
    if (maximizeOnRestore_) state |= Qt::WindowMaximized;
    maximizeOnRestore_ = false;
    setWindowState(state);
    show();
    raise();
    activateWindow();
    if (QWidget* dialog = openDialog()) {
        dialog->raise();
        dialog->activateWindow();
    }
}

bool CMainDialog::confirmExit() {
    if (!AsksBeforeExit(data_.settings)) return true;
    return messages().show("Are you sure to exit Veltrin ?", "Exit...", Messages::Icon::Exclamation,
                           Messages::Buttons::YesNo) == Messages::Answer::Yes;
}

void CMainDialog::endDialog() {
    if (ended_) return;
    ended_ = true;
    autoSave_->stop();
    // The editors are read while the event loop still runs.
    diary_->finishEditing();
    notes_->finishEditing();
    done(QDialog::Rejected);
}

void CMainDialog::ExitVeltrin(bool fromTray) {
    // Asked first: a No leaves every open dialog as it was.
    if (!confirmExit()) return;
    if (fromTray) removeTrayIcon();
    closeOpenDialogs();
    endDialog();
}

void CMainDialog::EndSession() {
    // Close any dialog or question still open above us, so that every modal
    // loop unwinds; the window's destruction then runs SaveAll.
    endDialog();
    closeOpenDialogs();
}

void CMainDialog::closeOpenDialogs() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        // Only what runs its own loop; a reminder window stays up.
        if (dialog && dialog != this && dialog->isVisible() && dialog->isModal())
            dialog->done(QDialog::Rejected);
    }
}

QWidget* CMainDialog::openDialog() const {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != this ? modal : nullptr;
}

void CMainDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (ended_) return;
    if (CloseActionFor(data_.settings) == CloseAction::HideToTray) {
        HideToTray();
        return;
    }
    if (confirmExit()) endDialog();
}

void CMainDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) followScreen();
    if (event->type() != QEvent::WindowStateChange || ended_) return;
    auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool minimizedNow = isMinimized() && !(change->oldState() & Qt::WindowMinimized);
    if (!minimizedNow) return;
    switch (MinimizeActionFor(data_.settings, trayAvailable())) {
    case MinimizeAction::HideToTray:
        // Leave the state change first; hiding inside it confuses some window managers.
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            HideToTray();
        });
        break;
    case MinimizeAction::SaveOnly: SaveAll(); break;
    case MinimizeAction::Nothing: break;
    }
}

void CMainDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();  // Enter and Escape never end the window
        return;
    default: QDialog::keyPressEvent(event);
    }
}

}  // namespace veltrin
