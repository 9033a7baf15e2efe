#include "map/map_canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace vantor {

namespace {

// Sample lines down each pixel row; across the row the coverage is exact.
constexpr int samplesPerRow = 16;
// How far a flattened curve may stray from the true one, in pixels.
constexpr double curveTolerance = 0.02;

CanvasPoint operator+(CanvasPoint a, CanvasPoint b) {
    return {a.x + b.x, a.y + b.y};
}
CanvasPoint operator-(CanvasPoint a, CanvasPoint b) {
    return {a.x - b.x, a.y - b.y};
}
CanvasPoint operator*(CanvasPoint a, double f) {
    return {a.x * f, a.y * f};
}
bool same(CanvasPoint a, CanvasPoint b) {
    return a.x == b.x && a.y == b.y;
}
double length(CanvasPoint a) {
    return std::hypot(a.x, a.y);
}

double signedArea(const std::vector<CanvasPoint>& c) {
    double area = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const CanvasPoint a = c[i];
        const CanvasPoint b = c[(i + 1) % c.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2;
}

// The pieces of a stroke are filled together under the nonzero rule; turned all the same way
// round, where they overlap they add up instead of cancelling.
void addPiece(std::vector<std::vector<CanvasPoint>>& pieces, std::vector<CanvasPoint> piece) {
    if (signedArea(piece) < 0) {
        std::reverse(piece.begin(), piece.end());
    }
    pieces.push_back(std::move(piece));
}

std::vector<CanvasPoint> circle(CanvasPoint c, double r) {
    const double step = r > curveTolerance ? 2 * std::acos(1 - curveTolerance / r) : 1;
    const int n = std::clamp(static_cast<int>(std::ceil(2 * std::numbers::pi / step)), 8, 4096);
    std::vector<CanvasPoint> points;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        points.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    return points;
}

// The outline pieces of one solid run of a stroke: a box per segment, the joins between them
// and the caps at the ends.
void strokePieces(std::vector<CanvasPoint> points, double half, LineCap cap, LineJoin join,
                  bool closed, std::vector<std::vector<CanvasPoint>>& pieces) {
    points.erase(std::unique(points.begin(), points.end(), same), points.end());
    if (closed && points.size() > 1 && same(points.front(), points.back())) {
        points.pop_back();
    }
    if (points.size() == 1) { // a dot: only the caps show it
        const CanvasPoint p = points.front();
        if (cap == LineCap::Round) {
            addPiece(pieces, circle(p, half));
        } else if (cap == LineCap::Square) {
            addPiece(pieces, {{p.x - half, p.y - half},
                              {p.x + half, p.y - half},
                              {p.x + half, p.y + half},
                              {p.x - half, p.y + half}});
        }
        return;
    }
    if (points.size() < 2) {
        return;
    }
    const std::size_t segments = closed ? points.size() : points.size() - 1;
    const auto normal = [&](std::size_t i) {
        const CanvasPoint d = points[(i + 1) % points.size()] - points[i];
        const double l = length(d);
        return CanvasPoint{-d.y / l, d.x / l};
    };
    for (std::size_t i = 0; i < segments; ++i) {
        CanvasPoint a = points[i];
        CanvasPoint b = points[(i + 1) % points.size()];
        const CanvasPoint n = normal(i);
        const CanvasPoint d{n.y * half, -n.x * half}; // along the segment, half the width long
        if (!closed && cap == LineCap::Square) {
            if (i == 0) {
                a = a - d;
            }
            if (i + 1 == segments) {
                b = b + d;
            }
        }
        addPiece(pieces, {a + n * half, b + n * half, b - n * half, a - n * half});
    }
    for (std::size_t i = closed ? 0 : 1; i < (closed ? points.size() : points.size() - 1); ++i) {
        const CanvasPoint v = points[i];
        if (join == LineJoin::Round) {
            addPiece(pieces, circle(v, half));
            continue;
        }
        const CanvasPoint in = normal((i + points.size() - 1) % points.size()) * half;
        const CanvasPoint out = normal(i) * half;
        addPiece(pieces, {v, v + in, v + out});
        addPiece(pieces, {v, v - in, v - out});
    }
    if (!closed && cap == LineCap::Round) {
        addPiece(pieces, circle(points.front(), half));
        addPiece(pieces, circle(points.back(), half));
    }
}

// The drawn runs of a dashed line.
std::vector<std::vector<CanvasPoint>> dashRuns(const std::vector<CanvasPoint>& points,
                                               std::vector<double> dashes) {
    if (dashes.size() % 2 != 0) { // an odd pattern: drawn and skipped swap on the second turn
        dashes.insert(dashes.end(), dashes.begin(), dashes.end());
    }
    std::vector<std::vector<CanvasPoint>> runs;
    std::size_t k = 0;
    double left = dashes[0];
    std::vector<CanvasPoint> run{points.front()};
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const CanvasPoint a = points[i];
        const CanvasPoint d = points[i + 1] - a;
        const double l = length(d);
        double t = 0;
        while (l - t > left) {
            t += left;
            const CanvasPoint p = a + d * (t / l);
            if (k % 2 == 0) {
                run.push_back(p);
                runs.push_back(std::move(run));
                run.clear();
            } else {
                run = {p};
            }
            k = (k + 1) % dashes.size();
            left = dashes[k];
        }
        left -= l - t;
        if (k % 2 == 0) {
            run.push_back(points[i + 1]);
        }
    }
    if (k % 2 == 0) {
        runs.push_back(std::move(run));
    }
    return runs;
}

// Source-over in straight alpha: the colour at `coverage` of its own alpha over the pixel.
void blend(Argb& pixel, Argb colour, double coverage) {
    const double sa = static_cast<double>(colour >> 24) / 255 * std::min(coverage, 1.0);
    if (sa <= 0) {
        return;
    }
    const double da = static_cast<double>(pixel >> 24) / 255;
    const double oa = sa + da * (1 - sa);
    const auto channel = [&](int shift) {
        const double s = static_cast<double>((colour >> shift) & 0xFF);
        const double d = static_cast<double>((pixel >> shift) & 0xFF);
        return static_cast<Argb>(std::lround((s * sa + d * da * (1 - sa)) / oa)) << shift;
    };
    pixel =
        (static_cast<Argb>(std::lround(oa * 255)) << 24) | channel(16) | channel(8) | channel(0);
}

} // namespace

