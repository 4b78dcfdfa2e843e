#pragma once

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace veltrin {

// Sets the icon theme the program's icons come from: the desktop's, else
// Tango. ThemeIcon does it on first use; called before the first widget,
// Qt's own icons (a calendar's arrows) are looked up once, in that theme,
// not first in Qt's fallback folders.
void UseProgramIconTheme();

// An icon of the desktop's icon theme (Tango when none is set).
QIcon ThemeIcon(const QString& name);

// The theme icon that stands for one of the program's numbered icons, so
// every view shows the same picture for the same command:
//   161 collapse all, 163 expand all, 202 insert after, 197 insert as a
//   child, 194 edit item/folder, 201 delete item/folder, 199 move up,
//   198 move down (the group-tree command set); 286 event, 296 time, 297
//   time left, 298 priority (the event lists' columns); 287 contact (the
//   contact list's rows and menu); 300 cancel,
//   274 help, 303 choose file (dialog buttons); 253 a period of the Today
//   view's menu.
// An unknown number gives an empty icon.
QIcon NumberedIcon(int number);

// The picture of the dialogs' OK buttons: the theme has none, so it is the
// widget style's own.
QIcon OkIcon();

// The 16 x 16 pictures of GroupIconNames(), in its order, for a group tree's
// image list and the Group dialog.
std::vector<QPixmap> GroupIconPixmaps();

}  // namespace veltrin
