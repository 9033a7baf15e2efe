#include "sample/sample_theater.h"

#include <algorithm>
#include <vector>

namespace vantor {

namespace {

enum Kind : unsigned char { None = 0, Road = 1, River = 2, Strip = 4 };

struct Grid {
    std::int32_t extent;
    std::vector<unsigned char> kind;
    unsigned char& at(std::int32_t x, std::int32_t y) {
        return kind[static_cast<std::size_t>(y) * static_cast<std::size_t>(extent) +
                    static_cast<std::size_t>(x)];
    }
    bool is(std::int32_t x, std::int32_t y, unsigned char k) {
        return x >= 0 && y >= 0 && x < extent && y < extent && (at(x, y) & k) != 0;
    }
};

std::uint8_t maskOf(Grid& g, std::int32_t x, std::int32_t y, unsigned char k) {
    const int mask = (g.is(x - 1, y, k) ? 1 : 0) | (g.is(x, y + 1, k) ? 2 : 0) |
                     (g.is(x + 1, y, k) ? 4 : 0) | (g.is(x, y - 1, k) ? 8 : 0);
    return static_cast<std::uint8_t>(mask);
}

bool land(const TerrainMatrix& m, std::int32_t x, std::int32_t y) {
    return m.contains(x, y) && m.at(x, y).tileId != sample_tiles::sea;
}

// A gap in a straight feature: a post well inside one of its runs, away from anything else.
// Both posts beside it keep their masks, so the gap is two breaks.
bool cutGap(Grid& g, std::int32_t x, std::int32_t y, bool alongX, unsigned char k) {
    for (std::int32_t d = -4; d <= 4; ++d) {
        const std::int32_t px = alongX ? x + d : x;
        const std::int32_t py = alongX ? y : y + d;
        if (!g.is(px, py, k) || (g.at(px, py) & ~k) != 0) {
            return false;
        }
    }
    g.at(x, y) = None;
    return true;
}

} // namespace

namespace {

// Where the sample's roads run (rows) and its rivers (columns): one of each per 128 posts.
struct FeatureLines {
    std::vector<std::int32_t> roadRows;
    std::vector<std::int32_t> riverColumns;
    std::int32_t stripOffset = 0; // a transition strip runs this far below each road
};

FeatureLines featureLines(std::int32_t extent) {
    FeatureLines l;
    const std::int32_t lines = std::max(1, extent / 128);
    for (std::int32_t k = 0; k < lines; ++k) {
        l.roadRows.push_back(extent * (2 * k + 1) / (2 * lines) + 3);
        l.riverColumns.push_back(extent * (2 * k + 1) / (2 * lines) - 5);
    }
    l.stripOffset = extent / (4 * lines);
    return l;
}

// The roads and rivers on the land, and the transition strips between the roads.
void drawFeatures(const TerrainMatrix& m, const FeatureLines& l, Grid& g) {
    const std::int32_t e = g.extent;
    for (std::int32_t y : l.roadRows) {
        for (std::int32_t x = 0; x < e; ++x) {
            if (land(m, x, y)) {
                g.at(x, y) |= Road;
            }
        }
    }
    for (std::int32_t x : l.riverColumns) {
        for (std::int32_t y = 0; y < e; ++y) {
            if (land(m, x, y)) {
                g.at(x, y) |= River;
            }
        }
    }
    for (std::int32_t y : l.roadRows) {
        const std::int32_t strip = y + l.stripOffset;
        for (std::int32_t x = 0; strip < e && x < e; ++x) {
            if (land(m, x, strip) && g.at(x, strip) == None) {
                g.at(x, strip) = Strip;
            }
        }
    }
}

struct Bridge {
    std::int32_t x, y;
    std::uint32_t tile;
};

// Crossings become bridges where the road and the river both go on straight through, in turn
// one-tile, two-tile and (with faults) two-tile without the far tile; anywhere else the road
// keeps the post and the river stops short of it.
std::vector<Bridge> placeCrossings(const FeatureLines& l, Grid& g, SampleFeatures& f,
                                   SampleFaults faults) {
    const int kinds = faults == SampleFaults::Planted ? 3 : 2;
    std::vector<Bridge> bridges;
    int crossing = 0;
    for (std::int32_t y : l.roadRows) {
        for (std::int32_t x : l.riverColumns) {
            if (!g.is(x, y, Road) || !g.is(x, y, River)) {
                continue;
            }
            const bool straight = g.is(x - 1, y, Road) && g.is(x + 1, y, Road) &&
                                  g.is(x + 2, y, Road) && g.is(x, y - 1, River) &&
                                  g.is(x, y + 1, River) && !g.is(x + 1, y, River);
            if (!straight) {
                g.at(x, y) = Road;
                continue;
            }
            switch (crossing++ % kinds) {
            case 0:
                bridges.push_back({x, y, sample_tiles::bridge});
                ++f.oneTileBridges;
                break;
            case 1:
                bridges.push_back({x, y, sample_tiles::bridgeWest});
                bridges.push_back({x + 1, y, sample_tiles::bridgeFarTile});
                ++f.twoTileBridges;
                break;
            default:
                bridges.push_back({x, y, sample_tiles::bridgeWest});
                ++f.bridgesWithoutFarTile;
                break;
            }
        }
    }
    return bridges;
}

// The tile of every feature post, from the mask of the whole feature around it.
std::vector<std::uint32_t> featureTiles(Grid& g) {
    const std::int32_t e = g.extent;
    std::vector<std::uint32_t> tiles(g.kind.size(), 0);
    for (std::int32_t y = 0; y < e; ++y) {
        for (std::int32_t x = 0; x < e; ++x) {
            const unsigned char k = g.at(x, y);
            std::uint32_t& tile = tiles[static_cast<std::size_t>(y) * static_cast<std::size_t>(e) +
                                        static_cast<std::size_t>(x)];
            if ((k & Road) != 0) {
                tile = sample_tiles::road + maskOf(g, x, y, Road);
            } else if ((k & River) != 0) {
                tile = sample_tiles::river + maskOf(g, x, y, River);
            } else if ((k & Strip) != 0) {
                tile = sample_tiles::transition + maskOf(g, x, y, Strip);
            }
        }
    }
    return tiles;
}

// Deliberate gaps, one per line where there is room; each leaves two breaks.
void cutGaps(const FeatureLines& l, Grid& g, SampleFeatures& f) {
    const std::int32_t e = g.extent;
    for (std::int32_t y : l.roadRows) {
        for (std::int32_t x = e / 2; x < e - 5; ++x) {
            if (cutGap(g, x, y, true, Road)) {
                f.roadBreaks += 2;
                break;
            }
        }
    }
    for (std::int32_t x : l.riverColumns) {
        for (std::int32_t y = e / 2 + 9; y < e - 5; ++y) {
            if (cutGap(g, x, y, false, River)) {
                f.riverBreaks += 2;
                break;
            }
        }
    }
    for (std::int32_t y : l.roadRows) {
        const std::int32_t strip = y + l.stripOffset;
        for (std::int32_t x = e / 3; strip < e && x < e - 5; ++x) {
            if (cutGap(g, x, strip, true, Strip)) {
                f.transitionBreaks += 2;
                break;
            }
        }
    }
}

} // namespace

SampleFeatures laySampleFeatures(TerrainMatrix& m, SampleFaults faults) {
    SampleFeatures f;
    const std::int32_t e = m.width;
    Grid g{e,
           std::vector<unsigned char>(static_cast<std::size_t>(e) * static_cast<std::size_t>(e))};
    const FeatureLines lines = featureLines(e);
    drawFeatures(m, lines, g);
    const std::vector<Bridge> bridges = placeCrossings(lines, g, f, faults);
    // Tiles from the masks of the whole features; the gaps cut afterwards keep the land they
    // lie on, while the posts beside them still point into them.
    const std::vector<std::uint32_t> tiles = featureTiles(g);
    if (faults == SampleFaults::Planted) {
        cutGaps(lines, g, f);
    }
    for (std::int32_t y = 0; y < e; ++y) {
        for (std::int32_t x = 0; x < e; ++x) {
            const std::uint32_t tile =
                tiles[static_cast<std::size_t>(y) * static_cast<std::size_t>(e) +
                      static_cast<std::size_t>(x)];
            if (tile != 0 && g.at(x, y) != None) {
                m.at(x, y).tileId = tile;
            }
        }
    }
    for (const Bridge& b : bridges) {
        m.at(b.x, b.y).tileId = b.tile;
    }
    return f;
}

std::string sampleScript(int kind) {
    auto edgeLine = [](int type, std::uint32_t tile, int mask) {
        return std::to_string(type) + ", " + std::to_string(tile) + ", E, D, 0, " +
               std::to_string(mask & 1) + ", " + std::to_string(mask & 2) + ", " +
               std::to_string(mask & 4) + ", " + std::to_string(mask & 8) + "\r\n";
    };
    std::string s;
    switch (kind) {
    case 1:
        s = "; Vantor sample: bridge tiles and the objects placed on them\r\n"
            "1, 13001, 1, 1, W, N, E, S\r\n"
            "1, 13002, 2, 2, W, N, E, S\r\n"
            "0, 13003, 2, 2, W, N, E, S\r\n"
            "2, 7, 1, 0, 0, 0\r\n"
            "2, 8, 1, 0, 0, 0\r\n"
            "2, 9, 2, 0, 0, 0\r\n"
            "3, 1, 13000, 13999, 13000, 13999\r\n";
        break;
    case 2:
        s = "; Vantor sample: road tiles (10000 + edge mask) and the bridges they cross\r\n";
        for (int mask = 1; mask < 16; ++mask) {
            s += edgeLine(4, sample_tiles::road + static_cast<std::uint32_t>(mask), mask);
        }
        for (std::uint32_t tile :
             {sample_tiles::bridge, sample_tiles::bridgeWest, sample_tiles::bridgeFarTile}) {
            s += edgeLine(4, tile, 5);
        }
        break;
    case 3:
        s = "; Vantor sample: river tiles (11000 + edge mask) and the bridges over them\r\n";
        for (int mask = 1; mask < 16; ++mask) {
            s += edgeLine(5, sample_tiles::river + static_cast<std::uint32_t>(mask), mask);
        }
        for (std::uint32_t tile : {sample_tiles::bridge, sample_tiles::bridgeWest}) {
            s += edgeLine(5, tile, 10);
        }
        break;
    default:
        s = "; Vantor sample: transition tiles (12000 + edge mask)\r\n";
        for (int mask = 1; mask < 16; ++mask) {
            s += edgeLine(7, sample_tiles::transition + static_cast<std::uint32_t>(mask), mask);
        }
        break;
    }
    return s + "***END\r\n";
}

} // namespace vantor
