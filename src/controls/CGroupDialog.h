#pragma once

#include <QDialog>
#include <QPixmap>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace veltrin {

// "Group": the name, bold face and icon of a group of any view. The caller
// hands in the icons its tree shows and reads the three values back on OK.
class CGroupDialog : public QDialog {
    Q_OBJECT
public:
    CGroupDialog(const std::string& name, int bold, int iconIndex, const std::vector<QPixmap>& icons,
                 QWidget* parent = nullptr);

    // The name as stored: unchanged bytes when the user left it as it was.
    std::string name() const;
    int bold() const;
    // The chosen icon; an index outside the list, as a file may hold, stays
    // as it was unless another icon is chosen.
    int iconIndex() const;

    QLineEdit* nameEdit() const { return nameEdit_; }
    QCheckBox* boldBox() const { return boldBox_; }
    QListWidget* iconList() const { return iconList_; }

private:
    std::string storedName_;
    QString shownName_;
    int storedIcon_;
    QLineEdit* nameEdit_;
    QCheckBox* boldBox_;
    QListWidget* iconList_;
};

}  // namespace veltrin
