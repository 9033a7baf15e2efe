#include "map/map_compose.h"

#include "audit/audit_checks.h"
#include "map/map_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace vantor {

const MapImage& MapTileCache::tile(const TerrainMatrix& matrix, const TileClassifier& classes,
                                   MapMode mode, const MapTileKey& key) {
    auto it = tiles_.find(key);
    if (it != tiles_.end()) {
        used_.splice(used_.begin(), used_, it->second.used);
        return it->second.image;
    }
    while (tiles_.size() >= limit && !used_.empty()) {
        tiles_.erase(used_.back());
        used_.pop_back();
    }
    used_.push_front(key);
    Kept& kept = tiles_[key];
    kept.used = used_.begin();
    renderTerrain(matrix, classes, mode, tileWindow(key), kept.image, 1);
    return kept.image;
}

void MapTileCache::clear() {
    tiles_.clear();
    used_.clear();
}

namespace {

Pen pen(double width, Argb colour, LineCap cap = LineCap::Square, LineJoin join = LineJoin::Bevel) {
    Pen p;
    p.width = width;
    p.colour = colour;
    p.cap = cap;
    p.join = join;
    return p;
}

Argb blend(Argb under, Argb over) {
    const std::uint32_t a = over >> 24;
    if (a == 255) {
        return over;
    }
    if (a == 0) {
        return under;
    }
    const auto mix = [a](Argb u, Argb o, int shift) {
        const std::uint32_t cu = (u >> shift) & 0xff;
        const std::uint32_t co = (o >> shift) & 0xff;
        return ((co * a + cu * (255 - a) + 127) / 255) << shift;
    };
    return 0xff000000u | mix(under, over, 16) | mix(under, over, 8) | mix(under, over, 0);
}

// A tile of 256 x 256 pixels into its place, each pixel of the view taking the tile's pixel
// under its centre; the tile's transparent pixels (off the map) leave the background.
void placeTile(const MapImage& tile, const PlacedTile& placed, MapImage& out) {
    if (tile.width <= 0 || tile.height <= 0 || placed.side <= 0) {
        return;
    }
    const int x0 = std::max(0, static_cast<int>(std::floor(placed.left)));
    const int y0 = std::max(0, static_cast<int>(std::floor(placed.top)));
    const int x1 = std::min(out.width, static_cast<int>(std::ceil(placed.left + placed.side)));
    const int y1 = std::min(out.height, static_cast<int>(std::ceil(placed.top + placed.side)));
    const double step = tile.width / placed.side;
    for (int y = y0; y < y1; ++y) {
        const int ty = static_cast<int>((y + 0.5 - placed.top) * step);
        if (ty < 0 || ty >= tile.height) {
            continue;
        }
        const Argb* from =
            &tile.pixels[static_cast<std::size_t>(ty) * static_cast<std::size_t>(tile.width)];
        Argb* to = &out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width)];
        for (int x = x0; x < x1; ++x) {
            const int tx = static_cast<int>((x + 0.5 - placed.left) * step);
            if (tx >= 0 && tx < tile.width) {
                to[x] = blend(to[x], from[tx]);
            }
        }
    }
}

void blendPixel(MapImage& image, int x, int y, Argb colour) {
    if (x >= 0 && y >= 0 && x < image.width && y < image.height) {
        image.at(x, y) = blend(image.at(x, y), colour);
    }
}

// Section lines over the map only, every 16 posts.
void drawSectionLines(const MapViewport& view, const TerrainMatrix& m, MapImage& out) {
    if (view.pixelsPerPost * postsPerSectionSide < 24) {
        return;
    }
    const MapTransform t = view.transform();
    const int top = std::max(0, static_cast<int>(std::floor(t.screenY(m.height))));
    const int bottom = std::min(out.height - 1, static_cast<int>(std::floor(t.screenY(0))));
    const int left = std::max(0, static_cast<int>(std::floor(t.screenX(0))));
    const int right = std::min(out.width - 1, static_cast<int>(std::floor(t.screenX(m.width))));
    const Argb line = argb(0, 0, 0, 90);
    for (int x = 0; x <= m.width; x += postsPerSectionSide) {
        const int px = static_cast<int>(std::floor(t.screenX(x)));
        if (px >= 0 && px < out.width) {
            for (int y = top; y <= bottom; ++y) {
                blendPixel(out, px, y, line);
            }
        }
    }
    for (int y = 0; y <= m.height; y += postsPerSectionSide) {
        const int py = static_cast<int>(std::floor(t.screenY(y)));
        if (py >= 0 && py < out.height) {
            for (int x = left; x <= right; ++x) {
                blendPixel(out, x, py, line);
            }
        }
    }
}

