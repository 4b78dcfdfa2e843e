#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>

#include "contacts/CContactsView.h"
#include "controls/CGroupTree.h"
#include "events/CEventList.h"
#include "events/CEventsView.h"
#include "interop/ContactCards.h"
#include "interop/GroupPaths.h"
#include "interop/ICalendar.h"
#include "interop/QtInteropCommands.h"
#include "settings/AppSettings.h"
#include "settings/ViewIndex.h"
#include "support/Fakes.h"
#include "support/ModalAnswer.h"
#include "support/ScopedZone.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {
namespace {

constexpr std::int64_t kNow = 1'796'601'600;

void WriteAll(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

using test::AnswerFileDialog;

// The texts of the tree menu, and the command chosen by its text.
QStringList OpenMenuAndChoose(CGroupTree* tree, const QString& choice) {
    QStringList texts;
    QTimer::singleShot(50, [&] {
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(open, nullptr);
        for (QAction* a : open->actions())
            if (!a->isSeparator()) texts << a->text();
        for (QAction* a : open->actions())
            if (a->text() == choice) open->setActiveAction(a);
        QTest::keyClick(open, Qt::Key_Return);
    });
    emit tree->customContextMenuRequested(QPoint(5, 5));
    return texts;
}

class InteropCommands : public ::testing::Test {
protected:
    InteropCommands() {
        folder.clock.t = kNow;
        settings.currentView = kEventsView;
        events.groups = {{0, "Work", 0, 0, 1, 11}, {1, "Sub", 1, 0, 0, 12}, {-1, "Home", 2, 0, 0, 13}};
        for (auto [id, name, group] : {std::tuple{1, "Report", 11}, {2, "Nested", 12}, {3, "Garden", 13}}) {
            EventItem e;
            e.name = name;
            e.actual = 1;
            e.priority = 4;
            e.details.eventId = id;
            e.details.groupId = group;
            e.details.schedule.eventTime = static_cast<std::int32_t>(kNow + 3600 * id);
            events.events.push_back(e);
        }
        contacts.groups = {{0, "Friends", 0, 0, 1, 1, 21}, {0, "Work", 0, 0, 0, 1, 22}};
        for (auto [name, group] : {std::pair{"Ann", 21}, {"Bob", 22}}) {
            ContactItem c;
            c.groupId = group;
            c.fields.set(ContactFieldRecordIndex("Name"), name);
            contacts.contacts.push_back(c);
        }
    }
    std::string path(const char* name) const { return (folder.root / name).string(); }

    // A calendar from elsewhere: Trip > Day with one event, and event 1 again.
    std::string foreignCalendar() {
        EventStore other;
        other.groups = {{0, "Trip", 0, 0, 0, 5}, {1, "Day", 0, 0, 0, 6}};
        EventItem e = events.events[0];
        e.details.groupId = 6;
        other.events.push_back(e);
        e.details.eventId = 77;
        e.name = "Hike";
        other.events.push_back(e);
        return EventsToICalendar(other, "", kNow);
    }

    test::ScopedZone zone{"Europe/Berlin"};
    test::ProgramFolder folder;
    AppSettings settings;
    EventStore events;
    ContactStore contacts;
    DiaryTable diary;
    NoteTable notes;
};

TEST_F(InteropCommands, TheTreeMenusOfferImportAndExportAndHandThemToTheWindow) {
    CEventsView view(events, settings);
    QSignalSpy asked(&view, &CTreeListView::interopRequested);
    const QStringList texts = OpenMenuAndChoose(view.groupTree(), QStringLiteral("Import..."));
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts.mid(texts.size() - 2), (QStringList{"Import...", "Export..."}));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0][0].toInt(), kTreeImport);

    CContactsView people(contacts, settings);
    QSignalSpy peopleAsked(&people, &CTreeListView::interopRequested);
    OpenMenuAndChoose(people.groupTree(), QStringLiteral("Export..."));
    ASSERT_EQ(peopleAsked.size(), 1);
    EXPECT_EQ(peopleAsked[0][0].toInt(), kTreeExport);
}

