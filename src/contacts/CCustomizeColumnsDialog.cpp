#include "contacts/CCustomizeColumnsDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "storage/QtStoredText.h"

namespace veltrin {

namespace {

QListWidget* makeList(QWidget* parent, const char* name) {
    auto* l = new QListWidget(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setSelectionMode(QAbstractItemView::ExtendedSelection);
    l->setMinimumSize(170, 260);
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* text, const char* name) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setEnabled(false);
    return b;
}

std::vector<int> selectedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
}

}  // namespace

CCustomizeColumnsDialog::CCustomizeColumnsDialog(const ContactColumns& columns, QWidget* parent)
    : QDialog(parent), chooser_(columns) {
    setWindowTitle(QStringLiteral("Customize columns"));
    setObjectName(QStringLiteral("CCustomizeColumnsDialog"));
    free_ = makeList(this, "free");
    shown_ = makeList(this, "shown");
    add_ = makeButton(this, "&Add ->", "add");
    remove_ = makeButton(this, "<- &Remove", "remove");
    up_ = makeButton(this, "Move &Up", "up");
    down_ = makeButton(this, "Move &Down", "down");
    ok_ = makeButton(this, "&OK", "ok");
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);

    auto* freeLabel = new QLabel(QStringLiteral("&Free columns:"), this);
    freeLabel->setBuddy(free_);
    auto* shownLabel = new QLabel(QStringLiteral("&Shown columns and order:"), this);
    shownLabel->setBuddy(shown_);

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(add_);
    middle->addWidget(remove_);
    middle->addSpacing(16);
    middle->addWidget(up_);
    middle->addWidget(down_);
    middle->addStretch(1);
    auto* grid = new QGridLayout;
    grid->addWidget(freeLabel, 0, 0);
    grid->addWidget(shownLabel, 0, 2);
    grid->addWidget(free_, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(shown_, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(free_, &QListWidget::itemSelectionChanged, this, &CCustomizeColumnsDialog::takeSelection);
    connect(shown_, &QListWidget::itemSelectionChanged, this, &CCustomizeColumnsDialog::takeSelection);
    connect(free_, &QListWidget::itemDoubleClicked, this, [this] { act(&ColumnChooser::Add); });
    connect(shown_, &QListWidget::itemDoubleClicked, this, [this] { act(&ColumnChooser::Remove); });
    connect(add_, &QPushButton::clicked, this, [this] { act(&ColumnChooser::Add); });
    connect(remove_, &QPushButton::clicked, this, [this] { act(&ColumnChooser::Remove); });
    connect(up_, &QPushButton::clicked, this, [this] { act(&ColumnChooser::MoveUp); });
    connect(down_, &QPushButton::clicked, this, [this] { act(&ColumnChooser::MoveDown); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    fill();
}

void CCustomizeColumnsDialog::fill() {
    filling_ = true;
    const auto refill = [this](QListWidget* list, const std::vector<int>& entries,
                               const std::vector<int>& sel) {
        list->clear();
        for (int e : entries) list->addItem(FromStored(chooser_.Name(e)));
        for (int p : sel) list->item(p)->setSelected(true);
        if (!sel.empty()) list->setCurrentRow(sel.front(), QItemSelectionModel::NoUpdate);
    };
    refill(free_, chooser_.Free(), chooser_.FreeSelection());
    refill(shown_, chooser_.Shown(), chooser_.ShownSelection());
    filling_ = false;
    updateButtons();
}

void CCustomizeColumnsDialog::takeSelection() {
    if (filling_) return;
    chooser_.SelectFree(selectedRows(free_));
    chooser_.SelectShown(selectedRows(shown_));
    updateButtons();
}

void CCustomizeColumnsDialog::updateButtons() {
    add_->setEnabled(chooser_.CanAdd());
    remove_->setEnabled(chooser_.CanRemove());
    up_->setEnabled(chooser_.CanMoveUp());
    down_->setEnabled(chooser_.CanMoveDown());
    ok_->setEnabled(chooser_.CanAccept());
}

void CCustomizeColumnsDialog::act(bool (ColumnChooser::*action)()) {
    takeSelection();
    if ((chooser_.*action)()) fill();
}

}  // namespace veltrin
