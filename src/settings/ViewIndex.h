#pragma once

#include <cstdint>

namespace veltrin {

// The five views of the main window, as `currentView` stores them and as the
// window's buttons run from the left.
enum ViewIndex : std::int32_t {
    kTodayView = 0,
    kDiaryView = 1,
    kNotesView = 2,
    kEventsView = 3,
    kContactsView = 4,
};
inline constexpr int kViewCount = 5;

inline bool IsViewIndex(std::int32_t v) { return v >= kTodayView && v < kViewCount; }

}  // namespace veltrin
