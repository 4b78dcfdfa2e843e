#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include "controls/CGroupTree.h"
#include "controls/QtGroupTreeActions.h"
#include "controls/TreeFixtures.h"

namespace veltrin {
namespace {

using test::RecordingListener;
using test::RowsText;

// A parent that counts the context-menu requests the tree lets through.
class Host : public QWidget {
public:
    int menus = 0;
    CGroupTree* tree;
    Host() {
        auto* lay = new QVBoxLayout(this);
        tree = new CGroupTree(this);
        lay->addWidget(tree);
        resize(420, 300);
    }

protected:
    void contextMenuEvent(QContextMenuEvent*) override { ++menus; }
};

struct Widget : ::testing::Test {
    Host host;
    CGroupTree& tree = *host.tree;
    GroupTreeModel& m = tree.model();
    RecordingListener l;
    NodeHandle a = 0, a1 = 0, b = 0;
    int editable = -1, drop = -1;

    void SetUp() override {
        tree.SetListener(&l);
        tree.InsertColumn(0, "Name", ColumnAlign::Left, 150);
        tree.InsertColumn(1, "Note", ColumnAlign::Left, 100);
        tree.InsertColumn(2, "Priority", ColumnAlign::Left, 100);
        editable = m.AddCellStyle(kStyleEditable);
        drop = m.AddCellStyle(kStyleDropDown | kStyleButton);
        a = m.InsertItem(kRootNode, kInsertLast, "a", -1, editable);
        a1 = m.InsertItem(a, kInsertLast, "a1", -1, editable);
        b = m.InsertItem(kRootNode, kInsertLast, "b", -1, editable);
        for (NodeHandle n : {a, a1, b}) {
            m.SetItemText(n, 1, "note");
            m.SetCellStyle(n, 1, editable);
            m.SetItemText(n, 2, "1 of 3");
            m.SetItemValue(n, 2, 1);
            m.SetCellStyle(n, 2, drop);
        }
        for (int i = 1; i <= 3; ++i) m.AddCellChoice(drop, std::to_string(i) + " of 3", i);
        host.show();
        QApplication::setActiveWindow(&host);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host, 30000));
        tree.setFocus();
        QApplication::processEvents();
    }
    QWidget* vp() { return tree.viewport(); }
    QLineEdit* editor() { return qobject_cast<QLineEdit*>(tree.Editor()); }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = tree.Editor() ? tree.Editor() : static_cast<QWidget*>(&tree);
        QTest::keyClick(target, k, mods);
        QApplication::processEvents();
    }
};

TEST_F(Widget, ClickOnTheExpandButtonKeepsTheSelection) {
    m.SelectItem(b, 0, false);
    const QRect button = tree.PartRect(0, 0, CellPart::Button);
    ASSERT_FALSE(button.isNull());
    QTest::mouseClick(vp(), Qt::LeftButton, {}, button.center());
    EXPECT_EQ(RowsText(m), "a .a1 b");
    EXPECT_EQ(m.GetSelectedItem(), b);
    QTest::mouseClick(vp(), Qt::LeftButton, {}, button.center());
    EXPECT_EQ(RowsText(m), "a b");
    // Elsewhere in the row the cell is selected.
    QTest::mouseClick(vp(), Qt::LeftButton, {}, tree.PartRect(0, 1, CellPart::Text).center());
    EXPECT_EQ(m.GetSelectedItem(), a);
    EXPECT_EQ(m.GetSelectedColumn(), 1);
    // Below the last row nothing happens.
    QTest::mouseClick(vp(), Qt::LeftButton, {}, QPoint(10, vp()->height() - 3));
    EXPECT_EQ(m.GetSelectedItem(), a);
}

TEST_F(Widget, ArrowsWithNoSelectionPickTheFirstOrLastRow) {
    key(Qt::Key_Down);
    EXPECT_EQ(m.GetSelectedItem(), a);
    m.SelectItem(kRootNode, 0, false);
    key(Qt::Key_Up);
    EXPECT_EQ(m.GetSelectedItem(), b);
    key(Qt::Key_Up, Qt::AltModifier);  // ignored with Alt
    EXPECT_EQ(m.GetSelectedItem(), b);
    key(Qt::Key_Up);
    EXPECT_EQ(m.GetSelectedItem(), a);
    key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(RowsText(m), "a .a1 b");
    key(Qt::Key_Tab);  // Tab stays in the control, moving a cell
    EXPECT_EQ(m.GetSelectedColumn(), 1);
    EXPECT_TRUE(tree.hasFocus());
}

