#include "map/map_overlay.h"

#include "base/text_util.h"
#include "terrain/theater.h"
#include "tools/theater_diff.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

namespace vantor {

namespace {

enum class Shape { Square, Diamond, Triangle, Circle, Cross };

struct Style {
    Argb fill;
    Shape shape;
    std::int32_t radius; // half the shape's size in pixels
    const char* label;
};

constexpr std::array<Style, markerKinds> styles{{
    {argb(220, 30, 160), Shape::Square, 6, "City"},
    {argb(255, 140, 0), Shape::Square, 5, "Town"},
    {argb(255, 235, 60), Shape::Square, 4, "Village"},
    {argb(255, 255, 255), Shape::Diamond, 4, "Junction"},
    {argb(0, 220, 230), Shape::Diamond, 5, "Bridge"},
    {argb(235, 20, 20), Shape::Triangle, 6, "Airbase"},
    {argb(40, 200, 60), Shape::Circle, 5, "Radar"},
    {argb(170, 170, 170), Shape::Circle, 4, "Other objective"},
    {map_colors::road, Shape::Cross, 5, "Road break"},
    {map_colors::river, Shape::Cross, 5, "River break"},
    {map_colors::transition, Shape::Cross, 5, "Transition break"},
}};

constexpr Argb outline = argb(0, 0, 0);
constexpr Argb selectedRing = argb(255, 255, 255);
constexpr Argb deletedCross = argb(255, 0, 0);
constexpr Argb highlightFrame = argb(255, 255, 0);

// Whether (dx, dy) from the centre lies in the shape, and on its edge.
bool inside(Shape shape, std::int32_t r, std::int32_t dx, std::int32_t dy, std::int32_t line = 1) {
    switch (shape) {
    case Shape::Square:
        return std::abs(dx) <= r && std::abs(dy) <= r;
    case Shape::Diamond:
        return std::abs(dx) + std::abs(dy) <= r;
    case Shape::Triangle: // apex up
        return dy <= r && dy >= -r && std::abs(dx) * 2 <= dy + r;
    case Shape::Circle:
        return dx * dx + dy * dy <= r * r + r;
    case Shape::Cross:
        return (std::abs(dx - dy) <= line || std::abs(dx + dy) <= line) && std::abs(dx) <= r &&
               std::abs(dy) <= r;
    }
    return false;
}

// At scale 1 the sprite is markerSpriteSize square with lines a pixel wide; at a larger scale
// (a screen of more dots per inch) the sizes and the lines grow with it.
MapImage makeSprite(MarkerKind kind, std::int32_t mark, bool highlighted, double scale) {
    const Style& s = styles[static_cast<std::size_t>(kind)];
    const std::int32_t c = spriteHalf(scale);
    const std::int32_t side = 2 * c + 1;
    const std::int32_t line =
        std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(scale)));
    const std::int32_t radius =
        static_cast<std::int32_t>(std::lround(s.radius * std::max(scale, 1.0)));
    MapImage image;
    image.resize(side, side, 0);
    for (std::int32_t y = 0; y < side; ++y) {
        for (std::int32_t x = 0; x < side; ++x) {
            const std::int32_t dx = x - c;
            const std::int32_t dy = c - y; // up is positive
            if (highlighted && (c - std::abs(dx) < line || c - std::abs(dy) < line) &&
                std::abs(dx) <= c && std::abs(dy) <= c) {
                image.at(x, y) = highlightFrame;
            }
            if (mark == MarkSelected &&
                std::abs(dx * dx + dy * dy - (c - line) * (c - line)) <= (c - 2 * line) * line) {
                image.at(x, y) = selectedRing;
            }
            if (inside(s.shape, radius, dx, dy, line)) {
                const bool edge = !inside(s.shape, radius - line, dx, dy, line);
                image.at(x, y) = edge && s.shape != Shape::Cross ? outline : s.fill;
            }
            if (mark == MarkDeleted && std::abs(dx) <= c - line && std::abs(dy) <= c - line &&
                (std::abs(dx - dy) < line || std::abs(dx + dy) < line)) {
                image.at(x, y) = deletedCross;
            }
        }
    }
    return image;
}

} // namespace

