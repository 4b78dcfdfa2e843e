#pragma once

#include <QPixmap>
#include <QString>
#include <string>
#include <vector>

#include "controls/CViewBase.h"
#include "tree/GroupTreeModel.h"

class QLabel;
class QPlainTextEdit;

namespace veltrin {

class CGroupTree;
class CSkinButton;
class CSplitter;
class CToolStrip;

// The shell of the views that show a group tree beside a record list: the
// tool strip with the group-tree commands over the tree, the "Comment" box
// under it, the splitter, a row of command buttons over the list, and their
// layout. The view supplies the list and runs the commands.
class CTreeListView : public CViewBase {
    Q_OBJECT
public:
    struct Command {
        int id;
        const char* caption;
    };

    CTreeListView(const QString& caption, const std::vector<Command>& buttons, QWidget* parent = nullptr);

    CGroupTree* groupTree() const { return tree_; }
    CGroupTree* recordList() const { return list_; }
    QPlainTextEdit* commentBox() const { return comment_; }
    QLabel* commentLabel() const { return commentLabel_; }
    CToolStrip* toolStrip() const { return toolStrip_; }
    CSplitter* splitter() const { return splitter_; }
    CSkinButton* commandButton(int command) const;

    void setListColours(const ListColours& colours) override;
    void setToolbarColour(const QColor& colour) override;
    void setButtonTextColour(const QColor& colour) override;
    void setCommandFaces(const FacePixmaps& faces) override;

    // Tool strip and tree menu: the group-tree command set. New and Edit
    // open the Group dialog here; the view names a new group and gives it
    // its id, removes groups and stores its file.
    void runGroupCommand(int command);
    // The command buttons and the list menu; the view runs them.
    void runListCommand(int command);

signals:
    // "Import..." or "Export..." (kTreeImport, kTreeExport) for the selected
    // group: the window runs them, as they reach beyond the view.
    void interopRequested(int command);

protected:
    virtual void listCommand(int command) = 0;
    const std::vector<QPixmap>& groupIcons() const { return groupIcons_; }
    // The cell style of a group's editable caption.
    int groupStyle() const { return groupStyle_; }
    virtual const char* newGroupName() const = 0;
    virtual void giveNewGroupId(NodeHandle node) = 0;
    virtual void removeGroup() = 0;
    // The selected group once the user has confirmed its removal, else
    // kNoNode ("No group selected!" when none is selected).
    NodeHandle groupToRemove();
    // The view's question box, with Yes and No.
    static bool confirm(const std::string& text, const char* caption);
    // After a group was added or edited: the view stores its file.
    virtual void groupsChanged() = 0;

    // The view's list, created by the view; the shell places it.
    void setRecordList(CGroupTree* list);
    // The group-tree menu at a point of the tree.
    void showGroupMenu(const QPoint& pos);
    void layOut();
    // After the layout has placed the list (a view fits its columns here).
    virtual void listPlaced() {}
    void resizeEvent(QResizeEvent* event) override;

private:
    // Every command first ends a cell edit in the tree or the list as Enter
    // would, so that it works on what the user typed and does not drop it.
    void finishCellEdits();
    void newGroup(int command);
    void editGroup();

    std::vector<QPixmap> groupIcons_;
    int groupStyle_ = -1;
    CToolStrip* toolStrip_;
    CGroupTree* tree_;
    CGroupTree* list_ = nullptr;
    QLabel* commentLabel_;
    QPlainTextEdit* comment_;
    std::vector<CSkinButton*> buttons_;
    std::vector<int> commands_;
    CSplitter* splitter_;
    int splitStart_ = 260;
};

}  // namespace veltrin
