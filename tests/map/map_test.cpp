#include "map/map_overlay.h"
#include "map/map_render.h"
#include "map/map_viewport.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace vantor {
namespace {

// A 16 x 16-post map: sea, with land (tile 1000 at 500 feet) on the posts named.
TerrainMatrix seaWith(std::initializer_list<std::pair<int, int>> land, std::uint32_t tile = 1000) {
    TerrainMatrix m;
    allocateMatrix(m, 16, 16, SevenByteRecords);
    for (const auto& [x, y] : land) {
        m.at(x, y).tileId = tile;
        m.at(x, y).elevation = 500;
    }
    return m;
}

MapWindow whole(const TerrainMatrix& m, std::int32_t scale) {
    MapWindow w;
    w.left = 0;
    w.top = m.height - 1;
    w.scale = scale;
    w.width = scale > 0 ? m.width * scale : m.width / -scale;
    w.height = scale > 0 ? m.height * scale : m.height / -scale;
    return w;
}

TEST(MapRender, SeaLandAndNorthUp) {
    const TerrainMatrix m = seaWith({{2, 13}});
    MapImage image;
    renderTerrain(m, {}, MapMode::Relief, whole(m, 1), image, 1);
    ASSERT_EQ(image.width, 16);
    EXPECT_EQ(image.at(0, 0), map_colors::sea);
    // Map Y grows upwards: post (2, 13) is on pixel row 15 - 13 = 2.
    EXPECT_NE(image.at(2, 2), map_colors::sea);
    EXPECT_EQ(image.at(2, 13), map_colors::sea);
    // At 4 pixels per post it is a 4 x 4 square.
    renderTerrain(m, {}, MapMode::Relief, whole(m, 4), image, 2);
    for (int dy = 0; dy < 4; ++dy) {
        for (int dx = 0; dx < 4; ++dx) {
            EXPECT_EQ(image.at(8 + dx, 8 + dy), image.at(8, 8));
        }
    }
    EXPECT_NE(image.at(8, 8), map_colors::sea);
    EXPECT_EQ(image.at(12, 8), map_colors::sea);
    EXPECT_EQ(image.at(8, 12), map_colors::sea);
}

TEST(MapRender, TileClassesComeFromTheScripts) {
    TerrainMatrix m = seaWith({{1, 1}, {2, 1}, {3, 1}}, 10005);
    m.at(2, 1).tileId = 13001;
    m.at(3, 1).tileId = 777;
    TileClassifier classes;
    classes.classes = {{10005, TileClass::Road}, {13001, TileClass::Bridge}};
    MapImage image;
    renderTerrain(m, classes, MapMode::Tiles, whole(m, 1), image);
    EXPECT_EQ(image.at(1, 14), map_colors::road);
    EXPECT_EQ(image.at(2, 14), map_colors::bridge);
    EXPECT_EQ(image.at(0, 14), map_colors::sea);
    const Argb other = image.at(3, 14);
    EXPECT_NE(other, map_colors::sea);
    EXPECT_NE(other, map_colors::road);
}

TEST(MapRender, ZoomedOutPixelsShowTheBlocksNorthWestPost) {
    TerrainMatrix m = seaWith({{4, 11}});
    MapImage image;
    renderTerrain(m, {}, MapMode::Relief, whole(m, -4), image);
    ASSERT_EQ(image.width, 4);
    // Pixel (1, 1) shows posts 4..7 x 8..11 through their north-west post (4, 11).
    EXPECT_NE(image.at(1, 1), map_colors::sea);
    EXPECT_EQ(image.at(0, 1), map_colors::sea);
    EXPECT_EQ(image.at(1, 0), map_colors::sea);
}

TEST(MapRender, PostsOffTheMapStayTransparent) {
    const TerrainMatrix m = seaWith({});
    MapWindow w = whole(m, 2);
    w.left = -3;
    MapImage image;
    renderTerrain(m, {}, MapMode::Relief, w, image);
    EXPECT_EQ(image.at(0, 0), 0u);
    EXPECT_EQ(image.at(5, 0), 0u);
    EXPECT_EQ(image.at(6, 0), map_colors::sea);
}

TEST(MapTransform, ScreenAndPostsAgreeAtEveryZoom) {
    for (const std::int32_t scale : {1, 2, 3, 8, 32, -2, -4, -16}) {
        MapWindow w;
        w.left = 100;
        w.top = 900;
        w.scale = scale;
        const MapTransform t = transformOf(w);
        const std::int32_t step = scale > 0 ? 1 : -scale;
        for (std::int32_t y = 900; y > 800; y -= step) {
            for (std::int32_t x = 100; x < 200; x += step) {
                // Just inside the north-west corner of the post (or of its block).
                EXPECT_EQ(t.postX(t.screenX(x) + 0.01), x) << scale;
                EXPECT_EQ(t.postY(t.screenY(y + 1) + 0.01), y) << scale;
                if (scale > 0) {
                    EXPECT_EQ(t.postX(t.screenX(x + 0.5)), x) << scale;
                    EXPECT_EQ(t.postY(t.screenY(y + 0.5)), y) << scale;
                    EXPECT_EQ(t.postY(t.screenY(y) - 0.01), y) << scale; // the south edge
                }
            }
        }
        EXPECT_EQ(t.postX(0), 100);
        EXPECT_EQ(t.postY(0), 900); // the top-left pixel shows the window's first post
    }
}

TEST(MapMarkers, DrawnOnTheirPostAndFoundUnderTheMouse) {
    const TerrainMatrix m = seaWith({});
    const MapWindow w = whole(m, 4);
    MapImage image;
    renderTerrain(m, {}, MapMode::Relief, w, image);
    const std::vector<MapMarker> markers = {{5, 5, MarkerKind::City, MarkNone, false, 0},
                                            {10, 2, MarkerKind::RiverBreak, MarkDeleted, true, 1}};
    const MapTransform t = transformOf(w);
    drawMarkers(image, t, markers);
    // The city's centre: x 5 * 4 + 2, y (15 - 5) * 4 + 2.
    EXPECT_EQ(image.at(22, 42), argb(220, 30, 160));
    EXPECT_EQ(image.at(0, 0), map_colors::sea);
    EXPECT_EQ(markerAt(markers, t, 23, 41), 0);
    EXPECT_EQ(markerAt(markers, t, 42, 54), 1);
    EXPECT_EQ(markerAt(markers, t, 60, 10), -1);
    // A marked or highlighted marker looks different from a plain one.
    EXPECT_NE(markerSprite(MarkerKind::Town, MarkSelected, false).pixels,
              markerSprite(MarkerKind::Town, MarkNone, false).pixels);
    EXPECT_NE(markerSprite(MarkerKind::Town, MarkDeleted, false).pixels,
              markerSprite(MarkerKind::Town, MarkNone, false).pixels);
    EXPECT_NE(markerSprite(MarkerKind::Town, MarkNone, true).pixels,
              markerSprite(MarkerKind::Town, MarkNone, false).pixels);
}

TEST(MapMarkers, KindsFromTheListRows) {
    ListWindow objects;
    objects.listMode = ListMode::Objects;
    for (const char* type :
         {" City", " TOWN", "Village", " Junction", " Bridge", " Airbase", " Radar", " Depot"}) {
        objects.objectRows.push_back({"n", type, 1, 2, 3, 4, MarkNone});
    }
    objects.objectRows[1].mark = MarkSelected;
    const std::vector<MapMarker> o = listMarkers(objects, ListKind::Objects, false);
    ASSERT_EQ(o.size(), 8u);
    EXPECT_EQ(o[0].kind, MarkerKind::City);
    EXPECT_EQ(o[1].kind, MarkerKind::Town);
    EXPECT_EQ(o[1].mark, MarkSelected);
    EXPECT_EQ(o[2].kind, MarkerKind::Village);
    EXPECT_EQ(o[5].kind, MarkerKind::Airbase);
    EXPECT_EQ(o[7].kind, MarkerKind::Other);
    EXPECT_EQ(o[3].x, 3);

    ListWindow report;
    report.listMode = ListMode::Reports;
    ListReportRow r;
    r.mapX = 7;
    r.mapY = 8;
    r.errorCode = 25; // combined report: direction 2, river scan
    report.reportRows.push_back(r);
    r.errorCode = 17;
    report.reportRows.push_back(r);
    std::vector<MapMarker> rm = listMarkers(report, ListKind::AllScansReport, false);
    EXPECT_EQ(rm[0].kind, MarkerKind::RiverBreak);
    EXPECT_EQ(rm[1].kind, MarkerKind::TransitionBreak);
    rm = listMarkers(report, ListKind::MisalignedRoads,
                     false); // a road report's codes are directions
    EXPECT_EQ(rm[0].kind, MarkerKind::RoadBreak);
    EXPECT_EQ(rm[0].y, 8);
}

TEST(MapMarkers, ATypeThatNamesNoKindTakesItsClassesKind) {
    OcdList classes;
    classes.loaded = true;
    classes.records.resize(1); // the header
    for (const auto& [id, code] : std::vector<std::pair<std::uint32_t, std::int16_t>>{
             {101, 101},
             {102, 102},
             {103, 103},
             {104, 104},
             {109, 136},
             {106, 140},
             {113, 180},
             {120, 150},
             {0, 0}}) { // the last entry is never searched
        OcdEntry e;
        e.ocdId = id;
        e.classCode = code;
        classes.records.push_back(e);
    }
    indexOcdList(classes);
    struct Case {
        const char* type;
        std::int32_t ocdId;
        MarkerKind kind;
    };
    const Case cases[] = {
        {"0", 101, MarkerKind::City},     {" 0", 102, MarkerKind::Town},
        {"0", 103, MarkerKind::Village},  {"0", 104, MarkerKind::Junction},
        {"0", 109, MarkerKind::Radar},    {"0", 106, MarkerKind::Airbase},
        {"0", 113, MarkerKind::Bridge},   {"0", 120, MarkerKind::Other}, // a factory
        {"0", 999, MarkerKind::Other},                                   // no such class
        {" Town", 101, MarkerKind::Town}, // the Type text, where it names a kind, comes first
    };
    ListWindow objects;
    objects.listMode = ListMode::Objects;
    for (const Case& c : cases) {
        objects.objectRows.push_back({"n", c.type, 1, c.ocdId, 3, 4, MarkNone});
    }
    const std::vector<MapMarker> with = listMarkers(objects, ListKind::Objects, false, &classes);
    const std::vector<MapMarker> without = listMarkers(objects, ListKind::Objects, false);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string(cases[i].type) + " of class " + std::to_string(cases[i].ocdId));
        EXPECT_EQ(with[i].kind, cases[i].kind);
        EXPECT_EQ(without[i].kind,
                  i + 1 == std::size(cases) ? MarkerKind::Town : MarkerKind::Other);
    }
}

