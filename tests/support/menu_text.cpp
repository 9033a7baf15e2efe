#include "support/menu_text.h"

namespace vantor::testing {

namespace {

void describeItems(const std::vector<MenuItem>& items, const std::string& indent,
                   std::vector<std::string>& out) {
    for (const MenuItem& item : items) {
        if (item.separator) {
            out.push_back(indent + (item.id != 0 ? "--- " + std::to_string(item.id) : "---"));
            continue;
        }
        if (item.popup) {
            out.push_back(indent + "> " + item.text);
            describeItems(item.items, indent + "  ", out);
            continue;
        }
        std::string line = indent + std::to_string(item.id) + " " + item.text;
        if (item.state == ItemState::Greyed) {
            line += " (greyed)";
        } else if (item.state == ItemState::Disabled) {
            line += " (disabled)";
        }
        if (item.checked) {
            line += " (checked)";
        }
        out.push_back(line);
    }
}

} // namespace

std::vector<std::string> describeMenu(const Menu& menu) {
    std::vector<std::string> out;
    describeItems(menu.items, "", out);
    return out;
}

} // namespace vantor::testing
