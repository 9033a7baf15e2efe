#pragma once

#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// What the Find L2 Info window shows for the typed coordinates.
struct L2Info {
    std::int64_t mapX = 0;
    std::int64_t mapY = 0;
    bool onMap = false;
    std::uint32_t tileId = 0;
    std::uint16_t elevation = 0;
    std::string tileIdText;    // "%d", or "off map" for coordinates that name no post
    std::string elevationText; // "%d", or "off map"
};

// Both fields are read as leading decimal integers; a field that does not begin with a number
// counts as 0. Coordinates off the map name no post and read nothing.
L2Info lookupL2Info(const TerrainMatrix& matrix, std::string_view mapXText,
                    std::string_view mapYText);

} // namespace vantor
