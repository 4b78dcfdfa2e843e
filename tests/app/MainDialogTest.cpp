#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>
#include <map>

#include "app/AppData.h"
#include "app/CDigitalClock.h"
#include "app/CMainDialog.h"
#include "contacts/CContactsView.h"
#include "controls/CGroupTree.h"
#include "controls/CSkinButton.h"
#include "controls/QtSkinAssets.h"
#include "documents/CDiaryView.h"
#include "documents/CDocumentEditor.h"
#include "documents/CNotesView.h"
#include "events/CEventList.h"
#include "events/CEventsView.h"
#include "events/CReminderWindow.h"
#include "events/EventTrees.h"
#include "events/QtReminderService.h"
#include "events/QtReminderWindows.h"
#include "search/CSearchWindow.h"
#include "settings/ViewIndex.h"
#include "storage/DataFile.h"
#include "storage/SafeFile.h"
#include "support/Fakes.h"
#include "support/ModalAnswer.h"
#include "support/ScopedZone.h"
#include "support/ShippedTemplates.h"
#include "today/CTodayView.h"
#include "tree/GroupTreeCommands.h"

using namespace veltrin;
using veltrin::test::ProgramFolder;

namespace {

class MainDialogTest : public ::testing::Test {
protected:
    MainDialogTest() {
        ApplySettingsDefaults(data.settings);
        test::CopyShippedTemplates(folder.root);
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

// A start that stays in the tray holds no skin background (megabytes no one
// sees); the window has it, in the settings' colour, before it is seen.
TEST_F(MainDialogTest, AStartInTheTrayHoldsNoSkinPictureUntilTheWindowComesUp) {
    data.settings.skinColour = 0x00406080;
    CMainDialog dlg(data, {"veltrin", "/autorun"});
    dlg.show();
    ASSERT_FALSE(dlg.isVisible());
    const QList<CViewBase*> views = dlg.findChildren<CViewBase*>();
    ASSERT_FALSE(views.isEmpty());
    for (CViewBase* v : views) EXPECT_TRUE(v->skin().isNull()) << v->metaObject()->className();
    dlg.RestoreFromTray();
    QtSkinAssets skin;
    skin.ApplySkinColour(data.settings.skinColour);
    ASSERT_FALSE(skin.background().isNull());
    for (CViewBase* v : views) EXPECT_EQ(v->skin(), skin.background()) << v->metaObject()->className();
    EXPECT_EQ(dlg.stripColour(), skin.stripColour());
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
    test::ScopedMessages installed(reentering);
    CMainDialog dlg(data, {"veltrin"});
    reentering.dialog = &dlg;
    dlg.SaveAll();
    reentering.dialog = nullptr;
    // One failure per file, not one more round of five per open message.
    EXPECT_EQ(reentering.texts(), std::vector<std::string>(5, "Unable to write configuration file!"));
}

TEST_F(MainDialogTest, InfoMenuHidesEndsAndOpensTheReadMe) {
    folder.messages.answers = {Messages::Answer::Yes};
    {
        CMainDialog dlg(data, {"veltrin"});
        dlg.show();
        dlg.OnInfoCommand(CMainDialog::kInfoReadMe);
        ASSERT_EQ(folder.shell.opened.size(), 1u);
        EXPECT_EQ(folder.shell.opened[0], (folder.root / "readme.txt").string());

        // Hides to the tray even with minimizeToTray clear.
        data.settings.minimizeToTray = 0;
        dlg.OnInfoCommand(CMainDialog::kInfoMinimizeToTray);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_TRUE(dlg.trayIconShown());
        EXPECT_TRUE(settingsWritten());

        dlg.OnInfoCommand(CMainDialog::kInfoExitVeltrin);
        EXPECT_EQ(folder.messages.shown.at(0).text, "Are you sure to exit Veltrin ?");
        EXPECT_TRUE(dlg.ended());
    }
}

namespace {

void Press(QWidget* dialog, const char* name) {
    auto* b = dialog->findChild<QAbstractButton*>(QLatin1String(name));
    ASSERT_NE(b, nullptr) << name;
    QTest::mouseClick(b, Qt::LeftButton);
}

}  // namespace

TEST_F(MainDialogTest, OptionsCancelChangesNothing) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    const AppSettings before = data.settings;
    const auto calls = folder.autostart.calls.size();
    test::WhenModalOpens<QWidget>([](QWidget* options) {
        options->findChild<QComboBox*>(QStringLiteral("skinColour"))->setCurrentIndex(3);
        options->findChild<QCheckBox*>(QStringLiteral("runOnStartup"))->setChecked(false);
        Press(options, "cancel");
    });
    dlg.button(CMainDialog::kOptionsButton)->click();
    EXPECT_EQ(data.settings.skinColour, before.skinColour);
    EXPECT_EQ(data.settings.runOnStartup, 1);
    EXPECT_EQ(folder.autostart.calls.size(), calls) << "the login entry was rewritten";
    EXPECT_FALSE(settingsWritten());
}

TEST_F(MainDialogTest, OptionsOkWithoutChangesKeepsWhatTheListsDoNotName) {
    data.settings.skinColour = 0x00123456;
    data.settings.buttonFontFace = "Not Installed Sans";
    data.settings.buttonFontSize = 15;
    data.settings.headerFontSize = 0;
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    const AppSettings before = data.settings;
    test::WhenModalOpens<QWidget>([](QWidget* options) { Press(options, "ok"); });
    dlg.RunOptions();
    EXPECT_EQ(data.settings.skinColour, 0x00123456u);
    EXPECT_EQ(data.settings.buttonFontFace, "Not Installed Sans");
    EXPECT_EQ(data.settings.buttonFontSize, 15);
    EXPECT_EQ(data.settings.headerFontSize, 0);
    EXPECT_EQ(data.settings.dayInfoFontSize, before.dayInfoFontSize);
    EXPECT_TRUE(settingsWritten());
    EXPECT_EQ(dlg.lastAppliedGroups(), 0u) << "nothing changed, nothing to redo";
}

TEST_F(MainDialogTest, OptionsOkAppliesStoresAndSwitchesTheLoginEntryOff) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    test::WhenModalOpens<QWidget>([](QWidget* options) {
        options->findChild<QComboBox*>(QStringLiteral("skinColour"))->setCurrentText(QStringLiteral("Navy"));
        options->findChild<QCheckBox*>(QStringLiteral("runOnStartup"))->setChecked(false);
        Press(options, "ok");
    });
    dlg.RunOptions();
    EXPECT_EQ(data.settings.skinColour, 0x00800000u);
    EXPECT_EQ(data.settings.runOnStartup, 0);
    EXPECT_TRUE(dlg.lastAppliedGroups() & kSkinColourGroup);
    ASSERT_FALSE(folder.autostart.calls.empty());
    EXPECT_FALSE(folder.autostart.calls.back().enabled);
    AppSettings stored;
    ASSERT_TRUE(SerializeSettings(stored, false));
    EXPECT_EQ(stored.skinColour, 0x00800000u);
}

TEST_F(MainDialogTest, TrayViewCommandsShowTheViewAndRestore) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    for (int v = kTodayView; v < kViewCount; ++v) {
        dlg.HideToTray();
        dlg.OnTrayCommand(CMainDialog::kTrayFirstView + v);
        EXPECT_EQ(data.settings.currentView, v);
        EXPECT_EQ(dlg.shownView(), v);
        EXPECT_TRUE(dlg.button(v)->isChecked());
        for (int other = 0; other < kViewCount; ++other)
            if (other != v) {
                EXPECT_FALSE(dlg.button(other)->isChecked());
            }
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_FALSE(dlg.trayIconShown());
    }
    dlg.HideToTray();
    dlg.OnTrayCommand(CMainDialog::kTrayRestore);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.trayIconShown());
}

