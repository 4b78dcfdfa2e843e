// A scratch window with a few hundred nodes in a CGroupTree, to try the
// control by hand: mouse, keys, in-place editing, drop-downs, the menu.
#include <QApplication>
#include <QContextMenuEvent>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <cstdio>

#include "controls/CGroupTree.h"
#include "controls/QtGroupTreeActions.h"
#include "controls/QtThemeIcons.h"
#include "tree/GroupTreeCommands.h"

using namespace veltrin;

class DemoWindow : public QMainWindow, public GroupTreeListener {
public:
    DemoWindow() {
        tree_ = new CGroupTree(this);
        setCentralWidget(tree_);
        GroupTreeModel& m = tree_->model();
        tree_->SetListener(this);
        tree_->InsertColumn(0, "Groups", ColumnAlign::Left, 260);
        tree_->InsertColumn(1, "Comment", ColumnAlign::Left, 200);
        tree_->InsertColumn(2, "Priority", ColumnAlign::Centre, 90);
        std::vector<QPixmap> images;
        for (const char* name : {"folder", "text-x-generic", "appointment-new", "x-office-address-book"})
            images.push_back(ThemeIcon(QString::fromLatin1(name)).pixmap(16, 16));
        tree_->SetImageList(images);
        const int editable = m.AddCellStyle(kStyleEditable);
        const int checked = m.AddCellStyle(kStyleEditable | kStyleCheck);
        priority_ = m.AddCellStyle(kStyleDropDown | kStyleButton);
        int counter = 0;
        for (int g = 0; g < 12; ++g) {
            NodeHandle group =
                m.InsertItem(kRootNode, kInsertLast, "Group " + std::to_string(g + 1), 0, editable);
            m.SetBold(group, g % 4 == 0);
            for (int s = 0; s < 4; ++s) {
                NodeHandle sub = m.InsertItem(group, kInsertLast,
                                              "Folder " + std::to_string(g + 1) + "." + std::to_string(s + 1),
                                              0, editable);
                for (int i = 0; i < 5; ++i) {
                    NodeHandle leaf = m.InsertItem(sub, kInsertLast, "Item " + std::to_string(++counter),
                                                   1 + i % 3, checked);
                    m.SetCheck(leaf, 0, i % 2);
                    m.SetItemText(leaf, 1, "note " + std::to_string(counter));
                    m.SetCellStyle(leaf, 1, editable);
                    m.SetItemText(leaf, 2, std::to_string(1 + counter % 10) + " of 10");
                    m.SetItemValue(leaf, 2, 1 + counter % 10);
                    m.SetCellStyle(leaf, 2, priority_);
                    if (counter % 17 == 0) m.SetItemColours(leaf, 0x000000C0, std::nullopt);
                }
            }
            if (g < 3) m.SetCollapsed(group, 0);
        }
        m.SetCollapsed(m.GetChildItem(kRootNode, 0) ? m.GetChildItem(m.GetChildItem(kRootNode, 0), 0) : 0, 0);
        m.SelectItem(m.GetChildItem(kRootNode, 1), 0, true);

        actions_ = CreateGroupTreeActions(this);
        auto* bar = addToolBar("Groups");
        bar->setIconSize(QSize(16, 16));
        bar->addActions(actions_);
        for (QAction* a : actions_)
            if (!a->isSeparator())
                connect(a, &QAction::triggered, this, [this, a] { run(a->data().toInt()); });
        resize(640, 480);
        setWindowTitle("Group tree");
    }

    unsigned OnTreeNotify(const TreeNotification& n) override {
        if (n.code == kNotifyDropDown && tree_->model().GetCellChoices(priority_).empty())
            for (int i = 1; i <= 10; ++i)
                tree_->model().AddCellChoice(priority_, std::to_string(i) + " of 10", i);
        if (n.code == kNotifySelectionChanged || n.code == kNotifyEndEdit)
            statusBar()->showMessage(QString("%1: %2").arg(n.code).arg(QString::fromStdString(n.text)));
        return 0;
    }

protected:
    void contextMenuEvent(QContextMenuEvent* e) override {
        QMenu menu(this);
        menu.addActions(actions_);
        menu.exec(e->globalPos());
    }

private:
    void run(int id) {
        if (tree_->RunCommand(id)) return;
        GroupTreeModel& m = tree_->model();
        if (id == kTreeInsertAfter || id == kTreeInsertChild)
            InsertForCommand(m, id, "New group", 0);
        else if (id == kTreeDeleteItem)
            m.DeleteItem(m.GetSelectedItem());
        else if (id == kTreeEditItem && m.GetSelectedItem())
            m.SetItemText(m.GetSelectedItem(), 0, m.GetItemText(m.GetSelectedItem(), 0) + "*");
    }

    CGroupTree* tree_;
    QList<QAction*> actions_;
    int priority_ = -1;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    DemoWindow w;
    w.show();
    return app.exec();
}
