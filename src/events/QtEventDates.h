#pragma once

#include <QDate>

#include "events/EventEditor.h"

namespace veltrin {

inline QDate ToQDate(const DateTime& d) { return QDate(static_cast<int>(d.year), d.month, d.day); }

// Holds a date box or a calendar to the days a stored 32-bit time can name,
// so no picked day wraps into another century.
template <class Picker>
void BoundToEventDates(Picker* picker) {
    picker->setDateRange(ToQDate(FirstEventDate()), ToQDate(LastEventDate()));
}

}  // namespace veltrin
