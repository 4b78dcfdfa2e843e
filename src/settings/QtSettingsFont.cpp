#include "settings/QtSettingsFont.h"

#include "storage/QtStoredText.h"

namespace veltrin {

QFont QtFontFromSetting(const FontSetting& setting) {
    QFont font(FromStored(setting.face));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(UsableFontPixels(setting.size));
    font.setWeight(setting.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(setting.italic != 0);
    font.setUnderline(setting.underline != 0);
    return font;
}

}  // namespace veltrin
