// The main window's sync against a Radicale of the test's own: what came
// down shows in the view that holds the event rows, each event once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <ctime>
#include <set>

#include "app/AppData.h"
#include "app/CMainDialog.h"
#include "app/QtSyncService.h"
#include "controls/CGroupTree.h"
#include "documents/CDiaryView.h"
#include "documents/CDocumentEditor.h"
#include "documents/DocumentRecords.h"
#include "documents/DocumentRules.h"
#include "events/CEventList.h"
#include "events/EventRecords.h"
#include "events/EventTrees.h"
#include "settings/ViewIndex.h"
#include "storage/DataFile.h"
#include "support/Fakes.h"
#include "support/RadicaleServer.h"
#include "support/ShippedTemplates.h"
#include "sync/Dav.h"
#include "sync/SyncConfig.h"
#include "today/CTodayView.h"

using namespace veltrin;
using test::RadicaleServer;

namespace {

std::string UtcStamp(std::time_t t) {
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &tm);
    return text;
}

std::set<std::string> RowNames(const GroupTreeModel& list) {
    std::set<std::string> names;
    for (NodeHandle row = list.GetNextItem(kRootNode, kFirstChild); row != kNoNode;
         row = list.GetNextItem(row, kNextSibling))
        names.insert(EventItemFromRow(list, row, false).name);
    return names;
}

// The folder syncs with the server, its password given by a command.
void ConfigureSync(const test::ProgramFolder& folder, const RadicaleServer& server) {
    SyncConfig config;
    config.url = server.url();
    config.user = RadicaleServer::kUser;
    config.passwordCommand = std::string("echo '") + RadicaleServer::kPassword + "'";
    std::string why;
    ASSERT_TRUE(SaveSyncConfig(folder.data().string(), config, why)) << why;
}

// The sync at start, once the window's loop runs.
void WaitForTheSyncAtStart(CMainDialog& dlg) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const SyncState& s = dlg.syncService()->state();
            return !s.running && (s.syncedAt != 0 || !s.error.empty());
        },
        60000));
    ASSERT_EQ(dlg.syncService()->state().error, "");
}

// A program folder with the shipped templates, a tray, and a Radicale of
// the test's own with a calendar.
class MainDialogSync : public ::testing::Test {
protected:
    void SetUp() override {
        test::CopyShippedTemplates(folder.root);
        CMainDialog::SetTrayAvailableForTesting(1);
        folder.clock.t = std::time(nullptr);
        ASSERT_TRUE(server.up()) << server.log();
        ASSERT_EQ(http.Send({"MKCALENDAR", calendar, {}, {}}).status, 201);
    }

    test::ProgramFolder folder;
    RadicaleServer server{folder.root / "radicale"};
    CurlTransport http{HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword}};
    const std::string calendar = server.userUrl() + "calendar/";
};

}  // namespace

TEST_F(MainDialogSync, WhatComesDownShowsInTheTodayListAndEveryEventIsStoredOnce) {
    const std::time_t now = folder.clock.t;
    const std::string phone =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Elsewhere//Phone//EN\r\n"
        "BEGIN:VEVENT\r\nUID:phone-1@elsewhere.example\r\nDTSTAMP:20261201T100000Z\r\n"
        "DTSTART:" +
        UtcStamp(now + 86400) + "\r\nSUMMARY:Dentist from the phone\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(http.Send({"PUT", calendar + "phone-1.ics", {{"Content-Type", "text/calendar"}}, phone}).status,
              201);
    ASSERT_NO_FATAL_FAILURE(ConfigureSync(folder, server));

    AppData data;
    ApplySettingsDefaults(data.settings);
    data.settings.currentView = kTodayView;
    data.settings.comingEventsPeriod = 3;  // the year
    data.events.groups = {{0, "Work", 0, 0, 1, 11}};
    for (const char* name : {"Call the bank", "Water the roses"}) {
        EventItem e;
        e.name = name;
        e.actual = 1;
        e.details.groupId = 11;
        e.details.eventId = static_cast<std::int32_t>(data.events.events.size()) + 101;
        e.details.schedule.eventTime = static_cast<std::int32_t>(now + 2 * 86400);
        e.details.schedule.nextDue = e.details.schedule.eventTime;
        data.events.events.push_back(e);
    }
    {
        CMainDialog dlg(data, {"veltrin"});
        dlg.show();
        ASSERT_NO_FATAL_FAILURE(WaitForTheSyncAtStart(dlg));
        EXPECT_EQ(RowNames(dlg.todayView()->list()->model()),
                  (std::set<std::string>{"Call the bank", "Water the roses", "Dentist from the phone"}));
        EXPECT_TRUE(dlg.SaveAll());
        dlg.EndSession();
    }
    CMainDialog::SetTrayAvailableForTesting(-1);
    EventStore back;
    ASSERT_TRUE(SerializeEventsFile(back, false));
    std::multiset<std::string> names;
    for (const EventItem& e : back.events) names.insert(e.name);
    EXPECT_EQ(names,
              (std::multiset<std::string>{"Call the bank", "Water the roses", "Dentist from the phone"}));
    std::map<std::string, std::string> etags;
    DavClient dav(http);
    ASSERT_TRUE(dav.ListEtags(calendar, etags).ok());
    EXPECT_EQ(etags.size(), 3u);
}

