#include "app/toolbar_sprites.h"
#include "map/map_canvas.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace vantor {
namespace {

int alphaOf(Argb c) {
    return static_cast<int>(c >> 24);
}

// The area painted, in pixels: each pixel's alpha over the alpha of the colour drawn.
double paintedArea(const MapImage& image, int colourAlpha = 255) {
    double sum = 0;
    for (const Argb p : image.pixels) {
        sum += alphaOf(p);
    }
    return sum / colourAlpha;
}

int highestAlpha(const MapImage& image) {
    int high = 0;
    for (const Argb p : image.pixels) {
        high = std::max(high, alphaOf(p));
    }
    return high;
}

MapImage blank(int w, int h) {
    MapImage image;
    image.resize(w, h, 0);
    return image;
}

TEST(MapCanvas, AFilledRectangleCoversExactlyItsPixels) {
    struct Case {
        double x, y, w, h;
    };
    const Case cases[] = {
        {2, 2, 3, 3},           // on pixel edges
        {1.5, 2, 3, 2},         // half pixels left and right
        {0.25, 0.5, 4.5, 3.25}, // quarter and half pixels on every side
        {-2, -3, 4, 5},         // partly off the picture
        {6.75, 6.75, 5, 5},     // off the bottom-right corner
        {3, 3, 0.5, 0.5},       // smaller than a pixel
    };
    for (const Case& c : cases) {
        MapImage image = blank(8, 8);
        MapCanvas(image).fillRect(c.x, c.y, c.w, c.h, argb(10, 20, 30));
        for (int py = 0; py < 8; ++py) {
            for (int px = 0; px < 8; ++px) {
                const double overlapX =
                    std::max(0.0, std::min(px + 1.0, c.x + c.w) - std::max(double(px), c.x));
                const double overlapY =
                    std::max(0.0, std::min(py + 1.0, c.y + c.h) - std::max(double(py), c.y));
                const double expected = 255 * overlapX * overlapY;
                const Argb got = image.at(px, py);
                EXPECT_NEAR(alphaOf(got), expected, 1)
                    << "rect " << c.x << "," << c.y << " " << c.w << "x" << c.h << " pixel " << px
                    << "," << py;
                if (alphaOf(got) != 0) { // straight alpha: the colour itself, however faint
                    EXPECT_EQ(got & 0xFFFFFFu, argb(10, 20, 30) & 0xFFFFFFu);
                }
            }
        }
    }
}

TEST(MapCanvas, PolygonsFillAlikeWhicheverWayRoundAndFromAnyCorner) {
    struct Case {
        const char* name;
        std::vector<CanvasPoint> points;
        double area; // -1: not checked
    };
    const Case cases[] = {
        {"triangle", {{1, 1}, {15, 3}, {6, 14}}, 0.5 * std::abs(14 * 13 - 5 * 2)},
        {"concave L", {{2, 2}, {6, 2}, {6, 10}, {13, 10}, {13, 14}, {2, 14}}, 4 * 8 + 11 * 4},
        {"arrow", {{1, 8}, {8, 1}, {15, 8}, {10, 8}, {10, 15}, {6, 15}, {6, 8}}, 49 + 28},
        // A pentagram: the middle, wound round twice, is filled too.
        {"star", {{8, 1}, {12.1, 13.7}, {1.3, 5.8}, {14.7, 5.8}, {3.9, 13.7}}, -1},
    };
    for (const Case& c : cases) {
        MapImage reference = blank(16, 16);
        MapCanvas(reference).fillPolygon(c.points, argb(200, 0, 0));
        if (c.area >= 0) {
            EXPECT_NEAR(paintedArea(reference), c.area, 0.01 * c.area) << c.name;
        }
        EXPECT_GT(alphaOf(reference.at(8, 8)) + alphaOf(reference.at(4, 12)), 0) << c.name;
        for (const bool reversed : {false, true}) {
            for (std::size_t start = 0; start < c.points.size(); ++start) {
                std::vector<CanvasPoint> points = c.points;
                std::rotate(points.begin(), points.begin() + static_cast<long>(start),
                            points.end());
                if (reversed) {
                    std::reverse(points.begin(), points.end());
                }
                MapImage image = blank(16, 16);
                MapCanvas(image).fillPolygon(points, argb(200, 0, 0));
                for (std::size_t i = 0; i < image.pixels.size(); ++i) {
                    ASSERT_NEAR(alphaOf(image.pixels[i]), alphaOf(reference.pixels[i]), 1)
                        << c.name << " from corner " << start << (reversed ? " reversed" : "");
                }
            }
        }
    }
}

TEST(MapCanvas, StrokesAreAsWideAsThePenAndNeverPaintedTwice) {
    constexpr double pi = std::numbers::pi;
    struct Case {
        const char* name;
        std::vector<CanvasPoint> points;
        double width;
        LineCap cap;
        double area;      // of the stroke, in pixels
        double roundJoin; // what round joins add
    };
    const double diagonal = std::hypot(12, 9);
    const Case cases[] = {
        {"level, flat", {{4, 10}, {16, 10}}, 2, LineCap::Flat, 24, 0},
        {"level, thin", {{4, 10.5}, {16, 10.5}}, 0.5, LineCap::Flat, 6, 0},
        {"upright, square", {{10, 4}, {10, 16}}, 3, LineCap::Square, 12 * 3 + 9, 0},
        {"diagonal, flat", {{4, 4}, {16, 13}}, 1.5, LineCap::Flat, diagonal * 1.5, 0},
        {"diagonal, round", {{4, 4}, {16, 13}}, 2, LineCap::Round, diagonal * 2 + pi, 0},
        {"a dot, round", {{10, 10}, {10, 10}}, 4, LineCap::Round, 4 * pi, 0},
        {"a dot, square", {{10, 10}, {10, 10}}, 3, LineCap::Square, 9, 0},
        {"a dot, flat", {{10, 10}, {10, 10}}, 3, LineCap::Flat, 0, 0},
        // Back over itself: the way back adds nothing, a round join half a disc at the turn.
        {"there and back", {{4, 10}, {16, 10}, {4, 10}}, 2, LineCap::Flat, 24, pi / 2},
    };
    for (const Case& c : cases) {
        for (const LineJoin join : {LineJoin::Bevel, LineJoin::Round}) {
            MapImage image = blank(20, 20);
            Pen pen;
            pen.width = c.width;
            pen.colour = argb(0, 0, 255, 128);
            pen.cap = c.cap;
            pen.join = join;
            MapCanvas(image).strokePolyline(c.points, pen);
            const double area = c.area + (join == LineJoin::Round ? c.roundJoin : 0);
            EXPECT_NEAR(paintedArea(image, 128), area, 0.02 * area + 0.1) << c.name;
            EXPECT_LE(highestAlpha(image), 128) << c.name;
        }
    }
    // A sharp turn and a closed outline, half transparent: joins and overlaps blend once.
    MapImage image = blank(20, 20);
    Pen pen;
    pen.width = 3;
    pen.colour = argb(0, 0, 0, 100);
    MapCanvas canvas(image);
    const CanvasPoint zigzag[] = {{2, 2}, {18, 4}, {3, 8}, {17, 12}};
    canvas.strokePolyline(zigzag, pen);
    EXPECT_EQ(highestAlpha(image), 100);
    image = blank(20, 20);
    canvas.strokeEllipse(10, 10, 6, 4, pen);
    EXPECT_EQ(highestAlpha(image), 100);
}

TEST(MapCanvas, DashesLeaveTheirGapsUnpainted) {
    MapImage image = blank(16, 4);
    Pen pen;
    pen.width = 2;
    pen.cap = LineCap::Flat;
    pen.dashes = {3, 1};
    // The pattern runs on over the corners of the line, here in the middle of a dash.
    const CanvasPoint line[] = {{0, 2}, {5, 2}, {16, 2}};
    MapCanvas(image).strokePolyline(line, pen);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(alphaOf(image.at(x, 1)), x % 4 == 3 ? 0 : 255) << x;
        EXPECT_EQ(alphaOf(image.at(x, 0)), 0) << x;
    }
    // Square caps lengthen every dash by half the width at both ends.
    image = blank(16, 4);
    pen.width = 1;
    pen.cap = LineCap::Square;
    pen.dashes = {2, 2};
    MapCanvas(image).strokeLine({0.5, 2}, {15.5, 2}, pen);
    EXPECT_NEAR(paintedArea(image), 4 * 3, 0.1);
}