std::vector<CanvasPoint> flattenCubic(CanvasPoint p0, CanvasPoint c1, CanvasPoint c2,
                                      CanvasPoint p3, double tolerance) {
    // A cubic's second derivative is at most 6 times the larger of these; n even steps keep the
    // chords within an eighth of that over n squared of the curve.
    const double bend = std::max(length(p0 - c1 * 2 + c2), length(c1 - c2 * 2 + p3));
    const double steps = std::ceil(std::sqrt(0.75 * bend / std::max(tolerance, 1e-6)));
    const int n = std::clamp(static_cast<int>(std::isfinite(steps) ? steps : 1), 1, 4096);
    std::vector<CanvasPoint> points;
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double u = 1 - t;
        points.push_back(p0 * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) +
                         p3 * (t * t * t));
    }
    return points;
}

std::vector<CanvasPoint> MapCanvas::toPixels(std::span<const CanvasPoint> points) const {
    std::vector<CanvasPoint> out;
    out.reserve(points.size());
    for (const CanvasPoint p : points) {
        out.push_back(p * scale_);
    }
    return out;
}

std::vector<CanvasPoint> MapCanvas::arcPixels(double cx, double cy, double rx, double ry,
                                              double start, double span) const {
    cx *= scale_;
    cy *= scale_;
    rx = std::abs(rx * scale_);
    ry = std::abs(ry * scale_);
    const double r = std::max(rx, ry);
    const double step = r > curveTolerance ? 2 * std::acos(1 - curveTolerance / r) : 1;
    const int n = std::clamp(static_cast<int>(std::ceil(std::abs(span) / step)), 1, 4096);
    std::vector<CanvasPoint> points;
    for (int i = 0; i <= n; ++i) {
        const double a = start + span * i / n;
        points.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
    }
    return points;
}

