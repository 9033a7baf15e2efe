#include "terrain/terrain_diff.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

namespace vantor {

TerrainDiff diffTerrain(const TerrainMatrix& a, const TerrainMatrix& b, std::size_t keep) {
    TerrainDiff d;
    d.widthBefore = a.width;
    d.heightBefore = a.height;
    d.widthAfter = b.width;
    d.heightAfter = b.height;
    d.layoutBefore = a.recordFormat;
    d.layoutAfter = b.recordFormat;
    d.layoutChanged = a.recordFormat != b.recordFormat;
    d.sameSize = a.width == b.width && a.height == b.height;
    if (!d.sameSize) {
        return d;
    }
    std::map<std::pair<std::int32_t, std::int32_t>, SectionChange> sections; // (row, column)
    for (std::int32_t y = 0; y < a.height; ++y) {
        const TerrainPost* rowA = &a.at(0, y);
        const TerrainPost* rowB = &b.at(0, y);
        for (std::int32_t x = 0; x < a.width; ++x) {
            const TerrainPost& p = rowA[x];
            const TerrainPost& q = rowB[x];
            if (p == q) {
                continue;
            }
            ++d.postsChanged;
            d.tilesChanged += p.tileId != q.tileId ? 1 : 0;
            d.elevationsChanged += p.elevation != q.elevation ? 1 : 0;
            d.attributesChanged += p.attribute1 != q.attribute1 || p.attribute2 != q.attribute2 ||
                                           p.attribute3 != q.attribute3
                                       ? 1
                                       : 0;
            const std::int32_t rise = std::int32_t{q.elevation} - p.elevation;
            if (std::abs(rise) > std::abs(d.largestElevationChange)) {
                d.largestElevationChange = rise;
                d.largestAtX = x;
                d.largestAtY = y;
            }
            const std::int32_t sx = x / postsPerSectionSide;
            const std::int32_t sy = y / postsPerSectionSide;
            SectionChange& s = sections[{sy, sx}];
            if (s.posts == 0) {
                s.sectionX = sx;
                s.sectionY = sy;
                s.sectX = sx;
                s.sectY = b.sectionsY() - 1 - sy;
                s.area = {x, y, x, y};
            }
            ++s.posts;
            s.area.startX = std::min(s.area.startX, x);
            s.area.startY = std::min(s.area.startY, y);
            s.area.endX = std::max(s.area.endX, x);
            s.area.endY = std::max(s.area.endY, y);
            if (d.posts.size() < keep) {
                d.posts.push_back({x, y, p, q});
            } else {
                d.postsCut = true;
            }
        }
    }
    for (const auto& [at, s] : sections) {
        d.sections.push_back(s);
    }
    return d;
}

std::string sectionText(const SectionChange& section) {
    return "Sect X " + std::to_string(section.sectX) + ", Sect Y " + std::to_string(section.sectY);
}

} // namespace vantor
