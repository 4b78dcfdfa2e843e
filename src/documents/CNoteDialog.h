#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace veltrin {

// Name, bold flag, icon and template of a new or edited note.
class CNoteDialog : public QDialog {
    Q_OBJECT
public:
    CNoteDialog(const std::string& storedName, bool bold, int icon, const std::string& templateName,
                bool fallback, QWidget* parent = nullptr);

    QString name() const;
    // The name as stored: unchanged bytes when the user left it as it was.
    std::string storedName() const;
    bool bold() const;
    // The chosen icon; an index outside the list, as a file may hold, stays
    // as it was unless another icon is chosen.
    int icon() const;
    // The chosen template, empty when none is chosen.
    std::string templateName() const;

    QLineEdit* nameBox() const { return name_; }
    QComboBox* templateBox() const { return template_; }
    QListWidget* iconList() const { return icons_; }

private:
    std::string storedName_;
    QString shownName_;
    int storedIcon_;
    QLineEdit* name_;
    QCheckBox* bold_;
    QComboBox* template_;
    QListWidget* icons_;
    std::vector<std::string> names_;
};

}  // namespace veltrin