TEST_F(InteropCommands, ImportGoesBelowTheSelectedGroupAndKeepsWhatTheViewHolds) {
    CEventsView view(events, settings);
    QtInteropCommands commands(events, contacts, diary, notes);
    commands.attach(&view);
    // An edit the view holds and has not stored.
    GroupTreeModel& list = view.eventList()->model();
    ASSERT_EQ(list.GetItemText(list.GetNextItem(kRootNode, kFirstChild), kEventNameColumn), "Report");
    list.SetItemText(list.GetNextItem(kRootNode, kFirstChild), kEventNameColumn, "Report, edited");
    WriteAll(path("trip.ics"), foreignCalendar());

    AnswerFileDialog(path("trip.ics"));
    view.runGroupCommand(kTreeImport);
    EXPECT_EQ(folder.messages.texts(),
              std::vector<std::string>{"Events: added 1, already there 1, changed kind 0, skipped 0."});

    EventStore stored;
    ASSERT_TRUE(SerializeEventsFile(stored, false));
    EXPECT_EQ(GroupPaths(stored.groups),
              (std::vector<std::string>{"Work", "Work/Sub", "Work/Trip", "Work/Trip/Day", "Home"}));
    ASSERT_EQ(stored.events.size(), 4u);
    std::map<std::string, std::string> where;
    std::map<std::int32_t, std::string> paths = GroupPathsById(stored.groups);
    for (const EventItem& e : stored.events) where[e.name] = paths[e.details.groupId];
    EXPECT_EQ(where, (std::map<std::string, std::string>{{"Report, edited", "Work"},
                                                         {"Nested", "Work/Sub"},
                                                         {"Garden", "Home"},
                                                         {"Hike", "Work/Trip/Day"}}));
    // The view shows the new groups and still lists the selected group's rows.
    EXPECT_EQ(view.groupTree()->model().GetItemText(view.groupTree()->model().GetSelectedItem(), 0), "Work");
    EXPECT_EQ(list.GetItemText(list.GetNextItem(kRootNode, kFirstChild), kEventNameColumn), "Report, edited");

    // A second import adds nothing; a cancelled dialog does nothing.
    AnswerFileDialog(path("trip.ics"));
    view.runGroupCommand(kTreeImport);
    EXPECT_EQ(folder.messages.texts().back(), "Events: added 0, already there 2, changed kind 0, skipped 0.");
    AnswerFileDialog("");
    view.runGroupCommand(kTreeImport);
    EXPECT_EQ(folder.messages.shown.size(), 2u);
}

TEST_F(InteropCommands, AFileOfAnotherKindIsRefusedAndChangesNothing) {
    CEventsView view(events, settings);
    CContactsView people(contacts, settings);
    QtInteropCommands commands(events, contacts, diary, notes);
    commands.attach(&view);
    commands.attach(&people);
    WriteAll(path("cards.vcf"), "BEGIN:VCARD\r\nFN:X\r\nEND:VCARD\r\n");
    WriteAll(path("trip.ics"), foreignCalendar());
    AnswerFileDialog(path("cards.vcf"));
    view.runGroupCommand(kTreeImport);
    AnswerFileDialog(path("trip.ics"));
    people.runGroupCommand(kTreeImport);
    EXPECT_EQ(folder.messages.texts(), (std::vector<std::string>{"cards.vcf is not an iCalendar file.",
                                                                 "trip.ics is not a vCard file."}));
    EXPECT_FALSE(std::filesystem::exists(folder.file("Events.dat")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("Contacts.dat")));
}

TEST_F(InteropCommands, ExportWritesTheSelectedGroupWithItsSubgroupsAsTheViewHoldsThem) {
    CEventsView view(events, settings);
    QtInteropCommands commands(events, contacts, diary, notes);
    commands.attach(&view);
    GroupTreeModel& list = view.eventList()->model();
    list.SetItemText(list.GetNextItem(kRootNode, kFirstChild), kEventNameColumn, "Report, edited");
    AnswerFileDialog(path("work.ics"));
    view.runGroupCommand(kTreeExport);
    const std::string ics = test::readAll(path("work.ics"));
    EXPECT_NE(ics.find("SUMMARY:Report\\, edited"), std::string::npos) << ics;
    EXPECT_NE(ics.find("CATEGORIES:Work/Sub"), std::string::npos);
    EXPECT_EQ(ics.find("Garden"), std::string::npos);
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{"2 events exported."});

    // Contacts: the selected group only, into a file the dialog names without its suffix.
    CContactsView people(contacts, settings);
    commands.attach(&people);
    AnswerFileDialog(path("friends"));
    people.runGroupCommand(kTreeExport);
    const std::string vcf = test::readAll(path("friends.vcf"));
    EXPECT_NE(vcf.find("FN:Ann"), std::string::npos) << vcf;
    EXPECT_EQ(vcf.find("Bob"), std::string::npos);

    // And back into the other group: Ann lands below "Work" in her own group path.
    people.groupTree()->model().SelectItem(
        people.groupTree()->model().GetNextItem(
            people.groupTree()->model().GetNextItem(kRootNode, kFirstChild), kNextSibling),
        -1, true);
    AnswerFileDialog(path("friends.vcf"));
    people.runGroupCommand(kTreeImport);
    EXPECT_EQ(folder.messages.texts().back(),
              "Contacts: added 0, already there 1, changed kind 0, skipped 0.");
}

}  // namespace
}  // namespace veltrin
