#pragma once

#include <QFont>
#include <QImage>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "controls/CViewBase.h"
#include "events/EventList.h"
#include "events/EventTrees.h"
#include "today/CityTable.h"
#include "tree/GroupTreeModel.h"

class QCalendarWidget;
class QLabel;
class QPushButton;
class QTimer;

namespace veltrin {

struct AppSettings;
class CEventList;
class CPopupMenu;
class CSkinButton;
class QtReminderWindows;

// The Today view of the main window: a month calendar, the town's day panel
// and the events coming in the chosen period around the selected date.
class CTodayView : public CViewBase, private GroupTreeListener {
    Q_OBJECT
public:
    static constexpr int kPeriodCommandBase = 100;  // 100 Day .. 103 Year
    static constexpr int kTickTimerId = 290;

    CTodayView(EventStore& store, AppSettings& settings, QWidget* parent = nullptr);
    ~CTodayView() override;

    // SaveAll's view of the coming-events list (todayList only); the view
    // first takes any edit in progress into its rows.
    EventViews saveState();
    // Whether the coming-events list holds rows, and handing them back.
    bool holdsListRows() const;
    void commitList();
    // A new tick period: restarts the tick and ticks once at once; 0 stops it.
    void setTickPeriod(int tickMs);
    void setDayInfoFont(const QFont& font, const QColor& colour);

    void viewShown(int tickMs) override;
    void viewHidden() override;
    void setListColours(const ListColours& colours) override;
    void setButtonTextColour(const QColor& colour) override;
    void setCommandFaces(const FacePixmaps& faces) override;

    // Hands the rows back, sets comingEventsPeriod and fills again.
    void SelectPeriod(int period);
    void FillComingEvents();
    void ReturnComingEvents(bool deleteRows);
    void RefreshRows();
    void DrawDayPanel();
    // Menu commands: 100 to 103 the periods, 200 and up the towns.
    void OnCommand(int command);

    std::unique_ptr<CPopupMenu> MakeTownMenu();
    std::unique_ptr<CPopupMenu> MakePeriodMenu();

    QCalendarWidget* calendar() const { return calendar_; }
    QLabel* dateLabel() const { return dateLabel_; }
    QPushButton* townButton() const { return townButton_; }
    CSkinButton* periodButton(int period) const { return periods_[static_cast<std::size_t>(period)]; }
    CEventList* list() const { return list_; }
    QTimer* tickTimer() const { return tick_; }
    // The panel's picture as the next paint shows it.
    const QImage& dayPanel() {
        if (panelStale_) renderDayPanel();
        return panel_;
    }
    const std::vector<std::string>& dayPanelLines() const { return panelLines_; }

signals:
    // Events were listed or checked: their reminders may be due at another
    // time now.
    void eventsChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    unsigned OnTreeNotify(const TreeNotification& n) override;
    void onDateSelected();
    void onTick();
    void showTownMenu();
    void showPeriodMenu(const QPoint& viewportPos);
    void checkPeriodButton();
    void layOut();
    // Paints the panel's lines into its picture, on the view's background.
    void renderDayPanel();
    EventTickContext tickContext() const;
    int top() const;

    EventStore& store_;
    AppSettings& settings_;
    CityTable cities_;
    QImage headerPicture_;
    bool headerDecoded_ = false;
    QImage panel_;
    // The lines changed since the picture was painted: it is painted again
    // with the view's next paint, so a view never on screen holds none.
    bool panelStale_ = true;
    // Shown in a window not yet on screen (a start into the tray): the rows
    // are made when it shows. Until then the events stay in the store, where
    // the reminders find them as well.
    bool fillOnShow_ = false;
    QColor panelBack_;
    std::vector<std::string> panelLines_;
    QFont dayFont_;
    QColor dayColour_ = Qt::black;
    QCalendarWidget* calendar_;
    QLabel* dateLabel_;
    QPushButton* townButton_;
    std::array<CSkinButton*, 4> periods_{};
    CEventList* list_;
    QTimer* tick_;
    int calRight_ = 0, calBottom_ = 0;  // in the view's coordinates, below the caption strip
};

}  // namespace veltrin