TEST_F(Widget, ATypedLetterOpensTheEditorWithThatLetter) {
    m.SelectItem(b, 0, false);
    QTest::keyClicks(&tree, "x");
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), "x");
    EXPECT_EQ(editor()->cursorPosition(), 1);
    ASSERT_EQ(l.codes(kNotifyBeginEdit).size(), 1u);
    key(Qt::Key_Return);
    EXPECT_EQ(tree.Editor(), nullptr);
    EXPECT_EQ(m.GetItemText(b, 0), "x");
    ASSERT_EQ(l.codes(kNotifyEndEdit).size(), 1u);
    EXPECT_EQ(l.codes(kNotifyEndEdit)[0].text, "x");
}

TEST_F(Widget, EscapeKeepsTheOldTextAndSendsNothing) {
    m.SelectItem(b, 0, false);
    key(Qt::Key_F2);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), "b");
    QTest::keyClicks(editor(), "zz");
    key(Qt::Key_Escape);
    EXPECT_EQ(tree.Editor(), nullptr);
    EXPECT_EQ(m.GetItemText(b, 0), "b");
    EXPECT_TRUE(l.codes(kNotifyEndEdit).empty());
    EXPECT_FALSE(m.Editing());
}

TEST_F(Widget, TabEndsTheEditAndOpensTheNextCellsEditor) {
    m.SelectItem(a, 0, false);
    key(Qt::Key_Return);
    ASSERT_NE(editor(), nullptr);
    editor()->setText("first");
    key(Qt::Key_Tab);
    EXPECT_EQ(m.GetItemText(a, 0), "first");
    EXPECT_EQ(m.GetSelectedColumn(), 1);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), "note");
    // The owner keeps the editor open with bit 1, and refuses the text with bit 0.
    l.answer = [](const TreeNotification& n) {
        return n.code == kNotifyEndEdit ? kAnswerRefuse | kAnswerKeepOpen : 0u;
    };
    editor()->setText("nope");
    key(Qt::Key_Return);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(m.GetItemText(a, 1), "note");
    l.answer = nullptr;
    key(Qt::Key_Return);
    EXPECT_EQ(tree.Editor(), nullptr);
    EXPECT_EQ(m.GetItemText(a, 1), "nope");
}

TEST_F(Widget, MultiLineEditorTakesCtrlEnterAsALineBreak) {
    m.SetLinesPerRow(2);
    m.SelectItem(b, 0, false);
    key(Qt::Key_F2);
    auto* box = qobject_cast<QPlainTextEdit*>(tree.Editor());
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(box, "2");
    EXPECT_NE(tree.Editor(), nullptr);
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(tree.Editor(), nullptr);
    EXPECT_EQ(m.GetItemText(b, 0), "b\n2");
}

TEST_F(Widget, PageKeysMoveByAPageOfRows) {
    for (int i = 0; i < 60; ++i) m.InsertItem(kRootNode, kInsertLast, "row " + std::to_string(i));
    QApplication::processEvents();
    const int page = tree.RowsPerPage();
    ASSERT_GT(page, 2);
    key(Qt::Key_PageDown);  // no selection: the first row
    EXPECT_EQ(m.GetRow(m.GetSelectedItem()), 0);
    key(Qt::Key_PageDown);
    EXPECT_EQ(m.GetRow(m.GetSelectedItem()), page - 1);
    key(Qt::Key_End);
    for (int i = 0; i < 62 / (page - 1) + 1; ++i) key(Qt::Key_PageDown);
    EXPECT_EQ(m.GetRow(m.GetSelectedItem()), m.RowCount() - 1);  // clamped, and scrolled to it
    const QRect cell = tree.CellRect(m.RowCount() - 1, 0);
    EXPECT_TRUE(vp()->rect().contains(cell.center()));
}

