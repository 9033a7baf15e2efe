#pragma once

#include "app/map_state.h"
#include "map/map_compose.h"
#include "map/map_overlay.h"
#include "map/map_render.h"
#include "map/map_viewport.h"
#include "tools/theater_diff.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QThreadPool>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>

namespace vantor {
struct ApplicationState;
}

namespace vantor::ui {

// The theater as a map, north up: terrain drawn by the core into tiles of 256 x 256 pixels
// at power-of-two zoom levels, rendered in the background and cached; the list's objectives
// and report lines as markers. Wheel zooms about the mouse, dragging pans, a click on a
// marker picks its row.
class MapView : public QWidget {
    Q_OBJECT
  public:
    explicit MapView(ApplicationState& state, QWidget* parent = nullptr);
    ~MapView() override;

    // The terrain was opened or changed: the cache goes, the tile classes are read again.
    void terrainChanged(bool fit);
    void setMode(MapMode mode);
    MapMode mode() const { return mode_; }

    // The whole map in view.
    void fitWhole();
    // Pixels per post (1/16 to 64) with the given map point at the centre.
    void setView(double pixelsPerPost, double centreX, double centreY);
    void panBy(double dx, double dy); // in pixels
    double pixelsPerPost() const { return view_.pixelsPerPost; }
    QPointF centre() const { return {view_.centreX, view_.centreY}; }
    MapTransform transform() const;

    // Centres the rows highlighted in the list and redraws their markers.
    void showHighlighted();

    bool tilesPending() const { return !pending_.empty(); }
    // Waits for the tiles being drawn; nothing then reads the terrain behind the core's back.
    void waitForTiles();
    // Writes what the map shows as a PNG file, aside and renamed over the target like every
    // file the program writes; false with the reason in error.
    bool saveImage(const QString& path, QString& error,
                   const std::function<void(const char*)>& stage = {});

    void setLegendShown(bool shown);
    // Where the legend stands now (the user's corner, or another that keeps the selection clear)
    // and its rows; folded, only its title shows.
    QRect legendRect() const;
    std::vector<LegendEntry> legendRows() const;
    bool legendCollapsed() const { return legendCollapsed_; }
    // The audit finding (its position among the last audit's findings) ringed on the map, or
    // none (-1). Every finding of the last audit is a marker of its check.
    void setSelectedFinding(int finding);
    int selectedFinding() const { return selectedFinding_; }
    // While a comparison of two versions is shown: its changed posts and objectives are marked
    // (as the comparison's page marks them), and the change selected in its window is ringed.
    void setChanges(std::vector<ObjectChangeRow> objectives);
    void setSelectedChange(std::optional<QPoint> post);
    std::optional<QPoint> selectedChange() const { return selectedChange_; }
    // While a command runs the terrain may change under the map: only tiles already drawn are
    // shown then, and none is drawn anew.
    void setFrozen(bool frozen);

  signals:
    void markerClicked(std::size_t row);
    // A right-click on a post of the map: its menu, at that point of the screen.
    void postMenuRequested(std::int32_t mapX, std::int32_t mapY, QPoint globalAt);
    void hovered(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    using TileKey = MapTileKey;
    void requestTile(const TileKey& key);
    void tileDone(std::uint64_t generation, TileKey key, QImage image);
    const QImage& sprite(const MapMarker& marker);
    std::vector<MapMarker> markers() const;
    void paintOverlays(QPainter& painter);
    LegendLayout legendLayoutNow() const;
    MapSelection selection() const;

    ApplicationState& state_;
    MapMode mode_ = MapMode::Relief;
    TileClassifier classes_;
    MapViewport view_;
    std::map<TileKey, QImage> cache_;
    std::set<TileKey> pending_;
    std::uint64_t generation_ = 0;
    QThreadPool pool_;
    std::map<std::tuple<int, int, bool>, QImage> sprites_;
    bool legendShown_ = true;
    bool legendCollapsed_ = false;
    QImage legendBox_;      // the legend's box as last drawn
    std::string legendKey_; // what it listed then
    LegendCorner legendCorner_ = LegendCorner::TopRight;
    bool onLegend_ = false; // the mouse went down on the legend
    static constexpr int legendLine = 16;
    QPoint pressAt_;
    QPoint lastDrag_;
    bool dragging_ = false;
    bool frozen_ = false;
    int selectedFinding_ = -1;
    std::vector<ObjectChangeRow> changes_;
    std::optional<QPoint> selectedChange_;
};

// The image a core drawing makes, as Qt shows it.
QImage toQImage(const MapImage& image);

} // namespace vantor::ui
