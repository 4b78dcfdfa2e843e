#include "app/CAboutDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace veltrin {

QString CAboutDialog::versionText() { return QStringLiteral("Version " VELTRIN_VERSION); }

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Veltrin"));
    auto* row = new QHBoxLayout(this);
    auto* icon = new QLabel;
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
    auto* column = new QVBoxLayout;
    auto* name = new QLabel(QStringLiteral("Veltrin"));
    name->setObjectName(QStringLiteral("name"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel(versionText());
    version->setObjectName(QStringLiteral("version"));
    column->addWidget(name);
    column->addWidget(version);
    column->addWidget(new QLabel(QStringLiteral("A personal organiser: diary, notes, events and contacts.")));
    column->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    column->addLayout(buttons);
    row->addLayout(column);
}

}  // namespace veltrin
