#pragma once

#include "app/command_table.h"

#include <array>

namespace vantor {

struct ToolbarButton {
    int command = 0;
    const char* tooltip = nullptr; // the string-table entry of the button's command
    ToolbarIcon icon = ToolbarIcon::None;
};

// The toolbar's buttons in order. They are never disabled: each command checks its own
// preconditions.
const std::array<ToolbarButton, commandtable::toolbarSize>& toolbarButtons();

} // namespace vantor
