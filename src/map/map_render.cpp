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

// A colour scaled by shade / 256, each channel kept within 255.
Argb shaded(Argb c, std::int32_t shade) {
    const auto channel = [&](int shift) {
        const std::int32_t v = (static_cast<std::int32_t>((c >> shift) & 0xFF) * shade) >> 8;
        return static_cast<Argb>(std::min(v, 255)) << shift;
    };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

bool isSea(const TerrainPost& p) {
    return p.tileId == 0 && p.elevation == 0;
}

// The tint of every elevation, worked out once.
const std::vector<Argb>& hypsometricTable() {
    static const std::vector<Argb> table = [] {
        std::vector<Argb> t(65536);
        for (std::size_t e = 0; e < t.size(); ++e) {
            t[e] = hypsometric(static_cast<std::uint16_t>(e));
        }
        return t;
    }();
    return table;
}

} // namespace

TileClass TileClassifier::classOf(const TerrainPost& post) const {
    if (post.tileId == 0) {
        return TileClass::Sea;
    }
    if (post.tileId < flat.size()) {
        return flat[post.tileId];
    }
    const auto it = classes.find(post.tileId);
    return it == classes.end() ? TileClass::Other : it->second;
}

void TileClassifier::index() {
    flat.assign(65536, TileClass::Other);
    for (const auto& [tile, cls] : classes) {
        if (tile < flat.size()) {
            flat[tile] = cls;
        }
    }
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
    c.index();
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

MapWindow wholeMapWindow(const TerrainMatrix& m, std::int32_t largestSide) {
    const std::int32_t side = std::max({m.width, m.height, std::int32_t{1}});
    MapWindow window;
    window.scale = side <= largestSide ? std::clamp(largestSide / side, 1, 8)
                                       : -((side + largestSide - 1) / largestSide);
    window.left = 0;
    window.top = m.height - 1;
    const auto pixels = [&](std::int32_t posts) {
        return window.scale > 0 ? posts * window.scale
                                : (posts + -window.scale - 1) / -window.scale;
    };
    window.width = pixels(m.width);
    window.height = pixels(m.height);
    return window;
}

MapTransform transformOf(const MapWindow& w) {
    MapTransform t;
    t.originX = w.left;
    t.originY = w.top + 1.0;
    t.pixelsPerPost = w.scale > 0 ? w.scale : 1.0 / static_cast<double>(-w.scale);
    return t;
}

TerrainPainter::TerrainPainter(const TerrainMatrix& matrix, const TileClassifier& classes,
                               MapMode mode, const MapWindow& window)
    : m_(matrix), classes_(classes), mode_(mode), w_(window), tint_(hypsometricTable()),
      pixelsPerPost_(std::max(window.scale, 1)),
      postsPerPixel_(window.scale < 0 ? -window.scale : 1) {
    const std::int32_t strength = mode == MapMode::Relief ? 256 : 77;
    // 0.002 of the full range per foot of fall per post, as a 16.16 factor; the shade stays
    // between 0.6 and 1.3 (relief) or close to 1 (tile classes).
    fallFactor_ = std::int64_t{strength} * 65536 / (500 * std::int64_t{postsPerPixel_});
    darkest_ = 256 - strength * 2 / 5;
    lightest_ = 256 + strength * 3 / 10;
}

void TerrainPainter::drawRow(std::int32_t py, Argb* out) const {
    // Everything the loop reads, as locals: the pixels written could otherwise be taken to
    // change the painter's own numbers, which would then be read again for every pixel.
    const std::int32_t pixelsPerPost = pixelsPerPost_;
    const std::int32_t postsPerPixel = postsPerPixel_;
    const std::int32_t pixels = w_.width;
    const std::int64_t y = std::int64_t{w_.top} - std::int64_t{py / pixelsPerPost} * postsPerPixel;
    if (m_.empty() || y < 0 || y >= m_.height) {
        std::fill_n(out, pixels, Argb{0});
        return;
    }
    const std::int64_t width = m_.width;
    const TerrainPost* row = &m_.posts[static_cast<std::size_t>(y * width)];
    const TerrainPost* north = &m_.posts[static_cast<std::size_t>(
        std::min<std::int64_t>(y + postsPerPixel, m_.height - 1) * width)];
    const TerrainPost* south =
        &m_.posts[static_cast<std::size_t>(std::max<std::int64_t>(y - postsPerPixel, 0) * width)];
    const bool relief = mode_ == MapMode::Relief;
    const Argb* tint = tint_.data();
    const TileClassifier& classes = classes_;
    const std::int64_t fallFactor = fallFactor_;
    const std::int64_t darkest = darkest_;
    const std::int64_t lightest = lightest_;
    // The colour of one post, with its north-west and south-east neighbours for the shade.
    const auto colourOf = [&](const TerrainPost& post, const TerrainPost& northWest,
                              const TerrainPost& southEast) {
        Argb base = 0;
        if (relief) {
            if (isSea(post)) {
                return map_colors::sea;
            }
            base = tint[post.elevation];
        } else {
            const TileClass c = classes.classOf(post);
            if (c != TileClass::Other) {
                return tileClassColour(c);
            }
            base = map_colors::otherLand;
        }
        const std::int32_t fall = static_cast<std::int32_t>(southEast.elevation) -
                                  static_cast<std::int32_t>(northWest.elevation);
        const std::int64_t shade =
            std::clamp<std::int64_t>(256 + ((fall * fallFactor) >> 16), darkest, lightest);
        return shaded(base, static_cast<std::int32_t>(shade));
    };
    const std::int64_t left = w_.left;
    const auto drawPost = [&](std::int32_t i) {
        const std::int64_t x = left + std::int64_t{i} * postsPerPixel;
        const std::int32_t first = i * pixelsPerPost;
        const std::int32_t count = std::min(pixelsPerPost, pixels - first);
        if (x < 0 || x >= width) {
            std::fill_n(out + first, count, Argb{0});
            return;
        }
        const std::int64_t west = std::max<std::int64_t>(x - postsPerPixel, 0);
        const std::int64_t east = std::min<std::int64_t>(x + postsPerPixel, width - 1);
        std::fill_n(out + first, count, colourOf(row[x], north[west], south[east]));
    };
    const std::int32_t postsAcross = (pixels + pixelsPerPost - 1) / pixelsPerPost;
    if (pixelsPerPost != 1 || postsPerPixel != 1) {
        for (std::int32_t i = 0; i < postsAcross; ++i) {
            drawPost(i);
        }
        return;
    }
    // A post to a pixel: between the posts at the map's edges, whose neighbours are all on the
    // map, without a test per pixel.
    const auto pixelOf = [&](std::int64_t x) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(x - left, 0, pixels));
    };
    const std::int32_t inner = pixelOf(1);
    const std::int32_t outer = std::max(inner, pixelOf(width - 1));
    for (std::int32_t i = 0; i < inner; ++i) {
        drawPost(i);
    }
    for (std::int32_t i = inner; i < outer; ++i) {
        const std::int64_t x = left + i;
        out[i] = colourOf(row[x], north[x - 1], south[x + 1]);
    }
    for (std::int32_t i = outer; i < pixels; ++i) {
        drawPost(i);
    }
}