TEST_F(Widget, DoubleClickOnADividerFitsTheColumn) {
    m.SetItemText(b, 1, "a rather long note that does not fit in a hundred pixels");
    QHeaderView* h = tree.Header();
    const QPoint divider(h->sectionPosition(1) + h->sectionSize(1) - 1, h->height() / 2);
    QTest::mouseDClick(h->viewport(), Qt::LeftButton, {}, divider);
    EXPECT_GT(m.Column(1)->width, 200);
    EXPECT_EQ(h->sectionSize(1), m.Column(1)->width);
}

TEST_F(Widget, DoubleClickEditsAndFocusLossCommits) {
    const QPoint text = tree.PartRect(0, 1, CellPart::Text).center();
    QTest::mouseClick(vp(), Qt::LeftButton, {}, text);
    QTest::mouseDClick(vp(), Qt::LeftButton, {}, text);
    ASSERT_NE(editor(), nullptr);
    editor()->setText("changed");
    // A click on another row takes the focus from the editor first.
    QTest::mouseClick(vp(), Qt::LeftButton, {}, tree.PartRect(1, 0, CellPart::Text).center());
    QApplication::processEvents();
    EXPECT_EQ(tree.Editor(), nullptr);
    EXPECT_EQ(m.GetItemText(a, 1), "changed");
    EXPECT_EQ(m.GetSelectedItem(), b);
}

TEST_F(Widget, DropDownChoiceSetsTextAndValue) {
    m.SelectItem(b, 2, false);
    key(Qt::Key_Space);
    QComboBox* box = tree.DropDown();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentIndex(), 0);  // the entry equal to the cell's text and value
    ASSERT_EQ(l.codes(kNotifyDropDown).size(), 1u);
    box->setCurrentIndex(2);
    box->hidePopup();
    // The list tells the tree it has closed once the event loop runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree.DropDown() == nullptr; }, 30000));
    EXPECT_EQ(m.GetItemText(b, 2), "3 of 3");
    EXPECT_EQ(m.GetItemValue(b, 2), 3);
    ASSERT_EQ(l.codes(kNotifyEndEdit).size(), 1u);
    EXPECT_EQ(l.codes(kNotifyEndEdit)[0].value, 3);
    // The small button of the selected cell opens it too.
    QTest::mouseClick(vp(), Qt::LeftButton, {}, tree.PartRect(1, 2, CellPart::CellButton).center());
    ASSERT_NE(tree.DropDown(), nullptr);
    tree.DropDown()->hidePopup();
    EXPECT_TRUE(QTest::qWaitFor([&] { return tree.DropDown() == nullptr; }, 30000));
    EXPECT_EQ(l.codes(kNotifyEndEdit).size(), 2u);
}

TEST_F(Widget, HeaderClicksSortAndAlternate) {
    QHeaderView* h = tree.Header();
    m.SetItemText(a, 0, "Zeta");
    const QPoint title(h->sectionPosition(0) + 20, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, title);
    EXPECT_EQ(RowsText(m), "b Zeta");
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, title);
    EXPECT_EQ(RowsText(m), "Zeta b");
}

TEST_F(Widget, RightClickSelectsAndLetsTheMenuRequestThrough) {
    const QPoint at = tree.PartRect(1, 0, CellPart::Text).center();
    QTest::mouseClick(vp(), Qt::RightButton, {}, at);
    EXPECT_EQ(m.GetSelectedItem(), b);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, vp()->mapToGlobal(at));
    QApplication::sendEvent(vp(), &e);
    EXPECT_EQ(host.menus, 1);
}

TEST_F(Widget, CheckBoxClickTogglesUnlessRefused) {
    const int checkStyle = m.AddCellStyle(kStyleCheck | kStyleEditable);
    m.SetCellStyle(b, 0, checkStyle);
    const QPoint box = tree.PartRect(1, 0, CellPart::Check).center();
    QTest::mouseClick(vp(), Qt::LeftButton, {}, box);
    EXPECT_EQ(m.GetCheck(b, 0), 1);
    l.answer = [](const TreeNotification& n) { return n.code == kNotifyCheckClicked ? kAnswerRefuse : 0u; };
    QTest::mouseClick(vp(), Qt::LeftButton, {}, box);
    EXPECT_EQ(m.GetCheck(b, 0), 1);
    EXPECT_EQ(l.codes(kNotifyCheckClicked).size(), 2u);
}