TEST_F(MainDialogTest, SearchOpensEachKindOfResultInItsViewAndSeesUnsavedEdits) {
    data.diary = {{"2026, December 06", "<p>plain</p>", 1'796'515'200, 1},
                  {"2026, December 07", "<p>quince jam</p>", 1'796'601'600, 0}};
    data.notes = {{0, "Kitchen", 0, 0, 1, 0, "", 5}, {1, "Recipes", 0, 0, 0, 1, "<p>apple pie</p>", 6}};
    data.events.groups = {{0, "Home", 0, 0, 1, 5}, {0, "Garden", 0, 0, 0, 6}};
    EventItem event;
    event.name = "Pick quinces";
    event.details.groupId = 6;
    event.details.eventId = 77;
    data.events.events = {event};
    data.contacts.groups = {{0, "Friends", 0, 0, 1, 1, 9}, {0, "Shops", 0, 0, 0, 1, 10}};
    ContactItem contact;
    contact.groupId = 10;
    contact.fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("Name")), "Quince Market");
    data.contacts.contacts = {contact};
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    // An edit the Notes view holds and no save has written yet.
    GroupTreeModel& notes = dlg.notesView()->tree()->model();
    const NodeHandle recipes = notes.GetNextItem(notes.GetNextItem(kRootNode, kFirstChild), kFirstChild);
    notes.SetNotePayload(recipes, TextPayload{"<p>quince pie</p>", 6});

    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(&dlg, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    CSearchWindow* search = dlg.searchWindow();
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->isVisible());
    QTest::keyClicks(search->queryBox(), "quince");
    QTreeWidget* results = search->resultList();
    ASSERT_TRUE(QTest::qWaitFor([results] { return results->topLevelItemCount() == 4; }, 10000));
    EXPECT_FALSE(settingsWritten()) << "searching writes nothing";

    const auto open = [&](int row) {
        results->setCurrentItem(results->topLevelItem(row));
        QTest::keyClick(results, Qt::Key_Return);
    };
    const auto selected = [](const GroupTreeModel& m) { return m.GetItemText(m.GetSelectedItem(), 0); };
    ASSERT_EQ(results->topLevelItem(0)->text(0).toStdString(), "Pick quinces");
    open(0);
    EXPECT_EQ(dlg.shownView(), kEventsView);
    EXPECT_EQ(selected(dlg.eventsView()->groupTree()->model()), "Garden");
    EXPECT_EQ(selected(dlg.eventsView()->recordList()->model()), "Pick quinces");
    ASSERT_EQ(results->topLevelItem(1)->text(0).toStdString(), "Quince Market");
    open(1);
    EXPECT_EQ(dlg.shownView(), kContactsView);
    EXPECT_EQ(selected(dlg.contactsView()->groupTree()->model()), "Shops");
    const GroupTreeModel& contacts = dlg.contactsView()->recordList()->model();
    EXPECT_EQ(contacts.GetContactRecord<ContactItem>(contacts.GetSelectedItem()).fields, contact.fields);
    // A page or note opens with its hit found by the editor's find.
    const auto found = [](QSignalSpy& spy) {
        return QTest::qWaitFor([&spy] { return spy.count() > 0; }, 30000) &&
               spy.last().at(0).value<QWebEngineFindTextResult>().numberOfMatches() == 1;
    };
    QSignalSpy diaryFind(dlg.diaryView()->editor()->findChild<QWebEnginePage*>(),
                         &QWebEnginePage::findTextFinished);
    ASSERT_EQ(results->topLevelItem(2)->text(0).toStdString(), "2026, December 07");
    open(2);
    EXPECT_EQ(dlg.shownView(), kDiaryView);
    EXPECT_EQ(selected(dlg.diaryView()->tree()->model()), "2026, December 07");
    EXPECT_TRUE(found(diaryFind));
    QSignalSpy noteFind(dlg.notesView()->editor()->findChild<QWebEnginePage*>(),
                        &QWebEnginePage::findTextFinished);
    ASSERT_EQ(results->topLevelItem(3)->text(0).toStdString(), "Kitchen / Recipes");
    open(3);
    EXPECT_EQ(dlg.shownView(), kNotesView);
    EXPECT_EQ(notes.GetSelectedItem(), recipes);
    EXPECT_TRUE(found(noteFind));

    // Escape closes it; the Info and the tray menu open it again.
    QTest::keyClick(search->queryBox(), Qt::Key_Escape);
    EXPECT_FALSE(search->isVisible());
    dlg.OnInfoCommand(CMainDialog::kInfoSearch);
    EXPECT_TRUE(search->isVisible());
    search->hide();
    dlg.HideToTray();
    dlg.OnTrayCommand(CMainDialog::kTraySearch);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(search->isVisible());

    // An edit made in a view while the window stays open is found when the
    // user comes back to it.
    QTest::keyClicks(search->queryBox(), "medlar");
    ASSERT_TRUE(QTest::qWaitFor([results] { return results->topLevelItemCount() == 0; }, 10000));
    QEvent away(QEvent::WindowDeactivate);
    QApplication::sendEvent(search, &away);
    notes.SetNotePayload(recipes, TextPayload{"<p>medlar jelly</p>", 6});
    QEvent back(QEvent::WindowActivate);
    QApplication::sendEvent(search, &back);
    ASSERT_EQ(results->topLevelItemCount(), 1);
    EXPECT_EQ(results->topLevelItem(0)->text(0).toStdString(), "Kitchen / Recipes");
    open(0);
    EXPECT_EQ(notes.GetSelectedItem(), recipes);
}

TEST_F(MainDialogTest, RestoreKeepsTheSizeTheWindowHad) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.setWindowState(Qt::WindowNoState);
    dlg.show();
    dlg.HideToTray();
    dlg.OnTrayCommand(CMainDialog::kTrayRestore);
    EXPECT_FALSE(dlg.windowState() & Qt::WindowMaximized);
}

