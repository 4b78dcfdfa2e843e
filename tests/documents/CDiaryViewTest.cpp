// The Diary view on the real engine. Each test builds a view with its editor,
// so they are few and each checks a group of related behaviour.
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "base/LocalTime.h"
#include "controls/CGroupTree.h"
#include "controls/CSplitter.h"
#include "documents/CDiaryView.h"
#include "documents/CDocumentEditor.h"
#include "documents/DocumentRecords.h"
#include "settings/AppSettings.h"
#include "support/DragSplitter.h"
#include "support/Fakes.h"
#include "support/ShippedTemplates.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

std::int32_t Day(int year, int month, int day) {
    return static_cast<std::int32_t>(*MakeLocalTime(year, month, day, 0, 0, 0));
}

class DiaryView : public ::testing::Test {
protected:
    DiaryView() {
        test::CopyShippedTemplates(folder.root);
        ApplySettingsDefaults(settings);
    }
    std::unique_ptr<CDiaryView> make() {
        auto view = std::make_unique<CDiaryView>(table, settings);
        view->resize(900, 600);
        view->show();
        return view;
    }
    std::vector<std::string> titles(CDiaryView& view) const {
        std::vector<std::string> out;
        const GroupTreeModel& list = view.tree()->model();
        for (NodeHandle n = list.GetNextItem(kRootNode, kFirstChild); n;
             n = list.GetNextItem(n, kNextSibling))
            out.push_back(list.GetItemText(n, 0));
        return out;
    }
    DiaryTable stored() const {
        DiaryTable back;
        EXPECT_TRUE(SerializeDiaryFile(back, false));
        return back;
    }

    test::ProgramFolder folder;
    AppSettings settings;
    DiaryTable table;
};

}  // namespace

TEST_F(DiaryView, NewPagesAreStoredInDateOrderFromTheTemplateAndADayIsNeverDoubled) {
    auto view = make();
    EXPECT_TRUE(folder.messages.shown.empty()) << folder.messages.texts().front();
    EXPECT_FALSE(view->editor()->IsDesignMode());
    EXPECT_TRUE(view->captionLabel()->text().isEmpty());

    view->newPage(Day(2004, 3, 5));
    view->newPage(Day(2004, 3, 1));
    view->newPage(Day(2004, 3, 9));
    EXPECT_EQ(titles(*view),
              (std::vector<std::string>{"2004, March 01", "2004, March 05", "2004, March 09"}));
    EXPECT_TRUE(view->editor()->IsDesignMode()) << "a new page is ready for writing";
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("March 09, 2004"));
    // Each new page is stored at once, started from the diary template.
    DiaryTable back = stored();
    ASSERT_EQ(back.size(), 3u);
    for (const DiaryPage& page : back)
        EXPECT_NE(page.html.find("Dear diary"), std::string::npos) << page.html;
    EXPECT_EQ(back[2].isCurrent, 1);

    // The same day again selects its page and only stores.
    fs::remove(folder.file("Diary.dat"));
    view->newPage(Day(2004, 3, 5));
    EXPECT_EQ(titles(*view).size(), 3u);
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("March 05, 2004"));
    back = stored();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[1].isCurrent, 1);

    // Delete answered No keeps the page and still stores.
    folder.messages.answers = {Messages::Answer::No};
    fs::remove(folder.file("Diary.dat"));
    view->deletePage();
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_EQ(folder.messages.shown[0].text, "Are you sure to remove '2004, March 05' diary ?");
    EXPECT_EQ(folder.messages.shown[0].caption, "diary removing...");
    EXPECT_EQ(stored().size(), 3u);

    // Yes removes it; the next page becomes current and is shown.
    view->deletePage();
    EXPECT_EQ(titles(*view), (std::vector<std::string>{"2004, March 01", "2004, March 09"}));
    EXPECT_EQ(view->captionLabel()->text(), QStringLiteral("March 09, 2004"));
    EXPECT_EQ(stored().size(), 2u);
    view->deletePage();
    view->deletePage();
    EXPECT_TRUE(titles(*view).empty());
    EXPECT_TRUE(view->captionLabel()->text().isEmpty());
    EXPECT_EQ(view->editor()->GetBodyText(), "");
    EXPECT_TRUE(stored().empty());
}