MarkerKind objectMarkerKind(std::string_view type) {
    const std::string t = toLowerAscii(trimBlanks(type));
    const std::pair<const char*, MarkerKind> names[] = {
        {"city", MarkerKind::City},       {"town", MarkerKind::Town},
        {"village", MarkerKind::Village}, {"junction", MarkerKind::Junction},
        {"bridge", MarkerKind::Bridge},   {"airbase", MarkerKind::Airbase},
        {"airport", MarkerKind::Airbase}, {"airstrip", MarkerKind::Airbase},
        {"radar", MarkerKind::Radar}};
    for (const auto& [name, kind] : names) {
        if (t == name) {
            return kind;
        }
    }
    return MarkerKind::Other;
}

MarkerKind classMarkerKind(std::int16_t classCode) {
    switch (classCode) {
    case 101:
        return MarkerKind::City;
    case 102:
        return MarkerKind::Town;
    case 103:
        return MarkerKind::Village;
    case 104:
        return MarkerKind::Junction;
    case 136:
        return MarkerKind::Radar;
    case 140: // airbase
    case 141: // highway strip
        return MarkerKind::Airbase;
    case 180:
        return MarkerKind::Bridge;
    default:
        return MarkerKind::Other;
    }
}

const char* markerLabel(MarkerKind kind) {
    return styles[static_cast<std::size_t>(kind)].label;
}

std::vector<MapMarker> listMarkers(const ListWindow& w, ListKind listKind, bool scanAll,
                                   const OcdList* classes) {
    std::vector<MapMarker> markers;
    const bool highlights = w.highlighted.size() == rowCount(w);
    if (classes != nullptr && !classes->loaded) {
        classes = nullptr;
    }
    if (w.listMode == ListMode::Objects) {
        for (std::size_t i = 0; i < w.objectRows.size(); ++i) {
            const ListObjectRow& r = w.objectRows[i];
            MarkerKind kind = objectMarkerKind(r.type);
            if (kind == MarkerKind::Other && classes != nullptr && r.ocdId >= 0) {
                if (const OcdEntry* e =
                        findOcdById(*classes, static_cast<std::uint32_t>(r.ocdId))) {
                    kind = classMarkerKind(e->classCode);
                }
            }
            markers.push_back({r.x, r.y, kind, r.mark, highlights && w.highlighted[i] != 0, i});
        }
        return markers;
    }
    for (std::size_t i = 0; i < w.reportRows.size(); ++i) {
        const ListReportRow& r = w.reportRows[i];
        const ListKind scan = decodeReportCode(r.errorCode, listKind, scanAll).scan;
        const MarkerKind kind = scan == ListKind::MisalignedRivers ? MarkerKind::RiverBreak
                                : scan == ListKind::BadTransitions ? MarkerKind::TransitionBreak
                                                                   : MarkerKind::RoadBreak;
        markers.push_back({r.mapX, r.mapY, kind, r.mark, highlights && w.highlighted[i] != 0, i});
    }
    return markers;
}

double markScaleOf(double scale) {
    return static_cast<double>(std::lround(std::max(scale, 1.0) * 100)) / 100;
}

std::int32_t spriteHalf(double scale) {
    return static_cast<std::int32_t>(std::lround(markerSpriteSize / 2 * markScaleOf(scale)));
}

const MapImage& markerSprite(MarkerKind kind, std::int32_t mark, bool highlighted, double scale) {
    static std::mutex guard;
    static std::map<std::tuple<int, int, bool, long>, MapImage> sprites;
    const std::lock_guard lock(guard);
    const long hundredths = std::lround(markScaleOf(scale) * 100);
    const auto key =
        std::tuple{static_cast<int>(kind), static_cast<int>(mark), highlighted, hundredths};
    auto it = sprites.find(key);
    if (it == sprites.end()) {
        it = sprites.emplace(key, makeSprite(kind, mark, highlighted, markScaleOf(scale))).first;
    }
    return it->second;
}

