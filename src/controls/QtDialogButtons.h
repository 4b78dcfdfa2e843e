#pragma once

class QBoxLayout;
class QDialog;

namespace veltrin {

// The "&OK" and "&Cancel" picture buttons (ids 1 and 2, named "ok" and
// "cancel") at the right end of a dialog's button row, accepting and
// rejecting the dialog. Anything the row holds before them stays on the left.
void AddOkCancelRow(QDialog* dialog, QBoxLayout* row);

}  // namespace veltrin
