#include "today/CTodayView.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "base/LocalTime.h"
#include "controls/CHeaderStrip.h"
#include "controls/CPopupMenu.h"
#include "controls/CSkinButton.h"
#include "controls/QtSkinPainting.h"
#include "controls/QtThemeIcons.h"
#include "events/CEventList.h"
#include "imaging/QtPicture.h"
#include "imaging/QtSkinResources.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"
#include "storage/QtStoredText.h"
#include "today/ComingEvents.h"
#include "today/DayPanel.h"
#include "today/TownMenu.h"

namespace veltrin {

namespace {

constexpr const char* kPeriodNames[] = {"Day", "Week", "Month", "Year"};
constexpr int kPeriodButtonWidth = 100;
constexpr int kPeriodButtonHeight = 30;
constexpr int kMargin = kSkinFrameWidth;

QString DateLabelText(const QDate& d) {
    const DateTime t{d.year(), d.month(), d.day()};
    return QString::fromStdString(FormatDateTime(t, "%B %d, %Y"));
}

CivilDate ToCivil(const QDate& d) { return CivilDate{d.year(), d.month(), d.day()}; }

}  // namespace

CTodayView::CTodayView(EventStore& store, AppSettings& settings, QWidget* parent)
    : CViewBase(QStringLiteral("Today"), parent), store_(store), settings_(settings) {
    setObjectName(QStringLiteral("CTodayView"));

    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("calendar"));
    // English names and Monday weeks, as the date texts and the Week period have them.
    calendar_->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    calendar_->setFirstDayOfWeek(Qt::Monday);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setGridVisible(true);
    // Today by the program's clock, which is the one the list's filter reads.
    const DateTime today = BreakDownLocal(clock().now());
    calendar_->setSelectedDate(QDate(static_cast<int>(today.year), today.month, today.day));
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &CTodayView::onDateSelected);

    dateLabel_ = new QLabel(QStringLiteral("Today"), this);
    dateLabel_->setObjectName(QStringLiteral("dateLabel"));
    dateLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    dateLabel_->setIndent(kMargin);
    dateLabel_->setAutoFillBackground(true);
    followPanelColour(dateLabel_);

    townButton_ = new QPushButton(QStringLiteral("Choose Country and Town"), this);
    townButton_->setObjectName(QStringLiteral("townButton"));
    connect(townButton_, &QPushButton::clicked, this, &CTodayView::showTownMenu);

    // A group of their own: otherwise the main window's view buttons, which
    // are exclusive among their window's buttons, would count these too.
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int p = kPeriodDay; p <= kPeriodYear; ++p) {
        auto* b = new CSkinButton(QString::fromLatin1(kPeriodNames[p]), this, CSkinButton::Kind::Radio);
        b->setObjectName(QString::fromLatin1(kPeriodNames[p]));
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QAbstractButton::clicked, this, [this, p] { SelectPeriod(p); });
        group->addButton(b, p);
        periods_[static_cast<std::size_t>(p)] = b;
    }

    list_ = new CEventList(this);
    list_->setObjectName(QStringLiteral("comingEvents"));
    list_->model().SetControlId(1088);
    list_->SetListener(this);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &CTodayView::showPeriodMenu);

    tick_ = new QTimer(this);
    tick_->setObjectName(QStringLiteral("tick"));
    connect(tick_, &QTimer::timeout, this, &CTodayView::onTick);

    dayFont_.setPixelSize(DayPanelLineStep(settings_.dayInfoFontSize));
    dateLabel_->setText(DateLabelText(calendar_->selectedDate()));
    cities_ = BuiltInCityTable();
    layOut();
}

CTodayView::~CTodayView() { list_->SetListener(nullptr); }

EventViews CTodayView::saveState() {
    list_->TakeEdit();
    EventViews views;
    views.todayList = &list_->model();
    return views;
}

bool CTodayView::holdsListRows() const { return list_->model().GetChildCount(kRootNode) > 0; }

void CTodayView::commitList() {
    list_->FinishEdit();
    ReturnComingEvents(true);
}

void CTodayView::setTickPeriod(int tickMs) {
    if (tickMs <= 0) {
        tick_->stop();
        return;
    }
    // Seconds shown or not: the countdowns change their width.
    list_->fitColumns(list_->width(), settings_.showSeconds != 0);
    tick_->start(tickMs);
    onTick();
}

void CTodayView::setDayInfoFont(const QFont& font, const QColor& colour) {
    dayFont_ = font;
    dayColour_ = colour;
    DrawDayPanel();
}

