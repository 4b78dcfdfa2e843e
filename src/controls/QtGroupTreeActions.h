#pragma once

#include <QList>

class QAction;
class QObject;

namespace veltrin {

class CPopupMenu;
class CToolStrip;

// The group-tree commands as actions, in menu order with their separators,
// each with its 16 x 16 theme icon, its text as tooltip and its command id
// as data. The same list fills the tree's context menu and a tool strip.
QList<QAction*> CreateGroupTreeActions(QObject* owner);

// The same commands added to a view's tool strip or to its tree's context
// menu, so every view with a group tree offers them alike.
void AddGroupTreeCommands(CToolStrip& strip);
void AddGroupTreeCommands(CPopupMenu& menu);
// "Import..." and "Export..." after a separator, for the menus of the views
// that hold records.
void AddInteropCommands(CPopupMenu& menu);

}  // namespace veltrin
