#include "contacts/CContactPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "controls/CHyperlink.h"
#include "storage/QtStoredText.h"

namespace veltrin {

CContactPage::CContactPage(const QString& heading, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* head = new QLabel(heading, this);
    head->setWordWrap(true);
    layout->addWidget(head);
    grid_ = new QGridLayout;
    grid_->setColumnStretch(1, 1);
    layout->addLayout(grid_);
    layout->addStretch(1);
}

void CContactPage::add(const QString& label, const char* fieldName, QWidget* box) {
    const int row = grid_->rowCount();
    auto* l = new QLabel(label, this);
    l->setBuddy(box);
    box->setObjectName(QString::fromLatin1(fieldName));
    // Beside a one-line box the label sits on its line; beside a taller box, at its top.
    const bool tall = qobject_cast<QPlainTextEdit*>(box) != nullptr;
    grid_->addWidget(l, row, 0, Qt::AlignLeft | (tall ? Qt::AlignTop : Qt::AlignVCenter));
    grid_->addWidget(box, row, 1);
    fields_.push_back({ContactFieldRecordIndex(fieldName), fieldName, box, {}, {}});
}

QLineEdit* CContactPage::addLine(const QString& label, const char* fieldName) {
    auto* e = new QLineEdit(this);
    add(label, fieldName, e);
    return e;
}

QPlainTextEdit* CContactPage::addText(const QString& label, const char* fieldName) {
    auto* e = new QPlainTextEdit(this);
    e->setTabChangesFocus(true);
    e->setFixedHeight(64);
    add(label, fieldName, e);
    return e;
}

QComboBox* CContactPage::addCombo(const QString& label, const char* fieldName, QComboBox* box) {
    QComboBox* c = box ? box : new QComboBox(this);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    add(label, fieldName, c);
    return c;
}

QPushButton* CContactPage::addGoButton(QLineEdit* address) {
    auto* go = new QPushButton(QStringLiteral("&Go"), this);
    go->setObjectName(QStringLiteral("go"));
    connect(go, &QPushButton::clicked, this, [address] { OpenHyperlink(ToStored(address->text())); });
    grid_->addWidget(go, grid_->rowCount() - 1, 2);
    return go;
}

QWidget* CContactPage::fieldBox(const char* fieldName) const {
    for (const Field& f : fields_)
        if (std::strcmp(f.name, fieldName) == 0) return f.box;
    return nullptr;
}

QString CContactPage::boxText(const QWidget* box) {
    if (auto* e = qobject_cast<const QLineEdit*>(box)) return e->text();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(box)) return t->toPlainText();
    if (auto* c = qobject_cast<const QComboBox*>(box)) return c->currentText();
    return {};
}

void CContactPage::setBoxText(QWidget* box, const QString& text) {
    if (auto* e = qobject_cast<QLineEdit*>(box))
        e->setText(text);
    else if (auto* t = qobject_cast<QPlainTextEdit*>(box))
        t->setPlainText(text);
    else if (auto* c = qobject_cast<QComboBox*>(box))
        c->setEditText(text);
}

void CContactPage::load(const ContactItem& item) {
    for (Field& f : fields_) {
        f.stored = std::string(item.fields[static_cast<std::size_t>(f.recordIndex)]);
        setBoxText(f.box, FromStored(f.stored));
        f.shown = boxText(f.box);
    }
}

void CContactPage::store(ContactItem& item) const {
    for (const Field& f : fields_)
        item.fields.set(static_cast<std::size_t>(f.recordIndex),
                        StoredAfterEdit(boxText(f.box), f.shown, f.stored));
}

}  // namespace veltrin
