#pragma once

#include "app/menu_model.h"

#include <string>
#include <vector>

namespace vantor::testing {

// One line per item, for comparing whole menus: "10233 &Close Output Files (greyed)",
// "---" for a separator, "> How to ..." for a submenu with its items indented.
std::vector<std::string> describeMenu(const Menu& menu);

} // namespace vantor::testing
