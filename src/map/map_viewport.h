#pragma once

#include "map/map_render.h"

#include <cstdint>
#include <vector>

namespace vantor {

// The desktop map's view of the theater, whatever draws it: the zoom (pixels per post, 1/64 to
// 64), the map point at the middle of a view of width x height pixels, and whether the whole
// map is fitted (it then follows the view's size).
struct MapViewport {
    double pixelsPerPost = 1;
    double centreX = 0;
    double centreY = 0;
    std::int32_t width = 1;
    std::int32_t height = 1;
    bool fitted = false;

    MapTransform transform() const;
    // A zoom (clamped to its range) with the map point at the middle.
    void setView(double zoom, double x, double y);
    // Dragged by dx, dy pixels.
    void panBy(double dx, double dy);
    // The whole map of mapWidth x mapHeight posts in view.
    void fitWhole(std::int32_t mapWidth, std::int32_t mapHeight);
    // The view's new size; a fitted map is fitted again.
    void resize(std::int32_t newWidth, std::int32_t newHeight, std::int32_t mapWidth,
                std::int32_t mapHeight);
    // A turn of the wheel by `steps` notches (1.25 times the zoom each) about the pixel px, py:
    // the point under the mouse stays under it.
    void zoomAbout(double steps, double px, double py);
};

inline constexpr double minPixelsPerPost = 1.0 / 64;
inline constexpr double maxPixelsPerPost = 64;
inline constexpr std::int32_t mapTilePixels = 256;

// The map is drawn in tiles of 256 x 256 pixels: at level 0 a post to a pixel, at level n 2^n
// posts to a pixel. Rows count from the south.
struct MapTileKey {
    int level = 0;
    int column = 0;
    int row = 0;
    auto operator<=>(const MapTileKey&) const = default;
};

// The level whose tiles serve a zoom: the finest one not finer than it.
int tileLevelFor(double pixelsPerPost);
// The posts a tile shows, as renderTerrain takes them.
MapWindow tileWindow(const MapTileKey& key);
// A tile as the view shows it: where it goes, in pixels (it may stand partly outside).
struct PlacedTile {
    MapTileKey key;
    double left = 0;
    double top = 0;
    double side = 0;
};
// The tiles of the view's level that cover the part of a mapWidth x mapHeight map in view.
std::vector<PlacedTile> tilesInView(const MapViewport& view, std::int32_t mapWidth,
                                    std::int32_t mapHeight);

} // namespace vantor
