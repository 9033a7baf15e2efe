#include "scans/edge_repair.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace vantor {
namespace {

constexpr std::uint32_t land = 1;

// Edge tiles numbered base + edge mask, for the masks listed (every mask when none is).
std::string edgeScript(int type, int base, std::vector<int> masks = {}) {
    if (masks.empty()) {
        for (int mask = 1; mask < 16; ++mask) {
            masks.push_back(mask);
        }
    }
    std::string s;
    for (const int mask : masks) {
        s += std::to_string(type) + ", " + std::to_string(base + mask) + ", E, D, 0, " +
             std::to_string(mask & 1) + ", " + std::to_string(mask & 2) + ", " +
             std::to_string(mask & 4) + ", " + std::to_string(mask & 8) + "\r\n";
    }
    return s;
}

TileScript parsed(ScriptKind kind, const std::string& text) {
    TileScript script;
    EXPECT_TRUE(parseTileScript(script, kind, text).ok);
    return script;
}

// Roads (10000 + mask, and the bridge tiles 13002 and 13003 as straight east-west roads), rivers
// (11000 + mask) and a two-tile bridge 13002 whose far tile 13003 lies east of it.
struct Ground {
    TerrainMatrix m;
    TileScript road;
    TileScript river;
    TileScript bridge;

    explicit Ground(const std::vector<int>& roadMasks = {}) {
        allocateMatrix(m, 8, 8, SevenByteRecords);
        for (TerrainPost& p : m.posts) {
            p.tileId = land;
        }
        road = parsed(ScriptKind::Road, edgeScript(4, 10000, roadMasks) +
                                            "4, 13002, E, D, 0, 1, 0, 4, 0\r\n"
                                            "4, 13003, E, D, 0, 1, 0, 4, 0\r\n");
        river = parsed(ScriptKind::River, edgeScript(5, 11000));
        bridge = parsed(ScriptKind::Bridge, "1, 13002, 2, 2, W, N, E, S\r\n"
                                            "0, 13003, 2, 2, W, N, E, S\r\n"
                                            "2, 9, 2, 0, 0, 0\r\n"
                                            "3, 1, 13000, 13999, 13000, 13999\r\n");
    }
    void row(std::int32_t y, std::int32_t x, const std::vector<std::uint32_t>& tiles) {
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            m.at(x + static_cast<std::int32_t>(i), y).tileId = tiles[i];
        }
    }
    RepairTables tables() const { return buildRepairTables({&road, &river, nullptr, &bridge}); }
};

struct Expected {
    std::int32_t x;
    std::int32_t y;
    std::uint32_t to;
    int direction;
    int mended;
};

TEST(EdgeRepair, EachBreakGetsTheTilesThatAgreeWithItsNeighbours) {
    struct Case {
        const char* name;
        std::function<void(Ground&)> lay;
        std::vector<int> roadMasks; // the road tiles there are (all when empty)
        EdgeBreak broken;
        std::vector<Expected> repairs;
        bool postFits;
        bool neighbourFits;
        bool refused;
    };
    const Case cases[] = {
        {"a gap: filling it mends both sides",
         [](Ground& g) {
             g.row(3, 0, {10004, 10005, land, 10005, 10001});
         },
         {},
         {1, 3, 10005, 3},
         // The far tile of a bridge is an east-west road too, but farther from the land's id.
         {{2, 3, 10005, 3, 2}, {2, 3, 13003, 3, 2}, {1, 3, 10001, 0, 1}},
         true,
         true,
         false},
        {"a spur: the post's own tile set first",
         [](Ground& g) {
             g.row(3, 0, {10004, 10005});
         },
         {},
         {1, 3, 10005, 3},
         {{1, 3, 10001, 0, 1}, {2, 3, 10001, 3, 1}},
         true,
         true,
         false},
        {"a road off the map's west edge",
         [](Ground& g) {
             g.row(3, 0, {10005, 10001});
         },
         {},
         {0, 3, 10005, 1},
         {{0, 3, 10004, 0, 1}},
         true,
         false,
         false},
        {"no tile of the script fits either side",
         [](Ground& g) {
             g.row(3, 0, {10004, 10005});
         },
         {4, 5, 10},
         {1, 3, 10005, 3},
         {},
         false,
         false,
         false},
        {"filling the gap would cut a river: only the post is mended",
         [](Ground& g) {
             g.row(3, 0, {10004, 10005, 11010, 10005, 10001});
             g.m.at(2, 2).tileId = 11010;
             g.m.at(2, 4).tileId = 11010;
         },
         {},
         {1, 3, 10005, 3},
         {{1, 3, 10001, 0, 1}},
         true,
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ground g(c.roadMasks);
        c.lay(g);
        const RepairTables tables = g.tables();
        const EdgeRepairs found = suggestEdgeRepairs(g.m, tables, RepairScript::Road, c.broken);
        ASSERT_EQ(found.repairs.size(), c.repairs.size());
        for (std::size_t i = 0; i < c.repairs.size(); ++i) {
            const TileRepair& r = found.repairs[i];
            const Expected& e = c.repairs[i];
            EXPECT_EQ(std::tuple(r.x, r.y, r.to, r.direction, r.mended),
                      std::tuple(e.x, e.y, e.to, e.direction, e.mended))
                << "repair " << i;
            EXPECT_EQ(r.from, g.m.at(r.x, r.y).tileId);
        }
        EXPECT_EQ(found.postFits, c.postFits);
        EXPECT_EQ(found.neighbourFits, c.neighbourFits);
        EXPECT_EQ(found.refused, c.refused);
    }
}

TEST(EdgeRepair, AMissingFarTileGoesWhereTheBridgeSaysIfTheRoadAllows) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> row; // from Map X 3 on
        std::int32_t bridgeX;
        bool onMap;
        std::vector<std::uint32_t> tiles;
        bool refused;
    };
    const Case cases[] = {
        {"the road goes on east of it", {10004, 13002, 10005, 10001}, 4, true, {13003}, false},
        {"nothing east of it takes the road on", {10004, 13002}, 4, true, {}, true},
        {"the bridge in the last column", {10004, 13002}, 7, false, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ground g;
        g.row(3, c.bridgeX - 1, c.row);
        const TileView view{g.m, {}};
        const std::optional<BridgeTile> bridge = bridgeTileAt(view, g.bridge, c.bridgeX, 3);
        ASSERT_TRUE(bridge && bridge->farTileMissing);
        const FarTileRepairs found = suggestFarTile(g.m, g.tables(), *bridge);
        EXPECT_EQ(found.onMap, c.onMap);
        EXPECT_EQ(std::pair(found.x, found.y), std::pair(c.bridgeX + 1, 3));
        EXPECT_EQ(found.direction, 3);
        std::vector<std::uint32_t> tiles;
        for (const TileRepair& r : found.repairs) {
            tiles.push_back(r.to);
            EXPECT_GE(r.mended, 1);
        }
        EXPECT_EQ(tiles, c.tiles);
        EXPECT_EQ(found.refused, c.refused);
    }
}

