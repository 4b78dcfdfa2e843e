#include "documents/CNoteDialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>

#include "controls/QtDialogButtons.h"
#include "documents/QtNoteIcons.h"
#include "documents/Templates.h"
#include "storage/QtStoredText.h"

namespace veltrin {

CNoteDialog::CNoteDialog(const std::string& storedName, bool bold, int icon, const std::string& templateName,
                         bool fallback, QWidget* parent)
    : QDialog(parent),
      storedName_(storedName),
      shownName_(FromStored(storedName)),
      storedIcon_(icon),
      name_(new QLineEdit(shownName_, this)),
      bold_(new QCheckBox(QStringLiteral("Bold"), this)),
      template_(new QComboBox(this)),
      icons_(new QListWidget(this)) {
    name_->setObjectName(QStringLiteral("name"));
    bold_->setChecked(bold);
    names_ = ListTemplates();
    for (const std::string& n : names_) template_->addItem(FromStored(n));
    template_->setCurrentIndex(TemplateListIndex(names_, templateName, fallback));
    icons_->setViewMode(QListView::ListMode);
    icons_->setFlow(QListView::LeftToRight);
    icons_->setWrapping(true);
    icons_->setGridSize(QSize(44, 22));
    icons_->setMinimumSize(400, 160);
    const std::vector<QPixmap>& pictures = NoteIcons();
    for (std::size_t i = 0; i < pictures.size(); ++i)
        icons_->addItem(new QListWidgetItem(QIcon(pictures[i]), QString::number(i + 1)));
    if (icon >= 0 && icon < icons_->count()) icons_->setCurrentRow(icon);

    auto* buttons = new QHBoxLayout;
    AddOkCancelRow(this, buttons);
    auto* form = new QFormLayout(this);
    form->addRow(name_);
    form->addRow(bold_);
    form->addRow(QStringLiteral("Template:"), template_);
    form->addRow(QStringLiteral("Icon"), icons_);
    form->addRow(buttons);
    const auto renew = [this] {
        setWindowTitle(QStringLiteral("Editing '") + name_->text() + QStringLiteral("' note..."));
    };
    connect(name_, &QLineEdit::textChanged, this, renew);
    renew();
}

QString CNoteDialog::name() const { return name_->text(); }
std::string CNoteDialog::storedName() const {
    return StoredAfterEdit(name_->text(), shownName_, storedName_);
}
bool CNoteDialog::bold() const { return bold_->isChecked(); }
int CNoteDialog::icon() const {
    const int row = icons_->currentRow();
    return row >= 0 ? row : storedIcon_;
}
std::string CNoteDialog::templateName() const {
    const int i = template_->currentIndex();
    return i < 0 || i >= static_cast<int>(names_.size()) ? std::string()
                                                         : names_[static_cast<std::size_t>(i)];
}

}  // namespace veltrin
