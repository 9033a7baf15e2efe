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
    // The earlier terrain where it is not the open one (a git revision's, the open one later).
    std::optional<TerrainMatrix> beforeRead;
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

// "12 posts changed in 3 sections" ("1 post changed in 1 section").
std::string postsChangedText(const TerrainDiff& terrain);

// A post as the comparisons show it: "tile 4007, elevation 4146" (", attributes 1.0.3" when
// any attribute byte is set).
std::string postText(const TerrainPost& post);

// One changed post as the comparisons list it.
struct PostChangeRow {
    std::string where;  // "Map X 2048, Map Y 579"
    std::string before; // postText of each version
    std::string after;
    std::string what;        // "tile", "elevation", "tile, elevation", ...
    std::size_t section = 0; // its section among the diff's sections
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The first `limit` changed posts, row by row.
std::vector<PostChangeRow> postChangeRows(const TerrainDiff& terrain, std::size_t limit);

// What vantor-cli prints after the summary: each changed post with what it was and became, and
// each changed objective with the old and new value of what changed; after `limit` of each,
// "and N more" (the JSON has them all).
std::string diffDetails(const TheaterDiff& diff, std::size_t limit = 1000);

// The comparison panel of a desktop program: its title, the versions compared, and the tree of
// changes (a group line for the terrain and one for the objectives; the terrain's sections
// under it, each section's changed posts under the section), in order, with each row's depth.
struct ComparisonRow {
    int depth = 0;                       // 0: a group line, which spans every column
    std::string text[4];                 // Change, Before, After, What
    std::optional<std::uint32_t> colour; // the first column's mark colour (0xRRGGBB)
    std::optional<std::pair<std::int32_t, std::int32_t>> post; // the post to show when selected
    bool expanded = true;                                      // open as the panel first shows it
};
inline constexpr const char* comparisonColumnTitles[4] = {"Change", "Before", "After", "What"};
// The saves' tooltips.
inline constexpr const char* comparisonPageTip =
    "One page: the maps of both versions with the changes marked, and the tables of the changes";
inline constexpr const char* comparisonJsonTip =
    "The changes as JSON, as vantor-cli diff --json writes them";
std::string comparisonTitle(const TheaterDiff& diff);
// "Before: A.L2, A.csv" and "After: ..." ("-" for a side that holds nothing).
std::string comparisonVersionText(const std::string& terrain, const std::string& source);
// The first `limit` changed posts are listed; "and N more" says what the JSON has beyond them.
std::vector<ComparisonRow> comparisonRows(const TheaterDiff& diff, std::size_t limit = 1000);

} // namespace vantor