TEST(MapRender, SectionLinesAtCloseZoomOnly) {
    const TerrainMatrix m = seaWith({});
    MapImage image;
    MapWindow w = whole(m, 4);
    renderTerrain(m, {}, MapMode::Relief, w, image);
    drawSectionGrid(w, image);
    EXPECT_NE(image.at(0, 5), map_colors::sea); // the west edge of section 0
    EXPECT_EQ(image.at(1, 5), map_colors::sea);
    EXPECT_NE(image.at(5, 0), map_colors::sea); // the north edge of row 15
    w = whole(m, 2);
    renderTerrain(m, {}, MapMode::Relief, w, image);
    drawSectionGrid(w, image);
    EXPECT_EQ(image.at(0, 5), map_colors::sea);
}

TEST(MapLegend, NamesEveryColourAndOnlyTheMarksDrawn) {
    const auto labels = [](const std::vector<LegendEntry>& entries) {
        std::vector<std::string> out;
        for (const LegendEntry& e : entries) {
            out.push_back(e.label);
        }
        return out;
    };
    const auto relief = legendEntries(MapMode::Relief, {});
    EXPECT_EQ(relief.front().label, "Sea");
    EXPECT_EQ(relief.front().colour, map_colors::sea);
    EXPECT_EQ(relief.size(), 5u); // nothing drawn over the map: its colours alone
    const auto tiles = legendEntries(MapMode::Tiles, {});
    const std::vector<std::string> tileLabels = labels(tiles);
    EXPECT_NE(std::ranges::find(tileLabels, "Road"), tileLabels.end());

    // Two cities, a road break from a report, audit findings of two checks (one of them
    // twice) and a comparison: each mark once, the findings in the page's shape and colour.
    std::vector<MapMarker> markers(3);
    markers[0].kind = MarkerKind::City;
    markers[1].kind = MarkerKind::RoadBreak;
    markers[2].kind = MarkerKind::City;
    std::vector<AuditFinding> findings(3);
    findings[0].check = AuditCheck::Roads;
    findings[1].check = AuditCheck::Bridges;
    findings[2].check = AuditCheck::Roads;
    const auto drawn = legendEntries(MapMode::Relief, legendContent(markers, &findings, true));
    const std::vector<std::string> all = labels(drawn);
    const std::vector<std::string> marks(all.begin() + 5, all.end());
    EXPECT_EQ(marks,
              (std::vector<std::string>{"City", markerLabel(MarkerKind::RoadBreak), "Audit: roads",
                                        "Audit: bridges", "Post changed", "Objective added",
                                        "Objective deleted", "Objective changed"}));
    const LegendEntry& roads = drawn[7];
    EXPECT_EQ(roads.swatch, LegendSwatch::Finding);
    EXPECT_STREQ(roads.shape, auditCheckStyle(AuditCheck::Roads).shape);
    EXPECT_EQ(roads.colour & 0xffffffu,
              std::strtoul(auditCheckStyle(AuditCheck::Roads).colour + 1, nullptr, 16));
    EXPECT_NE(hypsometric(0), hypsometric(9500));
    EXPECT_EQ(hypsometric(9500), argb(245, 245, 245));
}

