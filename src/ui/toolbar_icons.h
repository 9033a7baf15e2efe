#pragma once

#include "app/command_table.h"

#include <QIcon>

namespace vantor::ui {

// The toolbar's pictures, drawn by the program itself.
QIcon toolbarIcon(ToolbarIcon icon);

} // namespace vantor::ui
