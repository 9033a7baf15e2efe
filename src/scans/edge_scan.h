#pragma once

#include "base/map_area.h"
#include "objectives/list_kind.h"
#include "scans/tile_script.h"
#include "scans/tile_view.h"
#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace vantor {

// Report titles and lines of the road, river and transition scans.
const char* edgeReportTitle(ListKind listKind, bool scanAll);
inline constexpr const char* edgeReportColumns =
    "Sect X, Sect Y, Tile X, Tile Y, Tile ID#, Map X, Map Y, Error Type, Error Code";

struct EdgeBreak {
    std::int32_t mapX = 0;
    std::int32_t mapY = 0;
    std::uint32_t tileId = 0;
    int direction = 0; // 1 West, 2 North, 3 East, 4 South
};

// The CSV and text report lines of one break (without their line ends). Sect Y counts section
// rows from the theater's own north edge.
std::string edgeReportLine(const EdgeBreak& b, ListKind listKind, bool scanAll,
                           std::int32_t ySections);
std::string edgeTextReportLine(const EdgeBreak& b, ListKind listKind, bool scanAll,
                               std::int32_t ySections);

// The summary of a road, river or transition scan (by listKind 4, 5 or 7) and its title.
std::string edgeScanSummary(ListKind listKind, bool written, std::int32_t count);
const char* edgeScanSummaryTitle(ListKind listKind);
// The combined report's closing message, which gathers the three scans' summaries.
inline constexpr const char* sectionReportSummaryTitle = "Section Report Finished";

// The breaks scanEdges finds at one post, with the tiles the view shows (a repair tried
// without changing the terrain). A post off the map, outside the script's bounds or not in its
// tile table has none.
void postEdgeBreaks(const TileView& view, const TileScript& script, std::int32_t x, std::int32_t y,
                    const std::function<void(const EdgeBreak&)>& onBreak);

// A break's direction (1 West, 2 North, 3 East, 4 South) as the edge mask's bit, the bit of the
// neighbour's edge that faces it, and the step to that neighbour.
std::uint8_t edgeBit(int direction);
std::uint8_t oppositeEdgeBit(int direction);
std::pair<std::int32_t, std::int32_t> stepTowards(int direction);

// The road, river or transition scan over the area (kept on the map) with a loaded script:
// every edge of a listed tile that the neighbour does not continue is a break, handed to
// onBreak in scan order. progress hears the breaks so far and the bar's position after every
// listed post; the scan runs to the end of its area whatever it answers. Returns the number of
// breaks.
std::int32_t scanEdges(const TerrainMatrix& matrix, const TileScript& script, const MapArea& area,
                       const std::function<void(const EdgeBreak&)>& onBreak,
                       const RowProgress& progress = {});

} // namespace vantor
