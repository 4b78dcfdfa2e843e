#pragma once

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "tree/GroupTreeModel.h"

class QColor;
class QComboBox;
class QHeaderView;
class QStandardItemModel;

namespace veltrin {

class GroupTreeDropDown;

// The tree-list control: draws a GroupTreeModel as a report list with the
// tree in one column, and turns mouse and keys into the model's rules.
// The owning view listens to the model (SetListener) for the notifications.
class CGroupTree : public QAbstractScrollArea, private GroupTreeObserver {
    Q_OBJECT
public:
    explicit CGroupTree(QWidget* parent = nullptr);
    ~CGroupTree() override;

    GroupTreeModel& model() { return model_; }
    const GroupTreeModel& model() const { return model_; }
    void SetListener(GroupTreeListener* l) { model_.SetListener(l); }

    int InsertColumn(int index, const QString& title, ColumnAlign align, int width);
    void SetImageList(std::vector<QPixmap> images);
    const std::vector<QPixmap>& ImageList() const { return images_; }

    // Runs the group-tree commands the control owns (collapse all, expand
    // all, move up, move down); false for the ones that need the view.
    bool RunCommand(int command);

    // Geometry in viewport coordinates, for the views and the tests.
    int RowsPerPage() const;
    QRect CellRect(int row, int column) const;
    QRect PartRect(int row, int column, CellPart part) const;
    void FitColumnWidth(int column);
    // The width a column needs to show each of the texts (stored bytes) whole
    // in a top-level cell of that style, with an icon when asked, in the
    // control's font; never less than its heading needs.
    int WidthToShow(int column, const std::vector<std::string>& texts, unsigned styleFlags,
                    bool hasIcon) const;

    QWidget* Editor() const { return editor_; }
    // Ends an open cell edit as Enter would: the model takes the text and
    // the editor closes unless the owner keeps it open. Every command of a
    // view runs this first, so it never works on a half-typed cell.
    void FinishEdit();
    // Takes an open cell editor's text into the model for a save, leaving
    // the editor open as it is: the user goes on typing where they were.
    void TakeEdit();
    QComboBox* DropDown() const;
    QHeaderView* Header() const { return header_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // GroupTreeObserver
    void RowsChanged() override;
    void NodeChanged(NodeHandle) override;
    void EnsureVisible(NodeHandle node) override;
    void EditEnded() override;

    void scheduleLayout();
    void layoutNow();
    void syncHeader();
    void updateFontMetrics();
    int columnAt(int x) const;
    int columnLeft(int column) const;
    int totalWidth() const;
    int headingWidth(int column) const;
    // A cell's width for a text of that advance: its parts, the text with its
    // padding, and the cell's button when it has one.
    static int cellWidth(const CellLayout& l, unsigned styleFlags, int textAdvance);
    void press(QMouseEvent* e, bool doubleClick);
    void paintCell(QPainter& p, NodeHandle node, int column, const QRect& rect, bool selected);
    void drawExpandButton(QPainter& p, const QRect& box, bool collapsed);
    void after(ClickResult r);
    void openEditor(const QString* startText);
    void commitEditor(int moveAfter);  // 0 none, 1 next cell, -1 previous cell
    std::string editedBytes() const;   // the editor's text as the cell would store it
    void closeEditorWidget();
    void placeEditors();
    void openDropDown();
    void finishDropDown();
    QRect textRect(int row, int column) const;

    GroupTreeModel model_;
    std::vector<QPixmap> images_;
    QHeaderView* header_ = nullptr;
    QStandardItemModel* headerModel_ = nullptr;
    QPointer<QWidget> editor_;
    std::optional<QString> untouchedText_;  // the editor's text as opened from the cell
    std::string untouchedBytes_;            // and the cell's bytes then
    QPointer<GroupTreeDropDown> dropDown_;
    bool layoutPending_ = false;
    NodeHandle pendingVisible_ = kNoNode;  // asked for before the window had its size
    bool syncingHeader_ = false;
    bool committing_ = false;
};

// Gives a tree the user's list colours: the model's for the rows it paints
// itself, the palette's for the selected row.
void ApplyListColours(CGroupTree& tree, const QColor& text, const QColor& back, const QColor& selectedText,
                      const QColor& selectedBack);

}  // namespace veltrin
