#include "app/COptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "controls/CColourPicker.h"
#include "controls/CHeaderStrip.h"
#include "controls/CNamedColourList.h"
#include "controls/CPictureButton.h"
#include "controls/QtThemeIcons.h"
#include "documents/Templates.h"
#include "imaging/QtPicture.h"
#include "platform/Platform.h"
#include "settings/QtSettingsFont.h"
#include "storage/QtStoredText.h"

namespace veltrin {

namespace {

// Entries show the text and carry the stored bytes, so a name read from a
// file goes back byte for byte.
void AddStoredEntries(QComboBox* box, const std::vector<std::string>& entries) {
    for (const std::string& e : entries) box->addItem(FromStored(e), QByteArray::fromStdString(e));
}

std::string StoredEntry(const QComboBox* box) {
    return box->currentIndex() < 0 ? std::string() : box->currentData().toByteArray().toStdString();
}

void SelectStored(QComboBox* box, const std::string& stored) {
    box->setCurrentIndex(box->findData(QByteArray::fromStdString(stored)));
}

QCheckBox* StyledCheck(const QString& text, const QString& name, void (QFont::*style)(bool)) {
    auto* box = new QCheckBox(text);
    box->setObjectName(name);
    QFont f = box->font();
    (f.*style)(true);
    box->setFont(f);
    return box;
}

CColourPicker* makePicker(const QString& name, Colour colour, Colour automatic, const QString& caption = {}) {
    auto* picker = new CColourPicker(nullptr, caption);
    picker->setObjectName(name);
    picker->setColour(colour);
    picker->setAutomaticColour(automatic);
    return picker;
}

}  // namespace

COptionsDialog::COptionsDialog(const AppSettings& settings, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Options"));
    const AppSettings defaults;
    const std::vector<std::string> templates = ListTemplates();
    const OptionsControls start = OptionsControlsFrom(settings, templates);

    auto* page = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    page->addLayout(columns);

    // Skin, templates and the two single colours.
    auto* left = new QGridLayout;
    auto label = [](const QString& text) { return new QLabel(text); };
    skinColour_ = new CNamedColourList;
    skinColour_->setObjectName(QStringLiteral("skinColour"));
    skinColour_->setCurrentIndex(start.skinColourIndex);
    buttonColour_ = new CNamedColourList;
    buttonColour_->setObjectName(QStringLiteral("buttonColour"));
    buttonColour_->setCurrentIndex(start.buttonColourIndex);
    left->addWidget(label(QStringLiteral("Skin colour:")), 0, 0);
    left->addWidget(skinColour_, 0, 1);
    left->addWidget(label(QStringLiteral("Button colour:")), 1, 0);
    left->addWidget(buttonColour_, 1, 1);
    diaryTemplate_ = new QComboBox;
    diaryTemplate_->setObjectName(QStringLiteral("defaultDiaryTemplate"));
    noteTemplate_ = new QComboBox;
    noteTemplate_->setObjectName(QStringLiteral("defaultNoteTemplate"));
    for (QComboBox* box : {diaryTemplate_, noteTemplate_}) AddStoredEntries(box, templates);
    SelectStored(diaryTemplate_, start.diaryTemplate);
    SelectStored(noteTemplate_, start.noteTemplate);
    left->addWidget(label(QStringLiteral("Default diary template:")), 2, 0);
    left->addWidget(diaryTemplate_, 2, 1);
    left->addWidget(label(QStringLiteral("Default note template:")), 3, 0);
    left->addWidget(noteTemplate_, 3, 1);
    priority_ = addPicker(left, 4, QStringLiteral("Priority color:"), "priorityColour", start.priority,
                          defaults.priorityColour);
    toolbar_ = addPicker(left, 5, QStringLiteral("Toolbar color:"), "toolbarColour", start.toolbar,
                         defaults.toolbarColour);
    auto* leftColumn = new QVBoxLayout;
    leftColumn->addLayout(left);
    columns->addLayout(leftColumn);

    // The three fonts, the header gradient and its preview.
    auto* fonts = new QGridLayout;
    std::vector<std::string> installed;
    for (const QString& family : QFontDatabase::families()) installed.push_back(ToStored(family));
    buttonFont_ = addFontRow(fonts, 0, QStringLiteral("Button font:"), "buttonFont", start.buttonFont,
                             defaults.buttonTextColour, installed);
    dayInfoFont_ = addFontRow(fonts, 2, QStringLiteral("Day Info font:"), "dayInfoFont", start.dayInfoFont,
                              defaults.dayInfoTextColour, installed);
    headerFont_ = addFontRow(fonts, 4, QStringLiteral("Header font:"), "headerFont", start.headerFont,
                             defaults.headerTextColour, installed);
    fonts->addWidget(label(QStringLiteral("Header gradient color:")), 6, 0, 1, 2);
    auto* gradients = new QHBoxLayout;
    gradient1_ = makePicker(QStringLiteral("headerGradient1"), start.headerGradient1,
                            defaults.headerGradient1, QStringLiteral("Gradient 1"));
    gradient2_ = makePicker(QStringLiteral("headerGradient2"), start.headerGradient2,
                            defaults.headerGradient2, QStringLiteral("Gradient 2"));
    gradients->addWidget(gradient1_);
    gradients->addWidget(gradient2_);
    gradients->addStretch();
    fonts->addLayout(gradients, 7, 0, 1, 5);
    preview_ = new CHeaderStrip(QStringLiteral("Sample text"));
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setMinimumHeight(40);
    fonts->addWidget(preview_, 8, 0, 1, 5);
    auto* fontColumn = new QVBoxLayout;
    fontColumn->addLayout(fonts);
    columns->addLayout(fontColumn, 1);

    // List and clock colours under the others, the start-up and exit
    // behaviour under the fonts: the dialog fits a small screen.
    auto* colours = new QGridLayout;
    listBack_ = addPicker(colours, 0, QStringLiteral("List background color:"), "listBackColour",
                          start.listBack, defaults.listBackColour);
    listText_ = addPicker(colours, 1, QStringLiteral("List text color:"), "listTextColour", start.listText,
                          defaults.listTextColour);
    listSelBack_ = addPicker(colours, 2, QStringLiteral("List selected background color:"),
                             "listSelBackColour", start.listSelBack, defaults.listSelBackColour);
    listSelText_ = addPicker(colours, 3, QStringLiteral("List selected text color:"), "listSelTextColour",
                             start.listSelText, defaults.listSelTextColour);
    clockBack_ = addPicker(colours, 4, QStringLiteral("Clock background color:"), "clockBackColour",
                           start.clockBack, defaults.clockBackColour);
    clockDigit_ = addPicker(colours, 5, QStringLiteral("Clock digital color:"), "clockDigitColour",
                            start.clockDigit, defaults.clockDigitColour);
    leftColumn->addLayout(colours);
    leftColumn->addStretch();
    auto* general = new QGroupBox(QStringLiteral("General"));
    auto* checks = new QVBoxLayout(general);
    auto check = [checks](const QString& text, const char* name, bool on) {
        auto* box = new QCheckBox(text);
        box->setObjectName(QLatin1String(name));
        box->setChecked(on);
        checks->addWidget(box);
        return box;
    };
    // The login entry of the desktop, not of any one system.
    runOnStartup_ = check(QStringLiteral("Run on startup"), "runOnStartup", start.runOnStartup);
    minimizeOnAutorun_ =
        check(QStringLiteral("Minimize on autorun startup"), "minimizeOnAutorun", start.minimizeOnAutorun);
    showSeconds_ = check(QStringLiteral("Show seconds"), "showSeconds", start.showSeconds);
    minimizeToTray_ =
        check(QStringLiteral("Minimize to System Tray"), "minimizeToTray", start.minimizeToTray);
    minimizeOnClose_ = check(QStringLiteral("Minimize on Close"), "minimizeOnClose", start.minimizeOnClose);
    askOnExit_ = check(QStringLiteral("Ask on Exit"), "askOnExit", start.askOnExit);
    fontColumn->addWidget(general);
    fontColumn->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new CPictureButton(QDialog::Accepted, OkIcon(), QStringLiteral("&OK"), this, true);
    auto* cancel =
        new CPictureButton(QDialog::Rejected, NumberedIcon(300), QStringLiteral("&Cancel"), this, true);
    auto* help = new CPictureButton(9, NumberedIcon(274), QStringLiteral("&Help"), this, true);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    help->setObjectName(QStringLiteral("help"));
    connect(ok, &CPictureButton::clicked, this, &COptionsDialog::accept);
    connect(cancel, &CPictureButton::clicked, this, &COptionsDialog::reject);
    connect(help, &CPictureButton::clicked, this, [] { veltrin::help().showTopic(kHelpTopic); });
    for (CPictureButton* b : {ok, cancel, help}) {
        b->setMinimumWidth(90);
        buttons->addWidget(b);
    }
    page->addLayout(buttons);

    // The preview follows the header face, size and styles and every colour.
    connect(headerFont_.face, &QComboBox::currentIndexChanged, this, &COptionsDialog::refreshPreview);
    connect(headerFont_.size, &QComboBox::currentTextChanged, this, &COptionsDialog::refreshPreview);
    for (QCheckBox* box : {headerFont_.bold, headerFont_.italic, headerFont_.underline})
        connect(box, &QCheckBox::toggled, this, &COptionsDialog::refreshPreview);
    for (CColourPicker* picker : findChildren<CColourPicker*>())
        connect(picker, &CColourPicker::colourChanged, this, &COptionsDialog::refreshPreview);
    refreshPreview();
    skinColour_->setFocus();
}

CColourPicker* COptionsDialog::addPicker(QGridLayout* grid, int row, const QString& label, const char* name,
                                         Colour colour, Colour automatic) {
    CColourPicker* picker = makePicker(QLatin1String(name), colour, automatic);
    picker->setMinimumWidth(48);
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(picker, row, 1);
    return picker;
}

COptionsDialog::FontRow COptionsDialog::addFontRow(QGridLayout* grid, int row, const QString& label,
                                                   const char* name, const FontControls& font,
                                                   Colour automatic,
                                                   const std::vector<std::string>& installed) {
    const QString prefix = QLatin1String(name);
    FontRow r;
    r.face = new QComboBox;
    r.face->setObjectName(prefix + QStringLiteral("Face"));
    AddStoredEntries(r.face, FontFaceEntries(installed, font.face));
    SelectStored(r.face, font.face);
    r.face->setMinimumContentsLength(14);
    r.face->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    r.size = new QComboBox;
    r.size->setObjectName(prefix + QStringLiteral("Size"));
    r.size->setEditable(true);
    r.size->setInsertPolicy(QComboBox::NoInsert);
    for (std::int32_t s : kFontSizeEntries) r.size->addItem(QString::number(s));
    const int listed = r.size->findText(QString::fromStdString(font.sizeText));
    r.size->setCurrentIndex(listed);
    if (listed < 0) r.size->setEditText(QString::fromStdString(font.sizeText));
    r.size->setMinimumContentsLength(3);

    r.bold = StyledCheck(QStringLiteral("Bold"), prefix + QStringLiteral("Bold"), &QFont::setBold);
    r.italic = StyledCheck(QStringLiteral("Italic"), prefix + QStringLiteral("Italic"), &QFont::setItalic);
    r.underline =
        StyledCheck(QStringLiteral("Underline"), prefix + QStringLiteral("Underline"), &QFont::setUnderline);
    r.bold->setChecked(font.bold);
    r.italic->setChecked(font.italic);
    r.underline->setChecked(font.underline);

    r.text = makePicker(prefix + QStringLiteral("Text"), font.text, automatic);
    r.text->setMinimumWidth(48);

    grid->addWidget(new QLabel(label), row, 0, 1, 2);
    grid->addWidget(r.face, row + 1, 0);
    grid->addWidget(r.size, row + 1, 1);
    auto* styles = new QHBoxLayout;
    styles->addWidget(r.bold);
    styles->addWidget(r.italic);
    styles->addWidget(r.underline);
    grid->addLayout(styles, row + 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Text color:")), row + 1, 3);
    grid->addWidget(r.text, row + 1, 4);
    return r;
}

FontControls COptionsDialog::fontOf(const FontRow& r) const {
    return {StoredEntry(r.face),   ToStored(r.size->currentText()), r.bold->isChecked(),
            r.italic->isChecked(), r.underline->isChecked(),        r.text->colour()};
}

OptionsControls COptionsDialog::controls() const {
    OptionsControls c;
    c.skinColourIndex = skinColour_->currentIndex();
    c.buttonColourIndex = buttonColour_->currentIndex();
    c.diaryTemplate = StoredEntry(diaryTemplate_);
    c.noteTemplate = StoredEntry(noteTemplate_);
    c.priority = priority_->colour();
    c.toolbar = toolbar_->colour();
    c.buttonFont = fontOf(buttonFont_);
    c.dayInfoFont = fontOf(dayInfoFont_);
    c.headerFont = fontOf(headerFont_);
    c.headerGradient1 = gradient1_->colour();
    c.headerGradient2 = gradient2_->colour();
    c.listBack = listBack_->colour();
    c.listText = listText_->colour();
    c.listSelBack = listSelBack_->colour();
    c.listSelText = listSelText_->colour();
    c.clockBack = clockBack_->colour();
    c.clockDigit = clockDigit_->colour();
    c.runOnStartup = runOnStartup_->isChecked();
    c.minimizeOnAutorun = minimizeOnAutorun_->isChecked();
    c.showSeconds = showSeconds_->isChecked();
    c.minimizeToTray = minimizeToTray_->isChecked();
    c.minimizeOnClose = minimizeOnClose_->isChecked();
    c.askOnExit = askOnExit_->isChecked();
    return c;
}

void COptionsDialog::refreshPreview() {
    const FontControls f = fontOf(headerFont_);
    preview_->setFont(QtFontFromSetting({f.face, ParseSizeText(f.sizeText), f.bold, f.italic, f.underline}));
    preview_->setTextColour(QColorFromColour(f.text));
    preview_->setGradient(QColorFromColour(gradient1_->colour()), QColorFromColour(gradient2_->colour()));
}

void COptionsDialog::accept() {
    chosen_ = controls();
    QDialog::accept();
}

}  // namespace veltrin