TEST_F(MainDialogTest, TrayAboutKeepsTheWindowHiddenAndOpensOneBox) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.HideToTray();
    int boxes = -1;
    bool hidden = false;
    test::WhenModalOpens<QWidget>([&](QWidget* about) {
        hidden = !dlg.isVisible();
        // A second About from the tray does not open another box.
        dlg.OnTrayCommand(CMainDialog::kTrayAbout);
        boxes = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "About Veltrin") ++boxes;
        static_cast<QDialog*>(about)->accept();
    });
    dlg.OnTrayCommand(CMainDialog::kTrayAbout);
    EXPECT_TRUE(hidden);
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(dlg.trayIconShown());
}

// A dialog left open when the window went to the tray is the user's work in
// progress: the tray brings it back to the front with the window, and it
// keeps its view, whose rows it may be working on.
TEST_F(MainDialogTest, TrayRestoreAndViewCommandsBringAnOpenDialogToTheFront) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.HideToTray();
    const int view = dlg.shownView();
    ASSERT_NE(view, kEventsView);
    bool keptOpen = false, restored = false, inFront = false;
    test::WhenModalOpens<QWidget>([&](QWidget* options) {
        options->findChild<QComboBox*>(QStringLiteral("skinColour"))->setCurrentText(QStringLiteral("Navy"));
        dlg.OnTrayCommand(CMainDialog::kTrayFirstView + kEventsView);
        restored = dlg.isVisible() && !dlg.trayIconShown();
        inFront = QTest::qWaitFor([&] { return QApplication::activeWindow() == options; }, 30000);
        dlg.HideToTray();
        dlg.OnTrayCommand(CMainDialog::kTrayRestore);
        restored = restored && dlg.isVisible() && !dlg.trayIconShown();
        keptOpen = options->isVisible() && QApplication::activeModalWidget() == options;
        Press(options, "ok");
    });
    dlg.RunOptions();
    EXPECT_TRUE(keptOpen) << "a tray command cancelled the open dialog";
    EXPECT_TRUE(restored);
    EXPECT_TRUE(inFront);
    EXPECT_EQ(dlg.shownView(), view);
    EXPECT_EQ(data.settings.currentView, view);
    EXPECT_EQ(data.settings.skinColour, 0x00800000u) << "what was chosen in the dialog counts";

    // With no dialog open the view command switches as ever.
    dlg.HideToTray();
    dlg.OnTrayCommand(CMainDialog::kTrayFirstView + kEventsView);
    EXPECT_EQ(dlg.shownView(), kEventsView);
}

