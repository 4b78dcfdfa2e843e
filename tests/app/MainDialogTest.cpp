#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <map>

#include "app/AppData.h"
#include "app/CMainDialog.h"
#include "storage/DataFile.h"
#include "storage/SafeFile.h"
#include "support/Fakes.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;

namespace {

class MainDialogTest : public ::testing::Test {
protected:
    MainDialogTest() {
        ApplySettingsDefaults(data.settings);
        CMainDialog::SetTrayAvailableForTesting(1);
    }
    ~MainDialogTest() override { CMainDialog::SetTrayAvailableForTesting(-1); }

    bool settingsWritten() const { return std::filesystem::exists(folder.file("Settings.dat")); }
    void settle() { QApplication::processEvents(); }

    ProgramFolder folder;
    AppData data;
};

}  // namespace

TEST(MainDialogArguments, AutorunIsACaseSensitiveSubstring) {
    EXPECT_TRUE(CMainDialog::IsAutorun({"veltrin", "/autorun"}));
    EXPECT_TRUE(CMainDialog::IsAutorun({"veltrin", "x/autorunx"}));
    EXPECT_FALSE(CMainDialog::IsAutorun({"veltrin", "/AUTORUN"}));
    EXPECT_FALSE(CMainDialog::IsAutorun({"veltrin"}));
}

TEST_F(MainDialogTest, CloseWithMinimizeOnCloseHidesInTheTrayAndSaves) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.close();
    settle();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(dlg.trayIconShown());
    EXPECT_FALSE(dlg.ended());
    EXPECT_TRUE(folder.messages.shown.empty());
    EXPECT_TRUE(settingsWritten());

    dlg.RestoreFromTray();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.trayIconShown());
    EXPECT_TRUE(dlg.windowState() & Qt::WindowMaximized);
}

TEST_F(MainDialogTest, WithoutANotificationAreaHidingMinimizes) {
    CMainDialog::SetTrayAvailableForTesting(0);
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.close();
    settle();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.isMinimized());
    EXPECT_FALSE(dlg.trayIconShown());
    EXPECT_TRUE(settingsWritten());
}

TEST_F(MainDialogTest, AnsweringNoToTheExitQuestionKeepsRunningAndWritesNothing) {
    data.settings.minimizeOnClose = 0;
    folder.messages.answers = {Messages::Answer::No};
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.close();
    settle();
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    const auto& q = folder.messages.shown[0];
    EXPECT_EQ(q.text, "Are you sure to exit Veltrin ?");
    EXPECT_EQ(q.caption, "Exit...");
    EXPECT_EQ(q.icon, Messages::Icon::Exclamation);
    EXPECT_EQ(q.buttons, Messages::Buttons::YesNo);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.ended());
    EXPECT_FALSE(settingsWritten());
}

TEST_F(MainDialogTest, AnsweringYesEndsAndTheWindowSavesAsItGoes) {
    data.settings.minimizeOnClose = 0;
    folder.messages.answers = {Messages::Answer::Yes};
    {
        CMainDialog dlg(data, {"veltrin"});
        dlg.show();
        dlg.close();
        settle();
        EXPECT_TRUE(dlg.ended());
        EXPECT_FALSE(dlg.isVisible());
    }
    EXPECT_TRUE(settingsWritten());
}

TEST_F(MainDialogTest, ExitWithoutAskOnExitEndsAtOnce) {
    data.settings.minimizeOnClose = 0;
    data.settings.askOnExit = 0;
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.close();
    EXPECT_TRUE(dlg.ended());
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST_F(MainDialogTest, TrayExitRemovesTheIconAfterTheQuestion) {
    folder.messages.answers = {Messages::Answer::No, Messages::Answer::Yes};
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.HideToTray();
    dlg.ExitVeltrin(true);
    EXPECT_TRUE(dlg.trayIconShown());
    EXPECT_FALSE(dlg.ended());
    dlg.ExitVeltrin(true);
    EXPECT_FALSE(dlg.trayIconShown());
    EXPECT_TRUE(dlg.ended());
}

TEST_F(MainDialogTest, EnterAndEscapeDoNothing) {
    data.settings.askOnExit = 0;
    data.settings.minimizeOnClose = 0;
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTest::keyClick(&dlg, Qt::Key_Enter);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.ended());
}

TEST_F(MainDialogTest, MinimizeWithMinimizeToTrayHidesAndSaves) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.setWindowState(dlg.windowState() | Qt::WindowMinimized);
    settle();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(dlg.trayIconShown());
    EXPECT_TRUE(settingsWritten());
}

TEST_F(MainDialogTest, MinimizeWithoutMinimizeToTrayOnlyMinimizes) {
    data.settings.minimizeToTray = 0;
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.setWindowState(dlg.windowState() | Qt::WindowMinimized);
    settle();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.trayIconShown());
    EXPECT_FALSE(settingsWritten());
}

