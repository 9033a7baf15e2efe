#pragma once

#include "base/map_area.h"
#include "objectives/occupancy_grid.h"
#include "reference/ocd_list.h"
#include "terrain/terrain_matrix.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

inline constexpr const char* airbaseScriptName = "Airbase-Leveler-Script.dat";
inline constexpr std::size_t maxAirbaseEntries = 39;
inline constexpr std::size_t maxOffsetLines = 10;
inline constexpr std::size_t pairsPerOffsetLine = 5;

struct PostOffset {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
};

struct AirbaseEntry {
    std::int32_t ocdId = 0;
    std::int32_t pairsPerLine = 0;
    std::int32_t offsetLineCount = 0; // as written; at most maxOffsetLines lines are stored
    std::int32_t fourthValue = 0;
    std::vector<std::array<PostOffset, pairsPerOffsetLine>> lines;
};

// The entries of the script, and how many of them the levelling uses: those read before the
// last "@" line. Entries past the 39th and offset lines past the 10th are not stored.
struct AirbaseScript {
    std::vector<AirbaseEntry> entries;
    std::size_t counted = 0;
    bool cut = false; // the script held more than the tables take
};

AirbaseScript parseAirbaseScript(std::string_view text);

struct AirbaseLevelling {
    std::int32_t levelled = 0;
    bool stopped = false;
};

// Gives the posts of every airbase's script entry (class code 140 only) the elevation of the
// airbase's own post. Posts off the map and posts of tile ID 0 are left alone.
AirbaseLevelling levelAirbases(TerrainMatrix& matrix, const OccupancyGrid& grid,
                               const ObjectTable& table, const OcdList& ocd,
                               const AirbaseScript& script, const MapArea& area,
                               const RowProgress& progress = {});

// What the levelling would do to one airbase, worked out without changing the terrain: the
// posts whose elevation it would change, and the largest change in feet.
struct AirbaseChange {
    std::int32_t x = 0; // the airbase's post
    std::int32_t y = 0;
    std::int32_t identifier = 0;
    std::int32_t posts = 0;
    std::int32_t largestDifference = 0;
};
// The levelling of the whole map as a dry run: the airbases it would change, in its order.
std::vector<AirbaseChange> airbaseChanges(const TerrainMatrix& matrix, const OccupancyGrid& grid,
                                          const ObjectTable& table, const OcdList& ocd,
                                          const AirbaseScript& script);

std::string airbaseSummary(std::int32_t levelled);

} // namespace vantor
