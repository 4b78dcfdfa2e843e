// What widget tests measure of a drawn picture.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <string>

#include "base/ColourContrast.h"
#include "controls/CGroupTree.h"
#include "events/EventTrees.h"

namespace veltrin::test {

inline Colour ColourOf(QRgb c) { return static_cast<Colour>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16)); }

// How far the inkiest pixel of the picture stands out from its background
// colour, as a contrast ratio: 1 when nothing was drawn on it.
inline double InkContrast(const QImage& picture, const QColor& back) {
    double most = 1;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            most = std::max(most, ContrastRatio(ColourOf(picture.pixel(x, y)), ColourOf(back.rgb())));
    return most;
}

// The event list of a view laid out at its window's width: every "Time",
// "Left" and "Priority" text of its rows shows whole (cells draw their text
// 2 pixels in from either side of the text area, which leaves room for a
// drop-down button). Without seconds only "Event Name" gave up width and
// the row still fits the list; with seconds the countdowns need more than
// a 1024 pixel window has, and the names keep room for their heading.
inline void ExpectEventTextsWhole(const CGroupTree& list, bool seconds) {
    const GroupTreeModel& m = list.model();
    const QFontMetrics fm(list.font());
    for (int r = 0; r < m.RowCount(); ++r)
        for (int c : {kEventTimeColumn, kEventLeftColumn, kEventPriorityColumn}) {
            const std::string text = m.GetItemText(m.NodeAtRow(r), c);
            EXPECT_GE(list.PartRect(r, c, CellPart::Text).width() - 4,
                      fm.horizontalAdvance(QString::fromStdString(text)))
                << "row " << r << " column " << c << ": \"" << text << "\" is cut";
        }
    int total = 0;
    for (int c = 0; c < m.ColumnCount(); ++c) total += m.Column(c)->width;
    if (!seconds) {
        EXPECT_LE(total, list.viewport()->width() + 1);
    }
    EXPECT_GE(m.Column(kEventNameColumn)->width, fm.horizontalAdvance(QStringLiteral("Event Name")));
}

}  // namespace veltrin::test
