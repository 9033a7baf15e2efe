#pragma once

#include "base/map_area.h"
#include "terrain/terrain_matrix.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// One post of two versions of a terrain that differs.
struct PostChange {
    std::int32_t x = 0;
    std::int32_t y = 0;
    TerrainPost before;
    TerrainPost after;
};

// A section with changed posts, and the area they lie in.
struct SectionChange {
    std::int32_t sectionX = 0; // the section column, Map X div 16
    std::int32_t sectionY = 0; // the section row, Map Y div 16
    // As the reports and info number it: Sect X the column, Sect Y from the north edge.
    std::int32_t sectX = 0;
    std::int32_t sectY = 0;
    std::size_t posts = 0;
    MapArea area;
};

// What differs between two versions of a theater's terrain.
struct TerrainDiff {
    bool sameSize = true; // posts are compared only then
    std::int32_t widthBefore = 0;
    std::int32_t heightBefore = 0;
    std::int32_t widthAfter = 0;
    std::int32_t heightAfter = 0;
    bool layoutChanged = false; // the L2 record layout (7 or 9 bytes)
    RecordFormat layoutBefore = SevenByteRecords;
    RecordFormat layoutAfter = SevenByteRecords;
    std::size_t postsChanged = 0;
    std::size_t tilesChanged = 0;
    std::size_t elevationsChanged = 0;
    std::size_t attributesChanged = 0;       // posts whose attribute bytes changed
    std::int32_t largestElevationChange = 0; // after less before, the largest in size
    std::int32_t largestAtX = 0;
    std::int32_t largestAtY = 0;
    std::vector<SectionChange> sections; // by section row, then column
    std::vector<PostChange> posts;       // row by row, at most `keep` of them
    bool postsCut = false;               // more posts changed than are kept

    bool same() const { return sameSize && !layoutChanged && postsChanged == 0; }
};

// "Sect X 128, Sect Y 219": a section named as the reports name it.
std::string sectionText(const SectionChange& section);

// The two terrains compared post by post, in one pass.
TerrainDiff diffTerrain(const TerrainMatrix& before, const TerrainMatrix& after,
                        std::size_t keep = 1000000);

} // namespace vantor
