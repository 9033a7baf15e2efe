#pragma once

#include "objectives/occupancy_grid.h"
#include "reference/ocd_list.h"
#include "terrain/terrain_matrix.h"

#include <string>
#include <vector>

namespace vantor::testing {

// A one-section map whose posts carry `tile` (and elevation 100), with some posts set apart.
inline TerrainMatrix flatMatrix(std::uint32_t tile, std::int32_t side = 16) {
    TerrainMatrix m;
    allocateMatrix(m, side, side, SevenByteRecords);
    for (TerrainPost& p : m.posts) {
        p.tileId = tile;
        p.elevation = 100;
    }
    return m;
}

inline ObjectRecord object(std::int32_t id, std::int32_t cls, std::string type, std::int32_t x,
                           std::int32_t y) {
    ObjectRecord r;
    r.identifier = id;
    r.objectiveClass = cls;
    r.type = std::move(type);
    r.subtype = " sub";
    r.x = x;
    r.y = y;
    return r;
}

// The grid of the matrix with the records placed in order.
inline OccupancyGrid gridWith(const TerrainMatrix& m, CheckObjects& objects,
                              std::vector<ObjectRecord> records) {
    OccupancyGrid grid;
    buildOccupancyGrid(m, grid);
    objects.table = std::move(records);
    MultipleObjects multiple;
    for (std::size_t i = 0; i < objects.table.size(); ++i) {
        placeObject(grid, objects.table, i, multiple);
    }
    return grid;
}

inline OcdEntry ocdEntry(std::uint32_t id, std::int16_t classCode, std::uint16_t tileCode,
                         const std::string& name) {
    OcdEntry e;
    e.ocdId = id;
    e.classCode = classCode;
    e.tileCode = tileCode;
    std::copy(name.begin(),
              name.begin() + static_cast<std::ptrdiff_t>(std::min(name.size(), ocdNameSize)),
              e.name.begin());
    return e;
}

// A loaded list of the entries, with one more, unsearchable, entry at the end.
inline OcdList ocdListOf(std::vector<OcdEntry> entries) {
    OcdList list;
    entries.push_back(ocdEntry(9999, 0, 0, "Last"));
    list.records.push_back(ocdListHeader(static_cast<std::uint32_t>(entries.size())));
    list.records.insert(list.records.end(), entries.begin(), entries.end());
    indexOcdList(list);
    list.loaded = true;
    return list;
}

} // namespace vantor::testing
