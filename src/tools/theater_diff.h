#pragma once

#include "terrain/terrain_diff.h"
#include "terrain/terrain_matrix.h"
#include "tools/export_diff.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Two versions of a theater compared: the open terrain (the earlier one) with another L2/O2
// pair or L2M file, and one export with another. Either pair may be left out.
struct TheaterDiff {
    std::string error; // a file could not be read: nothing was compared
    std::string beforeTerrain;
    std::string afterTerrain;
    std::string beforeSource;
    std::string afterSource;
    std::optional<TerrainDiff> terrain;
    TerrainMatrix after; // the later terrain, for the maps of the page
    std::optional<ExportDiff> objectives;

    bool same() const {
        return (!terrain || terrain->same()) && (!objectives || objectives->same());
    }
};

// One objective's change as the tables of a comparison show it: "added", "deleted" or
// "changed", the objective in each version ("17 Town 17 (class 2, Map X 10, Map Y 12)"; empty
// where it is not there) and what changed ("moved; Parent 3 Road 3 to 0").
struct ObjectChangeRow {
    std::string change;
    std::string before;
    std::string after;
    std::string what;
    std::int32_t x = 0; // where it is (the later version's post unless it was deleted)
    std::int32_t y = 0;
};

// The deletions, then the additions, then the changes in the later version's order.
std::vector<ObjectChangeRow> objectChangeRows(const ExportDiff& diff);

// Where a section's changed posts lie: "Map X 20 to 21, Map Y 30" (a single value where the
// area is one post wide or high).
std::string sectionAreaText(const SectionChange& section);

// The colours the changes are marked with, on the page and on the desktop map (0xRRGGBB): a
// changed post magenta; an objective added green, deleted red, otherwise changed orange.
inline constexpr std::uint32_t changedPostColour = 0xe600e6;
std::uint32_t objectChangeColour(std::string_view change);

// The short account of a comparison, a line per kind and the verdict last, as vantor-cli prints
// it and the desktop shows it; the changed sections after the first eight are counted.
std::string diffSummary(const TheaterDiff& diff);

} // namespace vantor
