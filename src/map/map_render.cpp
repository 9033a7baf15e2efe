#include "map/map_render.h"

#include "checks/city_check.h"
#include "scans/tile_script.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace vantor {

namespace {

Argb blend(Argb a, Argb b, double t) {
    const auto channel = [&](int shift) {
        const double ca = static_cast<double>((a >> shift) & 0xFF);
        const double cb = static_cast<double>((b >> shift) & 0xFF);
        return static_cast<Argb>(std::lround(ca + (cb - ca) * t)) << shift;
    };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

Argb shaded(Argb c, double shade) {
    const auto channel = [&](int shift) {
        const double v = static_cast<double>((c >> shift) & 0xFF) * shade;
        return static_cast<Argb>(std::clamp(std::lround(v), 0L, 255L)) << shift;
    };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

bool isSea(const TerrainPost& p) {
    return p.tileId == 0 && p.elevation == 0;
}

// Light from the north-west: slopes facing it are lighter, those facing away darker.
double hillShade(const TerrainMatrix& m, std::int32_t x, std::int32_t y, std::int32_t step,
                 double strength = 1.0) {
    const auto elevation = [&](std::int32_t px, std::int32_t py) {
        px = std::clamp(px, 0, m.width - 1);
        py = std::clamp(py, 0, m.height - 1);
        return static_cast<double>(m.at(px, py).elevation);
    };
    const double fall = elevation(x + step, y - step) - elevation(x - step, y + step);
    return std::clamp(1.0 + strength * fall * 0.002 / static_cast<double>(step),
                      1.0 - 0.4 * strength, 1.0 + 0.3 * strength);
}

} // namespace

TileClass TileClassifier::classOf(const TerrainPost& post) const {
    if (post.tileId == 0) {
        return TileClass::Sea;
    }
    const auto it = classes.find(post.tileId);
    return it == classes.end() ? TileClass::Other : it->second;
}

TileClassifier loadTileClassifier(const std::string& startDirectory) {
    TileClassifier c;
    const auto add = [&](std::int32_t tile, TileClass cls) {
        if (tile > 0) {
            c.classes.try_emplace(static_cast<std::uint32_t>(tile), cls);
        }
    };
    // Earlier kinds win: a bridge tile is a bridge even where a road script lists it too.
    const std::pair<ScriptKind, TileClass> kinds[] = {
        {ScriptKind::Bridge, TileClass::Bridge},
        {ScriptKind::Road, TileClass::Road},
        {ScriptKind::River, TileClass::River},
        {ScriptKind::Transition, TileClass::Transition}};
    for (const auto& [kind, cls] : kinds) {
        TileScript script;
        if (loadTileScript(script, kind, startDirectory).ok) {
            for (const TileRecord& r : script.tiles) {
                add(r.tileId, cls);
            }
        }
    }
    TileScript checker;
    if (loadTileScript(checker, ScriptKind::Checker, startDirectory).ok) {
        for (const CheckerRecord& r : checker.checkers) {
            add(r.tileId, TileClass::Urban);
        }
    }
    CityTileTables tables;
    if (loadCityTileTables(tables, startDirectory).ok) {
        for (const auto* table : {&tables.kind1, &tables.kind2, &tables.kind5}) {
            for (const CityTileEntry& e : *table) {
                add(e.tileId, TileClass::Urban);
            }
        }
    }
    return c;
}

Argb hypsometric(std::uint16_t elevation) {
    struct Stop {
        double feet;
        Argb colour;
    };
    static constexpr Stop stops[] = {{0, argb(86, 150, 82)},      {1200, argb(150, 176, 96)},
                                     {2800, argb(182, 160, 100)}, {5000, argb(150, 115, 82)},
                                     {7500, argb(170, 160, 150)}, {9500, argb(245, 245, 245)}};
    const double e = elevation;
    for (std::size_t i = 1; i < std::size(stops); ++i) {
        if (e <= stops[i].feet) {
            const double t = (e - stops[i - 1].feet) / (stops[i].feet - stops[i - 1].feet);
            return blend(stops[i - 1].colour, stops[i].colour, t);
        }
    }
    return stops[std::size(stops) - 1].colour;
}

Argb tileClassColour(TileClass c) {
    switch (c) {
    case TileClass::Sea:
        return map_colors::sea;
    case TileClass::Road:
        return map_colors::road;
    case TileClass::River:
        return map_colors::river;
    case TileClass::Transition:
        return map_colors::transition;
    case TileClass::Urban:
        return map_colors::urban;
    case TileClass::Bridge:
        return map_colors::bridge;
    case TileClass::Other:
        break;
    }
    return map_colors::otherLand;
}

std::int64_t MapTransform::postX(double px) const {
    return static_cast<std::int64_t>(std::floor(originX + px / pixelsPerPost));
}

std::int64_t MapTransform::postY(double py) const {
    return static_cast<std::int64_t>(std::ceil(originY - py / pixelsPerPost)) - 1;
}

MapTransform transformOf(const MapWindow& w) {
    MapTransform t;
    t.originX = w.left;
    t.originY = w.top + 1.0;
    t.pixelsPerPost = w.scale > 0 ? w.scale : 1.0 / static_cast<double>(-w.scale);
    return t;
}

void renderTerrain(const TerrainMatrix& m, const TileClassifier& classes, MapMode mode,
                   const MapWindow& w, MapImage& image, unsigned threads) {
    image.resize(w.width, w.height);
    if (m.empty() || w.width <= 0 || w.height <= 0) {
        return;
    }
    const std::int32_t pixelsPerPost = std::max(w.scale, 1);
    const std::int32_t postsPerPixel = w.scale < 0 ? -w.scale : 1;
    const auto drawRows = [&](std::int32_t firstRow, std::int32_t endRow) {
        for (std::int32_t py = firstRow; py < endRow; ++py) {
            const std::int64_t y =
                std::int64_t{w.top} - std::int64_t{py / pixelsPerPost} * postsPerPixel;
            for (std::int32_t px = 0; px < w.width; ++px) {
                const std::int64_t x =
                    std::int64_t{w.left} + std::int64_t{px / pixelsPerPost} * postsPerPixel;
                if (!m.contains(x, y)) {
                    continue;
                }
                const auto mx = static_cast<std::int32_t>(x);
                const auto my = static_cast<std::int32_t>(y);
                const TerrainPost& post = m.at(mx, my);
                Argb colour = 0;
                if (mode == MapMode::Relief) {
                    colour = isSea(post) ? map_colors::sea
                                         : shaded(hypsometric(post.elevation),
                                                  hillShade(m, mx, my, postsPerPixel));
                } else {
                    const TileClass c = classes.classOf(post);
                    colour = tileClassColour(c);
                    if (c == TileClass::Other) {
                        colour = shaded(colour, hillShade(m, mx, my, postsPerPixel, 0.3));
                    }
                }
                image.at(px, py) = colour;
            }
        }
    };
    unsigned count = threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
    count = std::min<unsigned>(count, static_cast<unsigned>(std::max(1, w.height / 64)));
    if (count <= 1) {
        drawRows(0, w.height);
        return;
    }
    std::vector<std::jthread> workers;
    const std::int32_t band =
        (w.height + static_cast<std::int32_t>(count) - 1) / static_cast<std::int32_t>(count);
    for (std::int32_t first = 0; first < w.height; first += band) {
        workers.emplace_back(drawRows, first, std::min(w.height, first + band));
    }
}

void drawSectionGrid(const MapWindow& w, MapImage& image) {
    if (w.scale < 4) {
        return;
    }
    const MapTransform t = transformOf(w);
    const auto darken = [&](std::int32_t px, std::int32_t py) {
        Argb& p = image.at(px, py);
        p = (p & 0xFF000000u) | (shaded(p, 0.6) & 0x00FFFFFFu);
    };
    for (std::int32_t px = 0; px < image.width; ++px) {
        const std::int64_t x = t.postX(px);
        if (x % postsPerSectionSide == 0 && px % w.scale == 0) {
            for (std::int32_t py = 0; py < image.height; ++py) {
                darken(px, py);
            }
        }
    }
    for (std::int32_t py = 0; py < image.height; ++py) {
        const std::int64_t y = t.postY(py);
        // The north edge of a section: the top row of pixels of its northernmost posts.
        if ((y + 1) % postsPerSectionSide == 0 && py % w.scale == 0) {
            for (std::int32_t px = 0; px < image.width; ++px) {
                darken(px, py);
            }
        }
    }
}

} // namespace vantor
