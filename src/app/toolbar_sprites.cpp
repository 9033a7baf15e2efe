#include "app/toolbar_sprites.h"

#include "map/map_canvas.h"

namespace vantor {

namespace {

constexpr Argb white = argb(255, 255, 255);

Pen pen(Argb colour, double width, LineCap cap = LineCap::Square) {
    Pen p;
    p.width = width;
    p.colour = colour;
    p.cap = cap;
    return p;
}

// A dashed pen: drawn and skipped lengths in units of the width, as line styles are given.
Pen dashed(Argb colour, double width, double on, double off) {
    Pen p = pen(colour, width);
    p.dashes = {on * width, off * width};
    return p;
}

// A filled rectangle with its outline over the edge.
void box(MapCanvas& c, double x, double y, double w, double h, Argb fill, const Pen& outline) {
    c.fillRect(x, y, w, h, fill);
    c.strokeRect(x, y, w, h, outline);
}

void drawSheet(MapCanvas& c, Argb fill) {
    const CanvasPoint sheet[] = {{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}};
    c.fillPolygon(sheet, fill);
    c.strokePolyline(sheet, pen(argb(60, 60, 60), 0.25), true);
    for (int y = 6; y <= 12; y += 2) {
        c.strokeLine({5, double(y)}, {11, double(y)}, pen(argb(150, 150, 150), 0.5));
    }
}

void drawRows(MapCanvas& c, Argb mark) {
    for (int row = 0; row < 4; ++row) {
        c.fillRect(2, 1.5 + row * 3.2, 12, 2.6, row == 1 || row == 2 ? mark : argb(235, 235, 235));
    }
}

void drawTerrain(MapCanvas& c) {
    c.fillRect(1, 1, 14, 13, argb(90, 150, 70));
    const CanvasPoint hill[] = {{1, 14}, {6, 5}, {9, 9}, {11, 6}, {15, 14}};
    c.fillPolygon(hill, argb(150, 120, 70));
}

void drawGround(MapCanvas& c) {
    c.fillRect(1, 1, 14, 13, argb(120, 170, 90));
}

// The red exclamation mark of the scans that report faults.
void drawWarning(MapCanvas& c) {
    c.fillEllipse(12.75, 3.25, 2.75, 2.75, argb(220, 40, 30));
    c.strokeLine({12.75, 1.5}, {12.75, 3.8}, pen(white, 0.9));
    c.strokeLine({12.75, 4.9}, {12.75, 4.9}, pen(white, 0.9));
}

// The buttons of the source file and the list: open, save, select, delete, find, clear.
void drawListButton(MapCanvas& c, ToolbarIcon icon) {
    switch (icon) {
    case ToolbarIcon::OpenFile: {
        const Pen edge = pen(argb(120, 90, 20), 0.4);
        box(c, 1, 4, 14, 10, argb(240, 200, 90), edge);
        const CanvasPoint flap[] = {{1, 14}, {4, 7}, {15.5, 7}, {15, 14}};
        c.fillPolygon(flap, argb(250, 220, 120));
        c.strokePolyline(flap, edge, true);
        break;
    }
    case ToolbarIcon::SaveFile: {
        const Pen edge = pen(argb(20, 40, 90), 0.4);
        box(c, 1.5, 1, 13, 13, argb(60, 100, 190), edge);
        box(c, 4, 1, 8, 5, white, edge);
        box(c, 4, 9, 8, 5, argb(200, 200, 200), edge);
        break;
    }
    case ToolbarIcon::SelectRows:
        drawRows(c, argb(70, 130, 220));
        break;
    case ToolbarIcon::DeleteRows: {
        drawRows(c, argb(230, 120, 120));
        const Pen cross = pen(argb(200, 0, 0), 1.3);
        c.strokeLine({4, 4}, {12, 11}, cross);
        c.strokeLine({12, 4}, {4, 11}, cross);
        break;
    }
    case ToolbarIcon::Find: {
        drawSheet(c, white);
        const Pen glass = pen(argb(40, 40, 40), 1.2);
        c.fillEllipse(8, 7, 3, 3, argb(200, 230, 255, 200));
        c.strokeEllipse(8, 7, 3, 3, glass);
        c.strokeLine({10, 9}, {14, 13.5}, glass);
        break;
    }
    case ToolbarIcon::ClearSelections:
        drawRows(c, argb(235, 235, 235));
        c.strokeRect(2, 4.5, 12, 5.8, dashed(argb(70, 130, 220), 1.0, 4, 2));
        break;
    default:
        break;
    }
}

// The buttons of the terrain: open it, then its scans and checks.
void drawTerrainButton(MapCanvas& c, ToolbarIcon icon) {
    switch (icon) {
    case ToolbarIcon::OpenTerrain:
        drawTerrain(c);
        for (int i = 5; i < 15; i += 4) {
            c.strokeLine({double(i), 1}, {double(i), 14}, pen(white, 0.3));
            c.strokeLine({1, i - 1.0}, {15, i - 1.0}, pen(white, 0.3));
        }
        break;
    case ToolbarIcon::Rivers:
        drawGround(c);
        c.strokeCubic({1, 12}, {5, 4}, {8, 14}, {12, 7},
                      pen(argb(40, 110, 220), 2.0, LineCap::Round));
        drawWarning(c);
        break;
    case ToolbarIcon::Roads:
        drawGround(c);
        c.strokeLine({1, 11}, {11, 8}, pen(argb(90, 90, 90), 3.0, LineCap::Flat));
        c.strokeLine({1, 11}, {11, 8}, dashed(white, 0.5, 4, 2));
        drawWarning(c);
        break;
    case ToolbarIcon::Bridges: {
        c.fillRect(1, 8, 14, 6, argb(60, 130, 220));
        const Pen timber = pen(argb(110, 80, 50), 1.4);
        c.strokeArc(8, 9, 5, 4, 0, 180, timber);
        c.strokeLine({0.5, 6}, {15.5, 6}, timber);
        break;
    }
    case ToolbarIcon::Transitions:
        c.fillRect(1, 1, 7, 13, argb(90, 150, 70));
        c.fillRect(8, 1, 7, 13, argb(210, 190, 130));
        c.strokeLine({8, 1}, {8, 14}, dashed(argb(60, 60, 60), 0.4, 1, 2));
        drawWarning(c);
        break;
    case ToolbarIcon::UrbanObjects: { // city and junction objects on urban tiles
        drawGround(c);
        const Pen edge = pen(argb(50, 50, 50), 0.3);
        box(c, 2, 6, 4, 8, argb(170, 170, 180), edge);
        box(c, 6.5, 3, 4, 11, argb(200, 150, 110), edge);
        box(c, 11, 8, 3.5, 6, argb(150, 160, 190), edge);
        break;
    }
    default:
        break;
    }
}

} // namespace

MapImage toolbarSprite(ToolbarIcon icon, int scale) {
    MapImage image;
    if (scale < 1) {
        return image;
    }
    image.resize(toolbarSpriteWidth * scale, toolbarSpriteHeight * scale, 0);
    MapCanvas c(image, scale);
    if (icon <= ToolbarIcon::ClearSelections) {
        drawListButton(c, icon);
    } else {
        drawTerrainButton(c, icon);
    }
    return image;
}

MapImage listStateSprite(int which, int side) {
    MapImage image;
    if (side < 1) {
        return image;
    }
    image.resize(side, side, 0);
    MapCanvas c(image, static_cast<double>(side) / listStateSpriteSide);
    c.fillRoundedRect(5, 5, 22, 22, 3, white);
    c.strokeRoundedRect(5, 5, 22, 22, 3, pen(argb(90, 90, 90), 2));
    if (which == 1) {
        Pen tick = pen(argb(20, 140, 40), 4, LineCap::Round);
        tick.join = LineJoin::Round;
        const CanvasPoint points[] = {{9, 16}, {14, 22}, {24, 9}};
        c.strokePolyline(points, tick);
    } else if (which == 2) {
        const Pen cross = pen(argb(200, 30, 30), 4, LineCap::Round);
        c.strokeLine({10, 10}, {22, 22}, cross);
        c.strokeLine({22, 10}, {10, 22}, cross);
    }
    return image;
}

} // namespace vantor