Argb cssColour(const char* hex) {
    return 0xff000000u | static_cast<Argb>(std::strtoul(hex + 1, nullptr, 16));
}

// A ring about a post: white under, the colour over.
void drawRing(MapImage& image, double cx, double cy, double radius, Argb colour, double scale) {
    MapCanvas canvas(image);
    radius *= scale;
    canvas.strokeEllipse(cx, cy, radius, radius, pen(4 * scale, argb(255, 255, 255)));
    canvas.strokeEllipse(cx, cy, radius, radius, pen(2 * scale, colour));
}

bool near(const MapImage& image, double x, double y, double margin) {
    return x >= -margin && y >= -margin && x <= image.width + margin && y <= image.height + margin;
}

void drawFindings(const MapOverlays& o, const TerrainMatrix& m, const MapTransform& t,
                  MapImage& out) {
    const double k = markScaleOf(o.scale);
    if (o.findings == nullptr) {
        return;
    }
    for (const AuditFinding& f : *o.findings) {
        const AuditCheckStyle style = auditCheckStyle(f.check);
        const double cx = t.screenX(f.mapX + 0.5);
        const double cy = t.screenY(f.mapY + 0.5);
        if (std::string_view(style.shape) != "none" && m.contains(f.mapX, f.mapY) &&
            near(out, cx, cy, 10 * k)) {
            drawFindingMark(out, style.shape, cssColour(style.colour), cx, cy, k);
        }
    }
    if (o.selectedFinding >= 0 &&
        static_cast<std::size_t>(o.selectedFinding) < o.findings->size()) {
        const AuditFinding& f = (*o.findings)[static_cast<std::size_t>(o.selectedFinding)];
        drawRing(out, t.screenX(f.mapX + 0.5), t.screenY(f.mapY + 0.5), selectedFindingRing,
                 argb(0, 0, 0), k);
    }
}

void drawChanges(const MapOverlays& o, const MapViewport& view, const MapTransform& t,
                 MapImage& out) {
    const double k = markScaleOf(o.scale);
    const Argb magenta = 0xff000000u | changedPostColour;
    if (o.changedPosts != nullptr) {
        // A post as its square zoomed in; zoomed out, three pixels square so it stays in sight.
        const double side = std::max(3.0 * k, view.pixelsPerPost);
        for (const PostChange& p : o.changedPosts->posts) {
            const double cx = t.screenX(p.x + 0.5);
            const double cy = t.screenY(p.y + 0.5);
            if (!near(out, cx, cy, side)) {
                continue;
            }
            const int x0 = static_cast<int>(std::floor(cx - side / 2 + 0.5));
            const int y0 = static_cast<int>(std::floor(cy - side / 2 + 0.5));
            const int n = static_cast<int>(std::lround(side));
            for (int y = std::max(0, y0); y < std::min(out.height, y0 + n); ++y) {
                for (int x = std::max(0, x0); x < std::min(out.width, x0 + n); ++x) {
                    out.at(x, y) = magenta;
                }
            }
        }
    }
    for (const ObjectChangeRow& r : o.changedObjectives) {
        const double cx = t.screenX(r.x + 0.5);
        const double cy = t.screenY(r.y + 0.5);
        if (near(out, cx, cy, 12 * k)) {
            drawRing(out, cx, cy, changedObjectiveRing, 0xff000000u | objectChangeColour(r.change),
                     k);
        }
    }
    if (o.selectedChange) {
        drawRing(out, t.screenX(o.selectedChange->first + 0.5),
                 t.screenY(o.selectedChange->second + 0.5), selectedChangeRing, argb(0, 0, 0), k);
    }
}

} // namespace

void drawFindingMark(MapImage& image, const char* shape, Argb colour, double cx, double cy,
                     double scale) {
    const MarkShape mark = findingMark(shape, cx, cy, findingMarkRadius * scale);
    MapCanvas canvas(image);
    const Pen halo = pen(3 * scale, argb(255, 255, 255), LineCap::Round, LineJoin::Round);
    const Pen outline = pen(scale, argb(0, 0, 0));
    if (mark.circle) {
        canvas.strokeEllipse(cx, cy, mark.radius, mark.radius, halo);
        canvas.fillEllipse(cx, cy, mark.radius, mark.radius, colour);
        canvas.strokeEllipse(cx, cy, mark.radius, mark.radius, outline);
        return;
    }
    std::vector<CanvasPoint> corners;
    for (const auto& [x, y] : mark.corners) {
        corners.push_back({x, y});
    }
    canvas.strokePolyline(corners, halo, true);
    canvas.fillPolygon(corners, colour);
    canvas.strokePolyline(corners, outline, true);
}