void CTodayView::viewShown(int tickMs) {
    setUpdatesEnabled(false);
    checkPeriodButton();
    list_->fitColumns(list_->width(), settings_.showSeconds != 0);
    ReturnComingEvents(true);
    if (window()->isVisible())
        FillComingEvents();
    else
        fillOnShow_ = true;
    if (tickMs > 0) tick_->start(tickMs);
    DrawDayPanel();
    setUpdatesEnabled(true);
}

void CTodayView::showEvent(QShowEvent* event) {
    CViewBase::showEvent(event);
    if (fillOnShow_) FillComingEvents();
}

void CTodayView::viewHidden() { tick_->stop(); }

void CTodayView::setListColours(const ListColours& colours) { list_->setListColours(colours); }

void CTodayView::setButtonTextColour(const QColor& colour) {
    for (CSkinButton* b : periods_) b->setTextColour(colour);
}

void CTodayView::setCommandFaces(const FacePixmaps& faces) {
    AssignRowFaces({periods_.begin(), periods_.end()}, faces);
}

void CTodayView::checkPeriodButton() {
    settings_.comingEventsPeriod = ValidComingEventsPeriod(settings_.comingEventsPeriod);
    periodButton(settings_.comingEventsPeriod)->setChecked(true);
}

void CTodayView::SelectPeriod(int period) {
    setUpdatesEnabled(false);
    list_->FinishEdit();
    ReturnComingEvents(true);
    settings_.comingEventsPeriod = ValidComingEventsPeriod(period);
    checkPeriodButton();
    FillComingEvents();
    setUpdatesEnabled(true);
}

EventTickContext CTodayView::tickContext() const { return list_->tickContext(settings_.showSeconds != 0); }

void CTodayView::FillComingEvents() {
    fillOnShow_ = false;
    FillAndUpdateComingEvents(store_, list_->model(), ToCivil(calendar_->selectedDate()),
                              ValidComingEventsPeriod(settings_.comingEventsPeriod), tickContext(),
                              clock().now());
    emit eventsChanged();
}

void CTodayView::ReturnComingEvents(bool deleteRows) {
    veltrin::ReturnComingEvents(store_, list_->model(), deleteRows);
}

void CTodayView::RefreshRows() { TickEventList(list_->model(), tickContext()); }

void CTodayView::onTick() {
    RefreshRows();
    DrawDayPanel();
}

void CTodayView::onDateSelected() {
    setUpdatesEnabled(false);
    dateLabel_->setText(DateLabelText(calendar_->selectedDate()));
    list_->FinishEdit();
    ReturnComingEvents(true);
    FillComingEvents();
    setUpdatesEnabled(true);
}

void CTodayView::DrawDayPanel() {
    const CityInfo& town = cities_.at(CurrentTownIndex(settings_.townIndex, cities_));
    panelLines_ = DayPanelLines(town, clock().now(), settings_.showSeconds != 0);
    panelStale_ = true;
    update();
}

void CTodayView::renderDayPanel() {
    const int step = DayPanelLineStep(settings_.dayInfoFontSize);
    panelBack_ = panelColour();
    panelStale_ = false;
    // Painted after each change of its lines (each tick while shown): the
    // picture is made anew only when its size changes.
    const QSize size(std::max(1, calendar_->width() - kMargin), kDayPanelHeight);
    if (panel_.size() != size) panel_ = QImage(size, QImage::Format_RGB32);
    panel_.fill(panelBack_);
    QPainter p(&panel_);
    QFont font = dayFont_;
    font.setPixelSize(step);
    p.setFont(font);
    // A skin made dark keeps the chosen colour readable.
    p.setPen(ReadableTextOn(dayColour_, panelBack_));
    const int ascent = QFontMetrics(font).ascent();
    for (int n = 0; n < static_cast<int>(panelLines_.size()) && n * step < kDayPanelHeight; ++n)
        if (!panelLines_[static_cast<std::size_t>(n)].empty())
            p.drawText(kDayPanelLeft, n * step + ascent,
                       FromStored(panelLines_[static_cast<std::size_t>(n)]));
}

void CTodayView::OnCommand(int command) {
    if (command >= kPeriodCommandBase && command <= kPeriodCommandBase + kPeriodYear) {
        SelectPeriod(command - kPeriodCommandBase);
        return;
    }
    if (const std::optional<int> town = TownFromCommand(command, cities_)) {
        settings_.townIndex = *town;
        DrawDayPanel();
        repaint();
    }
}

std::unique_ptr<CPopupMenu> CTodayView::MakeTownMenu() {
    auto menu = std::make_unique<CPopupMenu>(this);
    for (const TownMenuGroup& group :
         BuildTownMenu(cities_, CurrentTownIndex(settings_.townIndex, cities_))) {
        CPopupMenu* sub = menu->addSubmenu(FromStored(group.country));
        for (const TownMenuItem& item : group.items)
            sub->addCommand(item.commandId, FromStored(item.town), {}, item.checked);
        if (group.separatorAfter) menu->addSeparator();
    }
    return menu;
}