MarkerRows::MarkerRows(const MapTransform& t, std::int32_t width, std::int32_t height,
                       const std::vector<MapMarker>& markers, double scale)
    : width_(width), rows_(static_cast<std::size_t>(std::max(height, 0))) {
    const std::int32_t half = spriteHalf(scale);
    const std::int32_t side = 2 * half + 1;
    // Highlighted markers last, so they stay on top.
    for (const bool top : {false, true}) {
        for (const MapMarker& m : markers) {
            if (m.highlighted != top) {
                continue;
            }
            // An objective far off the map (its X or Y may be any 32-bit number) is no marker on
            // the picture; the test in doubles keeps the conversion below in range.
            const double sx = std::floor(t.screenX(m.x + 0.5));
            const double sy = std::floor(t.screenY(m.y + 0.5));
            if (!(sx > -side && sy > -side && sx < static_cast<double>(width) + side &&
                  sy < static_cast<double>(height) + side)) {
                continue;
            }
            const MapImage& sprite = markerSprite(m.kind, m.mark, m.highlighted, scale);
            const Placed p{static_cast<std::int32_t>(sx) - half,
                           static_cast<std::int32_t>(sy) - half, &sprite};
            for (std::int32_t y = std::max(p.top, 0); y < std::min(p.top + sprite.height, height);
                 ++y) {
                rows_[static_cast<std::size_t>(y)].push_back(placed_.size());
            }
            placed_.push_back(p);
        }
    }
}

void MarkerRows::draw(std::int32_t py, Argb* row) const {
    for (const std::size_t i : rows_[static_cast<std::size_t>(py)]) {
        const Placed& p = placed_[i];
        for (std::int32_t x = 0; x < p.sprite->width; ++x) {
            const std::int32_t px = p.left + x;
            const Argb colour = p.sprite->at(x, py - p.top);
            if ((colour >> 24) != 0 && px >= 0 && px < width_) {
                row[px] = colour;
            }
        }
    }
}

void drawMarkers(MapImage& image, const MapTransform& t, const std::vector<MapMarker>& markers,
                 double scale) {
    const MarkerRows rows(t, image.width, image.height, markers, scale);
    for (std::int32_t py = 0; py < image.height; ++py) {
        rows.draw(
            py,
            &image.pixels[static_cast<std::size_t>(py) * static_cast<std::size_t>(image.width)]);
    }
}

std::int64_t markerAt(const std::vector<MapMarker>& markers, const MapTransform& t, double px,
                      double py, double radius) {
    std::int64_t best = -1;
    double bestDistance = radius * radius;
    for (std::size_t i = 0; i < markers.size(); ++i) {
        const double dx = t.screenX(markers[i].x + 0.5) - px;
        const double dy = t.screenY(markers[i].y + 0.5) - py;
        const double d = dx * dx + dy * dy;
        if (d <= bestDistance) {
            bestDistance = d;
            best = static_cast<std::int64_t>(i);
        }
    }
    return best;
}

MarkShape findingMark(std::string_view shape, double cx, double cy, double r) {
    MarkShape m;
    if (shape == "square") {
        const double h = 0.85 * r;
        m.corners = {{cx - h, cy - h}, {cx + h, cy - h}, {cx + h, cy + h}, {cx - h, cy + h}};
    } else if (shape == "diamond") {
        const double h = 1.2 * r;
        m.corners = {{cx, cy - h}, {cx + h, cy}, {cx, cy + h}, {cx - h, cy}};
    } else if (shape == "triangle") {
        m.corners = {
            {cx, cy - 1.3 * r}, {cx + 1.15 * r, cy + 0.85 * r}, {cx - 1.15 * r, cy + 0.85 * r}};
    } else {
        m.circle = true;
        m.radius = r;
    }
    return m;
}

LegendContent legendContent(const std::vector<MapMarker>& markers,
                            const std::vector<AuditFinding>* findings, bool changes) {
    LegendContent content;
    std::array<bool, markerKinds> kinds{};
    for (const MapMarker& m : markers) {
        kinds[static_cast<std::size_t>(m.kind)] = true;
    }
    for (int k = 0; k < markerKinds; ++k) {
        if (kinds[static_cast<std::size_t>(k)]) {
            content.markers.push_back(static_cast<MarkerKind>(k));
        }
    }
    if (findings != nullptr) {
        std::array<bool, auditCheckCount> checks{};
        for (const AuditFinding& f : *findings) {
            checks[auditIndex(f.check)] = true;
        }
        for (AuditCheck check : auditChecks) {
            if (checks[auditIndex(check)] &&
                std::string_view(auditCheckStyle(check).shape) != "none") {
                content.findings.push_back(check);
            }
        }
    }
    content.changes = changes;
    return content;
}

namespace {

Argb cssColour(const char* hex) {
    return 0xff000000u | static_cast<Argb>(std::strtoul(hex + 1, nullptr, 16));
}

} // namespace

