#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/OptionsRules.h"

class QCheckBox;
class QComboBox;
class QGridLayout;

namespace veltrin {

class CColourPicker;
class CHeaderStrip;
class CNamedColourList;

// "Options": fonts, colours, skin tints, default templates and the start-up
// and exit behaviour. It never touches the settings it opens on: OK leaves
// what the controls hold in chosen(), for the caller to apply.
class COptionsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kHelpTopic = "/Working/options.htm";

    explicit COptionsDialog(const AppSettings& settings, QWidget* parent = nullptr);

    // What every control holds now.
    OptionsControls controls() const;
    // What the controls held when OK was pressed.
    const OptionsControls& chosen() const { return chosen_; }

    CHeaderStrip* preview() const { return preview_; }

    void accept() override;

private:
    struct FontRow {
        QComboBox* face = nullptr;
        QComboBox* size = nullptr;
        QCheckBox* bold = nullptr;
        QCheckBox* italic = nullptr;
        QCheckBox* underline = nullptr;
        CColourPicker* text = nullptr;
    };

    CColourPicker* addPicker(QGridLayout* grid, int row, const QString& label, const char* name,
                             Colour colour, Colour automatic);
    FontRow addFontRow(QGridLayout* grid, int row, const QString& label, const char* name,
                       const FontControls& font, Colour automatic, const std::vector<std::string>& installed);
    FontControls fontOf(const FontRow& row) const;
    void refreshPreview();

    CNamedColourList* skinColour_ = nullptr;
    CNamedColourList* buttonColour_ = nullptr;
    QComboBox* diaryTemplate_ = nullptr;
    QComboBox* noteTemplate_ = nullptr;
    CColourPicker *priority_ = nullptr, *toolbar_ = nullptr;
    FontRow buttonFont_, dayInfoFont_, headerFont_;
    CColourPicker *gradient1_ = nullptr, *gradient2_ = nullptr;
    CColourPicker *listBack_ = nullptr, *listText_ = nullptr, *listSelBack_ = nullptr,
                  *listSelText_ = nullptr;
    CColourPicker *clockBack_ = nullptr, *clockDigit_ = nullptr;
    QCheckBox *runOnStartup_ = nullptr, *minimizeOnAutorun_ = nullptr, *showSeconds_ = nullptr;
    QCheckBox *minimizeToTray_ = nullptr, *minimizeOnClose_ = nullptr, *askOnExit_ = nullptr;
    CHeaderStrip* preview_ = nullptr;
    OptionsControls chosen_;
};

}  // namespace veltrin
