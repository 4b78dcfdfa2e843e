#pragma once

#include <QDialog>
#include <QStringList>

class QSystemTrayIcon;
class QTimer;

namespace veltrin {

struct AppData;

// The program's one top-level window. It runs modally for the whole session;
// ending it ends the program, after SaveAll.
class CMainDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kAutoSaveTimerId = 300;
    static constexpr int kAutoSaveIntervalMs = 120000;
    static constexpr int kViewCount = 5;

    CMainDialog(AppData& data, const QStringList& arguments, QWidget* parent = nullptr);
    ~CMainDialog() override;

    // True when the command line carries "/autorun" (case-sensitive, anywhere).
    static bool IsAutorun(const QStringList& arguments);

    // Writes every data file; each reports its own failure and the rest go on.
    void SaveAll();
    void ShowView();
    void ApplySettings();

    // Hides the window in the tray (or minimizes it where there is no tray)
    // and saves. Used by close, minimize and the Info menu.
    void HideToTray();
    // "Exit Veltrin" from the Info menu or the tray menu.
    void ExitVeltrin(bool fromTray);
    // Brings the window back from the tray or the task bar, maximized.
    void RestoreFromTray();
    // The session or a signal ends the program: no questions, save, end.
    void EndSession();

    int shownView() const { return shownView_; }
    bool startHidden() const { return startHidden_; }
    bool trayIconShown() const;
    bool ended() const { return ended_; }

    // Whether a notification area exists; tests decide it (-1: ask the system).
    static void SetTrayAvailableForTesting(int available);

protected:

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void setVisible(bool visible) override;
    void accept() override {}
    void reject() override {}

private:
    static bool trayAvailable();
    bool confirmExit();
    void endDialog();
    void showTrayIcon();
    void removeTrayIcon();

    AppData& data_;
    bool startHidden_ = true;
    bool ended_ = false;
    bool saving_ = false;
    int shownView_ = -1;
    QTimer* autoSave_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace veltrin
