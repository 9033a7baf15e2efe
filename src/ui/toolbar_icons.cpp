#include "ui/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vantor::ui {

namespace {

// Drawn on a 16 x 15 grid at four times the size, so the pictures stay sharp when scaled.
constexpr int scale = 4;

void drawSheet(QPainter& p, const QColor& fill) {
    p.setPen(QPen(QColor(60, 60, 60), 0.25));
    p.setBrush(fill);
    QPainterPath sheet;
    sheet.moveTo(3, 1);
    sheet.lineTo(10, 1);
    sheet.lineTo(13, 4);
    sheet.lineTo(13, 14);
    sheet.lineTo(3, 14);
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.setPen(QPen(QColor(150, 150, 150), 0.5));
    for (int y = 6; y <= 12; y += 2) {
        p.drawLine(QPointF(5, y), QPointF(11, y));
    }
}

void drawRows(QPainter& p, const QColor& mark) {
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 4; ++row) {
        p.setBrush(row == 1 || row == 2 ? mark : QColor(235, 235, 235));
        p.drawRect(QRectF(2, 1.5 + row * 3.2, 12, 2.6));
    }
}

void drawTerrain(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 150, 70));
    p.drawRect(QRectF(1, 1, 14, 13));
    p.setBrush(QColor(150, 120, 70));
    QPainterPath hill;
    hill.moveTo(1, 14);
    hill.lineTo(6, 5);
    hill.lineTo(9, 9);
    hill.lineTo(11, 6);
    hill.lineTo(15, 14);
    hill.closeSubpath();
    p.drawPath(hill);
}

void drawGround(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 170, 90));
    p.drawRect(QRectF(1, 1, 14, 13));
}

void drawWarning(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 40, 30));
    p.drawEllipse(QRectF(10, 0.5, 5.5, 5.5));
    p.setPen(QPen(Qt::white, 0.9));
    p.drawLine(QPointF(12.75, 1.5), QPointF(12.75, 3.8));
    p.drawPoint(QPointF(12.75, 4.9));
}

// The buttons of the source file and the list: open, save, select, delete, find, clear.
void paintListButton(QPainter& p, ToolbarIcon icon) {
    switch (icon) {
    case ToolbarIcon::OpenFile:
        p.setPen(QPen(QColor(120, 90, 20), 0.4));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1, 4, 14, 10));
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygonF({{1, 14}, {4, 7}, {15.5, 7}, {15, 14}}));
        break;
    case ToolbarIcon::SaveFile:
        p.setPen(QPen(QColor(20, 40, 90), 0.4));
        p.setBrush(QColor(60, 100, 190));
        p.drawRect(QRectF(1.5, 1, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1, 8, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4, 9, 8, 5));
        break;
    case ToolbarIcon::SelectRows:
        drawRows(p, QColor(70, 130, 220));
        break;
    case ToolbarIcon::DeleteRows:
        drawRows(p, QColor(230, 120, 120));
        p.setPen(QPen(QColor(200, 0, 0), 1.3));
        p.drawLine(QPointF(4, 4), QPointF(12, 11));
        p.drawLine(QPointF(12, 4), QPointF(4, 11));
        break;
    case ToolbarIcon::Find:
        drawSheet(p, Qt::white);
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        p.setBrush(QColor(200, 230, 255, 200));
        p.drawEllipse(QRectF(5, 4, 6, 6));
        p.drawLine(QPointF(10, 9), QPointF(14, 13.5));
        break;
    case ToolbarIcon::ClearSelections:
        drawRows(p, QColor(235, 235, 235));
        p.setPen(QPen(QColor(70, 130, 220), 1.0, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2, 4.5, 12, 5.8));
        break;
    default:
        break;
    }
}

// The buttons of the terrain: open it, then its scans and checks.
void paintTerrainButton(QPainter& p, ToolbarIcon icon) {
    switch (icon) {
    case ToolbarIcon::OpenTerrain:
        drawTerrain(p);
        p.setPen(QPen(Qt::white, 0.3));
        for (int i = 5; i < 15; i += 4) {
            p.drawLine(QPointF(i, 1), QPointF(i, 14));
            p.drawLine(QPointF(1, i - 1), QPointF(15, i - 1));
        }
        break;
    case ToolbarIcon::Rivers:
        drawGround(p);
        p.setPen(QPen(QColor(40, 110, 220), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        {
            QPainterPath river;
            river.moveTo(1, 12);
            river.cubicTo(5, 4, 8, 14, 12, 7);
            p.drawPath(river);
        }
        drawWarning(p);
        break;
    case ToolbarIcon::Roads:
        drawGround(p);
        p.setPen(QPen(QColor(90, 90, 90), 3.0, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(1, 11), QPointF(11, 8));
        p.setPen(QPen(Qt::white, 0.5, Qt::DashLine));
        p.drawLine(QPointF(1, 11), QPointF(11, 8));
        drawWarning(p);
        break;
    case ToolbarIcon::Bridges:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 130, 220));
        p.drawRect(QRectF(1, 8, 14, 6));
        p.setPen(QPen(QColor(110, 80, 50), 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 5, 10, 8), 0, 180 * 16);
        p.drawLine(QPointF(0.5, 6), QPointF(15.5, 6));
        break;
    case ToolbarIcon::Transitions:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 150, 70));
        p.drawRect(QRectF(1, 1, 7, 13));
        p.setBrush(QColor(210, 190, 130));
        p.drawRect(QRectF(8, 1, 7, 13));
        p.setPen(QPen(QColor(60, 60, 60), 0.4, Qt::DotLine));
        p.drawLine(QPointF(8, 1), QPointF(8, 14));
        drawWarning(p);
        break;
    default: // city and junction objects on urban tiles (ToolbarIcon::UrbanObjects)
        drawGround(p);
        p.setPen(QPen(QColor(50, 50, 50), 0.3));
        p.setBrush(QColor(170, 170, 180));
        p.drawRect(QRectF(2, 6, 4, 8));
        p.setBrush(QColor(200, 150, 110));
        p.drawRect(QRectF(6.5, 3, 4, 11));
        p.setBrush(QColor(150, 160, 190));
        p.drawRect(QRectF(11, 8, 3.5, 6));
        break;
    }
}

void paintButton(QPainter& p, ToolbarIcon icon) {
    if (icon <= ToolbarIcon::ClearSelections) {
        paintListButton(p, icon);
    } else {
        paintTerrainButton(p, icon);
    }
}

} // namespace

QIcon toolbarIcon(ToolbarIcon icon) {
    QPixmap pixmap(16 * scale, 15 * scale);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    paintButton(p, icon);
    p.end();
    return QIcon(pixmap);
}

} // namespace vantor::ui
