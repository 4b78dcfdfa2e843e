#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "contacts/ContactRecords.h"

class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QComboBox;
class QPushButton;

namespace veltrin {

// One page of the contact's property sheet: a heading and labelled boxes,
// each bound to a contact field by the field's name. A box the user left as
// it was gives back the field's stored bytes.
class CContactPage : public QWidget {
    Q_OBJECT
public:
    CContactPage(const QString& heading, QWidget* parent = nullptr);

    // Fills the boxes from the contact; the page remembers what each showed.
    virtual void load(const ContactItem& item);
    // Writes each box back into its field.
    void store(ContactItem& item) const;

    // The box of a field, by the field's name; null when the page has none.
    QWidget* fieldBox(const char* fieldName) const;

protected:
    QLineEdit* addLine(const QString& label, const char* fieldName);
    QPlainTextEdit* addText(const QString& label, const char* fieldName);
    // An editable drop-down; the page may hand in one of its own kind.
    QComboBox* addCombo(const QString& label, const char* fieldName, QComboBox* box = nullptr);
    // "&Go" beside the last box: opens the address it holds, handed to the
    // opener whole as one argument.
    QPushButton* addGoButton(QLineEdit* address);

    static QString boxText(const QWidget* box);
    static void setBoxText(QWidget* box, const QString& text);

private:
    struct Field {
        int recordIndex;
        const char* name;
        QWidget* box;
        std::string stored;
        QString shown;  // as the box gave it back after filling
    };
    void add(const QString& label, const char* fieldName, QWidget* box);

    QGridLayout* grid_;
    std::vector<Field> fields_;
};

}  // namespace veltrin
