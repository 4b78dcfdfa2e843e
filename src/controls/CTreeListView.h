#pragma once

#include <QString>
#include <vector>

#include "controls/CViewBase.h"

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

    // Tool strip and tree menu: the group-tree command set.
    virtual void runGroupCommand(int command) = 0;
    // The command buttons and the list menu.
    virtual void runListCommand(int command) = 0;

protected:
    // The view's list, created by the view; the shell places it.
    void setRecordList(CGroupTree* list);
    // The group-tree menu at a point of the tree.
    void showGroupMenu(const QPoint& pos);
    void layOut();
    // After the layout has placed the list (a view fits its columns here).
    virtual void listPlaced() {}
    void resizeEvent(QResizeEvent* event) override;

private:
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
