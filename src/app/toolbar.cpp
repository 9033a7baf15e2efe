#include "app/toolbar.h"

#include <algorithm>

namespace vantor {

namespace {

constexpr std::array<ToolbarButton, commandtable::toolbarSize> buttons = [] {
    std::array<ToolbarButton, commandtable::toolbarSize> slots{};
    for (const CommandFacts& facts : commandtable::table) {
        if (facts.toolbarSlot >= 0) {
            slots.at(static_cast<std::size_t>(facts.toolbarSlot)) = {facts.id, facts.tooltip,
                                                                     facts.icon};
        }
    }
    return slots;
}();

static_assert(std::ranges::none_of(buttons,
                                   [](const ToolbarButton& b) {
                                       return b.command == 0 || b.tooltip == nullptr ||
                                              b.icon == ToolbarIcon::None;
                                   }),
              "every toolbar slot holds one command, with its tooltip and picture");

} // namespace

const std::array<ToolbarButton, commandtable::toolbarSize>& toolbarButtons() {
    return buttons;
}

} // namespace vantor
