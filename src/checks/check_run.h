#pragma once

#include "base/map_area.h"
#include "base/message.h"
#include "objectives/identifiers.h"
#include "objectives/occupancy_grid.h"

#include <cstdint>
#include <optional>

namespace vantor {

// How a check ended. A stopped check (user abort or identifier overrun) shows no summary and
// writes nothing; an overrun carries its message.
struct CheckEnd {
    bool stopped = false;
    std::optional<MessageBoxRequest> overrun;
    std::int64_t nextIdentifier = 0; // at most the maximum when the check was not stopped
};

} // namespace vantor
