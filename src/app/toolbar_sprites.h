#pragma once

#include "app/command_table.h"
#include "map/map_render.h"

namespace vantor {

// The toolbar's pictures and the list's state icons as RGBA sprites on a transparent
// background, so that every desktop front end shows the very same pictures.

// The toolbar pictures are laid out on a grid of this many units a side.
inline constexpr int toolbarSpriteWidth = 16;
inline constexpr int toolbarSpriteHeight = 15;
// The list's state icons are laid out on a square of this many units.
inline constexpr int listStateSpriteSide = 32;

// The picture of a toolbar button, scale pixels to a grid unit (16 * scale by 15 * scale);
// ToolbarIcon::None is blank. No pixels for a scale below 1.
MapImage toolbarSprite(ToolbarIcon icon, int scale);

// The list's state icon `which` (0 unmarked, 1 selected: a green tick, 2 marked for deletion:
// a red cross; any other is drawn unmarked), side pixels square. No pixels for a side below 1.
MapImage listStateSprite(int which, int side);

} // namespace vantor
