#pragma once

#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <optional>

namespace vantor {

// One post seen with another tile.
struct TileChange {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t tileId = 0;
};

// The tile ids of a matrix, with at most one post seen as another tile: how the scans see a
// repair before it is made. Callers keep the coordinates on the map.
struct TileView {
    const TerrainMatrix& matrix;
    std::optional<TileChange> changed;

    std::uint32_t at(std::int32_t x, std::int32_t y) const {
        if (changed && changed->x == x && changed->y == y) {
            return changed->tileId;
        }
        return matrix.at(x, y).tileId;
    }
};

} // namespace vantor
