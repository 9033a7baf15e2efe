#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>

namespace vantor {

// A rectangle of posts in map coordinates, inclusive: the search area of a scan or check.
struct MapArea {
    std::int32_t startX = 0;
    std::int32_t startY = 0;
    std::int32_t endX = 0;
    std::int32_t endY = 0;
};

// The area kept on a map of width x height posts, whatever the theater or the dialog said.
inline MapArea clampedArea(MapArea area, std::int32_t width, std::int32_t height) {
    area.startX = std::max(area.startX, 0);
    area.startY = std::max(area.startY, 0);
    area.endX = std::min(area.endX, width - 1);
    area.endY = std::min(area.endY, height - 1);
    return area;
}

// After each row of work: the objects counted so far and the progress bar's position; true
// stops the operation.
using RowProgress = std::function<bool(std::int32_t counted, std::int32_t position)>;

// The bar's position after row y of an area on a map width posts wide.
inline std::int32_t rowPosition(const MapArea& area, std::int32_t y, std::int32_t width) {
    return static_cast<std::int32_t>((std::int64_t{area.endX} + 1 + std::int64_t{y} * width) / 256);
}

} // namespace vantor
