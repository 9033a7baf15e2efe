#include "ui/toolbar_icons.h"

#include "app/toolbar_sprites.h"
#include "ui/map_view.h"

#include <QPixmap>

namespace vantor::ui {

namespace {

// Drawn at four times the grid, so the pictures stay sharp when scaled.
constexpr int scale = 4;

} // namespace

QIcon toolbarIcon(ToolbarIcon icon) {
    return QIcon(QPixmap::fromImage(toQImage(toolbarSprite(icon, scale))));
}

} // namespace vantor::ui
