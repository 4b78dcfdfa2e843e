#include "controls/QtDialogButtons.h"

#include <QBoxLayout>
#include <QDialog>

#include "controls/CPictureButton.h"
#include "controls/QtThemeIcons.h"

namespace veltrin {

void AddOkCancelRow(QDialog* dialog, QBoxLayout* row) {
    auto* ok = new CPictureButton(1, OkIcon(), QStringLiteral("&OK"), dialog, true);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new CPictureButton(2, NumberedIcon(300), QStringLiteral("&Cancel"), dialog, true);
    cancel->setObjectName(QStringLiteral("cancel"));
    QObject::connect(ok, &QAbstractButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QAbstractButton::clicked, dialog, &QDialog::reject);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
}

}  // namespace veltrin
