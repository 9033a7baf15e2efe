#pragma once

#include "app/command_table.h"

#include <QIcon>

namespace vantor::ui {

// The toolbar's pictures, as the core draws them for every front end.
QIcon toolbarIcon(ToolbarIcon icon);

} // namespace vantor::ui
