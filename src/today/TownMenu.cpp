#include "today/TownMenu.h"

namespace veltrin {

std::vector<TownMenuGroup> BuildTownMenu(const CityTable& table, int townIndex) {
    std::vector<TownMenuGroup> menu;
    for (int i = 0; i < table.count(); ++i) {
        const CityInfo& row = table.rows()[static_cast<std::size_t>(i)];
        // A new group starts wherever the country changes; equal names apart
        // would make two groups, as the list is never sorted.
        if (menu.empty() || menu.back().country != row.country) {
            TownMenuGroup group;
            group.country = row.country;
            group.separatorAfter = row.country == "US and Canada";
            menu.push_back(std::move(group));
        }
        menu.back().items.push_back({row.town, kTownCommandBase + i, i == townIndex});
    }
    return menu;
}

std::optional<int> TownFromCommand(int commandId, const CityTable& table) {
    const std::int64_t row = static_cast<std::int64_t>(commandId) - kTownCommandBase;
    if (!table.contains(row)) return std::nullopt;
    return static_cast<int>(row);
}

}  // namespace veltrin