// "Exit Veltrin" asks first: a No leaves the open dialog as it was; a Yes
// closes it as cancelled and ends.
TEST_F(MainDialogTest, TrayExitAsksBeforeItClosesAnOpenDialog) {
    folder.messages.answers = {Messages::Answer::No, Messages::Answer::Yes};
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.HideToTray();
    const Colour skin = data.settings.skinColour;
    bool keptAfterNo = false, askedWithItOpen = false;
    test::WhenModalOpens<QWidget>([&](QWidget* options) {
        options->findChild<QComboBox*>(QStringLiteral("skinColour"))->setCurrentText(QStringLiteral("Navy"));
        dlg.OnTrayCommand(CMainDialog::kTrayExit);
        keptAfterNo = options->isVisible() && !dlg.ended() && dlg.trayIconShown();
        askedWithItOpen = folder.messages.shown.size() == 1;
        dlg.OnTrayCommand(CMainDialog::kTrayExit);
    });
    dlg.RunOptions();
    EXPECT_TRUE(askedWithItOpen);
    EXPECT_TRUE(keptAfterNo) << "No lost the open dialog";
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>(2, "Are you sure to exit Veltrin ?"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(data.settings.skinColour, skin) << "a dialog closed by the exit counts as cancelled";
    EXPECT_TRUE(dlg.ended());
    EXPECT_FALSE(dlg.trayIconShown());
}

// The session's loop: the window is not application modal, so a reminder
// window beside it takes real key input (sent through the window system's
// queue, where a window blocked by a modal one loses it).
TEST_F(MainDialogTest, AReminderWindowTakesKeysWhileTheSessionRuns) {
    data.settings.askOnExit = 0;
    CMainDialog dlg(data, {"veltrin"});
    QtReminderWindows windows;
    bool shown = false, hiddenByEscape = false;
    QTimer::singleShot(0, [&] {
        windows.ShowReminder("Call the bank", -1, EventDetails{});
        CReminderWindow* w = windows.window();
        shown = dlg.isVisible() && QTest::qWaitForWindowExposed(w);
        QTest::keyClick(w->windowHandle(), Qt::Key_Escape);
        hiddenByEscape = !w->isVisible();
        dlg.ExitVeltrin(false);
    });
    dlg.RunSession();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(hiddenByEscape) << "the reminder window did not take Escape";
    EXPECT_TRUE(dlg.ended());
}

TEST_F(MainDialogTest, HidingInTheTrayKeepsTheSessionRunning) {
    data.settings.askOnExit = 0;
    CMainDialog dlg(data, {"veltrin"});
    bool ranAfterHiding = false;
    QTimer::singleShot(0, [&] {
        dlg.HideToTray();
        QTimer::singleShot(0, [&] {
            ranAfterHiding = !dlg.isVisible() && !dlg.ended();
            dlg.OnTrayCommand(CMainDialog::kTrayExit);
        });
    });
    dlg.RunSession();
    EXPECT_TRUE(ranAfterHiding) << "the session ended when the window was hidden";
    EXPECT_TRUE(dlg.ended());
}

TEST_F(MainDialogTest, TrayExitAsksAndNoKeepsTheIcon) {
    folder.messages.answers = {Messages::Answer::No};
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    dlg.HideToTray();
    dlg.OnTrayCommand(CMainDialog::kTrayExit);
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_EQ(folder.messages.shown[0].caption, "Exit...");
    EXPECT_TRUE(dlg.trayIconShown());
    EXPECT_FALSE(dlg.ended());
}

TEST_F(MainDialogTest, InfoCommandsOpenHelpHomePageAndSayWhatFailed) {
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    test::RecordingHelp help;
    test::ScopedHelp installed(help);
    dlg.OnInfoCommand(CMainDialog::kInfoHelpContents);
    EXPECT_EQ(help.topics, std::vector<std::string>{"/General/index.htm"});
    dlg.OnInfoCommand(CMainDialog::kInfoHomePage);
    ASSERT_EQ(folder.shell.opened.size(), 1u);
    EXPECT_NE(folder.shell.opened[0].find(".example/"), std::string::npos);
    EXPECT_TRUE(folder.messages.shown.empty());

    folder.shell.result = false;
    dlg.OnInfoCommand(CMainDialog::kInfoReadMe);
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_NE(folder.messages.shown[0].text.find("readme.txt"), std::string::npos);
}

TEST_F(MainDialogTest, TipsAtStartUpShowTheTipDialog) {
    data.settings.showTipsAtStartup = 1;
    CMainDialog dlg(data, {"veltrin"});
    QString title;
    test::WhenModalOpens<QWidget>([&](QWidget* tip) {
        title = tip->windowTitle();
        static_cast<QDialog*>(tip)->accept();
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !title.isEmpty(); }, 30000));
    EXPECT_EQ(title, "Tip of the Day");
}

