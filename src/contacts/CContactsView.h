#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "contacts/ContactTrees.h"
#include "controls/CTreeListView.h"
#include "tree/GroupTreeModel.h"

namespace veltrin {

struct AppSettings;

// The Contacts view of the main window: the contact groups with the comment
// box on the left, the selected group's contacts on the right.
class CContactsView : public CTreeListView, private GroupTreeListener {
    Q_OBJECT
public:
    // Commands of the contact buttons and the list's menu.
    enum Command {
        kNewContact = 308,
        kEditContact = 309,
        kRemoveContact = 310,
        kContactUp = 311,
        kContactDown = 312,
        kCustomizeHeaders = 313
    };

    CContactsView(ContactStore& store, AppSettings& settings, QWidget* parent = nullptr);
    ~CContactsView() override;

    // SaveAll's view of the group tree and contact list; the view first
    // takes any edit in progress (a cell, the comment box) into its rows,
    // leaving an open cell editor open.
    ContactViews saveState();

    CGroupTree* contactList() const { return recordList(); }
    // After contacts and groups were added to the store (an import, which
    // first took the tree's groups into it): shows the store's groups again
    // with the same group selected, and stores the file. replaceStore, when
    // given, runs once the rows are back in the store: it may put another
    // store in its place (the file as a sync left it).
    void showStoredGroups(const std::function<void()>& replaceStore = {});

protected:
    void listCommand(int command) override;
    void showEvent(QShowEvent* event) override;

private:
    unsigned OnTreeNotify(const TreeNotification& n) override;
    void showGroup();
    // The group tree from the store's groups; selects the one stored as
    // current, else the first.
    void buildGroupTree();
    void handBack();
    void showComment();
    void commentEdited();
    void saveNow();
    unsigned storeEditedCell(const TreeNotification& n);
    void newContact();
    void editContact();
    void removeContact();
    void moveContact(int command);
    void customizeColumns();
    const char* newGroupName() const override { return "New contact group"; }
    void giveNewGroupId(NodeHandle node) override;
    void removeGroup() override;
    void groupsChanged() override { saveNow(); }
    void showListMenu(const QPoint& pos);

    ContactStore& store_;
    AppSettings& settings_;
    int listStyle_ = -1;
    std::optional<std::int32_t> shownGroup_;  // the id whose contacts the list holds
    std::string commentStored_;
    QString commentShown_;
    bool settingComment_ = false;
};

}  // namespace veltrin
