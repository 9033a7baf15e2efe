#pragma once

#include "app/platform.h"
#include "checks/occupancy_grid.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vantor {

// The search area of a check, inclusive, kept on the grid.
struct CheckArea {
    std::int32_t startX = 0;
    std::int32_t startY = 0;
    std::int32_t endX = 0;
    std::int32_t endY = 0;
};

inline CheckArea clampedArea(CheckArea area, const OccupancyGrid& grid) {
    area.startX = std::max(area.startX, 0);
    area.startY = std::max(area.startY, 0);
    area.endX = std::min(area.endX, grid.width - 1);
    area.endY = std::min(area.endY, grid.height - 1);
    return area;
}

// Identifiers for created objects: the next one to give and the largest usable.
// The next is kept in 64 bits, so that a source whose largest identifier is the largest 32-bit
// value still overruns cleanly instead of wrapping round.
struct IdentifierRange {
    std::int64_t next = 0;
    std::int64_t maximum = 65536;
};

// After each row: the objects counted so far and the bar position; true stops the check.
using CheckRowProgress = std::function<bool(std::int32_t counted, std::int32_t position)>;

inline std::int32_t rowPosition(const CheckArea& area, std::int32_t y, std::int32_t width) {
    return static_cast<std::int32_t>((std::int64_t{area.endX} + 1 + std::int64_t{y} * width) / 256);
}

// How a check ended. A stopped check (user abort or identifier overrun) shows no summary and
// writes nothing; an overrun carries its message.
struct CheckEnd {
    bool stopped = false;
    std::optional<MessageBoxRequest> overrun;
    std::int64_t nextIdentifier = 0; // at most the maximum when the check was not stopped
};

inline MessageBoxRequest identifierOverrun(std::int64_t next) {
    MessageBoxRequest m;
    m.text = "ID number " + std::to_string(next) +
             " exceeds the maximum useable ID number. Aborting placements";
    m.title = "ID Number Overrun";
    m.icon = MessageIcon::Error;
    return m;
}

} // namespace vantor