TEST_F(DiaryView, CommandsAskForDesignModeAndAPageAndExportsNeverClaimSuccessFalsely) {
    table.push_back({"2004, March 05", "<body><p>Spring at last</p></body>", Day(2004, 3, 5), 1});
    auto view = make();
    ASSERT_EQ(view->captionLabel()->text(), QStringLiteral("March 05, 2004"));
    ASSERT_EQ(view->editor()->GetBodyText(), "Spring at last");

    view->runCommand(kDocBold);
    view->runCommand(kDocInsertTime);
    EXPECT_EQ(folder.messages.texts(),
              (std::vector<std::string>{"Switch Design Mode to ON!", "Switch Design Mode to ON!"}));
    folder.messages.shown.clear();

    // Export: the proposed name, the text as the page shows it, the HTML
    // with its character set.
    QString suggested;
    QString target = QString::fromStdString((folder.root / "out.txt").string());
    view->setSavePathAsker([&](const QString& s, bool) {
        suggested = s;
        return target;
    });
    view->runCommand(kDocSaveText);
    EXPECT_EQ(suggested, QStringLiteral("Diary 05-03-2004"));
    EXPECT_EQ(test::readAll(folder.root / "out.txt"), "Spring at last");
    target = QString::fromStdString((folder.root / "out.htm").string());
    view->runCommand(kDocSaveHtml);
    const std::string html = test::readAll(folder.root / "out.htm");
    EXPECT_NE(html.find("charset=\"utf-8\""), std::string::npos) << html;
    EXPECT_NE(html.find("Spring at last"), std::string::npos);
    EXPECT_TRUE(folder.messages.shown.empty());

    // A folder that is not there: a message, and no file claimed written.
    target = QString::fromStdString((folder.root / "missing" / "out.txt").string());
    view->runCommand(kDocSaveText);
    EXPECT_EQ(folder.messages.texts(),
              (std::vector<std::string>{"Cannot open file " + target.toStdString() + "!"}));
    EXPECT_FALSE(fs::exists(folder.root / "missing"));

    // Reading the page never rewrites it: the record keeps its bytes.
    const DiaryViews state = view->saveState();
    EXPECT_EQ(state.list->GetPagePayload(state.currentPage).html, "<body><p>Spring at last</p></body>");

    // Without a page there is nothing to export.
    folder.messages.shown.clear();
    view->deletePage();
    view->runCommand(kDocSaveText);
    EXPECT_EQ(folder.messages.texts(),
              (std::vector<std::string>{"Are you sure to remove '2004, March 05' diary ?",
                                        "Please select Diary page!"}));
}

TEST_F(DiaryView, AMissingTemplateIsReportedAndANewPageStartsEmptyNotAsACopy) {
    table.push_back({"2004, March 05", "<body><p>Private words</p></body>", Day(2004, 3, 5), 1});
    settings.defaultDiaryTemplate = "../template/Diary Blue";  // only plain folder names count
    auto view = make();
    const std::string message =
        "Cannot open template '../template/Diary Blue' !\n Open 'Options' dialog and choose other default "
        "Diary "
        "template!";
    EXPECT_EQ(folder.messages.texts(), std::vector<std::string>{message});
    ASSERT_EQ(view->editor()->GetBodyText(), "Private words");

    view->newPage(Day(2004, 3, 6));
    EXPECT_EQ(folder.messages.texts(), (std::vector<std::string>{message, message}));
    const DiaryTable back = stored();
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].html, "<body><p>Private words</p></body>");
    EXPECT_EQ(back[1].html.find("Private words"), std::string::npos) << back[1].html;
}

TEST_F(DiaryView, SplitterDragsAddUpWithinTheirRange) {
    auto view = make();
    auto* bar = view->findChild<CSplitter*>();
    ASSERT_NE(bar, nullptr);
    const int list = view->tree()->width();
    const int editorLeft = view->editor()->x();

    test::DragSplitter(bar, bar->x() + 100);
    test::DragSplitter(bar, bar->x() + 50);
    EXPECT_EQ(view->tree()->width(), list + 150) << "+100 then +50";
    EXPECT_EQ(view->editor()->x(), editorLeft + 150);

    // 300 pixels right of the start at most, 200 left, however it is reached.
    test::DragSplitter(bar, bar->x() + 100);
    test::DragSplitter(bar, bar->x() + 100);
    EXPECT_EQ(view->tree()->width(), list + 300);
    test::DragSplitter(bar, bar->x() - 400);
    test::DragSplitter(bar, bar->x() - 400);
    EXPECT_EQ(view->tree()->width(), list - 200);
    EXPECT_EQ(view->editor()->x(), editorLeft - 200);
}

