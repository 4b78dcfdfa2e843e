#pragma once

#include "contacts/CContactPage.h"

class QComboBox;
class QLineEdit;

namespace veltrin {

// "Personal": the names, the display name with its composing rule, the
// nickname, the e-mail address and the notes.
class CPersonalPage : public CContactPage {
    Q_OBJECT
public:
    explicit CPersonalPage(QWidget* parent = nullptr);

    void load(const ContactItem& item) override;

    bool automaticDisplay() const { return automatic_; }
    QComboBox* displayBox() const { return display_; }
    // The drop-down's entries, rebuilt as the list opens; the typed text stays.
    void rebuildDisplayChoices();

private:
    void namesChanged();

    QLineEdit* first_;
    QLineEdit* middle_;
    QLineEdit* last_;
    QComboBox* display_;
    QLineEdit* nickname_;
    bool automatic_ = true;
    bool loading_ = false;
};

}  // namespace veltrin
