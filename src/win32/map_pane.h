#pragma once

#include "app/application_state.h"
#include "app/map_state.h"
#include "map/map_compose.h"
#include "win32/wide.h"

#include <functional>
#include <optional>
#include <string>

namespace vantor::win32 {

// The map in the middle of the window: the core draws the view's picture (terrain, markers,
// findings, changes, the legend's box), this pane puts it on the screen and writes the
// legend's texts; the wheel zooms about the mouse, a drag pans, a click picks a marker, a
// right-click offers Set Tile at the post.
class MapPane {
  public:
    MapPane(HWND parent, ApplicationState& state);
    ~MapPane();
    MapPane(const MapPane&) = delete;
    MapPane& operator=(const MapPane&) = delete;

    HWND window() const { return window_; }
    void terrainChanged(bool fit);
    void setMode(MapMode mode);
    void fitWhole();
    void setView(double pixelsPerPost, double centreX, double centreY);
    double pixelsPerPost() const { return view_.pixelsPerPost; }
    std::pair<double, double> centre() const { return {view_.centreX, view_.centreY}; }
    void setFrozen(bool frozen);
    void setLegendShown(bool shown);
    void setSelectedFinding(int finding);
    void setChanges(std::vector<ObjectChangeRow> objectives);
    void setSelectedChange(std::optional<std::pair<std::int32_t, std::int32_t>> post);
    // Centres the map on the highlighted rows of the list.
    void showHighlighted();
    void update();
    // The picture the pane shows now, the legend's texts aside.
    const MapImage& picture() const { return picture_; }
    // The map with its legend as shown, drawn afresh.
    MapImage snapshot();

    std::function<void(const std::string&)> hovered;           // the post under the mouse
    std::function<void(std::size_t row)> markerClicked;        // a list row's marker
    std::function<void(std::int32_t, std::int32_t)> setTileAt; // the right-click menu's choice

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void paint();
    void draw(HDC dc);
    std::vector<MapMarker> markers() const;
    MapSelection selection() const;
    double markScale() const;
    LegendLayout currentLegend() const;

    ApplicationState& state_;
    HWND window_ = nullptr;
    MapViewport view_;
    MapTileCache tiles_;
    TileClassifier classes_;
    MapMode mode_ = MapMode::Relief;
    MapImage picture_;
    bool frozen_ = false;
    bool legendShown_ = true;
    bool legendFolded_ = false;
    LegendCorner legendCorner_ = LegendCorner::TopRight;
    int selectedFinding_ = -1;
    std::vector<ObjectChangeRow> changes_;
    std::optional<std::pair<std::int32_t, std::int32_t>> selectedChange_;
    // A press of the left button: where, and whether it became a drag (of the map or legend).
    std::optional<POINT> pressed_;
    POINT last_{};
    bool dragged_ = false;
    bool onLegend_ = false;
    bool onLegendTitle_ = false;
    bool tracking_ = false; // the pointer's leaving is asked for
};

} // namespace vantor::win32
