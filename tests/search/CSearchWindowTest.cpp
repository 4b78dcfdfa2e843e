#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "search/CSearchWindow.h"

using namespace veltrin;

namespace {

std::shared_ptr<const SearchIndex> SampleIndex() {
    auto index = std::make_shared<SearchIndex>();
    DiaryPage page;
    page.title = "2026, December 07";
    page.html = "<p>Green tea &amp; <b>cake</b></p>";
    index->AddDiaryPage(page, 4);
    NoteItem note;
    note.name = "Recipes";
    note.html = "<p>Ice tea</p>";
    index->AddNote(note, "Kitchen", 2);
    ContactItem contact;
    contact.fields.set(static_cast<std::size_t>(ContactFieldRecordIndex("Name")), "Ren\xE9 Tea");
    index->AddContact(contact, 7);
    return index;
}

std::vector<std::string> Titles(const QTreeWidget* list) {
    std::vector<std::string> titles;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        titles.push_back(list->topLevelItem(i)->text(0).toStdString());
    return titles;
}

struct Opened {
    std::vector<std::pair<SearchKind, std::size_t>> results;
    std::vector<std::string> hits;
};

}  // namespace

TEST(CSearchWindow, TypingFillsTheListAndEnterOrDoubleClickOpensAResult) {
    CSearchWindow window;
    window.setIndex(SampleIndex());
    Opened opened;
    window.setOpenResult([&opened](const SearchEntry& e, const std::string& hit) {
        opened.results.emplace_back(e.kind, e.record);
        opened.hits.push_back(hit);
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeWidget* list = window.resultList();

    QTest::keyClicks(window.queryBox(), "TEA");
    // The list waits for typing to pause: not refilled at once.
    EXPECT_EQ(list->topLevelItemCount(), 0);
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->topLevelItemCount() == 3; }, 10000));
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"René Tea", "2026, December 07", "Kitchen / Recipes"}));
    const auto* snippet = qobject_cast<QLabel*>(list->itemWidget(list->topLevelItem(1), 1));
    ASSERT_NE(snippet, nullptr);
    EXPECT_EQ(snippet->text().toStdString(), "Green <b>tea</b> &amp; cake");

    // Enter in the box opens the first result.
    QTest::keyClick(window.queryBox(), Qt::Key_Return);
    // A double click opens its row.
    QTreeWidgetItem* note = list->topLevelItem(2);
    const QPoint at = list->visualItemRect(note).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    // Enter in the list opens the row chosen there.
    list->setCurrentItem(list->topLevelItem(1));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(opened.results,
              (std::vector<std::pair<SearchKind, std::size_t>>{
                  {SearchKind::Contact, 7}, {SearchKind::Note, 2}, {SearchKind::DiaryPage, 4}}));
    // The hit as the text spells it; a title-only hit has none to mark.
    EXPECT_EQ(opened.hits, (std::vector<std::string>{"", "tea", "tea"}));

    // Enter right after typing opens a result of the new query, not the old
    // list; Ctrl+Shift+F in the window starts a new query.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(window.queryBox()->hasSelectedText());
    QTest::keyClicks(window.queryBox(), "cake");
    QTest::keyClick(window.queryBox(), Qt::Key_Return);
    EXPECT_EQ(opened.results.back(), std::make_pair(SearchKind::DiaryPage, std::size_t{4}));
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"2026, December 07"}));

    QTest::keyClick(window.queryBox(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST(CSearchWindow, NoResultOpensNothing) {
    CSearchWindow window;
    window.setIndex(SampleIndex());
    int opened = 0;
    window.setOpenResult([&opened](const SearchEntry&, const std::string&) { ++opened; });
    window.show();
    QTest::keyClicks(window.queryBox(), "zebra");
    QTest::keyClick(window.queryBox(), Qt::Key_Return);
    EXPECT_EQ(window.resultList()->topLevelItemCount(), 0);
    EXPECT_EQ(opened, 0);
}

TEST(CSearchWindow, TheSelectedRowsSnippetIsDrawnInTheSelectionsTextColour) {
    CSearchWindow window;
    window.setIndex(SampleIndex());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeWidget* list = window.resultList();
    QTest::keyClicks(window.queryBox(), "tea");
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->topLevelItemCount() == 3; }, 10000));
    // Pixels of a snippet near the given colour, drawn over its row as shown.
    const auto pixelsNear = [list](int row, const QColor& colour) {
        QWidget* snippet = list->itemWidget(list->topLevelItem(row), 1);
        const QImage shot = list->viewport()->grab(snippet->geometry()).toImage();
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                n += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                         std::abs(c.blue() - colour.blue()) <
                     40;
            }
        return n;
    };
    list->setCurrentItem(list->topLevelItem(1));
    const QPalette& palette = list->palette();
    EXPECT_GT(pixelsNear(1, palette.color(QPalette::HighlightedText)), 0);
    EXPECT_EQ(pixelsNear(1, palette.color(QPalette::Text)), 0)
        << "text of the selected row in the plain colour";
    EXPECT_GT(pixelsNear(2, palette.color(QPalette::Text)), 0) << "other rows keep the plain colour";
}
