#pragma once

#include <optional>
#include <string>
#include <vector>

#include "today/CityTable.h"

namespace veltrin {

// The town menu as data: one submenu per run of rows of the same country, in
// table order. The Today view turns it into a popup menu.
inline constexpr int kTownCommandBase = 200;

struct TownMenuItem {
    std::string town;
    int commandId = 0;  // kTownCommandBase + row
    bool checked = false;
};

struct TownMenuGroup {
    std::string country;
    std::vector<TownMenuItem> items;
    bool separatorAfter = false;  // only after "US and Canada"
};

std::vector<TownMenuGroup> BuildTownMenu(const CityTable& table, int townIndex);

// The row a town command selects, if it is one.
std::optional<int> TownFromCommand(int commandId, const CityTable& table);

}  // namespace veltrin
