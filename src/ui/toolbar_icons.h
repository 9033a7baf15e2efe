#pragma once

#include <QIcon>

namespace vantor::ui {

// The toolbar's pictures, drawn by the program itself; button n of the toolbar gets icon n.
QIcon toolbarIcon(int button);

} // namespace vantor::ui
