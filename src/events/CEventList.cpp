#include "events/CEventList.h"

#include "controls/QtThemeIcons.h"
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

EventTickContext CEventList::tickContext(bool showSeconds, ReminderDispatcher* dispatcher, int icon) const {
    EventTickContext context;
    context.styles = styles_;
    context.showSeconds = showSeconds;
    context.dispatcher = dispatcher;
    context.icon = icon;
    return context;
}

void CEventList::tick(bool showSeconds, ReminderDispatcher* dispatcher, int icon) {
    TickEventList(model(), tickContext(showSeconds, dispatcher, icon));
}

}  // namespace veltrin