void composeMapView(const MapViewport& view, const TerrainMatrix& matrix,
                    const TileClassifier& classes, MapMode mode, MapTileCache& tiles,
                    const MapOverlays& overlays, MapImage& out) {
    out.resize(std::max(1, view.width), std::max(1, view.height), mapBackground);
    if (matrix.empty()) {
        return;
    }
    for (const PlacedTile& placed : tilesInView(view, matrix.width, matrix.height)) {
        placeTile(tiles.tile(matrix, classes, mode, placed.key), placed, out);
    }
    drawSectionLines(view, matrix, out);
    drawMapOverlays(view, matrix, overlays, out);
}

void drawMapOverlays(const MapViewport& view, const TerrainMatrix& matrix,
                     const MapOverlays& overlays, MapImage& out) {
    const MapTransform t = view.transform();
    if (!overlays.markers.empty()) {
        std::vector<MapMarker> markers = overlays.markers;
        std::stable_partition(markers.begin(), markers.end(),
                              [](const MapMarker& m) { return !m.highlighted; });
        drawMarkers(out, t, markers, overlays.scale);
    }
    drawFindings(overlays, matrix, t, out);
    drawChanges(overlays, view, t, out);
}

const char* legendTitle(bool folded) {
    return folded ? "Legend \xe2\x96\xb8" : "Legend \xe2\x96\xbe";
}

LegendLayout legendLayout(LegendCorner corner, std::int32_t viewWidth, std::int32_t viewHeight,
                          std::size_t entries, bool folded,
                          const std::vector<std::pair<double, double>>& keepClear,
                          std::int32_t line, std::int32_t width, double scale) {
    LegendLayout l;
    l.line = line;
    l.width = width;
    l.scale = markScaleOf(scale);
    const std::int32_t gap = static_cast<std::int32_t>(std::lround(6 * l.scale));
    const std::int32_t swatch = 2 * spriteHalf(l.scale) + 1;
    const auto rows = static_cast<std::int32_t>(folded ? 0 : entries);
    l.height = l.line * (rows + 1) + 8;
    const LegendBox box =
        placeLegend(corner, viewWidth, viewHeight, l.width, l.height, keepClear, l.scale);
    l.left = box.left;
    l.top = box.top;
    l.textAt.emplace_back(l.left + gap, l.top + 4);
    for (std::int32_t i = 0; i < rows; ++i) {
        l.textAt.emplace_back(l.left + gap + swatch + gap, l.top + 4 + l.line * (i + 1));
    }
    return l;
}

void drawLegendBox(MapImage& image, const LegendLayout& l, const std::vector<LegendEntry>& entries,
                   bool folded) {
    MapCanvas canvas(image);
    canvas.fillRect(l.left, l.top, l.width, l.height, argb(255, 255, 255, 220));
    canvas.strokeRect(l.left + 0.5, l.top + 0.5, l.width - 1, l.height - 1,
                      pen(1, argb(0, 0, 0, 120)));
    if (folded) {
        return;
    }
    const double k = l.scale;
    for (std::size_t i = 0; i < entries.size() && i + 1 < l.textAt.size(); ++i) {
        const LegendEntry& e = entries[i];
        const double x = l.left + std::round(6 * k);
        const double y = l.textAt[i + 1].second;
        const double w = 2 * spriteHalf(k) + 1;
        const double h = w - 1;
        switch (e.swatch) {
        case LegendSwatch::Marker: {
            const MapImage& sprite =
                markerSprite(static_cast<MarkerKind>(e.markerKind), MarkNone, false, k);
            for (int sy = 0; sy < sprite.height; ++sy) {
                for (int sx = 0; sx < sprite.width; ++sx) {
                    blendPixel(image, static_cast<int>(x) + sx, static_cast<int>(y) + sy,
                               sprite.at(sx, sy));
                }
            }
            break;
        }
        case LegendSwatch::Colour:
            canvas.fillRect(x + k, y + 2 * k, w - 2 * k, h - 4 * k, e.colour);
            break;
        case LegendSwatch::Finding:
            drawFindingMark(image, e.shape, e.colour, x + w / 2, y + h / 2, k);
            break;
        case LegendSwatch::ChangedPost:
            canvas.fillRect(x + 4 * k, y + 4 * k, w - 8 * k, h - 8 * k, e.colour);
            break;
        case LegendSwatch::ChangeRing:
            canvas.strokeEllipse(x + w / 2, y + h / 2, (w - 3 * k) / 2, (h - 2 * k) / 2,
                                 pen(2 * k, e.colour));
            break;
        }
    }
}

} // namespace vantor
