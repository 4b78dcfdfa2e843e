#include "app/CTipOfTheDayDialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/TipOfTheDay.h"
#include "controls/QtThemeIcons.h"

namespace veltrin {

CTipOfTheDayDialog::CTipOfTheDayDialog(AppSettings& settings, unsigned random, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(QStringLiteral("Tip of the Day"));
    auto* page = new QVBoxLayout(this);

    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(white);
    auto* panelRow = new QHBoxLayout(panel);
    auto* bulb = new QLabel;
    bulb->setPixmap(ThemeIcon(QStringLiteral("dialog-information")).pixmap(32, 32));
    bulb->setAlignment(Qt::AlignTop);
    panelRow->addWidget(bulb);
    auto* column = new QVBoxLayout;
    auto* heading = new QLabel(QStringLiteral("Did you know..."));
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    heading->setFont(big);
    text_ = new QLabel;
    text_->setObjectName(QStringLiteral("tip"));
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text_->setMinimumSize(360, 90);
    column->addWidget(heading);
    column->addWidget(text_, 1);
    panelRow->addLayout(column, 1);
    page->addWidget(panel, 1);

    auto* row = new QHBoxLayout;
    startUp_ = new QCheckBox(QStringLiteral("&Show Tips on StartUp"));
    startUp_->setChecked(settings_.showTipsAtStartup != 0);
    connect(startUp_, &QCheckBox::toggled, this,
            [this](bool on) { settings_.showTipsAtStartup = on ? 1 : 0; });
    row->addWidget(startUp_);
    row->addStretch();
    auto* previous = new QPushButton(QStringLiteral("&Previous Tip"));
    auto* next = new QPushButton(QStringLiteral("&Next Tip"));
    auto* close = new QPushButton(QStringLiteral("&Close"));
    close->setDefault(true);
    connect(previous, &QPushButton::clicked, this, &CTipOfTheDayDialog::showPrevious);
    connect(next, &QPushButton::clicked, this, &CTipOfTheDayDialog::showNext);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(close);
    page->addLayout(row);

    showTip(FirstTip(random));
}

QString CTipOfTheDayDialog::tipText() const { return text_->text(); }

void CTipOfTheDayDialog::showTip(int index) {
    tip_ = index;
    text_->setText(QString::fromLatin1(Tips()[static_cast<std::size_t>(index)]));
}

void CTipOfTheDayDialog::showNext() { showTip(NextTip(tip_)); }
void CTipOfTheDayDialog::showPrevious() { showTip(PreviousTip(tip_)); }

}  // namespace veltrin