TEST(EdgeRepair, TheFaultsAroundAPostAreThoseAChangeThereCanTouch) {
    Ground g;
    g.row(3, 2, {10004, 13002, land});
    const TileView view{g.m, {}};
    const std::vector<TerrainFault> faults =
        faultsAround(view, {&g.road, &g.river, nullptr, &g.bridge}, 4, 3);
    // The bridge's road edge east, and the bridge without its far tile.
    EXPECT_EQ(faults, (std::vector<TerrainFault>{{RepairScript::Road, 3, 3, 3},
                                                 {RepairScript::Bridge, 3, 3, 0}}));
    const TileView mended{g.m, TileChange{4, 3, 13003}};
    EXPECT_EQ(faultsAround(mended, {&g.road, &g.river, nullptr, &g.bridge}, 4, 3),
              (std::vector<TerrainFault>{{RepairScript::Road, 4, 3, 3}}))
        << "the far tile carries the road on to nothing";
}

TEST(SetTile, TheTilesThatFitAPostAndWhatAnyTileDoesThere) {
    Ground g;
    g.row(3, 0, {10004, 10005, land, 10005, 10001}); // a gap at 2,3
    const RepairTables tables = g.tables();

    // The picker: the east-west roads fill the gap; the bridge tile would want its far tile where
    // a road is, so it is left out; nearer ids first among equals.
    const std::vector<TileChoice> fit = tilesThatFit(g.m, tables, 2, 3);
    ASSERT_EQ(fit.size(), 2u);
    EXPECT_EQ(fit[0].repair.to, 10005u);
    EXPECT_EQ(fit[1].repair.to, 13003u);
    for (const TileChoice& c : fit) {
        EXPECT_EQ(c.repair.mended, 2);
        EXPECT_EQ(c.mended.size(), 2u);
        EXPECT_EQ(c.repair.from, land);
        EXPECT_EQ(c.script, RepairScript::Road);
    }
    for (const TileChoice& c : tilesThatFit(g.m, tables, 1, 3)) {
        EXPECT_NE(c.repair.to, 10005u) << "the post's own tile is never offered";
    }

    // A tile typed by hand: what it mends and what it makes, in words.
    struct Case {
        const char* name;
        std::uint32_t tile;
        std::vector<std::string> mended;
        std::vector<std::string> made;
    };
    const Case cases[] = {
        {"a road end that meets the west side", 10001, {"road break to the East of 1,3"}, {}},
        {"the east-west road",
         10005,
         {"road break to the East of 1,3", "road break to the West of 3,3"},
         {}},
        {"a river across the road",
         11005,
         {},
         {"river break to the West of 2,3", "river break to the East of 2,3"}},
        {"the bridge without room for its far tile",
         13002,
         {"road break to the East of 1,3", "road break to the West of 3,3"},
         {"two-tile bridge at 2,3 without its far tile"}},
    };
    const auto texts = [](const std::vector<TerrainFault>& faults) {
        std::vector<std::string> out;
        for (const TerrainFault& f : faults) {
            out.push_back(faultText(f));
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        const TileEffect effect = effectOfTile(g.m, tables.scripts, 2, 3, c.tile);
        std::sort(c.mended.begin(), c.mended.end());
        std::sort(c.made.begin(), c.made.end());
        EXPECT_EQ(texts(effect.mended), c.mended);
        EXPECT_EQ(texts(effect.made), c.made);
    }
    EXPECT_EQ(g.m.at(2, 3).tileId, land) << "looking changes nothing";
}

} // namespace
} // namespace vantor
