#include "map/map_viewport.h"

#include <algorithm>
#include <cmath>

namespace vantor {

MapTransform MapViewport::transform() const {
    MapTransform t;
    t.pixelsPerPost = pixelsPerPost;
    t.originX = centreX - width / 2.0 / pixelsPerPost;
    t.originY = centreY + height / 2.0 / pixelsPerPost;
    return t;
}

void MapViewport::setView(double zoom, double x, double y) {
    fitted = false;
    pixelsPerPost = std::clamp(zoom, minPixelsPerPost, maxPixelsPerPost);
    centreX = x;
    centreY = y;
}

void MapViewport::panBy(double dx, double dy) {
    setView(pixelsPerPost, centreX - dx / pixelsPerPost, centreY + dy / pixelsPerPost);
}

void MapViewport::fitWhole(std::int32_t mapWidth, std::int32_t mapHeight) {
    if (mapWidth <= 0 || mapHeight <= 0) {
        return;
    }
    const double fit = std::min(static_cast<double>(std::max(width, 1)) / mapWidth,
                                static_cast<double>(std::max(height, 1)) / mapHeight);
    setView(fit, mapWidth / 2.0, mapHeight / 2.0);
    fitted = true;
}

void MapViewport::resize(std::int32_t newWidth, std::int32_t newHeight, std::int32_t mapWidth,
                         std::int32_t mapHeight) {
    width = std::max(newWidth, 1);
    height = std::max(newHeight, 1);
    if (fitted) {
        fitWhole(mapWidth, mapHeight);
    }
}

void MapViewport::zoomAbout(double steps, double px, double py) {
    if (steps == 0) {
        return;
    }
    const MapTransform t = transform();
    const double mapX = t.originX + px / pixelsPerPost;
    const double mapY = t.originY - py / pixelsPerPost;
    const double zoom =
        std::clamp(pixelsPerPost * std::pow(1.25, steps), minPixelsPerPost, maxPixelsPerPost);
    setView(zoom, mapX - (px - width / 2.0) / zoom, mapY + (py - height / 2.0) / zoom);
}

int tileLevelFor(double pixelsPerPost) {
    if (pixelsPerPost >= 1) {
        return 0;
    }
    return std::max(0, static_cast<int>(std::floor(std::log2(1.0 / pixelsPerPost))));
}

MapWindow tileWindow(const MapTileKey& key) {
    const std::int32_t postsPerPixel = 1 << key.level;
    const std::int32_t postsPerTile = mapTilePixels * postsPerPixel;
    MapWindow window;
    window.left = key.column * postsPerTile;
    window.top = (key.row + 1) * postsPerTile - 1;
    window.width = mapTilePixels;
    window.height = mapTilePixels;
    window.scale = key.level == 0 ? 1 : -postsPerPixel;
    return window;
}

std::vector<PlacedTile> tilesInView(const MapViewport& view, std::int32_t mapWidth,
                                    std::int32_t mapHeight) {
    std::vector<PlacedTile> tiles;
    if (mapWidth <= 0 || mapHeight <= 0) {
        return tiles;
    }
    const MapTransform t = view.transform();
    const int level = tileLevelFor(view.pixelsPerPost);
    const double postsPerTile = static_cast<double>(mapTilePixels) * (1 << level);
    const double ppp = view.pixelsPerPost;
    const double firstX = std::max(0.0, std::floor(t.originX / postsPerTile));
    const double lastX = std::min((mapWidth - 1) / postsPerTile,
                                  std::floor((t.originX + view.width / ppp) / postsPerTile));
    const double firstY = std::max(0.0, std::floor((t.originY - view.height / ppp) / postsPerTile));
    const double lastY =
        std::min((mapHeight - 1) / postsPerTile, std::floor(t.originY / postsPerTile));
    for (int row = static_cast<int>(firstY); row <= static_cast<int>(lastY); ++row) {
        for (int column = static_cast<int>(firstX); column <= static_cast<int>(lastX); ++column) {
            tiles.push_back({{level, column, row},
                             t.screenX(column * postsPerTile),
                             t.screenY((row + 1) * postsPerTile),
                             postsPerTile * ppp});
        }
    }
    return tiles;
}

} // namespace vantor