// The legend stays in the user's corner unless the selection is under it; then it moves to the
// next corner that leaves every such point clear.
TEST(MapLegend, KeepsTheSelectionInSight) {
    struct Case {
        LegendCorner preferred;
        std::vector<std::pair<double, double>> clear;
        std::int32_t left, top;
        LegendCorner corner;
    };
    const Case cases[] = {
        {LegendCorner::TopRight, {}, 842, 8, LegendCorner::TopRight},
        {LegendCorner::TopRight, {{900, 40}}, 8, 8, LegendCorner::TopLeft},
        {LegendCorner::TopRight, {{900, 40}, {50, 40}}, 8, 492, LegendCorner::BottomLeft},
        {LegendCorner::BottomLeft, {{50, 550}}, 842, 492, LegendCorner::BottomRight},
        {LegendCorner::TopLeft, {{500, 300}}, 8, 8, LegendCorner::TopLeft},
        // Just outside the box but within a ring's reach of it.
        {LegendCorner::TopRight, {{835, 40}}, 8, 8, LegendCorner::TopLeft},
    };
    for (const Case& c : cases) {
        const LegendBox box = placeLegend(c.preferred, 1000, 600, 150, 100, c.clear);
        EXPECT_EQ(box.left, c.left);
        EXPECT_EQ(box.top, c.top);
        EXPECT_EQ(box.corner, c.corner);
    }
    EXPECT_EQ(nearestCorner(10, 590, 1000, 600), LegendCorner::BottomLeft);
    EXPECT_EQ(nearestCorner(990, 10, 1000, 600), LegendCorner::TopRight);
}