LegendBox placeLegend(LegendCorner preferred, std::int32_t viewWidth, std::int32_t viewHeight,
                      std::int32_t boxWidth, std::int32_t boxHeight,
                      const std::vector<std::pair<double, double>>& keepClear, double scale) {
    const double m = 14 * std::max(scale, 1.0);
    const auto at = [&](LegendCorner c) {
        const bool left = c == LegendCorner::TopLeft || c == LegendCorner::BottomLeft;
        const bool top = c == LegendCorner::TopLeft || c == LegendCorner::TopRight;
        return LegendBox{left ? legendMargin : viewWidth - boxWidth - legendMargin,
                         top ? legendMargin : viewHeight - boxHeight - legendMargin, c};
    };
    // A point's mark (a ring of up to 12 pixels at scale 1) stays clear of the box as well.
    const auto clear = [&](const LegendBox& b) {
        for (const auto& [x, y] : keepClear) {
            if (x > b.left - m && x < b.left + boxWidth + m && y > b.top - m &&
                y < b.top + boxHeight + m) {
                return false;
            }
        }
        return true;
    };
    const int first = static_cast<int>(preferred);
    for (int i = 0; i < 4; ++i) {
        const LegendBox b = at(static_cast<LegendCorner>((first + i) % 4));
        if (clear(b)) {
            return b;
        }
    }
    return at(preferred);
}

LegendCorner nearestCorner(double x, double y, std::int32_t viewWidth, std::int32_t viewHeight) {
    const bool left = x < viewWidth / 2.0;
    const bool top = y < viewHeight / 2.0;
    return top ? (left ? LegendCorner::TopLeft : LegendCorner::TopRight)
               : (left ? LegendCorner::BottomLeft : LegendCorner::BottomRight);
}

std::vector<LegendEntry> legendEntries(MapMode mode, const LegendContent& content) {
    std::vector<LegendEntry> entries;
    if (mode == MapMode::Relief) {
        entries.push_back({"Sea", map_colors::sea, -1});
        entries.push_back({"Lowland", hypsometric(300), -1});
        entries.push_back({"Hills", hypsometric(2800), -1});
        entries.push_back({"Highland", hypsometric(5000), -1});
        entries.push_back({"Peaks", hypsometric(9500), -1});
    } else {
        for (const TileClass c :
             {TileClass::Sea, TileClass::Road, TileClass::River, TileClass::Transition,
              TileClass::Urban, TileClass::Bridge, TileClass::Other}) {
            static constexpr const char* names[] = {"Other",      "Sea",   "Road",  "River",
                                                    "Transition", "Urban", "Bridge"};
            entries.push_back({names[static_cast<int>(c)], tileClassColour(c), -1});
        }
    }
    for (MarkerKind k : content.markers) {
        entries.push_back({markerLabel(k), 0, static_cast<int>(k), LegendSwatch::Marker});
    }
    for (AuditCheck check : content.findings) {
        const AuditCheckStyle style = auditCheckStyle(check);
        entries.push_back({std::string("Audit: ") + auditCheckName(check), cssColour(style.colour),
                           -1, LegendSwatch::Finding, style.shape});
    }
    if (content.changes) {
        entries.push_back(
            {"Post changed", 0xff000000u | changedPostColour, -1, LegendSwatch::ChangedPost});
        for (const char* change : {"added", "deleted", "changed"}) {
            entries.push_back({std::string("Objective ") + change,
                               0xff000000u | objectChangeColour(change), -1,
                               LegendSwatch::ChangeRing});
        }
    }
    return entries;
}

} // namespace vantor

namespace vantor {

std::string postStatusText(const TheaterDefinition& t, const TerrainMatrix& m, std::int64_t mapX,
                           std::int64_t mapY) {
    if (!m.contains(mapX, mapY)) {
        return "Map X " + std::to_string(mapX) + "  Map Y " + std::to_string(mapY) +
               "   off the map";
    }
    const auto x = static_cast<std::int32_t>(mapX);
    const auto y = static_cast<std::int32_t>(mapY);
    const TerrainPost& p = m.at(x, y);
    const auto n = [](std::int64_t v) { return std::to_string(v); };
    return "Map X " + n(x) + "  Map Y " + n(y) + "   Sect X " + n(userSectX(t, x)) + "  Sect Y " +
           n(userSectY(t, y)) + "   Tile X " + n(userTileX(t, x)) + "  Tile Y " +
           n(userTileY(t, y)) + "   Tile ID " + n(p.tileId) + "   Elevation " + n(p.elevation);
}

} // namespace vantor