TEST_F(MainDialogTest, SwitchingBetweenTodayAndEventsKeepsEveryEventOnce) {
    test::ScopedZone zone("UTC");  // the fixed clock's evening: all five due today
    for (int i = 0; i < 5; ++i) {
        EventItem e;
        e.name = "event " + std::to_string(i);
        e.actual = 1;
        e.details.schedule.kind = Once;
        e.details.schedule.eventTime = static_cast<std::int32_t>(folder.clock.t + 60 * i);
        data.events.events.push_back(e);
    }
    data.settings.currentView = kTodayView;
    CMainDialog dlg(data, {"veltrin"});
    // Not on screen yet: the rows wait for the window.
    EXPECT_FALSE(dlg.todayView()->holdsListRows());
    dlg.show();
    ASSERT_TRUE(dlg.todayView()->holdsListRows());
    const auto count = [&] {
        const EventViews today = dlg.todayView()->saveState();
        return data.events.events.size() +
               static_cast<std::size_t>(today.todayList->GetChildCount(kRootNode));
    };
    EXPECT_EQ(count(), 5u);
    for (int round = 0; round < 6; ++round) {
        data.settings.currentView = round % 2 == 0 ? kEventsView : kTodayView;
        dlg.ShowView();
        EXPECT_EQ(count(), 5u) << round;
        EXPECT_EQ(dlg.todayView()->holdsListRows(), data.settings.currentView == kTodayView);
    }
    dlg.SaveAll();
    EventStore written;
    ASSERT_TRUE(SerializeEventsFile(written, false));
    ASSERT_EQ(written.events.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(written.events[i].name, "event " + std::to_string(i));
}

// Groups changed in the Events and Contacts views reach their files when
// the program ends on another view, the Today view above all.
TEST_F(MainDialogTest, GroupChangesAreWrittenWhicheverViewTheProgramEndsOn) {
    data.events.groups = {{0, "Work", 0, 0, 1, 11}, {0, "Home", 1, 0, 0, 12}, {0, "Club", 2, 0, 0, 13}};
    data.contacts.groups = {{0, "Friends", 1, 0, 0, 1, 21}, {0, "Family", 2, 0, 0, 0, 22}};
    data.settings.currentView = kEventsView;
    {
        CMainDialog dlg(data, {"veltrin"});
        GroupTreeModel& events = dlg.eventsView()->groupTree()->model();
        events.SelectItem(events.GetChildItem(kRootNode, 2), 0);
        dlg.eventsView()->runGroupCommand(kTreeMoveUp);
        events.SetItemText(events.GetChildItem(kRootNode, 0), 0, "Office");
        data.settings.currentView = kContactsView;
        dlg.ShowView();
        GroupTreeModel& contacts = dlg.contactsView()->groupTree()->model();
        contacts.SelectItem(contacts.GetChildItem(kRootNode, 1), 0);
        dlg.contactsView()->runGroupCommand(kTreeMoveUp);
        data.settings.currentView = kTodayView;
        dlg.ShowView();
    }  // the end of the program saves

    EventStore events;
    ASSERT_TRUE(SerializeEventsFile(events, false));
    std::vector<std::pair<std::string, int>> written;
    for (const EventGroup& g : events.groups) written.emplace_back(g.name, g.isCurrent);
    EXPECT_EQ(written, (std::vector<std::pair<std::string, int>>{{"Office", 0}, {"Club", 1}, {"Home", 0}}));
    ContactStore contacts;
    ASSERT_TRUE(SerializeContactsFile(contacts, false));
    written.clear();
    for (const ContactGroup& g : contacts.groups) written.emplace_back(g.name, g.isCurrent);
    EXPECT_EQ(written, (std::vector<std::pair<std::string, int>>{{"Family", 1}, {"Friends", 0}}));
}

// Hiding to the tray saves what is being typed into a cell, and the user
// goes on typing there when the window is back.
TEST_F(MainDialogTest, HidingToTheTraySavesACellBeingTypedAndLeavesItsEditorOpen) {
    data.events.groups = {{0, "Work", 0, 0, 1, 11}};
    EventItem e;
    e.name = "Report";
    e.actual = 1;
    e.priority = 2;
    e.details.groupId = 11;
    data.events.events = {e};
    data.settings.currentView = kEventsView;
    CMainDialog dlg(data, {"veltrin"});
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg, 30000));
    CGroupTree* list = dlg.eventsView()->eventList();
    list->model().SelectItem(list->model().GetChildItem(kRootNode, 0), -1);
    list->setFocus();
    QTest::keyClicks(list, "B");
    auto* editor = qobject_cast<QLineEdit*>(list->Editor());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "udget");

    dlg.HideToTray();
    settle();
    EXPECT_FALSE(dlg.isVisible());
    EventStore written;
    ASSERT_TRUE(SerializeEventsFile(written, false));
    ASSERT_EQ(written.events.size(), 1u);
    EXPECT_EQ(written.events[0].name, "Budget");
    EXPECT_EQ(list->Editor(), editor);

    dlg.RestoreFromTray();
    settle();
    QTest::keyClicks(editor, " 2");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(list->Editor(), nullptr);
    EXPECT_EQ(list->model().GetItemText(list->model().GetChildItem(kRootNode, 0), 0), "Budget 2");
    EXPECT_EQ(list->model().GetCheck(list->model().GetChildItem(kRootNode, 0), 0), 1);
}

