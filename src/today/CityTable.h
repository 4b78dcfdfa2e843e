#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veltrin {

// One town of the built-in table. Latitude and longitude are magnitudes in
// degrees, with the hemispheres kept beside them.
struct CityInfo {
    std::string country;  // the group: a country or region
    std::string town;
    double latitude = 0;
    double longitude = 0;
    double timeZone = 0;       // standard-time offset from UT in hours, east positive
    char latitudeSide = 'N';   // 'N' or 'S'
    char longitudeSide = 'W';  // 'W' or 'E'
};

// Signed coordinates: north positive, and west positive as the sun formulas
// count longitude (east positive is the usual convention).
double NorthLatitude(const CityInfo& c);
double WestLongitude(const CityInfo& c);
double EastLongitude(const CityInfo& c);

// The ordered town list; a row's index is its identity.
class CityTable {
public:
    void add(const CityInfo& row) { rows_.push_back(row); }
    int count() const { return static_cast<int>(rows_.size()); }
    bool contains(std::int64_t index) const { return index >= 0 && index < count(); }
    // A copy of the row; index must be within the table.
    CityInfo at(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    const std::vector<CityInfo>& rows() const { return rows_; }

private:
    std::vector<CityInfo> rows_;
};

// The 249 towns in their fixed order.
CityTable BuiltInCityTable();

inline constexpr std::int32_t kDefaultTownIndex = 79;  // New York, N.Y.

// The town to show: an index outside the table is replaced by the default,
// in the setting itself, before it is used.
int CurrentTownIndex(std::int32_t& townIndex, const CityTable& table);

}  // namespace veltrin
