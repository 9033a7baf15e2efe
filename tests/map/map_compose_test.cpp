#include "map/map_compose.h"
#include "support/terrain_files.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace vantor {
namespace {

// A 16 x 16-post map seen at 4 pixels a post in a view of 100 x 80 pixels centred on it: the
// map covers pixels 18 to 81 across and 8 to 71 down, the background the rest.
struct View {
    TerrainMatrix matrix = testing::randomMatrix(1, SevenByteRecords, 7);
    MapViewport view;
    MapTileCache tiles;
    MapOverlays overlays;
    MapImage picture;

    View() {
        view.width = 100;
        view.height = 80;
        view.setView(4, 8, 8);
    }
    const MapImage& compose() {
        composeMapView(view, matrix, {}, MapMode::Relief, tiles, overlays, picture);
        return picture;
    }
    // The pixel at the middle of a post.
    static int px(int mapX) { return 18 + 4 * mapX + 2; }
    static int py(int mapY) { return 8 + 4 * (15 - mapY) + 2; }
};

Argb opaque(std::uint32_t rgb) {
    return 0xff000000u | rgb;
}

TEST(MapTileCache, ATileIsDrawnOnceKeptAndReused) {
    const TerrainMatrix m = testing::randomMatrix(1, SevenByteRecords, 3);
    MapTileCache cache;
    const MapTileKey onMap{0, 0, 0};
    const MapImage& first = cache.tile(m, {}, MapMode::Relief, onMap);
    MapImage drawn;
    renderTerrain(m, {}, MapMode::Relief, tileWindow(onMap), drawn, 1);
    EXPECT_EQ(first.width, mapTilePixels);
    EXPECT_TRUE(first.pixels == drawn.pixels);
    const MapImage& again = cache.tile(m, {}, MapMode::Relief, onMap);
    EXPECT_EQ(&again, &first);
    EXPECT_EQ(cache.size(), 1u);

    // Another key is another tile: this one lies wholly off the map.
    const MapImage& offMap = cache.tile(m, {}, MapMode::Relief, MapTileKey{0, 1, 0});
    EXPECT_NE(&offMap, &first);
    EXPECT_EQ(offMap.at(0, 0), 0u);
    EXPECT_EQ(cache.size(), 2u);

    cache.clear();
    EXPECT_EQ(cache.size(), 0u);
}

TEST(MapTileCache, NeverHoldsMoreThanItsLimit) {
    const TerrainMatrix m = testing::randomMatrix(1, SevenByteRecords, 3);
    MapTileCache cache;
    for (int i = 0; i < static_cast<int>(MapTileCache::limit) + 5; ++i) {
        cache.tile(m, {}, MapMode::Relief, MapTileKey{0, i % 40, i / 40});
        ASSERT_LE(cache.size(), MapTileCache::limit) << i;
    }
    EXPECT_EQ(cache.size(), MapTileCache::limit);
    // The tile shown last is among those kept, and whole.
    const MapImage& last = cache.tile(m, {}, MapMode::Relief, MapTileKey{0, 0, 0});
    MapImage drawn;
    renderTerrain(m, {}, MapMode::Relief, tileWindow(MapTileKey{0, 0, 0}), drawn, 1);
    EXPECT_TRUE(last.pixels == drawn.pixels);
    EXPECT_EQ(cache.size(), MapTileCache::limit);
}

TEST(MapCompose, TheTerrainInPlaceOnTheBackground) {
    View v;
    const MapImage& out = v.compose();
    ASSERT_EQ(out.width, 100);
    ASSERT_EQ(out.height, 80);
    MapImage posts; // a post to a pixel, north up
    renderTerrain(v.matrix, {}, MapMode::Relief, tileWindow({0, 0, 0}), posts, 1);
    for (const auto& [x, y] : {std::pair{1, 1}, std::pair{7, 12}, std::pair{14, 3}}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        EXPECT_EQ(out.at(View::px(x), View::py(y)), posts.at(x, mapTilePixels - 1 - y));
    }
    for (const auto& [x, y] : {std::pair{2, 2}, std::pair{95, 40}, std::pair{50, 78},
                               std::pair{16, 40}, std::pair{84, 40}}) {
        EXPECT_EQ(out.at(x, y), mapBackground) << x << "," << y;
    }

    // The picture follows the view's size; without terrain it is the background alone.
    v.view.width = 0;
    EXPECT_EQ(v.compose().width, 1);
    v.view.width = 30;
    v.matrix = TerrainMatrix{};
    const MapImage& empty = v.compose();
    EXPECT_EQ(empty.width, 30);
    EXPECT_TRUE(std::all_of(empty.pixels.begin(), empty.pixels.end(),
                            [](Argb p) { return p == mapBackground; }));
}

TEST(MapCompose, FindingsAreMarkedOnTheirPostInTheirChecksColour) {
    View v;
    const MapImage plain = v.compose();
    std::vector<AuditFinding> findings(4);
    const struct {
        AuditCheck check;
        int x, y;
    } placed[] = {{AuditCheck::Roads, 7, 12},   // a circle
                  {AuditCheck::Rivers, 3, 3},   // a square
                  {AuditCheck::Parents, 12, 6}, // a triangle
                  {AuditCheck::Offmap, 1, 14}}; // not drawn
    for (std::size_t i = 0; i < findings.size(); ++i) {
        findings[i].check = placed[i].check;
        findings[i].mapX = placed[i].x;
        findings[i].mapY = placed[i].y;
    }
    v.overlays.findings = &findings;
    const MapImage marked = v.compose();
    for (const auto& p : placed) {
        SCOPED_TRACE(auditCheckName(p.check));
        const Argb at = marked.at(View::px(p.x), View::py(p.y));
        if (p.check == AuditCheck::Offmap) {
            EXPECT_EQ(at, plain.at(View::px(p.x), View::py(p.y)));
        } else {
            EXPECT_EQ(at, opaque(static_cast<std::uint32_t>(
                              std::strtoul(auditCheckStyle(p.check).colour + 1, nullptr, 16))));
        }
    }

    // The selected finding's ring, dark, 11 pixels about its post; nothing there without it.
    // The post's centre is the pixel corner (48, 22); the pixel 10.5 pixels east is on the ring.
    const int ringX = View::px(7) + 10;
    const int ringY = View::py(12);
    EXPECT_EQ(marked.at(ringX, ringY), plain.at(ringX, ringY));
    v.overlays.selectedFinding = 0;
    const MapImage selected = v.compose();
    const Argb ring = selected.at(ringX, ringY);
    EXPECT_LT(std::max({(ring >> 16) & 0xff, (ring >> 8) & 0xff, ring & 0xff}), 64u)
        << std::hex << ring;
    // A selection past the findings draws no ring.
    v.overlays.selectedFinding = 4;
    EXPECT_TRUE(v.compose().pixels == marked.pixels);
}

// On a screen of more dots per inch the marks are drawn larger, in proportion; at 96 they are
// the pictures the map pages and exports have always had.
TEST(MapCompose, MarksGrowWithTheScale) {
    const auto opaquePixels = [](const MapImage& image) {
        return std::count_if(image.pixels.begin(), image.pixels.end(),
                             [](Argb p) { return (p >> 24) != 0; });
    };
    const MapImage& plain = markerSprite(MarkerKind::City, MarkSelected, true);
    EXPECT_EQ(plain.width, markerSpriteSize);
    EXPECT_EQ(&markerSprite(MarkerKind::City, MarkSelected, true, 0.5), &plain) << "never smaller";
    const struct {
        double scale;
        int side;
    } cases[] = {{1.25, 19}, {1.5, 23}, {2, 29}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        for (const MarkerKind kind :
             {MarkerKind::City, MarkerKind::Bridge, MarkerKind::RoadBreak}) {
            const MapImage& small = markerSprite(kind, MarkNone, false);
            const MapImage& large = markerSprite(kind, MarkNone, false, c.scale);
            EXPECT_EQ(large.width, c.side);
            EXPECT_EQ(large.height, c.side);
            const double grown =
                static_cast<double>(opaquePixels(large)) / static_cast<double>(opaquePixels(small));
            EXPECT_GT(grown, c.scale * c.scale * 0.6) << markerLabel(kind);
            EXPECT_LT(grown, c.scale * c.scale * 1.6) << markerLabel(kind);
            // The centre keeps the kind's colour, the corners stay clear.
            EXPECT_EQ(large.at(c.side / 2, c.side / 2), small.at(7, 7)) << markerLabel(kind);
            EXPECT_EQ(large.at(0, 0), 0u);
        }
    }

    // Every screen's scale: the sprite is placed by the half it has.
    for (int dpi = 96; dpi <= 300; ++dpi) {
        const double scale = dpi / 96.0;
        EXPECT_EQ(markerSprite(MarkerKind::Town, MarkNone, false, scale).width,
                  2 * spriteHalf(scale) + 1)
            << dpi;
    }
    // The legend keeps clear of a selection's ring as large as the scale makes it.
    const std::vector<std::pair<double, double>> ring = {{400 - 10 - 150 - 20, 30}};
    EXPECT_EQ(placeLegend(LegendCorner::TopRight, 400, 300, 150, 100, ring, 1).corner,
              LegendCorner::TopRight);
    EXPECT_NE(placeLegend(LegendCorner::TopRight, 400, 300, 150, 100, ring, 2).corner,
              LegendCorner::TopRight);

    // A finding's mark and the selection's ring, twice as large at scale 2.
    View v;
    std::vector<AuditFinding> findings(1);
    findings[0].check = AuditCheck::Roads; // a circle of 4.5 pixels
    findings[0].mapX = 7;
    findings[0].mapY = 12;
    v.overlays.findings = &findings;
    v.overlays.selectedFinding = 0;
    const Argb colour = opaque(static_cast<std::uint32_t>(
        std::strtoul(auditCheckStyle(AuditCheck::Roads).colour + 1, nullptr, 16)));
    const int x = View::px(7);
    const int y = View::py(12);
    const MapImage one = v.compose();
    v.overlays.scale = 2;
    const MapImage two = v.compose();
    EXPECT_NE(one.at(x + 6, y), colour);
    EXPECT_EQ(two.at(x + 6, y), colour);
    const auto dark = [](Argb p) {
        return std::max({(p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff}) < 64u;
    };
    EXPECT_TRUE(dark(one.at(x + 10, y)));
    EXPECT_FALSE(dark(two.at(x + 10, y)));
    EXPECT_TRUE(dark(two.at(x + 21, y)));
}

TEST(MapCompose, AChangedPostIsAMagentaSquare) {
    View v;
    const MapImage plain = v.compose();
    TerrainDiff diff;
    diff.posts.push_back({3, 4, {}, {}});
    v.overlays.changedPosts = &diff;
    const MapImage& out = v.compose();
    // Post (3, 4) covers pixels 30 to 33 across and 52 to 55 down.
    for (int y = 52; y < 56; ++y) {
        for (int x = 30; x < 34; ++x) {
            EXPECT_EQ(out.at(x, y), opaque(0xe600e6)) << x << "," << y;
        }
    }
    for (const auto& [x, y] :
         {std::pair{29, 53}, std::pair{34, 53}, std::pair{31, 51}, std::pair{31, 56}}) {
        EXPECT_EQ(out.at(x, y), plain.at(x, y)) << x << "," << y;
    }
}

TEST(MapLegend, ALineOfTextForTheTitleAndEachEntryInsideTheView) {
    const std::vector<LegendEntry> entries = legendEntries(MapMode::Relief, {});
    ASSERT_GE(entries.size(), 3u);
    for (const LegendCorner corner : {LegendCorner::TopRight, LegendCorner::TopLeft,
                                      LegendCorner::BottomLeft, LegendCorner::BottomRight}) {
        for (const bool folded : {false, true}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(corner)) + (folded ? " folded" : ""));
            const LegendLayout l = legendLayout(corner, 400, 300, entries.size(), folded, {});
            EXPECT_GE(l.left, 0);
            EXPECT_GE(l.top, 0);
            EXPECT_LE(l.left + l.width, 400);
            EXPECT_LE(l.top + l.height, 300);
            ASSERT_EQ(l.textAt.size(), folded ? 1u : entries.size() + 1);
            for (std::size_t i = 0; i < l.textAt.size(); ++i) {
                const auto [x, y] = l.textAt[i];
                EXPECT_GT(x, l.left);
                EXPECT_GT(y, i == 0 ? l.top : l.textAt[i - 1].second) << "row " << i;
                EXPECT_LE(y + l.line, l.top + l.height) << "row " << i;
            }
        }
    }
}

