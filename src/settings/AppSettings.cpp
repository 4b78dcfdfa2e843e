#include "settings/AppSettings.h"

#include "platform/ModuleFolder.h"
#include "platform/Platform.h"
#include "storage/DataFile.h"

namespace veltrin {

void ApplySettingsDefaults(AppSettings& s) {
    s = AppSettings();
    s.contactColumns = DefaultContactColumns();
    s.reservedTime = static_cast<std::int32_t>(clock().now());
    SharedVersion() = kDefaultVersionBits;
}

void AppSettings::Transfer(Archive& ar) {
    ar.colour(skinColour);
    ar.colour(buttonColour);
    ar.countedString(defaultDiaryTemplate);
    ar.countedString(defaultNoteTemplate);
    ar.colour(priorityColour);
    ar.colour(toolbarColour);
    ar.countedString(buttonFontFace);
    ar.int32(buttonFontSize);
    ar.int32(buttonFontBold);
    ar.int32(buttonFontItalic);
    ar.int32(buttonFontUnderline);
    ar.colour(buttonTextColour);
    ar.countedString(dayInfoFontFace);
    ar.int32(dayInfoFontSize);
    ar.int32(dayInfoFontBold);
    ar.int32(dayInfoFontItalic);
    ar.int32(dayInfoFontUnderline);
    ar.colour(dayInfoTextColour);
    ar.countedString(headerFontFace);
    ar.int32(headerFontSize);
    ar.int32(headerFontBold);
    ar.int32(headerFontItalic);
    ar.int32(headerFontUnderline);
    ar.colour(headerTextColour);
    ar.colour(headerGradient1);
    ar.colour(headerGradient2);
    ar.colour(listBackColour);
    ar.colour(listTextColour);
    ar.colour(listSelBackColour);
    ar.colour(listSelTextColour);
    ar.colour(clockBackColour);
    ar.colour(clockDigitColour);
    ar.int32(comingEventsPeriod);
    ar.int32(runOnStartup);
    ar.int32(minimizeOnAutorun);
    ar.int32(showSeconds);
    ar.int32(minimizeToTray);
    ar.int32(minimizeOnClose);
    ar.int32(askOnExit);
    ar.int32(showTipsAtStartup);
    ar.int32(currentView);
    ar.int32(townIndex);
    ar.time32(reservedTime);
    ar.int32(reservedNumber);
    ar.countedString(reservedText);
    for (ContactColumn& c : contactColumns) {
        ar.countedString(c.name);
        ar.int32(c.width);
        ar.int32(c.shown);
    }
}

namespace {

std::string executableBaseName() {
    std::string name = ExecutablePath();
    const std::size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
    return name;
}

}  // namespace

bool SerializeSettings(AppSettings& s, bool storing) {
    if (!storing) ApplySettingsDefaults(s);

    // When loading this uses the default (on), so every start writes the
    // entry until the next store writes the stored choice.
    if (autostart().write(ExecutablePath(), s.runOnStartup != 0) == Autostart::Result::WriteFailed)
        messages().show("Error to write the Registry!", executableBaseName(), Messages::Icon::Exclamation,
                        Messages::Buttons::Ok);

    return SerializeDataFile(storing, kSettingsFile, [&s](Archive& ar) { s.Transfer(ar); });
}

}  // namespace veltrin
