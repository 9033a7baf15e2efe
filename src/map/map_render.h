#pragma once

#include "terrain/terrain_matrix.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantor {

// A colour as 0xAARRGGBB, the layout Qt's ARGB32 images and the PNG writer both take.
using Argb = std::uint32_t;
inline constexpr Argb argb(int r, int g, int b, int a = 255) {
    return (static_cast<Argb>(a) << 24) | (static_cast<Argb>(r) << 16) |
           (static_cast<Argb>(g) << 8) | static_cast<Argb>(b);
}

// An image of the map: rows from the top (north) down.
struct MapImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    // A whole theater's picture is tens of megabytes: on huge pages, as the matrix is.
    std::vector<Argb, MatrixAllocator<Argb>> pixels;

    void resize(std::int32_t w, std::int32_t h, Argb fill = 0) {
        width = w;
        height = h;
        pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill);
    }
    // The size alone, the pixels left as they are: for a drawer that writes every one.
    void resizeForOverwrite(std::int32_t w, std::int32_t h) {
        width = w;
        height = h;
        pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    }
    Argb& at(std::int32_t x, std::int32_t y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    Argb at(std::int32_t x, std::int32_t y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

enum class MapMode { Relief, Tiles };

// What a tile is, as the loaded scripts say.
enum class TileClass : std::uint8_t { Other, Sea, Road, River, Transition, Urban, Bridge };

// Tile ID -> class, from the scan, bridge and checker scripts of the start folder.
struct TileClassifier {
    std::unordered_map<std::uint32_t, TileClass> classes;
    std::vector<TileClass> flat; // the classes of tile IDs below 65536, once indexed
    TileClass classOf(const TerrainPost& post) const;
    // Builds the flat table after the classes were filled; lookups work without it too.
    void index();
};
TileClassifier loadTileClassifier(const std::string& startDirectory);

// Colours of the drawing, shared by every front end and the legend.
namespace map_colors {
inline constexpr Argb sea = argb(42, 93, 143);
inline constexpr Argb road = argb(205, 55, 40);
inline constexpr Argb river = argb(30, 120, 230);
inline constexpr Argb transition = argb(150, 120, 200);
inline constexpr Argb urban = argb(110, 110, 110);
inline constexpr Argb bridge = argb(250, 205, 0);
inline constexpr Argb otherLand = argb(196, 204, 168);
inline constexpr Argb grid = argb(0, 0, 0, 90);
} // namespace map_colors

// The hypsometric tint of an elevation in feet: lowland green to highland brown to snow.
Argb hypsometric(std::uint16_t elevation);
Argb tileClassColour(TileClass c);

// Which part of the map an image shows and at what size. The image's top-left pixel shows
// the post (left, top); Map Y grows upwards, so rows go from top down to lower Map Y.
// scale > 0: pixels per post (each post a scale x scale square); scale < 0: -scale posts per
// pixel side (each pixel shows the post at the block's north-west corner).
struct MapWindow {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;  // pixels
    std::int32_t height = 0; // pixels
    std::int32_t scale = 1;
};

// Screen <-> post conversion for any zoom: a pixel at (px, py) shows the post whose square
// contains it. originX/originY are the map coordinates at the image's top-left corner (the
// north-west corner of a post has the post's own coordinates + (0, 1)).
struct MapTransform {
    double originX = 0;
    double originY = 0;
    double pixelsPerPost = 1;

    double screenX(double mapX) const { return (mapX - originX) * pixelsPerPost; }
    double screenY(double mapY) const { return (originY - mapY) * pixelsPerPost; }
    // The post under a pixel (floor of the map coordinates).
    std::int64_t postX(double px) const;
    std::int64_t postY(double py) const;
};
MapTransform transformOf(const MapWindow& window);
// The whole map in one picture of at most about largestSide pixels a side: posts drawn as
// squares of up to 8 pixels on a small theater, several posts to a pixel on a large one.
MapWindow wholeMapWindow(const TerrainMatrix& matrix, std::int32_t largestSide);

// Draws the pixel rows of a window's picture one at a time, from any number of threads at once.
class TerrainPainter {
  public:
    TerrainPainter(const TerrainMatrix& matrix, const TileClassifier& classes, MapMode mode,
                   const MapWindow& window);
    // Pixel row py (0 at the top): window.width pixels into out, clear off the map.
    void drawRow(std::int32_t py, Argb* out) const;
    // Row py shows the same posts as the row above it (posts drawn several pixels tall).
    bool sameAsAbove(std::int32_t py) const { return py % pixelsPerPost_ != 0; }

  private:
    const TerrainMatrix& m_;
    const TileClassifier& classes_;
    MapMode mode_;
    MapWindow w_;
    const std::vector<Argb>& tint_;
    std::int32_t pixelsPerPost_;
    std::int32_t postsPerPixel_;
    std::int64_t fallFactor_ = 0;
    std::int64_t darkest_ = 0;
    std::int64_t lightest_ = 0;
};

// Draws the terrain of the window: posts off the map are left transparent.
void renderTerrain(const TerrainMatrix& matrix, const TileClassifier& classes, MapMode mode,
                   const MapWindow& window, MapImage& image, unsigned threads = 0);

// Section lines (every 16 posts) over an image drawn at scale >= 4.
bool sectionGridDrawn(const MapWindow& window);
// The same a pixel row at a time (from any number of threads at once).
class SectionGridRows {
  public:
    explicit SectionGridRows(const MapWindow& window);
    void draw(std::int32_t py, Argb* row) const;

  private:
    MapWindow window_;
    std::vector<std::int32_t> columns_; // the pixel columns of section lines
};
void drawSectionGrid(const MapWindow& window, MapImage& image);

} // namespace vantor