// Pages and notes that come down show in their views, so that the next save
// (which writes what the views hold) keeps them beside the local ones.
TEST_F(MainDialogSync, PagesAndNotesThatComeDownAreInTheViewsAndTheNextSave) {
    const auto put = [&](const std::string& name, const std::string& journal) {
        const std::string text =
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Elsewhere//Phone//EN\r\n"
            "BEGIN:VJOURNAL\r\nDTSTAMP:20261201T100000Z\r\n" +
            journal + "END:VJOURNAL\r\nEND:VCALENDAR\r\n";
        return http.Send({"PUT", calendar + name, {{"Content-Type", "text/calendar"}}, text}).status;
    };
    ASSERT_EQ(put("page.ics",
                  "UID:page-1@elsewhere.example\r\nDTSTART;VALUE=DATE:20261120\r\n"
                  "SUMMARY:Walk\r\nDESCRIPTION:Up the hill from the phone\r\n"),
              201);
    ASSERT_EQ(put("note.ics",
                  "UID:note-1@elsewhere.example\r\nSUMMARY:Shopping\r\n"
                  "DESCRIPTION:Bread and milk\r\n"),
              201);
    ASSERT_NO_FATAL_FAILURE(ConfigureSync(folder, server));

    AppData data;
    ApplySettingsDefaults(data.settings);
    data.settings.currentView = kEventsView;
    std::tm day{};
    day.tm_year = 2026 - 1900;
    day.tm_mon = 10;
    day.tm_mday = 10;
    day.tm_isdst = -1;
    DiaryPage local;
    local.title = "2026, November 10";
    local.html = "<html><body><p>Typed here</p></body></html>";
    local.date = static_cast<std::int32_t>(std::mktime(&day));
    data.diary.push_back(local);
    NoteItem note;
    note.name = "Ideas";
    note.html = "<html><body><p>Mine</p></body></html>";
    note.created = 1700000000;
    data.notes.push_back(note);
    {
        CMainDialog dlg(data, {"veltrin"});
        dlg.show();
        ASSERT_NO_FATAL_FAILURE(WaitForTheSyncAtStart(dlg));
        EXPECT_TRUE(dlg.SaveAll());
        dlg.EndSession();
    }
    CMainDialog::SetTrayAvailableForTesting(-1);
    // What the views held at the save, and so the files.
    std::set<std::string> pages, notes;
    const auto whose = [](const DiaryPage& p) {
        if (p.html.find("Typed here") != std::string::npos) return "mine";
        return p.html.find("Up the hill") != std::string::npos ? "phone" : "?";
    };
    for (const DiaryPage& p : data.diary) pages.insert(p.title + ": " + whose(p));
    for (const NoteItem& n : data.notes) notes.insert(n.name);
    EXPECT_EQ(pages, (std::set<std::string>{"2026, November 10: mine", "Walk: phone"}));
    EXPECT_EQ(notes, (std::set<std::string>{"Ideas", "Shopping"}));
    DiaryTable diary;
    ASSERT_TRUE(SerializeDiaryFile(diary, false));
    EXPECT_EQ(diary.size(), 2u);
    NoteTable notesBack;
    ASSERT_TRUE(SerializeNotesFile(notesBack, false));
    EXPECT_EQ(notesBack.size(), 2u);
}