TEST(MapCanvas, ColoursBlendOverWhatIsThere) {
    struct Case {
        const char* name;
        Argb under;
        Argb colour;
        double coverage; // how much of the pixel the shape covers
        Argb expected;
    };
    const Case cases[] = {
        {"opaque over opaque", argb(0, 0, 255), argb(255, 0, 0), 1, argb(255, 0, 0)},
        {"half over opaque", argb(0, 0, 255), argb(255, 0, 0, 128), 1, argb(128, 0, 127)},
        {"half over nothing", 0, argb(255, 0, 0, 128), 1, argb(255, 0, 0, 128)},
        {"half over half", argb(255, 255, 255, 128), argb(255, 0, 0, 128), 1,
         argb(255, 85, 85, 192)},
        {"opaque, half covered, over nothing", 0, argb(0, 200, 0), 0.5, argb(0, 200, 0, 128)},
        {"opaque, half covered, over opaque", argb(0, 0, 0), argb(200, 100, 50), 0.5,
         argb(100, 50, 25)},
        {"nothing over opaque", argb(1, 2, 3), argb(255, 255, 255, 0), 1, argb(1, 2, 3)},
    };
    for (const Case& c : cases) {
        MapImage image;
        image.resize(3, 1, c.under);
        MapCanvas(image).fillRect(1, 0, c.coverage, 1, c.colour);
        const Argb got = image.at(1, 0);
        for (const int shift : {24, 16, 8, 0}) {
            EXPECT_NEAR(int((got >> shift) & 0xFF), int((c.expected >> shift) & 0xFF), 1)
                << c.name << std::hex << " got " << got << " expected " << c.expected;
        }
        EXPECT_EQ(image.at(0, 0), c.under) << c.name;
        EXPECT_EQ(image.at(2, 0), c.under) << c.name;
    }
}

