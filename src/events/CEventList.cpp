#include "events/CEventList.h"

#include "controls/QtThemeIcons.h"
#include "events/Countdown.h"
#include "imaging/QtPicture.h"

namespace veltrin {

CEventList::CEventList(QWidget* parent) : CGroupTree(parent) {
    styles_ = SetUpEventList(model());
    std::vector<QPixmap> icons;
    for (int number : {286, 296, 297, 298}) icons.push_back(NumberedIcon(number).pixmap(16, 16));
    SetImageList(std::move(icons));
}

void CEventList::setListColours(const CViewBase::ListColours& c) {
    const auto colour = [](const QColor& q) { return ColourFromRgb(FromQColor(q)); };
    model().SetColumnColours(kEventTimeColumn, std::nullopt, colour(c.timeColumn));
    model().SetColumnColours(kEventPriorityColumn, std::nullopt, colour(c.priorityColumn));
    ApplyListColours(*this, c.text, c.back, c.selectedText, c.selectedBack);
}

EventColumnNeeds CEventList::columnNeeds(bool showSeconds) const {
    const GroupTreeModel& m = model();
    const unsigned nameFlags = m.GetStyleFlags(styles_.name),
                   priorityFlags = m.GetStyleFlags(styles_.priority);
    std::vector<std::string> priorities;
    for (std::int32_t p = 1; p <= 10; ++p) priorities.push_back(PriorityText(p));
    EventColumnNeeds needs{};
    // A name keeps at least room for as many letters as its heading has.
    needs[kEventNameColumn] =
        WidthToShow(kEventNameColumn, {m.Column(kEventNameColumn)->title}, nameFlags, true);
    needs[kEventTimeColumn] = WidthToShow(kEventTimeColumn, WidestTimeTexts(), 0, true);
    needs[kEventLeftColumn] = WidthToShow(kEventLeftColumn, WidestLeftTexts(showSeconds), 0, true);
    needs[kEventPriorityColumn] = WidthToShow(kEventPriorityColumn, priorities, priorityFlags, true);
    return needs;
}

void CEventList::fitColumns(int listWidth, bool showSeconds) {
    FitEventColumns(model(), listWidth, columnNeeds(showSeconds));
}

EventTickContext CEventList::tickContext(bool showSeconds) const {
    EventTickContext context;
    context.styles = styles_;
    context.showSeconds = showSeconds;
    context.checksDue = false;
    return context;
}

}  // namespace veltrin