// The view's arithmetic, whatever front end draws it.
TEST(MapViewport, ZoomKeepsThePointUnderTheMouseAndFittingFollowsTheSize) {
    MapViewport v;
    v.resize(800, 600, 0, 0);
    v.fitWhole(1024, 2048);
    EXPECT_TRUE(v.fitted);
    EXPECT_DOUBLE_EQ(v.pixelsPerPost, 600.0 / 2048);
    EXPECT_DOUBLE_EQ(v.centreX, 512);
    v.resize(1200, 800, 1024, 2048); // fitted: fitted again
    EXPECT_DOUBLE_EQ(v.pixelsPerPost, 800.0 / 2048);

    v.setView(2, 100, 100);
    EXPECT_FALSE(v.fitted);
    const auto under = [&v](double px, double py) {
        const MapTransform t = v.transform();
        return std::pair{t.originX + px / v.pixelsPerPost, t.originY - py / v.pixelsPerPost};
    };
    const auto before = under(650, 150);
    v.zoomAbout(3, 650, 150);
    EXPECT_DOUBLE_EQ(v.pixelsPerPost, 2 * 1.25 * 1.25 * 1.25);
    const auto after = under(650, 150);
    EXPECT_NEAR(after.first, before.first, 1e-9);
    EXPECT_NEAR(after.second, before.second, 1e-9);
    v.zoomAbout(100, 0, 0);
    EXPECT_EQ(v.pixelsPerPost, maxPixelsPerPost);
    v.zoomAbout(-200, 0, 0);
    EXPECT_EQ(v.pixelsPerPost, minPixelsPerPost);
    v.setView(1, 100, 100);
    v.panBy(10, -20); // dragged right and up: the map moves with the mouse
    EXPECT_DOUBLE_EQ(v.centreX, 90);
    EXPECT_DOUBLE_EQ(v.centreY, 80);
}