TEST_F(Widget, DrawsThePlainExpandButtonAndTheSelectedCell) {
    m.SelectItem(b, 1, false);
    QApplication::processEvents();
    const QImage img = vp()->grab().toImage();
    const QPoint c = tree.PartRect(0, 0, CellPart::Button).center();
    EXPECT_EQ(QColor(img.pixel(c.x() - 4, c.y())), QColor(172, 168, 153));  // the border
    EXPECT_EQ(QColor(img.pixel(c.x() - 3, c.y() - 3)), QColor(Qt::white));
    EXPECT_EQ(QColor(img.pixel(c)), QColor(Qt::black));                 // the dash
    EXPECT_EQ(QColor(img.pixel(c.x(), c.y() - 2)), QColor(Qt::black));  // collapsed: a plus
    const QRect sel = tree.CellRect(1, 1);
    EXPECT_EQ(QColor(img.pixel(sel.left() + 1, sel.top() + 1)), tree.palette().color(QPalette::Highlight));
    const QRect other = tree.CellRect(1, 0);
    EXPECT_EQ(QColor(img.pixel(other.left() + 1, other.top() + 1)), QColor(Qt::white));
}

// Names from older files hold Windows-1252 bytes. The editor shows them as
// letters, and no way out of it changes the bytes unless the user typed.
TEST_F(Widget, Windows1252NamesKeepTheirBytesThroughEveryEditPath) {
    const std::string cafe = "Caf\xE9";
    m.SetItemText(b, 0, cafe);
    m.SelectItem(b, 0, false);

    key(Qt::Key_F2);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), QString::fromUtf8("Caf\xC3\xA9"));
    key(Qt::Key_Return);
    EXPECT_EQ(m.GetItemText(b, 0), cafe);
    ASSERT_EQ(l.codes(kNotifyEndEdit).size(), 1u);
    EXPECT_EQ(l.codes(kNotifyEndEdit)[0].text, cafe);

    key(Qt::Key_F2);
    key(Qt::Key_Escape);
    EXPECT_EQ(m.GetItemText(b, 0), cafe);

    key(Qt::Key_F2);
    ASSERT_NE(editor(), nullptr);
    QTest::mouseClick(vp(), Qt::LeftButton, {}, tree.PartRect(0, 1, CellPart::Text).center());
    QApplication::processEvents();
    EXPECT_EQ(tree.Editor(), nullptr);
    EXPECT_EQ(m.GetItemText(b, 0), cafe);

    // Typing is an edit: the new text is stored as UTF-8, the letter kept.
    m.SelectItem(b, 0, false);
    key(Qt::Key_F2);
    QTest::keyClicks(editor(), "s");
    key(Qt::Key_Return);
    EXPECT_EQ(m.GetItemText(b, 0), "Caf\xC3\xA9s");
}

// A save takes the text while the user types; the editor stays as it was,
// and typing back to the old name gives the old bytes back.
TEST_F(Widget, ATakenEditGoesOnWhereTheUserWas) {
    const std::string cafe = "Caf\xE9";
    m.SetItemText(b, 0, cafe);
    m.SelectItem(b, 0, false);
    key(Qt::Key_F2);
    QLineEdit* box = editor();
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, " au lait");
    box->setSelection(4, 3);
    tree.TakeEdit();
    EXPECT_EQ(m.GetItemText(b, 0), "Caf\xC3\xA9 au lait");
    ASSERT_EQ(l.codes(kNotifyEndEdit).size(), 1u);
    EXPECT_TRUE(l.codes(kNotifyEndEdit)[0].stillEditing);
    ASSERT_EQ(tree.Editor(), box);
    EXPECT_EQ(box->selectedText(), QStringLiteral(" au"));
    EXPECT_TRUE(box->isVisible());

    box->setText(QString::fromUtf8("Caf\xC3\xA9"));  // typed back
    key(Qt::Key_Return);
    EXPECT_EQ(tree.Editor(), nullptr);
    EXPECT_EQ(m.GetItemText(b, 0), cafe);
}

