#pragma once

#include <QDialog>

#include "contacts/ColumnChooser.h"

class QListWidget;
class QPushButton;

namespace veltrin {

// "Customize columns": which contact fields the list shows, and in what order.
class CCustomizeColumnsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CCustomizeColumnsDialog(const ContactColumns& columns, QWidget* parent = nullptr);

    // The new table, after OK.
    ContactColumns result() const { return chooser_.Result(); }

    QListWidget* freeList() const { return free_; }
    QListWidget* shownList() const { return shown_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* upButton() const { return up_; }
    QPushButton* downButton() const { return down_; }
    QPushButton* okButton() const { return ok_; }

private:
    void fill();
    void takeSelection();
    void updateButtons();
    void act(bool (ColumnChooser::*action)());

    ColumnChooser chooser_;
    QListWidget* free_;
    QListWidget* shown_;
    QPushButton* add_;
    QPushButton* remove_;
    QPushButton* up_;
    QPushButton* down_;
    QPushButton* ok_;
    bool filling_ = false;
};

}  // namespace veltrin
