#include "controls/CGroupDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "controls/QtDialogButtons.h"
#include "storage/QtStoredText.h"

namespace veltrin {

CGroupDialog::CGroupDialog(const std::string& name, int bold, int iconIndex,
                           const std::vector<QPixmap>& icons, QWidget* parent)
    : QDialog(parent), storedName_(name), shownName_(FromStored(name)), storedIcon_(iconIndex) {
    setWindowTitle(QStringLiteral("Group"));
    setObjectName(QStringLiteral("CGroupDialog"));

    auto* nameLabel = new QLabel(QStringLiteral("Group name:"), this);
    nameEdit_ = new QLineEdit(shownName_, this);
    nameEdit_->setObjectName(QStringLiteral("name"));
    nameLabel->setBuddy(nameEdit_);
    boldBox_ = new QCheckBox(QStringLiteral("Bold"), this);
    boldBox_->setObjectName(QStringLiteral("bold"));
    boldBox_->setChecked(bold != 0);

    auto* iconLabel = new QLabel(QStringLiteral("Icon"), this);
    iconList_ = new QListWidget(this);
    iconList_->setObjectName(QStringLiteral("icons"));
    iconList_->setViewMode(QListView::IconMode);
    iconList_->setFlow(QListView::LeftToRight);
    iconList_->setWrapping(true);
    iconList_->setResizeMode(QListView::Adjust);
    iconList_->setMovement(QListView::Static);
    iconList_->setIconSize(QSize(16, 16));
    iconList_->setGridSize(QSize(28, 28));
    iconList_->setMinimumHeight(3 * 28 + 8);
    // Items without text: the style would mark only the empty text strip
    // below the chosen icon, so the whole cell shows the choice.
    iconList_->setStyleSheet(
        QStringLiteral("QListWidget::item { padding: 2px; }"
                       "QListWidget::item:selected { background: palette(highlight); }"));
    for (const QPixmap& pm : icons) iconList_->addItem(new QListWidgetItem(QIcon(pm), QString()));
    if (iconIndex >= 0 && iconIndex < iconList_->count()) iconList_->setCurrentRow(iconIndex);
    connect(iconList_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(nameEdit_, &QLineEdit::returnPressed, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    AddOkCancelRow(this, buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameLabel);
    layout->addWidget(nameEdit_);
    layout->addWidget(boldBox_);
    layout->addWidget(iconLabel);
    layout->addWidget(iconList_);
    layout->addLayout(buttons);
    resize(320, sizeHint().height());
    nameEdit_->setFocus();
    nameEdit_->selectAll();
}

std::string CGroupDialog::name() const { return StoredAfterEdit(nameEdit_->text(), shownName_, storedName_); }

int CGroupDialog::bold() const { return boldBox_->isChecked() ? 1 : 0; }

int CGroupDialog::iconIndex() const {
    const int row = iconList_->currentRow();
    return row >= 0 ? row : storedIcon_;
}

}  // namespace veltrin