TEST(MapViewport, TheTilesOfTheViewAndThePostsEachShows) {
    struct Case {
        double zoom;
        int level;
    };
    for (const Case& c : {Case{64, 0}, Case{1, 0}, Case{0.75, 0}, Case{0.5, 1}, Case{0.3, 1},
                          Case{0.25, 2}, Case{1.0 / 64, 6}}) {
        EXPECT_EQ(tileLevelFor(c.zoom), c.level) << c.zoom;
    }
    const MapWindow fine = tileWindow({0, 2, 1});
    EXPECT_EQ(fine.left, 512);
    EXPECT_EQ(fine.top, 511);
    EXPECT_EQ(fine.scale, 1);
    const MapWindow coarse = tileWindow({2, 1, 0});
    EXPECT_EQ(coarse.left, 1024);
    EXPECT_EQ(coarse.top, 1023);
    EXPECT_EQ(coarse.scale, -4);

    MapViewport v;
    v.resize(512, 512, 0, 0);
    v.setView(1, 300, 200); // posts 44 to 556 east, -56 to 456 north of a 1024 x 1024 map
    std::vector<PlacedTile> tiles = tilesInView(v, 1024, 1024);
    ASSERT_EQ(tiles.size(), 6u) << "columns 0 to 2, rows 0 and 1";
    EXPECT_EQ(tiles[0].key, (MapTileKey{0, 0, 0}));
    EXPECT_EQ(tiles[5].key, (MapTileKey{0, 2, 1}));
    v.setView(1, 256, 256);
    tiles = tilesInView(v, 1024, 1024);
    EXPECT_DOUBLE_EQ(tiles[0].left, 0);
    EXPECT_DOUBLE_EQ(tiles[0].top, 256); // row 0 is the south: the lower half of the view
    EXPECT_DOUBLE_EQ(tiles[0].side, 256);
    v.setView(1, 2000, 2000);
    EXPECT_TRUE(tilesInView(v, 1024, 1024).empty()) << "off the map";
    v.fitWhole(1024, 1024);
    tiles = tilesInView(v, 1024, 1024);
    ASSERT_EQ(tiles.size(), 4u) << "half a pixel a post: four tiles of 512 posts";
    EXPECT_EQ(tiles[3].key, (MapTileKey{1, 1, 1}));
    EXPECT_DOUBLE_EQ(tiles[3].side, 256);
}

TEST(MapLegend, FindingMarksAreThePagesShapes) {
    const MarkShape square = findingMark("square", 10, 20, 2);
    EXPECT_FALSE(square.circle);
    EXPECT_EQ(square.corners, (std::vector<std::pair<double, double>>{
                                  {8.3, 18.3}, {11.7, 18.3}, {11.7, 21.7}, {8.3, 21.7}}));
    EXPECT_EQ(findingMark("diamond", 0, 0, 10).corners.size(), 4u);
    const MarkShape triangle = findingMark("triangle", 0, 0, 10);
    ASSERT_EQ(triangle.corners.size(), 3u);
    EXPECT_DOUBLE_EQ(triangle.corners[0].second, -13) << "its point up";
    const MarkShape circle = findingMark("circle", 0, 0);
    EXPECT_TRUE(circle.circle);
    EXPECT_DOUBLE_EQ(circle.radius, findingMarkRadius);
    EXPECT_TRUE(findingMark("anything else", 0, 0).circle);
    for (AuditCheck check : auditChecks) { // every check's shape is one of them
        const std::string_view shape = auditCheckStyle(check).shape;
        EXPECT_TRUE(shape == "none" || shape == "circle" || !findingMark(shape, 0, 0).circle)
            << shape;
    }
}

} // namespace
} // namespace vantor
