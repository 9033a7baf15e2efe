#pragma once

#include "checks/check_run.h"
#include "reference/ocd_list.h"
#include "reference/tile_info.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct CityTileEntry {
    std::int32_t tileId = 0;
    std::int32_t v1 = 0; // a class code, or negative: v2 is the class to use
    std::int32_t v2 = 0; // an OCD ID
};

// The urban tiles of the checker script, by line kind 1, 2 and 5.
struct CityTileTables {
    std::vector<CityTileEntry> kind1;
    std::vector<CityTileEntry> kind2; // v1 stored + 100 when read as 0 or more
    std::vector<CityTileEntry> kind5;
};

inline constexpr const char* checkerScriptName = "Object-CheckerScript.dat";

// Reads the kind 1, 2 and 5 lines of a checker script's text into empty tables.
void parseCityTileTables(CityTileTables& tables, std::string_view text);

struct CityTablesLoad {
    bool ok = false;
    std::vector<MessageBoxRequest> messages;
};
CityTablesLoad loadCityTileTables(CityTileTables& tables, const std::string& startDirectory);

// A position 0 .. n - 1 from the run's rotating counter: 0, 1, ..., n - 1, 0, 1, ...
std::size_t rotatingPick(std::uint32_t& counter, std::size_t n);

struct CityCheckCounts {
    std::int32_t placed = 0;
    std::int32_t changed = 0;
    std::int32_t deleted = 0;
    std::int32_t total() const { return placed + changed + deleted; }
};

struct CityCheckResult {
    CityCheckCounts counts;
    CheckEnd end;
};

// What the check reads besides the grid and the objects.
struct CityCheckLists {
    const OcdList& ocd;
    const TileInfoList& tileInfo;
    const CityTileTables& tables;
};

// Walks the area: creates, re-classes and deletes urban objects by the tables. The OCD and
// TileInfo lists must be loaded.
CityCheckResult runCityCheck(OccupancyGrid& grid, CheckObjects& objects,
                             const CityCheckLists& lists, const MapArea& area, IdentifierRange ids,
                             std::uint32_t& rotating, const RowProgress& progress = {});

std::string citySummary(const CityCheckCounts& counts);

} // namespace vantor