// Another window in front, or the window hidden to the tray, leaves the
// edit open; the focus comes back to it.
TEST_F(Widget, TheWindowLosingTheFocusLeavesTheEditOpen) {
    m.SelectItem(b, 0, false);
    key(Qt::Key_F2);
    QLineEdit* box = editor();
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, "x");

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::processEvents();
    EXPECT_EQ(tree.Editor(), box);
    QApplication::setActiveWindow(&host);
    host.hide();
    QApplication::processEvents();
    EXPECT_EQ(tree.Editor(), box);
    EXPECT_TRUE(l.codes(kNotifyEndEdit).empty());

    host.show();
    QApplication::setActiveWindow(&host);
    QApplication::processEvents();
    // A dialog shown again hands the focus back as Tab would; the caret
    // stays, nothing gets selected for the next key to replace.
    box->setCursorPosition(1);
    QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(box, &tabIn);
    EXPECT_FALSE(box->hasSelectedText());
    QTest::keyClicks(box, "y");
    key(Qt::Key_Return);
    EXPECT_EQ(m.GetItemText(b, 0), "byx");
}

TEST_F(Widget, UntouchedMultiLineTextKeepsItsLineBreaksAndBytes) {
    const std::string stored = "first\r\nCaf\xE9";
    m.SetLinesPerRow(2);
    m.SetItemText(b, 0, stored);
    m.SelectItem(b, 0, false);
    key(Qt::Key_F2);
    auto* box = qobject_cast<QPlainTextEdit*>(tree.Editor());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->toPlainText().endsWith(QString::fromUtf8("Caf\xC3\xA9")));
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(tree.Editor(), nullptr);
    EXPECT_EQ(m.GetItemText(b, 0), stored);
}

// Rows of one line show a field of several lines (an address, a note) on
// that line, its breaks as blanks, rather than lines spilling out of the row.
TEST_F(Widget, AFieldOfSeveralLinesShowsOnOneLineOfItsRow) {
    m.SetColumnWidth(1, 260);
    QApplication::processEvents();
    const auto cell = [this](const std::string& text) {
        m.SetItemText(b, 1, text);
        QApplication::processEvents();
        return vp()->grab().toImage().copy(tree.CellRect(1, 1));
    };
    const QImage oneLine = cell("12 Garden Road Flat 3");
    EXPECT_EQ(cell("12 Garden Road\r\nFlat 3"), oneLine);
    EXPECT_EQ(cell("12 Garden Road\n\nFlat 3\r\n"), oneLine);
    EXPECT_EQ(m.GetItemText(b, 1), "12 Garden Road\n\nFlat 3\r\n");  // the field itself is kept
}

TEST_F(Widget, ADropDownChoiceGivesItsOwnStoredBytes) {
    const int style = m.AddCellStyle(kStyleDropDown | kStyleButton);
    m.AddCellChoice(style, "Tr\xE8s bas", 1);
    m.AddCellChoice(style, "Tr\xE8s haut", 2);
    m.SetCellStyle(b, 2, style);
    m.SelectItem(b, 2, false);
    key(Qt::Key_Space);
    QComboBox* box = tree.DropDown();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->itemText(1), QString::fromUtf8("Tr\xC3\xA8s haut"));
    box->setCurrentIndex(1);
    box->hidePopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree.DropDown() == nullptr; }, 30000));
    EXPECT_EQ(m.GetItemText(b, 2), "Tr\xE8s haut");
    EXPECT_EQ(m.GetItemValue(b, 2), 2);
}

TEST(GroupTreeActionsTest, MenuActionsCarryIdsIconsAndSeparators) {
    QObject owner;
    const QList<QAction*> actions = CreateGroupTreeActions(&owner);
    ASSERT_EQ(actions.size(), 10);
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_TRUE(actions[7]->isSeparator());
    EXPECT_EQ(actions[0]->text(), "Collapse all");
    EXPECT_EQ(actions[5]->data().toInt(), 305);
    EXPECT_EQ(actions[5]->toolTip(), "Edit item/folder");
    for (QAction* a : actions)
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
        }
}

}  // namespace
}  // namespace veltrin