std::vector<CanvasPoint> MapCanvas::roundedRectPixels(double x, double y, double w, double h,
                                                      double radius) const {
    const double r = std::clamp(radius, 0.0, std::min(w, h) / 2);
    const double quarter = std::numbers::pi / 2;
    const CanvasPoint centres[] = {
        {x + r, y + r}, {x + w - r, y + r}, {x + w - r, y + h - r}, {x + r, y + h - r}};
    std::vector<CanvasPoint> points;
    for (int i = 0; i < 4; ++i) { // clockwise on the screen from the top-left corner
        const auto arc = arcPixels(centres[i].x, centres[i].y, r, r, (2 - i) * quarter, -quarter);
        points.insert(points.end(), arc.begin(), arc.end());
    }
    return points;
}

void MapCanvas::fillPolygon(std::span<const CanvasPoint> points, Argb colour) {
    fill({toPixels(points)}, colour);
}

void MapCanvas::strokePolyline(std::span<const CanvasPoint> points, const Pen& pen, bool closed) {
    strokePixels(toPixels(points), pen, closed);
}

void MapCanvas::strokeLine(CanvasPoint a, CanvasPoint b, const Pen& pen) {
    const CanvasPoint points[] = {a, b};
    strokePolyline(points, pen);
}

void MapCanvas::strokeCubic(CanvasPoint p0, CanvasPoint c1, CanvasPoint c2, CanvasPoint p3,
                            const Pen& pen) {
    strokePixels(flattenCubic(p0 * scale_, c1 * scale_, c2 * scale_, p3 * scale_, curveTolerance),
                 pen, false);
}

void MapCanvas::fillRect(double x, double y, double w, double h, Argb colour) {
    const CanvasPoint corners[] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    fillPolygon(corners, colour);
}

void MapCanvas::strokeRect(double x, double y, double w, double h, const Pen& pen) {
    const CanvasPoint corners[] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    strokePolyline(corners, pen, true);
}

void MapCanvas::fillRoundedRect(double x, double y, double w, double h, double radius,
                                Argb colour) {
    fill({roundedRectPixels(x, y, w, h, radius)}, colour);
}

void MapCanvas::strokeRoundedRect(double x, double y, double w, double h, double radius,
                                  const Pen& pen) {
    strokePixels(roundedRectPixels(x, y, w, h, radius), pen, true);
}

void MapCanvas::fillEllipse(double cx, double cy, double rx, double ry, Argb colour) {
    fill({arcPixels(cx, cy, rx, ry, 0, 2 * std::numbers::pi)}, colour);
}

void MapCanvas::strokeEllipse(double cx, double cy, double rx, double ry, const Pen& pen) {
    strokePixels(arcPixels(cx, cy, rx, ry, 0, 2 * std::numbers::pi), pen, true);
}

void MapCanvas::strokeArc(double cx, double cy, double rx, double ry, double startDegrees,
                          double spanDegrees, const Pen& pen) {
    const double toRadians = std::numbers::pi / 180;
    strokePixels(arcPixels(cx, cy, rx, ry, startDegrees * toRadians, spanDegrees * toRadians), pen,
                 false);
}

void MapCanvas::strokePixels(const std::vector<CanvasPoint>& points, const Pen& pen, bool closed) {
    const double half = pen.width * scale_ / 2;
    if (points.empty() || !(half > 0)) {
        return;
    }
    std::vector<Contour> pieces;
    double period = 0;
    for (const double d : pen.dashes) {
        period += d;
    }
    double pathLength = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        pathLength += length(points[i + 1] - points[i]);
    }
    // A pattern with a negative length, or no length at all, draws the line solid; so does one
    // too fine to tell from a solid line, that would cut it into countless pieces.
    const bool dashed = std::ranges::all_of(pen.dashes, [](double d) { return d >= 0; }) &&
                        period > 0 && std::isfinite(period) &&
                        pathLength / (period * scale_) < 100000;
    if (!dashed) {
        strokePieces(points, half, pen.cap, pen.join, closed, pieces);
    } else {
        std::vector<CanvasPoint> path = points;
        if (closed) {
            path.push_back(points.front());
        }
        std::vector<double> dashes;
        for (const double d : pen.dashes) {
            dashes.push_back(d * scale_);
        }
        for (const auto& run : dashRuns(path, dashes)) {
            strokePieces(run, half, pen.cap, pen.join, false, pieces);
        }
    }
    fill(pieces, pen.colour);
}