TEST_F(DiaryView, TheEditorIsMadeOnFirstShowAndAPageSavedBeforeKeepsItsBytes) {
    const std::string page = "<body><p>Sm\xf8rrebr\xf8\x64 at noon</p></body>";  // Windows-1252
    table.push_back({"2004, March 05", page, Day(2004, 3, 5), 1});
    CDiaryView view(table, settings);
    view.resize(900, 600);
    EXPECT_FALSE(view.hasEditor());
    // Saved before it was ever shown: the page as stored, byte for byte.
    ASSERT_TRUE(SaveDiary(table, view.saveState()));
    ASSERT_EQ(stored().at(0).html, page);
    view.finishEditing();
    EXPECT_FALSE(view.hasEditor());

    view.show();
    EXPECT_EQ(view.captionLabel()->text(), QStringLiteral("March 05, 2004"));
    ASSERT_TRUE(view.hasEditor());
    EXPECT_TRUE(view.editor()->isVisible());
    EXPECT_EQ(view.editor()->GetBodyText(), "Sm\xc3\xb8rrebr\xc3\xb8\x64 at noon");
    EXPECT_FALSE(view.editor()->IsDesignMode());
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST_F(DiaryView, WithoutPagesTheFirstShowOpensTheTemplateAndAMissingOneIsSaidAtStart) {
    {
        CDiaryView view(table, settings);
        EXPECT_FALSE(view.hasEditor());
        view.resize(900, 600);
        view.show();
        EXPECT_NE(view.editor()->GetBodyText().find("Dear diary"), std::string::npos);
    }
    EXPECT_TRUE(folder.messages.shown.empty());
    settings.defaultDiaryTemplate = "No such template";
    CDiaryView view(table, settings);
    EXPECT_EQ(folder.messages.shown.size(), 1u) << "reported as the view is made, not at its first show";
    view.resize(900, 600);
    view.show();
    EXPECT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_EQ(view.editor()->GetBodyText(), "");
}

TEST_F(DiaryView, PagesAreListedOnlyWhenAskedForAndEditedRowsAreSavedFromThen) {
    const std::string kept = "<body><p>Sm\xf8rrebr\xf8\x64</p></body>";  // Windows-1252
    table.push_back({"2004, March 05", kept, Day(2004, 3, 5), 0});
    table.push_back({"2004, March 06", "<body><p>Rain</p></body>", Day(2004, 3, 6), 1});
    ASSERT_TRUE(SerializeDiaryFile(table, true));
    const std::string bytes = test::readAll(folder.file("Diary.dat"));

    CDiaryView view(table, settings);
    EXPECT_FALSE(view.recordsListed());
    EXPECT_EQ(view.saveState().list, nullptr) << "nothing listed: the table is what a save writes";
    ASSERT_TRUE(SaveDiary(table, view.saveState()));
    view.showStoredPages();  // a sync or import while never shown
    EXPECT_FALSE(view.recordsListed());
    EXPECT_EQ(test::readAll(folder.file("Diary.dat")), bytes);

    // Asked for (as a show does), the pages are there with the current one chosen.
    EXPECT_EQ(titles(view), (std::vector<std::string>{"2004, March 05", "2004, March 06"}));
    EXPECT_TRUE(view.recordsListed());
    EXPECT_EQ(view.captionLabel()->text(), QStringLiteral("March 06, 2004"));
    EXPECT_EQ(view.currentNode(), view.tree()->model().GetSelectedItem());

    // From now on the rows are what a save writes.
    GroupTreeModel& list = view.tree()->model();
    TextPayload p = list.GetPagePayload(view.currentNode());
    p.html = "<body><p>Sun</p></body>";
    list.SetPagePayload(view.currentNode(), p);
    ASSERT_TRUE(SaveDiary(table, view.saveState()));
    const DiaryTable back = stored();
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].html, kept);
    EXPECT_EQ(back[1].html, "<body><p>Sun</p></body>");
    EXPECT_EQ(back[1].isCurrent, 1);
}
