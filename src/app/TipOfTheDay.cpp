#include "app/TipOfTheDay.h"

namespace veltrin {

const std::array<const char*, kTipCount>& Tips() {
    static constexpr std::array<const char*, kTipCount> tips{
        "To display a list of records in Notes, use the 'Notes' button.",
        "Use the 'Font color' and 'Background color' buttons to set a document color (when the cursor is "
        "placed on the documents tree or the list of records).",
        "You can subscribe for the email notification concerning new versions of the program using the "
        "'Help/Information about updates' menu item.",
        "To edit an event in Events view, select it, then click 'Edit' button.",
        "You can considerably optimize the size of images stored in a note document file by inserting them "
        "via the 'Insert a picture' button instead of pasting them from the clipboard.",
        "To add diary note, click on calendar in the 'Diary' view to create a new diary document.",
        "To edit a selected contact you can press 'Edit' button.",
        "To change program settings click 'Options' button.",
        "You can paste contents of the clipboard into a note in various ways using the 'Paste' button.",
        "To change color settings click 'Options' button.",
        "If you want to save your Diary Book Page text, click 'Save as...' button.",
        "To customize columns in 'Contacts' view you can press 'Customize header' when 'Contacts' view is "
        "available.",
        "To print a selected note or diary document you can press 'Print' button.",
        "If you want to change your font and color settings click on 'Options' button.",
    };
    return tips;
}

namespace {
int Wrap(int index) { return ((index % kTipCount) + kTipCount) % kTipCount; }
}  // namespace

int NextTip(int index) { return Wrap(Wrap(index) + 1); }
int PreviousTip(int index) { return Wrap(Wrap(index) - 1); }
int FirstTip(unsigned random) { return NextTip(static_cast<int>(random % kTipCount)); }

}  // namespace veltrin
