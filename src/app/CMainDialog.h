#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "settings/AppliedSettings.h"
#include "settings/ViewIndex.h"

class QSystemTrayIcon;
class QTimer;

namespace veltrin {

struct AppData;
class CContactsView;
class CDiaryView;
class CDigitalClock;
class CEventsView;
class CSearchWindow;
class CSyncDialog;
class CNotesView;
class CSkinButton;
class CTodayView;
class CViewBase;
class QtReminderService;
class QtSyncService;
class QtSkinAssets;
struct SearchEntry;
struct StoredFiles;
struct ViewStates;

// The program's one top-level window. It runs for the whole session, though
// not modally: windows of their own, such as a reminder, take input beside
// it. Ending it ends the program, after SaveAll.
class CMainDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kAutoSaveTimerId = 300;
    static constexpr int kAutoSaveIntervalMs = 120000;
    // The button row: a button per view (in ViewIndex order), then Options
    // and Info, each 90 pixels wide and as high as the clock.
    enum ButtonIndex { kOptionsButton = kViewCount, kInfoButton = kViewCount + 1 };
    static constexpr int kMainButtonCount = kInfoButton + 1;
    static constexpr int kButtonWidth = 90;
    static constexpr int kClockWidth = 151;
    static constexpr int kClockHeight = 72;

    CMainDialog(AppData& data, const QStringList& arguments, QWidget* parent = nullptr);
    ~CMainDialog() override;

    // True when the command line carries "/autorun" (case-sensitive, anywhere).
    static bool IsAutorun(const QStringList& arguments);

    // Shows the window (or keeps it in the tray at a hidden start) and runs
    // the event loop until the window is ended. Hiding it does not end it.
    void RunSession();

    // Writes every data file; each reports its own failure and the rest go
    // on. False when a store failed.
    bool SaveAll();
    void ShowView();
    void ApplySettings();

    // Hides the window in the tray (or minimizes it where there is no tray)
    // and saves. Used by close, minimize and the Info menu.
    void HideToTray();
    // "Exit Veltrin" from the Info menu or the tray menu.
    void ExitVeltrin(bool fromTray);
    // Brings the window back from the tray or the task bar as it was when it
    // was hidden; maximized after a hidden start.
    void RestoreFromTray();
    // The session or a signal ends the program: no questions, save, end.
    void EndSession();
    // The last save of a run that has ended: the tray icon goes and every
    // data file is written, as the window's destruction would do.
    void FinalSave();

    // Info menu commands.
    enum InfoCommand {
        kInfoNotifications = 302,
        kInfoHelpContents = 306,
        kInfoReadMe = 307,
        kInfoTipOfTheDay = 308,
        kInfoHomePage = 313,
        kInfoAbout = 314,
        kInfoMinimizeToTray = 315,
        kInfoExitVeltrin = 316,
        kInfoSearch = 325,
        kInfoSync = 327
    };
    void OnInfoCommand(int command);

    // Tray menu commands: restore, the five views in ViewIndex order, About, exit.
    enum TrayCommand {
        kTrayRestore = 317,
        kTrayFirstView = 318,
        kTrayAbout = 323,
        kTrayExit = 324,
        kTraySearch = 326,
        kTraySync = 328
    };
    void OnTrayCommand(int command);

    // Options: on OK the settings are applied and stored.
    void RunOptions();
    void RunAbout();
    void RunTipOfTheDay();
    void RunNotifications();
    // Opens the search window (Ctrl+Shift+F, "Search..." in the Info and the
    // tray menu) over the records as the views hold them now.
    void RunSearch();
    CSearchWindow* searchWindow() const;
    // "Sync...": the server and account, "Sync now" and how the last sync went.
    void RunSync();
    QtSyncService* syncService() const { return sync_; }
    CSyncDialog* syncDialog() const;

    int shownView() const { return shownView_; }
    CViewBase* view(int index) const { return views_[static_cast<std::size_t>(index)]; }
    CTodayView* todayView() const { return today_; }
    CDiaryView* diaryView() const { return diary_; }
    CNotesView* notesView() const { return notes_; }
    CEventsView* eventsView() const { return events_; }
    CContactsView* contactsView() const { return contacts_; }
    QtReminderService* reminders() const { return reminders_; }
    CSkinButton* button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }
    CDigitalClock* digitalClock() const { return clock_; }
    // Where the clock goes for a client width: at the right edge, or right
    // after Info when the window is too narrow for that.
    static int ClockLeft(int clientWidth);
    // The groups the last ApplySettings redid.
    unsigned lastAppliedGroups() const { return lastGroups_; }
    QColor stripColour() const;
    bool startHidden() const { return startHidden_; }
    // Shown and not minimized. Off the screen nothing ticks or redraws; only
    // the reminders' timer runs, and the 2-minute save until it has saved.
    bool onScreen() const { return onScreen_; }
    bool trayIconShown() const;
    bool ended() const { return ended_; }

    // Whether a notification area exists; tests decide it (-1: ask the system).
    static void SetTrayAvailableForTesting(int available);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void setVisible(bool visible) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void accept() override {}
    void reject() override {}

private:
    static bool trayAvailable();
    bool confirmExit();
    void endDialog();
    void showTrayIcon();
    void removeTrayIcon();
    void layOut();
    void onViewButton(int index);
    void showInfoMenu();
    void showTrayMenu();
    // Closes every dialog or question open above the window.
    void closeOpenDialogs();
    // The dialog or question open above the window, if any.
    QWidget* openDialog() const;
    int tickPeriodMs() const;
    // Sets the shown view's tick to what the window's state asks.
    void applyTickPeriod();
    // Follows the window onto and off the screen.
    void followScreen();
    // What each view holds, after it has taken in any edit in progress.
    ViewStates viewStates();
    // The data files changed under the views (a sync brought records down):
    // the views show them again, keeping the selection.
    void reloadSyncedData(const StoredFiles& stored);
    void reloadSyncedDocuments(const StoredFiles& stored);
    QString trayTip() const;
    // Gives the views the skin's background in the settings' colour.
    void applySkinColour();
    // Before the window is first seen after a start in the tray.
    void applyDeferredSkin();
    // Shows a search result in its view, selected.
    void openSearchResult(const SearchEntry& entry, const std::string& hit);

    AppData& data_;
    bool startHidden_ = true;
    // A start that stays in the tray holds no background picture until the
    // window comes up: it is a few megabytes no one sees.
    bool skinDeferred_ = false;
    bool maximizeOnRestore_ = false;
    QPointer<QDialog> about_;
    QPointer<CSearchWindow> search_;
    QPointer<CSyncDialog> syncDialog_;
    QtSyncService* sync_ = nullptr;
    std::unique_ptr<AppData> searched_;  // the records the search window shows
    bool ended_ = false;
    bool saving_ = false;
    bool onScreen_ = false;
    int shownView_ = -1;
    QTimer* autoSave_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    std::unique_ptr<QtSkinAssets> skin_;
    std::array<CSkinButton*, kMainButtonCount> buttons_{};
    // The views twice: typed for what only one view offers, and in ViewIndex
    // order for what the window does to all of them.
    CTodayView* today_ = nullptr;
    CDiaryView* diary_ = nullptr;
    CNotesView* notes_ = nullptr;
    CEventsView* events_ = nullptr;
    CContactsView* contacts_ = nullptr;
    std::array<CViewBase*, kViewCount> views_{};
    CDigitalClock* clock_ = nullptr;
    QtReminderService* reminders_ = nullptr;
    std::optional<AppliedSettings> lastApplied_;
    unsigned lastGroups_ = 0;
};

}  // namespace veltrin