TEST_F(MainDialogTest, NoDocumentEngineUntilADocumentViewIsFirstShownAndSavesKeepThePagesBytes) {
    // A page in old Windows-1252 bytes, and a note: both must come back as stored.
    const std::string page = "<body><p>Caf\xe9 au lait \x80 5</p></body>";
    const std::string note = "<body><p>Na\xefve plans</p></body>";
    data.diary.push_back({"2026, December 07", page, static_cast<std::int32_t>(folder.clock.t), 1});
    NoteItem n;
    n.name = "Plans";
    n.html = note;
    data.notes.push_back(n);
    data.settings.currentView = kDiaryView;
    CMainDialog dlg(data, {"veltrin", "/autorun"});
    dlg.show();  // the hidden start swallows it
    settle();
    EXPECT_TRUE(dlg.findChildren<QWebEngineView*>().isEmpty());
    EXPECT_TRUE(dlg.findChildren<QWebEnginePage*>().isEmpty());
    EXPECT_FALSE(dlg.diaryView()->hasEditor());
    EXPECT_FALSE(dlg.notesView()->hasEditor());

    // Every save while hidden, the 2-minute one included, keeps the bytes.
    dlg.SaveAll();
    QMetaObject::invokeMethod(dlg.findChild<QTimer*>("autoSave"), "timeout");
    DiaryTable diary;
    NoteTable notes;
    ASSERT_TRUE(SerializeDiaryFile(diary, false));
    ASSERT_TRUE(SerializeNotesFile(notes, false));
    ASSERT_EQ(diary.size(), 1u);
    EXPECT_EQ(diary[0].html, page);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].html, note);
    EXPECT_FALSE(dlg.diaryView()->hasEditor()) << "saving needs no editor";

    // The first show makes the Diary's editor, showing the page at once.
    dlg.OnTrayCommand(CMainDialog::kTrayFirstView + kDiaryView);
    ASSERT_TRUE(dlg.isVisible());
    ASSERT_TRUE(dlg.diaryView()->hasEditor());
    EXPECT_TRUE(dlg.diaryView()->editor()->isLoaded());
    EXPECT_EQ(dlg.diaryView()->editor()->GetBodyText(), "Caf\xc3\xa9 au lait \xe2\x82\xac 5");
    EXPECT_EQ(dlg.findChildren<QWebEngineView*>().size(), 1) << "the Notes view has none yet";
    EXPECT_FALSE(dlg.notesView()->hasEditor());
    // Read but not edited: the page is still stored as it was.
    dlg.SaveAll();
    ASSERT_TRUE(SerializeDiaryFile(diary, false));
    EXPECT_EQ(diary.at(0).html, page);
}