TEST(MapCanvas, EllipsesAndArcsHaveTheirArea) {
    constexpr double pi = std::numbers::pi;
    struct Case {
        double cx, cy, rx, ry;
    };
    const Case cases[] = {{16, 16, 10, 10}, {16.5, 15.25, 3, 3}, {16, 16, 14, 5}, {9, 20, 0.75, 6}};
    for (const Case& c : cases) {
        MapImage filled = blank(32, 32);
        MapCanvas(filled).fillEllipse(c.cx, c.cy, c.rx, c.ry, argb(0, 0, 0));
        EXPECT_NEAR(paintedArea(filled), pi * c.rx * c.ry, 0.01 * pi * c.rx * c.ry)
            << c.rx << " x " << c.ry;
    }
    // A ring a pixel wide round a circle of radius r: 2 pi r.
    MapImage ring = blank(32, 32);
    Pen pen;
    MapCanvas(ring).strokeEllipse(16, 16, 10, 10, pen);
    EXPECT_NEAR(paintedArea(ring), 2 * pi * 10, 0.01 * 2 * pi * 10);
    EXPECT_EQ(alphaOf(ring.at(16, 16)), 0);

    // Angles go counter-clockwise from three o'clock: 0 to 180 is the upper half.
    for (const double start : {0.0, 180.0}) {
        MapImage arc = blank(32, 32);
        pen.cap = LineCap::Flat;
        MapCanvas(arc).strokeArc(16, 16, 10, 10, start, 180, pen);
        EXPECT_NEAR(paintedArea(arc), pi * 10, 0.02 * pi * 10);
        double above = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 32; ++x) {
                above += alphaOf(arc.at(x, y)) / 255.0;
            }
        }
        EXPECT_NEAR(above, start == 0 ? pi * 10 : 0, 0.02 * pi * 10) << start;
    }
}

TEST(MapCanvas, TheScaleEnlargesTheWholeDrawing) {
    MapImage small = blank(64, 64);
    MapImage large = blank(64, 64);
    const CanvasPoint triangle[] = {{1, 1}, {7, 2}, {3, 6.5}};
    Pen pen;
    pen.width = 0.5;
    MapCanvas(small, 4).fillPolygon(triangle, argb(0, 0, 0));
    MapCanvas(small, 4).strokeLine({1, 14}, {15, 14}, pen);
    const CanvasPoint big[] = {{4, 4}, {28, 8}, {12, 26}};
    pen.width = 2;
    MapCanvas(large).fillPolygon(big, argb(0, 0, 0));
    MapCanvas(large).strokeLine({4, 56}, {60, 56}, pen);
    EXPECT_EQ(small.pixels, large.pixels);
}

