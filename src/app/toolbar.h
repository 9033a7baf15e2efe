#pragma once

#include <array>

namespace vantor {

struct ToolbarButton {
    int command;
    const char* tooltip; // the string-table entry of the button's command
};

// The toolbar's buttons in order. They are never disabled: each command checks its own
// preconditions.
const std::array<ToolbarButton, 12>& toolbarButtons();

} // namespace vantor