TEST_F(MainDialogTest, OffTheScreenNothingTicksAndAReminderStillFires) {
    data.settings.showSeconds = 1;
    EventItem e;
    e.name = "Take the bread out";
    e.actual = 1;
    e.details.eventId = 77;
    e.details.showMessage = 1;
    e.details.schedule.eventTime = static_cast<std::int32_t>(folder.clock.t + 1);
    e.details.schedule.nextDue = e.details.schedule.eventTime;
    e.details.schedule.lastCheck = static_cast<std::int32_t>(folder.clock.t);
    data.events.events.push_back(e);
    CMainDialog dlg(data, {"veltrin", "/autorun"});
    dlg.show();
    settle();
    QTimer* autoSave = dlg.findChild<QTimer*>("autoSave");
    const auto ticking = [&] {
        return dlg.todayView()->tickTimer()->isActive() || dlg.eventsView()->tickTimer()->isActive();
    };
    EXPECT_FALSE(dlg.onScreen());
    EXPECT_FALSE(ticking());
    EXPECT_TRUE(dlg.digitalClock()->resting());
    // Only the reminders' timer, set for the due second.
    ASSERT_TRUE(dlg.reminders()->timer()->isActive());
    EXPECT_EQ(dlg.reminders()->timer()->interval(), 1000);
    // The 2-minute save saves once, then rests while nothing changes.
    QMetaObject::invokeMethod(autoSave, "timeout");
    EXPECT_FALSE(autoSave->isActive());

    // The reminder comes while the window stays in the tray, and the event
    // it moved on wants saving again.
    folder.clock.t += 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.reminders()->windows().window() != nullptr; }, 30000));
    EXPECT_EQ(dlg.reminders()->windows().window()->nameField()->text(), "Take the bread out");
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(autoSave->isActive());
    EXPECT_FALSE(ticking());

    // On the screen the shown view ticks and the clock runs again.
    dlg.RestoreFromTray();
    EXPECT_TRUE(dlg.onScreen());
    EXPECT_TRUE(dlg.todayView()->tickTimer()->isActive());
    EXPECT_EQ(dlg.todayView()->tickTimer()->interval(), 1000);
    EXPECT_FALSE(dlg.digitalClock()->resting());
    dlg.button(kEventsView)->click();
    EXPECT_TRUE(dlg.eventsView()->tickTimer()->isActive());

    // Minimized without the tray: asleep too, awake again when restored.
    data.settings.minimizeToTray = 0;
    dlg.setWindowState(dlg.windowState() | Qt::WindowMinimized);
    settle();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.onScreen());
    EXPECT_FALSE(ticking());
    EXPECT_TRUE(dlg.digitalClock()->resting());
    dlg.setWindowState(dlg.windowState() & ~Qt::WindowMinimized);
    settle();
    EXPECT_TRUE(dlg.onScreen());
    EXPECT_TRUE(dlg.eventsView()->tickTimer()->isActive());

    // Hidden in the tray from the Events view.
    dlg.HideToTray();
    EXPECT_FALSE(dlg.onScreen());
    EXPECT_FALSE(ticking());
    EXPECT_TRUE(dlg.digitalClock()->resting());
}

TEST_F(MainDialogTest, AMinimizedStartWithoutATrayMakesNoEditorUntilRestored) {
    CMainDialog::SetTrayAvailableForTesting(0);
    data.diary.push_back(
        {"2026, December 07", "<body><p>Rain</p></body>", static_cast<std::int32_t>(folder.clock.t), 1});
    data.settings.currentView = kDiaryView;
    CMainDialog dlg(data, {"veltrin", "/autorun"});
    dlg.show();
    settle();
    ASSERT_TRUE(dlg.isMinimized());
    EXPECT_FALSE(dlg.onScreen());
    EXPECT_FALSE(dlg.diaryView()->hasEditor()) << "the task bar is no place for the document engine";
    dlg.RestoreFromTray();
    EXPECT_TRUE(dlg.onScreen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.diaryView()->hasEditor(); }, 30000));
    EXPECT_EQ(dlg.diaryView()->editor()->GetBodyText(), "Rain");
}
