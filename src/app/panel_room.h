#pragma once

#include <cstdint>

namespace vantor {

struct Platform;

// The width of a desktop window shared between the map and the panels beside it: the list at
// the left, the audit or the comparison at the right. Each panel is as wide as the user last
// left it (a share of the window until then) and no narrower than `least`, and the map keeps at
// least half the window: in a window too narrow for both, the map's half comes first.
struct PanelWidths {
    std::int32_t list = 0; // 0: the default share
    std::int32_t side = 0;
};

struct PanelsShown {
    bool list = false;
    bool side = false;
};

// The widths the panels get in a window `width` wide; a hidden panel gets 0.
PanelWidths sharePanelRoom(std::int32_t width, PanelWidths wanted, PanelsShown shown,
                           std::int32_t least);

enum class PanelEdge { List, Side }; // the list's right edge, the side panel's left edge

// What the user wants after dragging a panel's edge to `at` (from the window's left): the
// dragged panel as wide as that leaves it, within the room the other panel and the map leave;
// the other panel as it is shown.
PanelWidths dragPanelEdge(std::int32_t width, PanelWidths wanted, PanelsShown shown,
                          std::int32_t least, PanelEdge edge, std::int32_t at);

// The widths as the user left them, kept in the settings at 96 dots per inch; a width missing
// or unreadable is 0, the default share.
PanelWidths loadPanelWidths(const Platform& platform);
bool storePanelWidths(const Platform& platform, PanelWidths widths);

} // namespace vantor
