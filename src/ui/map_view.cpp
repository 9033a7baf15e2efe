#include "ui/map_view.h"

#include "app/application_state.h"
#include "app/map_state.h"
#include "base/file_lookup.h"
#include "base/safe_writer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace vantor::ui {

namespace {

constexpr std::size_t cacheLimit = 600; // about 150 MB of tiles

} // namespace

QImage toQImage(const MapImage& image) {
    QImage q(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        std::copy_n(
            &image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width)],
            image.width, reinterpret_cast<Argb*>(q.scanLine(y)));
    }
    return q;
}

MapView::MapView(ApplicationState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setMouseTracking(true);
    setMinimumSize(200, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

MapView::~MapView() {
    pool_.waitForDone();
}

void MapView::terrainChanged(bool fit) {
    waitForTiles();
    ++generation_;
    cache_.clear();
    pending_.clear();
    classes_ = loadTileClassifier(state_.folders.startDirectory);
    if (fit) {
        fitWhole();
    }
    update();
}

void MapView::setMode(MapMode mode) {
    if (mode == mode_) {
        return;
    }
    waitForTiles();
    mode_ = mode;
    ++generation_;
    cache_.clear();
    pending_.clear();
    update();
}

void MapView::fitWhole() {
    view_.fitWhole(state_.terrain.matrix.width, state_.terrain.matrix.height);
    update();
}

void MapView::resizeEvent(QResizeEvent*) {
    view_.resize(width(), height(), state_.terrain.matrix.width, state_.terrain.matrix.height);
}

void MapView::setView(double pixelsPerPost, double centreX, double centreY) {
    view_.setView(pixelsPerPost, centreX, centreY);
    update();
}

void MapView::panBy(double dx, double dy) {
    view_.panBy(dx, dy);
    update();
}

MapTransform MapView::transform() const {
    return view_.transform();
}

std::vector<MapMarker> MapView::markers() const {
    return mapMarkers(state_);
}

void MapView::showHighlighted() {
    if (const auto centre = highlightedCentre(markers())) {
        setView(view_.pixelsPerPost, centre->first, centre->second);
    }
    update();
}

void MapView::waitForTiles() {
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void MapView::setFrozen(bool frozen) {
    if (frozen) {
        waitForTiles();
    }
    frozen_ = frozen;
    if (!frozen) {
        update();
    }
}

void MapView::requestTile(const TileKey& key) {
    if (frozen_ || pending_.count(key) != 0) {
        return;
    }
    pending_.insert(key);
    const MapWindow window = tileWindow(key);
    const std::uint64_t generation = generation_;
    const MapMode mode = mode_;
    pool_.start([this, generation, key, window, mode] {
        MapImage image;
        renderTerrain(state_.terrain.matrix, classes_, mode, window, image, 1);
        QImage q = toQImage(image);
        QMetaObject::invokeMethod(
            this, [this, generation, key, q] { tileDone(generation, key, q); },
            Qt::QueuedConnection);
    });
}

void MapView::tileDone(std::uint64_t generation, TileKey key, QImage image) {
    if (generation != generation_) {
        return; // drawn for terrain or a mode that has gone
    }
    pending_.erase(key);
    if (cache_.size() >= cacheLimit) {
        const int level = tileLevelFor(view_.pixelsPerPost);
        std::erase_if(cache_, [level](const auto& entry) { return entry.first.level != level; });
    }
    cache_[key] = std::move(image);
    update();
}

const QImage& MapView::sprite(const MapMarker& m) {
    const auto key = std::tuple{static_cast<int>(m.kind), static_cast<int>(m.mark), m.highlighted};
    auto it = sprites_.find(key);
    if (it == sprites_.end()) {
        it = sprites_.emplace(key, toQImage(markerSprite(m.kind, m.mark, m.highlighted))).first;
    }
    return it->second;
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(48, 48, 52));
    const TerrainMatrix& m = state_.terrain.matrix;
    if (m.empty()) {
        painter.setPen(Qt::lightGray);
        painter.drawText(rect(), Qt::AlignCenter, "Open a terrain file to see the map.");
        return;
    }
    const MapTransform t = transform();
    // Zoomed in, posts are squares; zoomed out, tiles are smoothed down to the zoom.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, view_.pixelsPerPost < 1);
    for (const PlacedTile& tile : tilesInView(view_, m.width, m.height)) {
        const QRectF target(tile.left, tile.top, tile.side, tile.side);
        const auto it = cache_.find(tile.key);
        if (it != cache_.end()) {
            painter.drawImage(target, it->second);
            continue;
        }
        requestTile(tile.key);
        // Meanwhile the coarser level's tile, if it is there, stands in.
        const auto [level, column, row] = tile.key;
        const auto coarse = cache_.find({level + 1, column / 2, row / 2});
        if (coarse != cache_.end()) {
            const double half = mapTilePixels / 2.0;
            const QRectF part((column % 2) * half, (1 - row % 2) * half, half, half);
            painter.drawImage(target, coarse->second, part);
        }
    }
    if (view_.pixelsPerPost * postsPerSectionSide >= 24) {
        // Section lines over the map only.
        painter.setPen(QColor(0, 0, 0, 90));
        const double top = std::max(0.0, t.screenY(m.height));
        const double bottom = std::min<double>(height(), t.screenY(0));
        const double left = std::max(0.0, t.screenX(0));
        const double right = std::min<double>(width(), t.screenX(m.width));
        const double x0 = std::max(0.0, std::ceil(t.originX / 16) * 16);
        const double x1 = std::min<double>(m.width, t.originX + width() / view_.pixelsPerPost);
        for (double x = x0; x <= x1; x += 16) {
            painter.drawLine(QPointF(t.screenX(x), top), QPointF(t.screenX(x), bottom));
        }
        const double y0 =
            std::max(0.0, std::ceil((t.originY - height() / view_.pixelsPerPost) / 16) * 16);
        const double y1 = std::min<double>(m.height, t.originY);
        for (double y = y0; y <= y1; y += 16) {
            painter.drawLine(QPointF(left, t.screenY(y)), QPointF(right, t.screenY(y)));
        }
    }
    const std::vector<MapMarker> all = markers();
    const int half = markerSpriteSize / 2;
    for (const bool top : {false, true}) {
        for (const MapMarker& marker : all) {
            if (marker.highlighted != top) {
                continue;
            }
            const double cx = std::floor(t.screenX(marker.x + 0.5));
            const double cy = std::floor(t.screenY(marker.y + 0.5));
            if (cx < -half || cy < -half || cx > width() + half || cy > height() + half) {
                continue;
            }
            painter.drawImage(QPointF(cx - half, cy - half), sprite(marker));
        }
    }
    paintOverlays(painter);
}

void MapView::setSelectedFinding(int finding) {
    selectedFinding_ = finding;
    update();
}

void MapView::setChanges(std::vector<ObjectChangeRow> objectives) {
    changes_ = std::move(objectives);
    update();
}

void MapView::setSelectedChange(std::optional<QPoint> post) {
    selectedChange_ = post;
    update();
}

std::vector<LegendEntry> MapView::legendRows() const {
    return mapLegendEntries(state_, mode_);
}

MapSelection MapView::selection() const {
    MapSelection s{selectedFinding_, std::nullopt};
    if (selectedChange_) {
        s.change = std::pair{selectedChange_->x(), selectedChange_->y()};
    }
    return s;
}

LegendLayout MapView::legendLayoutNow() const {
    return legendLayout(legendCorner_, width(), height(), legendRows().size(), legendCollapsed_,
                        legendKeepClear(state_, transform(), selection()), legendLine);
}

QRect MapView::legendRect() const {
    const LegendLayout l = legendLayoutNow();
    return {l.left, l.top, l.width, l.height};
}

// The audit's findings, a comparison's changes and the legend's box, drawn by the core into one
// picture over the map (as the native Windows program and the pages draw them); then the
// legend's texts in the widget's font.
void MapView::paintOverlays(QPainter& painter) {
    const MapOverlays overlays = mapOverlays(state_, selection(), changes_, false);
    if (overlays.findings != nullptr || state_.diff.done) {
        MapImage overlay;
        overlay.resize(width(), height());
        drawMapOverlays(view_, state_.terrain.matrix, overlays, overlay);
        painter.drawImage(0, 0, toQImage(overlay));
    }
    if (!legendShown_) {
        return;
    }
    // The legend's box in a picture of its own size, drawn again only when what it lists
    // changes, and put in its place.
    const std::vector<LegendEntry> entries = legendRows();
    const LegendLayout legend = legendLayoutNow();
    std::string key = legendCollapsed_ ? "folded" : "open";
    for (const LegendEntry& e : entries) {
        key += "\n" + e.label + " " + std::to_string(e.colour);
    }
    if (key != legendKey_) {
        LegendLayout atOrigin = legend;
        atOrigin.left = 0;
        atOrigin.top = 0;
        for (auto& [x, y] : atOrigin.textAt) {
            x -= legend.left;
            y -= legend.top;
        }
        MapImage box;
        box.resize(legend.width, legend.height);
        drawLegendBox(box, atOrigin, entries, legendCollapsed_);
        legendBox_ = toQImage(box);
        legendKey_ = std::move(key);
    }
    painter.drawImage(legend.left, legend.top, legendBox_);
    // The title: a click folds the legend to it or opens it again, a drag moves it.
    painter.save();
    QFont bold = painter.font();
    bold.setBold(true);
    for (std::size_t i = 0; i < legend.textAt.size(); ++i) {
        painter.setFont(i == 0 ? bold : font());
        painter.setPen(Qt::black);
        const auto [x, y] = legend.textAt[i];
        painter.drawText(QRect(x, y, legend.left + legend.width - x - 4, legend.line),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         QString::fromStdString(i == 0 ? std::string(legendTitle(legendCollapsed_))
                                                       : entries[i - 1].label));
    }
    painter.restore();
}

void MapView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0 || state_.terrain.matrix.empty()) {
        return;
    }
    const QPointF at = event->position();
    view_.zoomAbout(steps, at.x(), at.y()); // the point under the mouse stays under it
    update();
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && !state_.terrain.matrix.empty()) {
        const MapTransform t = transform();
        const QPointF at = event->position();
        const std::int64_t x = t.postX(at.x());
        const std::int64_t y = t.postY(at.y());
        if (state_.terrain.matrix.contains(x, y)) {
            emit postMenuRequested(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                                   event->globalPosition().toPoint());
        }
        return;
    }
    if (event->button() == Qt::LeftButton) {
        pressAt_ = event->position().toPoint();
        lastDrag_ = pressAt_;
        onLegend_ = legendShown_ && legendRect().contains(pressAt_);
        dragging_ = !onLegend_;
    }
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragging_ && (event->buttons() & Qt::LeftButton) != 0) {
        panBy(at.x() - lastDrag_.x(), at.y() - lastDrag_.y());
        lastDrag_ = at;
    }
    if (!state_.terrain.matrix.empty()) {
        const MapTransform t = transform();
        emit hovered(QString::fromStdString(postStatusText(state_.theater, state_.terrain.matrix,
                                                           t.postX(at.x()), t.postY(at.y()))));
    }
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    dragging_ = false;
    const QPoint at = event->position().toPoint();
    if (onLegend_) {
        onLegend_ = false;
        if ((at - pressAt_).manhattanLength() > 3) {
            legendCorner_ = nearestCorner(at.x(), at.y(), width(), height()); // dragged away
        } else if (at.y() < legendRect().top() + legendLine + 4) {
            legendCollapsed_ = !legendCollapsed_; // its title clicked
        }
        update();
        return;
    }
    if ((at - pressAt_).manhattanLength() > 3) {
        return; // a drag, not a click
    }
    const std::int64_t hit = markerAt(markers(), transform(), at.x(), at.y());
    if (hit >= 0) {
        emit markerClicked(markers()[static_cast<std::size_t>(hit)].row);
    }
}

void MapView::leaveEvent(QEvent*) {
    emit hovered(QString());
}

bool MapView::saveImage(const QString& path, QString& error,
                        const std::function<void(const char*)>& stage) {
    // A drawing may ask for tiles it has not got yet: draw again once they are in.
    QImage image = grab().toImage();
    for (int attempt = 0; attempt < 3 && tilesPending(); ++attempt) {
        waitForTiles();
        image = grab().toImage();
    }
    if (stage) {
        stage("Encoding the picture");
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        error = "the picture could not be encoded";
        return false;
    }
    std::string why;
    if (!writeFileAside(toFsPath(path.toStdString()),
                        std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                        why)) {
        error = QString::fromStdString(why);
        return false;
    }
    return true;
}

void MapView::setLegendShown(bool shown) {
    legendShown_ = shown;
    update();
}

} // namespace vantor::ui