TEST_F(MainDialogTest, AutorunStartStaysHiddenAndRestoresMaximized) {
    CMainDialog dlg(data, {"veltrin", "/autorun"});
    EXPECT_TRUE(dlg.startHidden());
    dlg.show();  // what exec() does first
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(dlg.trayIconShown());
    EXPECT_FALSE(settingsWritten());  // the hidden start does not save
    dlg.RestoreFromTray();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(dlg.trayIconShown());
}

TEST_F(MainDialogTest, OtherStartsShowTheWindowMaximized) {
    for (const QStringList& args : {QStringList{"veltrin", "/AUTORUN"}, QStringList{"veltrin"}}) {
        CMainDialog dlg(data, args);
        dlg.show();
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_TRUE(dlg.windowState() & Qt::WindowMaximized);
        EXPECT_FALSE(dlg.trayIconShown());
    }
    data.settings.minimizeOnAutorun = 0;
    CMainDialog dlg(data, {"veltrin", "/autorun"});
    dlg.show();
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(MainDialogTest, ViewOutOfRangeStartsOnTodayAndIsStoredAsToday) {
    data.settings.currentView = 7;
    CMainDialog dlg(data, {"veltrin"});
    EXPECT_EQ(dlg.shownView(), 0);
    dlg.SaveAll();
    AppSettings back;
    ASSERT_TRUE(SerializeSettings(back, false));
    EXPECT_EQ(back.currentView, 0);
}

TEST_F(MainDialogTest, StoredViewIsShown) {
    data.settings.currentView = 3;
    CMainDialog dlg(data, {"veltrin"});
    EXPECT_EQ(dlg.shownView(), 3);
}

TEST_F(MainDialogTest, AutoSaveRunsEveryTwoMinutes) {
    CMainDialog dlg(data, {"veltrin"});
    auto* timer = dlg.findChild<QTimer*>("autoSave");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 120000);
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_TRUE(settingsWritten());
}

TEST_F(MainDialogTest, SaveAllWithNothingChangedWritesNothing) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.SaveAll();
    std::map<std::string, FileState> written;
    for (const DataFileKind* kind : kDataFileKinds)
        written[kind->fileName] = StateOfFile(folder.file(kind->fileName).string()).value_or(FileState{});
    dlg.SaveAll();
    for (const auto& [name, state] : written) {
        EXPECT_EQ(StateOfFile(folder.file(name).string()), state) << name << " was written again";
        EXPECT_GT(state.size, 0u) << name;
    }

    // The files left alone hold what a forced rewrite writes.
    std::map<std::string, std::string> bytes;
    for (const auto& [name, state] : written) bytes[name] = test::readAll(folder.file(name));
    ForgetStoredDigests();
    dlg.SaveAll();
    for (const auto& [name, state] : written) {
        EXPECT_NE(StateOfFile(folder.file(name).string())->inode, state.inode)
            << name << " was not rewritten";
        EXPECT_EQ(test::readAll(folder.file(name)), bytes[name]) << name;
    }
    EXPECT_TRUE(folder.messages.shown.empty());
}

namespace {
// A message box keeps the event loop running, so a save can be asked for
// again while its own failure is still on screen.
class ReenteringMessages : public test::RecordingMessages {
public:
    CMainDialog* dialog = nullptr;
    Answer show(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override {
        if (dialog) dialog->SaveAll();
        return RecordingMessages::show(text, caption, icon, buttons);
    }
};
}  // namespace

TEST_F(MainDialogTest, SaveAllDoesNotStackWhileItsMessageIsOpen) {
    std::filesystem::remove_all(folder.data());
    ReenteringMessages reentering;
    setMessages(&reentering);
    {
        CMainDialog dlg(data, {"veltrin"});
        reentering.dialog = &dlg;
        dlg.SaveAll();
        reentering.dialog = nullptr;
        // One failure per file, not one more round of five per open message.
        EXPECT_EQ(reentering.texts(), std::vector<std::string>(5, "Unable to write configuration file!"));
    }
    setMessages(&folder.messages);
}

namespace {
class RecordingShell : public Shell {
public:
    std::vector<std::string> opened;
    bool open(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
};
}  // namespace

TEST_F(MainDialogTest, InfoMenuHidesEndsAndOpensTheReadMe) {
    RecordingShell shell;
    setShell(&shell);
    folder.messages.answers = {Messages::Answer::Yes};
    {
        CMainDialog dlg(data, {"veltrin"});
        dlg.show();
        dlg.OnInfoCommand(CMainDialog::kReadMe);
        ASSERT_EQ(shell.opened.size(), 1u);
        EXPECT_EQ(shell.opened[0], (folder.root / "readme.txt").string());

        // Hides to the tray even with minimizeToTray clear.
        data.settings.minimizeToTray = 0;
        dlg.OnInfoCommand(CMainDialog::kMinimizeToTray);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_TRUE(dlg.trayIconShown());
        EXPECT_TRUE(settingsWritten());

        dlg.OnInfoCommand(CMainDialog::kExitVeltrin);
        EXPECT_EQ(folder.messages.shown.at(0).text, "Are you sure to exit Veltrin ?");
        EXPECT_TRUE(dlg.ended());
    }
    setShell(nullptr);
}
