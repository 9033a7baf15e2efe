#pragma once

#include "checks/check_run.h"
#include "scans/tile_script.h"

#include <cstdint>
#include <string>

namespace vantor {

struct ObjectCheckCounts {
    std::int32_t placed = 0;
    std::int32_t moved = 0;
    std::int32_t changed = 0;
    std::int32_t cities = 0;
    std::int32_t towns = 0;
    std::int32_t villages = 0;
    std::int32_t junctions = 0;
    std::int32_t intersections = 0;
    std::int32_t total() const { return placed + changed + moved; }
};

struct ObjectCheckResult {
    ObjectCheckCounts counts;
    CheckEnd end;
};

// Walks the area over the checker script's tiles: re-classes urban objects on listed tiles,
// converts other objects to intersections, pulls urban objects within `range` posts onto
// empty listed tiles and creates junctions where the script asks for them.
ObjectCheckResult runObjectCheck(OccupancyGrid& grid, CheckObjects& objects,
                                 const TileScript& script, const MapArea& area, std::int32_t range,
                                 IdentifierRange ids, const RowProgress& progress = {});

std::string objectCheckSummary(const ObjectCheckCounts& counts);

} // namespace vantor
