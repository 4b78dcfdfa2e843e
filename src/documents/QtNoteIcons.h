#pragma once

#include <QPixmap>
#include <vector>

namespace veltrin {

// The 46 note icons (16 x 16), drawn by the program: note sheets in
// 23 colours, plain and with a marker, shared by the tree and the dialog.
const std::vector<QPixmap>& NoteIcons();

}  // namespace veltrin
