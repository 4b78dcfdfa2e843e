#include "app/CMainDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include "app/AppData.h"
#include "platform/Platform.h"
#include "contacts/ContactTrees.h"
#include "events/EventTrees.h"
#include "settings/AppSettings.h"

namespace veltrin {

CMainDialog::CMainDialog(AppData& data, const QStringList& arguments, QWidget* parent)
    : QDialog(parent), data_(data) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Veltrin"));
    setWindowIcon(QApplication::windowIcon());
    setSizeGripEnabled(false);
    resize(792, 496);

    AppSettings& s = data_.settings;
    if (s.currentView < 0 || s.currentView >= kViewCount) s.currentView = 0;
    ApplySettings();
    ShowView();

    startHidden_ = IsAutorun(arguments) && s.minimizeOnAutorun != 0;
    if (startHidden_) {
        // Stays hidden until restored; the first show request is swallowed.
        if (trayAvailable()) showTrayIcon();
    } else {
        setWindowState(windowState() | Qt::WindowMaximized);
    }

    // showTipsAtStartup: the Tip of the Day joins here with the Info menu.

    autoSave_ = new QTimer(this);
    autoSave_->setObjectName(QStringLiteral("autoSave"));
    autoSave_->setInterval(kAutoSaveIntervalMs);
    connect(autoSave_, &QTimer::timeout, this, &CMainDialog::SaveAll);
    autoSave_->start();

    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { SaveAll(); });
}

CMainDialog::~CMainDialog() {
    removeTrayIcon();
    SaveAll();
}

bool CMainDialog::IsAutorun(const QStringList& arguments) {
    return arguments.join(QLatin1Char(' ')).contains(QStringLiteral("/autorun"), Qt::CaseSensitive);
}

void CMainDialog::SaveAll() {
    // A failing store shows a message box; a timer tick inside it must not
    // start a second save and a second box.
    if (saving_) return;
    saving_ = true;
    // The view save steps, in this order: Today, Diary, Notes, Events,
    // Contacts; then the settings. Until a view exists its store is written
    // as it was loaded.
    const int view = data_.settings.currentView;
    SaveEventsFromTodayView(data_.events, view, EventViews{});
    SerializeDiaryFile(data_.diary, true);
    SerializeNotesFile(data_.notes, true);
    SaveEventsFromEventsView(data_.events, view, EventViews{});
    SaveContacts(data_.contacts, data_.settings.contactColumns, ContactViews{});
    SerializeSettings(data_.settings, true);
    saving_ = false;
}

void CMainDialog::ShowView() { shownView_ = data_.settings.currentView; }

void CMainDialog::ApplySettings() {}

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
        tray_ = new QSystemTrayIcon(windowIcon(), this);
        tray_->setToolTip(QStringLiteral("Veltrin"));
        connect(tray_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason r) {
                    if (r == QSystemTrayIcon::DoubleClick) RestoreFromTray();
                });
    }
    tray_->show();
}

void CMainDialog::removeTrayIcon() {
    if (tray_) tray_->hide();
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
            QDialog::setVisible(true);
        }
        return;
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
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    show();
    raise();
    activateWindow();
}

bool CMainDialog::confirmExit() {
    if (!data_.settings.askOnExit) return true;
    return messages().show("Are you sure to exit Veltrin ?", "Exit...", Messages::Icon::Exclamation,
                           Messages::Buttons::YesNo) == Messages::Answer::Yes;
}

void CMainDialog::endDialog() {
    if (ended_) return;
    ended_ = true;
    autoSave_->stop();
    done(QDialog::Rejected);
}

void CMainDialog::ExitVeltrin(bool fromTray) {
    if (!confirmExit()) return;
    if (fromTray) removeTrayIcon();
    endDialog();
}

void CMainDialog::EndSession() {
    // Close any dialog or question still open above us, so that every modal
    // loop unwinds; the window's destruction then runs SaveAll.
    endDialog();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog && dialog != this && dialog->isVisible()) dialog->done(QDialog::Rejected);
    }
}

void CMainDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (ended_) return;
    if (data_.settings.minimizeOnClose) {
        HideToTray();
        return;
    }
    if (confirmExit()) endDialog();
}

void CMainDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || ended_) return;
    auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool minimizedNow = isMinimized() && !(change->oldState() & Qt::WindowMinimized);
    if (!minimizedNow) return;
    if (data_.settings.minimizeToTray && trayAvailable()) {
        // Leave the state change first; hiding inside it confuses some window managers.
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            HideToTray();
        });
    } else if (data_.settings.minimizeToTray) {
        SaveAll();
    }
}

void CMainDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();  // Enter and Escape never end the window
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

}  // namespace veltrin