std::unique_ptr<CPopupMenu> CTodayView::MakePeriodMenu() {
    auto menu = std::make_unique<CPopupMenu>(this);
    for (int p = kPeriodDay; p <= kPeriodYear; ++p)
        menu->addCommand(kPeriodCommandBase + p, QString::fromLatin1(kPeriodNames[p]), NumberedIcon(253));
    return menu;
}

void CTodayView::showTownMenu() {
    const std::unique_ptr<CPopupMenu> menu = MakeTownMenu();
    OnCommand(menu->execUnder(townButton_));
}

void CTodayView::showPeriodMenu(const QPoint& viewportPos) {
    if (!list_->hasFocus()) return;
    const std::unique_ptr<CPopupMenu> menu = MakePeriodMenu();
    OnCommand(menu->execAt(list_->viewport()->mapToGlobal(viewportPos)));
}

unsigned CTodayView::OnTreeNotify(const TreeNotification& n) {
    unsigned answer = 0;
    if (HandleEventListNotify(list_->model(), n, tickContext(), &answer)) emit eventsChanged();
    return answer;
}

int CTodayView::top() const { return header()->geometry().bottom() + 1; }

void CTodayView::layOut() {
    const QSize cal = calendar_->minimumSizeHint();
    const int y0 = top();
    const int r = width(), b = height();
    calRight_ = cal.width() + kMargin;
    calBottom_ = y0 + cal.height() + kMargin;
    // A window too small for the parts gives them no room rather than negative sizes.
    const auto clamp = [](int v) { return std::max(0, v); };
    calendar_->setGeometry(kMargin, y0 + kMargin, cal.width(), cal.height());
    const int rightWidth = clamp(r - kMargin - calRight_);
    dateLabel_->setGeometry(calRight_, y0 + kMargin, rightWidth, 30);
    list_->fitColumns(rightWidth, settings_.showSeconds != 0);
    list_->setGeometry(calRight_, calBottom_, rightWidth, clamp(b - kMargin - calBottom_));
    townButton_->setGeometry(kMargin, calBottom_ + kMargin, clamp(calRight_ - 2 * kMargin), 20);
    for (int p = kPeriodDay; p <= kPeriodYear; ++p)
        periodButton(p)->setGeometry(calRight_ + p * kPeriodButtonWidth, calBottom_ - kPeriodButtonHeight,
                                     kPeriodButtonWidth, kPeriodButtonHeight);
    update();
}

void CTodayView::resizeEvent(QResizeEvent* event) {
    CViewBase::resizeEvent(event);
    layOut();
    if (panel_.width() != std::max(1, calendar_->width() - kMargin)) panelStale_ = true;
}

void CTodayView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), panelColour());
    const int y0 = top();
    const QImage& sk = skin();
    if (!sk.isNull()) {
        // The frame: around the view, under the caption strip, under the
        // calendar and between the left column and the list.
        PaintSkinFrame(p, sk, rect());
        PaintSkinBar(p, sk, QRect(kMargin, y0, std::max(0, width() - 2 * kMargin), kMargin));
        PaintSkinBar(p, sk, QRect(kMargin, calBottom_, std::max(0, calRight_ - 2 * kMargin), kMargin));
        PaintSkinBar(p, sk,
                     QRect(calRight_ - kMargin, calBottom_, kMargin, std::max(0, height() - calBottom_)));
    }
    const QRect label = dateLabel_->geometry();
    const QRect listRect = list_->geometry();
    // Decoded with the first paint: a program that only sits in the tray never draws it.
    if (!headerDecoded_) {
        headerPicture_ =
            ToQImage(LoadResourcePicture(QStringLiteral("IDR_TODAY_HEAD_JPG"), QStringLiteral("JPG")));
        headerDecoded_ = true;
    }
    if (!headerPicture_.isNull())
        TilePicture(
            p, headerPicture_,
            QRect(QPoint(label.left(), label.bottom() + 1), QPoint(listRect.right(), listRect.top() - 1)));
    p.fillRect(QRect(QPoint(kMargin, calBottom_ + kMargin), QPoint(calRight_ - kMargin - 1, calBottom_ + 69)),
               panelColour());
    // New lines, a new size or a new skin colour: the panel follows here.
    if (panelStale_ || panelBack_ != panelColour()) renderDayPanel();
    const int w = std::max(0, calendar_->width() - kMargin);
    const int h = std::max(0, listRect.height() - 40);
    DrawPicture(p, panel_, QPoint(kMargin, calBottom_ + 40),
                QRect(kMargin, calBottom_ + 40, std::min(w, panel_.width()), std::min(h, panel_.height())));
}

}  // namespace veltrin
