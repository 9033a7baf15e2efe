#pragma once

#include "map/map_render.h"

#include <span>
#include <vector>

namespace vantor {

// A small anti-aliased drawer over a MapImage, for the pictures every front end shows alike
// (toolbar buttons, list state icons). Shapes are blended source-over onto what is there, in
// straight (not premultiplied) alpha as the rest of the images keep it. A pixel's coverage is
// exact across a row and sampled on 16 lines down it, so the same calls give the same bytes on
// every machine.

struct CanvasPoint {
    double x = 0;
    double y = 0;
};

enum class LineCap {
    Flat,   // the line ends where it ends
    Square, // half the width further, squared off
    Round,  // a half circle
};
enum class LineJoin { Bevel, Round };

struct Pen {
    double width = 1;
    Argb colour = argb(0, 0, 0);
    LineCap cap = LineCap::Square;
    LineJoin join = LineJoin::Bevel;
    // Lengths of the drawn and the skipped pieces in turn, starting with a drawn one, in the
    // canvas's units; empty: a solid line. Each drawn piece gets the caps.
    std::vector<double> dashes;
};

// The points of a cubic Bézier curve from p0 to p3, none further than `tolerance` from it.
std::vector<CanvasPoint> flattenCubic(CanvasPoint p0, CanvasPoint c1, CanvasPoint c2,
                                      CanvasPoint p3, double tolerance);

class MapCanvas {
  public:
    // Coordinates and widths are multiplied by scale: a picture laid out on a small grid drawn
    // at any size. Angles are in degrees, counter-clockwise from three o'clock as on a dial.
    explicit MapCanvas(MapImage& image, double scale = 1) : image_(image), scale_(scale) {}

    // Inside where the outline winds round a point at all: the same either way round.
    void fillPolygon(std::span<const CanvasPoint> points, Argb colour);
    void strokePolyline(std::span<const CanvasPoint> points, const Pen& pen, bool closed = false);
    void strokeLine(CanvasPoint a, CanvasPoint b, const Pen& pen);
    void strokeCubic(CanvasPoint p0, CanvasPoint c1, CanvasPoint c2, CanvasPoint p3,
                     const Pen& pen);

    void fillRect(double x, double y, double w, double h, Argb colour);
    void strokeRect(double x, double y, double w, double h, const Pen& pen);
    void fillRoundedRect(double x, double y, double w, double h, double radius, Argb colour);
    void strokeRoundedRect(double x, double y, double w, double h, double radius, const Pen& pen);

    void fillEllipse(double cx, double cy, double rx, double ry, Argb colour);
    void strokeEllipse(double cx, double cy, double rx, double ry, const Pen& pen);
    void strokeArc(double cx, double cy, double rx, double ry, double startDegrees,
                   double spanDegrees, const Pen& pen);

  private:
    using Contour = std::vector<CanvasPoint>;

    std::vector<CanvasPoint> toPixels(std::span<const CanvasPoint> points) const;
    // Points on an ellipse in pixels, from start over span (radians), close enough to the curve.
    std::vector<CanvasPoint> arcPixels(double cx, double cy, double rx, double ry, double start,
                                       double span) const;
    std::vector<CanvasPoint> roundedRectPixels(double x, double y, double w, double h,
                                               double radius) const;
    void strokePixels(const std::vector<CanvasPoint>& points, const Pen& pen, bool closed);
    // Blends the area where the contours together wind round a point (nonzero rule).
    void fill(const std::vector<Contour>& contours, Argb colour);

    MapImage& image_;
    double scale_;
};

} // namespace vantor