void MapCanvas::fill(const std::vector<Contour>& contours, Argb colour) {
    struct Edge {
        double x0, y0, x1, y1;
        int winding;
    };
    std::vector<Edge> edges;
    double top = image_.height;
    double bottom = 0;
    double left = image_.width;
    double right = 0;
    for (const Contour& c : contours) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            CanvasPoint a = c[i];
            CanvasPoint b = c[(i + 1) % c.size()];
            if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) ||
                !std::isfinite(b.y)) {
                return; // a shape with no place on the picture is not drawn at all
            }
            if (a.y == b.y) {
                continue;
            }
            const int winding = a.y < b.y ? 1 : -1;
            if (winding < 0) {
                std::swap(a, b);
            }
            edges.push_back({a.x, a.y, b.x, b.y, winding});
            top = std::min(top, a.y);
            bottom = std::max(bottom, b.y);
            left = std::min({left, a.x, b.x});
            right = std::max({right, a.x, b.x});
        }
    }
    const int rowFirst = static_cast<int>(std::max(std::floor(top), 0.0));
    const int rowEnd = static_cast<int>(std::min(std::ceil(bottom), double(image_.height)));
    const int colFirst = static_cast<int>(std::max(std::floor(left), 0.0));
    const int colEnd = static_cast<int>(std::min(std::ceil(right), double(image_.width)));
    if (rowFirst >= rowEnd || colFirst >= colEnd) {
        return;
    }
    std::vector<double> coverage(static_cast<std::size_t>(colEnd - colFirst));
    std::vector<const Edge*> rowEdges;
    std::vector<std::pair<double, int>> crossings;
    const double weight = 1.0 / samplesPerRow;
    const auto addSpan = [&](double from, double to) {
        from = std::max(from, double(colFirst));
        to = std::min(to, double(colEnd));
        if (to <= from) {
            return;
        }
        const int first = static_cast<int>(from);
        const int last = static_cast<int>(to);
        double* cov = coverage.data() - colFirst;
        if (first == last) {
            cov[first] += (to - from) * weight;
            return;
        }
        cov[first] += (first + 1 - from) * weight;
        for (int x = first + 1; x < last; ++x) {
            cov[x] += weight;
        }
        if (last < colEnd) {
            cov[last] += (to - last) * weight;
        }
    };
    for (int row = rowFirst; row < rowEnd; ++row) {
        std::fill(coverage.begin(), coverage.end(), 0.0);
        rowEdges.clear();
        for (const Edge& e : edges) {
            if (e.y0 < row + 1 && e.y1 > row) {
                rowEdges.push_back(&e);
            }
        }
        for (int s = 0; s < samplesPerRow; ++s) {
            const double y = row + (s + 0.5) * weight;
            crossings.clear();
            for (const Edge* e : rowEdges) {
                if (e->y0 <= y && y < e->y1) {
                    crossings.emplace_back(e->x0 + (y - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0),
                                           e->winding);
                }
            }
            std::sort(crossings.begin(), crossings.end());
            int winding = 0;
            double start = 0;
            for (const auto& [x, w] : crossings) {
                if (winding == 0) {
                    start = x;
                }
                winding += w;
                if (winding == 0) {
                    addSpan(start, x);
                }
            }
        }
        for (int x = colFirst; x < colEnd; ++x) {
            blend(image_.at(x, row), colour, coverage[static_cast<std::size_t>(x - colFirst)]);
        }
    }
}

} // namespace vantor