TEST(MapLegend, TheBoxAndTheSwatchesAreDrawnWithinIt) {
    const std::vector<LegendEntry> entries = {
        {"Road", argb(205, 55, 40), -1, LegendSwatch::Colour},
        {"Sea", argb(42, 93, 143), -1, LegendSwatch::Colour},
    };
    for (const bool folded : {false, true}) {
        SCOPED_TRACE(folded ? "folded" : "open");
        MapImage image;
        image.resize(300, 200, argb(0, 0, 0));
        const LegendLayout l =
            legendLayout(LegendCorner::TopLeft, 300, 200, entries.size(), folded, {});
        drawLegendBox(image, l, entries, folded);
        EXPECT_NE(image.at(l.left + l.width - 4, l.top + 4), argb(0, 0, 0)) << "the box";
        EXPECT_EQ(image.at(l.left + l.width + 2, l.top + 4), argb(0, 0, 0));
        EXPECT_EQ(image.at(l.left + 4, l.top + l.height + 2), argb(0, 0, 0));
        if (!folded) {
            for (std::size_t i = 0; i < entries.size(); ++i) {
                EXPECT_EQ(image.at(l.left + 6 + markerSpriteSize / 2,
                                   l.textAt[i + 1].second + markerSpriteSize / 2),
                          entries[i].colour)
                    << entries[i].label;
            }
        }
    }
    // A view smaller than the box: drawn clipped to the picture.
    MapImage tiny;
    tiny.resize(20, 10, argb(0, 0, 0));
    drawLegendBox(tiny, legendLayout(LegendCorner::BottomRight, 20, 10, 2, false, {}), entries,
                  false);
    EXPECT_EQ(tiny.pixels.size(), 200u);
}

} // namespace
} // namespace vantor