// A sync that stored only the contacts shows them and leaves the Diary as
// it is: the page shown, the keyboard and what is being typed there stay.
TEST_F(MainDialogSync, ASyncThatChangedOnlyContactsLeavesTheDiaryAsItIs) {
    const std::string book = server.userUrl() + "contacts/";
    const char* const makeBook =
        R"(<?xml version="1.0"?><d:mkcol xmlns:d="DAV:" xmlns:a="urn:ietf:params:xml:ns:carddav"><d:set>)"
        R"(<d:prop><d:resourcetype><d:collection/><a:addressbook/></d:resourcetype></d:prop></d:set></d:mkcol>)";
    ASSERT_EQ(http.Send({"MKCOL", book, {{"Content-Type", "application/xml"}}, makeBook}).status, 201);
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-card-1\r\nFN:Dana from the phone\r\n"
        "N:phone;Dana;;;\r\nEND:VCARD\r\n";
    ASSERT_EQ(http.Send({"PUT", book + "dana.vcf", {{"Content-Type", "text/vcard"}}, card}).status, 201);

    AppData data;
    ApplySettingsDefaults(data.settings);
    data.settings.currentView = kDiaryView;
    for (int day : {10, 20}) {
        std::tm tm{};
        tm.tm_year = 2026 - 1900;
        tm.tm_mon = 10;
        tm.tm_mday = day;
        tm.tm_isdst = -1;
        DiaryPage page;
        page.title = "2026, November " + std::to_string(day);
        page.html = "<html><body><p>Day " + std::to_string(day) + "</p></body></html>";
        page.date = static_cast<std::int32_t>(std::mktime(&tm));
        page.isCurrent = day == 20;
        data.diary.push_back(page);
    }
    {
        // No sync at start: the configuration comes once the user is typing.
        CMainDialog dlg(data, {"veltrin"});
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg, 30000));
        CDiaryView* diary = dlg.diaryView();
        GroupTreeModel& pages = diary->tree()->model();
        const NodeHandle first = pages.GetChildItem(kRootNode, 0);
        pages.SelectItem(first, 0);
        ASSERT_EQ(diary->currentNode(), first);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return diary->hasEditor() && diary->editor()->isLoaded(); }, 60000));
        diary->runCommand(kDocDesignMode);
        ASSERT_TRUE(diary->editor()->IsDesignMode());
        auto* view = dlg.findChild<QWebEngineView*>();
        ASSERT_NE(view, nullptr);
        view->setFocus();
        QWidget* keys = view->focusProxy() ? view->focusProxy() : view;
        ASSERT_TRUE(QTest::qWaitFor([&] { return keys->hasFocus(); }, 30000));
        view->page()->runJavaScript(
            "document.body.focus();var r=document.createRange();r.selectNodeContents(document.body);"
            "r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);",
            QWebEngineScript::ApplicationWorld);
        diary->editor()->GetBodyText();  // a round trip: the caret is placed
        QTest::keyClicks(keys, " typed");
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return diary->editor()->GetBodyText().find("Day 10 typed") != std::string::npos; }, 30000));

        ASSERT_NO_FATAL_FAILURE(ConfigureSync(folder, server));
        dlg.syncService()->syncNow();
        ASSERT_NO_FATAL_FAILURE(WaitForTheSyncAtStart(dlg));
        EXPECT_NE(test::readAll(folder.file(kContactsFile.fileName)).find("Dana from the phone"),
                  std::string::npos);
        // Not listed again: the same page, its editor and the keyboard where they were.
        EXPECT_EQ(diary->currentNode(), first);
        EXPECT_TRUE(pages.IsValid(first));
        EXPECT_TRUE(keys->hasFocus());
        QTest::keyClicks(keys, " more");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return diary->editor()->GetBodyText().find("Day 10 typed more") != std::string::npos; },
            30000));
        EXPECT_TRUE(dlg.SaveAll());
        dlg.EndSession();
    }
    CMainDialog::SetTrayAvailableForTesting(-1);
    DiaryTable stored;
    ASSERT_TRUE(SerializeDiaryFile(stored, false));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_NE(stored[0].html.find("Day 10 typed more"), std::string::npos) << stored[0].html;
}
