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
    CNoteDialog(const QString& name, bool bold, int icon, const std::string& templateName, bool fallback,
                QWidget* parent = nullptr);

    QString name() const;
    bool bold() const;
    int icon() const;
    // The chosen template, empty when none is chosen.
    std::string templateName() const;

    QLineEdit* nameBox() const { return name_; }
    QComboBox* templateBox() const { return template_; }
    QListWidget* iconList() const { return icons_; }

private:
    QLineEdit* name_;
    QCheckBox* bold_;
    QComboBox* template_;
    QListWidget* icons_;
    std::vector<std::string> names_;
};

}  // namespace veltrin