void renderTerrain(const TerrainMatrix& m, const TileClassifier& classes, MapMode mode,
                   const MapWindow& w, MapImage& image, unsigned threads) {
    if (m.empty() || w.width <= 0 || w.height <= 0) {
        image.resize(w.width, w.height);
        return;
    }
    // Each worker writes every pixel of its rows (clear where the window leaves the map), so
    // that the memory is first touched, and made, by the workers.
    image.resizeForOverwrite(w.width, w.height);
    const TerrainPainter painter(m, classes, mode, w);
    const auto drawRows = [&](std::int32_t firstRow, std::int32_t endRow) {
        for (std::int32_t py = firstRow; py < endRow; ++py) {
            Argb* out =
                &image.pixels[static_cast<std::size_t>(py) * static_cast<std::size_t>(w.width)];
            if (py > firstRow && painter.sameAsAbove(py)) {
                std::copy_n(out - w.width, w.width, out);
            } else {
                painter.drawRow(py, out);
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

bool sectionGridDrawn(const MapWindow& w) {
    return w.scale >= 4;
}

SectionGridRows::SectionGridRows(const MapWindow& w) : window_(w) {
    if (!sectionGridDrawn(w)) {
        return;
    }
    const MapTransform t = transformOf(w);
    for (std::int32_t px = 0; px < w.width; ++px) {
        const std::int64_t x = t.postX(px);
        if (x % postsPerSectionSide == 0 && px % w.scale == 0) {
            columns_.push_back(px);
        }
    }
}

void SectionGridRows::draw(std::int32_t py, Argb* row) const {
    if (!sectionGridDrawn(window_)) {
        return;
    }
    const auto darken = [](Argb& p) { p = (p & 0xFF000000u) | (shaded(p, 154) & 0x00FFFFFFu); };
    for (const std::int32_t px : columns_) {
        darken(row[px]);
    }
    const std::int64_t y = transformOf(window_).postY(py);
    // The north edge of a section: the top row of pixels of its northernmost posts.
    if ((y + 1) % postsPerSectionSide == 0 && py % window_.scale == 0) {
        std::for_each(row, row + window_.width, darken);
    }
}

void drawSectionGrid(const MapWindow& w, MapImage& image) {
    const SectionGridRows grid(w);
    for (std::int32_t py = 0; py < image.height; ++py) {
        grid.draw(
            py,
            &image.pixels[static_cast<std::size_t>(py) * static_cast<std::size_t>(image.width)]);
    }
}

} // namespace vantor