TEST(MapCanvas, CubicCurvesStayOnTheirCurve) {
    const CanvasPoint p0{1, 12}, c1{5, 4}, c2{8, 14}, p3{12, 7};
    for (const double tolerance : {0.5, 0.05, 0.005}) {
        const auto points = flattenCubic(p0, c1, c2, p3, tolerance);
        ASSERT_GE(points.size(), 2u);
        EXPECT_EQ(points.front().x, p0.x);
        EXPECT_EQ(points.back().y, p3.y);
        // Midway between two points the chord is within the tolerance of the curve there.
        const std::size_t n = points.size() - 1;
        for (std::size_t i = 0; i < n; ++i) {
            const double t = (static_cast<double>(i) + 0.5) / static_cast<double>(n);
            const double u = 1 - t;
            const double x =
                u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x;
            const double y =
                u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y;
            const double mx = (points[i].x + points[i + 1].x) / 2;
            const double my = (points[i].y + points[i + 1].y) / 2;
            EXPECT_LE(std::hypot(x - mx, y - my), tolerance) << tolerance << " at " << i;
        }
    }
}

TEST(ToolbarSprites, EveryButtonHasItsOwnPicture) {
    std::vector<MapImage> sprites;
    for (int i = static_cast<int>(ToolbarIcon::OpenFile);
         i <= static_cast<int>(ToolbarIcon::UrbanObjects); ++i) {
        const MapImage sprite = toolbarSprite(static_cast<ToolbarIcon>(i), 4);
        ASSERT_EQ(sprite.width, 64);
        ASSERT_EQ(sprite.height, 60);
        // A picture of some size, on a transparent background (each leaves a corner clear).
        EXPECT_GT(paintedArea(sprite), 64 * 60 / 8) << i;
        EXPECT_EQ(highestAlpha(sprite), 255) << i;
        const bool clearCorner = alphaOf(sprite.at(0, 0)) == 0 || alphaOf(sprite.at(63, 0)) == 0 ||
                                 alphaOf(sprite.at(0, 59)) == 0 || alphaOf(sprite.at(63, 59)) == 0;
        EXPECT_TRUE(clearCorner) << i;
        for (std::size_t j = 0; j < sprites.size(); ++j) {
            EXPECT_NE(sprite.pixels, sprites[j].pixels) << i << " looks like " << j + 1;
        }
        sprites.push_back(sprite);
    }
    EXPECT_EQ(paintedArea(toolbarSprite(ToolbarIcon::None, 4)), 0);
    const MapImage small = toolbarSprite(ToolbarIcon::Find, 1);
    EXPECT_EQ(small.width, 16);
    EXPECT_EQ(small.height, 15);
    EXPECT_TRUE(toolbarSprite(ToolbarIcon::Find, 0).pixels.empty());
}

TEST(ToolbarSprites, TheListStatesDifferAndShowTheirMarks) {
    struct Case {
        int which;
        bool green; // the tick
        bool red;   // the cross
    };
    const Case cases[] = {{0, false, false}, {1, true, false}, {2, false, true}};
    std::vector<MapImage> sprites;
    for (const Case& c : cases) {
        const MapImage sprite = listStateSprite(c.which, 32);
        ASSERT_EQ(sprite.width, 32);
        ASSERT_EQ(sprite.height, 32);
        EXPECT_EQ(alphaOf(sprite.at(0, 0)), 0) << c.which;
        EXPECT_EQ(alphaOf(sprite.at(31, 31)), 0) << c.which;
        EXPECT_EQ(sprite.at(6, 16), argb(255, 255, 255)) << c.which; // inside the box
        EXPECT_EQ(alphaOf(sprite.at(5, 16)), 255) << c.which;        // its frame
        bool green = false;
        bool red = false;
        for (const Argb p : sprite.pixels) {
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            green = green || (alphaOf(p) == 255 && g > 120 && r < 60 && b < 80);
            red = red || (alphaOf(p) == 255 && r > 180 && g < 60 && b < 60);
        }
        EXPECT_EQ(green, c.green) << c.which;
        EXPECT_EQ(red, c.red) << c.which;
        for (const MapImage& other : sprites) {
            EXPECT_NE(sprite.pixels, other.pixels) << c.which;
        }
        sprites.push_back(sprite);
    }
    EXPECT_EQ(listStateSprite(1, 16).width, 16);
}

} // namespace
} // namespace vantor
