#pragma once

#include "audit/audit.h"
#include "map/map_render.h"
#include "objectives/list_model.h"
#include "reference/ocd_list.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// What a marker stands for: an objective by its type, or a break of one scan.
enum class MarkerKind {
    City,
    Town,
    Village,
    Junction,
    Bridge,
    Airbase,
    Radar,
    Other,
    RoadBreak,
    RiverBreak,
    TransitionBreak,
};
inline constexpr int markerKinds = 11;

MarkerKind objectMarkerKind(std::string_view type);
// The kind of a class code of the class list (101 city, ... 180 bridge), Other for the rest.
MarkerKind classMarkerKind(std::int16_t classCode);
const char* markerLabel(MarkerKind kind);

struct MapMarker {
    std::int32_t x = 0;
    std::int32_t y = 0;
    MarkerKind kind = MarkerKind::Other;
    std::int32_t mark = MarkNone; // selected or marked for deletion
    bool highlighted = false;     // highlighted in the list
    std::size_t row = 0;          // the list row it stands for
};

// The markers of the list's rows, in row order. An objective whose Type names no kind (the
// checked export writes Type "0") takes its class's kind from the class list, when one is given.
std::vector<MapMarker> listMarkers(const ListWindow& window, ListKind listKind, bool scanAll,
                                   const OcdList* classes = nullptr);

// A marker as drawn: a small image centred on the post's centre. Selected markers carry a
// white ring, markers marked for deletion a red cross, highlighted ones a yellow frame. At a
// scale above 1 (a screen of more dots per inch than 96) it is that much larger, its lines too.
const MapImage& markerSprite(MarkerKind kind, std::int32_t mark, bool highlighted,
                             double scale = 1);
inline constexpr std::int32_t markerSpriteSize = 15;
// The scale the marks are drawn at: at least 1, in hundredths.
double markScaleOf(double scale);
// Half a sprite's side at that scale, the centre pixel left out.
std::int32_t spriteHalf(double scale);

// The markers placed on a picture of width x height pixels shown through the transform, drawn a
// pixel row at a time (from any number of threads at once).
class MarkerRows {
  public:
    MarkerRows(const MapTransform& transform, std::int32_t width, std::int32_t height,
               const std::vector<MapMarker>& markers, double scale = 1);
    void draw(std::int32_t py, Argb* row) const;

  private:
    struct Placed {
        std::int32_t left = 0;
        std::int32_t top = 0;
        const MapImage* sprite = nullptr;
    };
    std::int32_t width_ = 0;
    std::vector<Placed> placed_;                 // in the order drawn
    std::vector<std::vector<std::size_t>> rows_; // the markers over each row, in that order
};

// Draws the markers over an image shown through the transform.
void drawMarkers(MapImage& image, const MapTransform& transform,
                 const std::vector<MapMarker>& markers, double scale = 1);

// The marker nearest to a pixel within `radius` pixels, or -1.
std::int64_t markerAt(const std::vector<MapMarker>& markers, const MapTransform& transform,
                      double px, double py, double radius = 8);

// How a legend row shows its mark.
enum class LegendSwatch {
    Colour,      // a square of the map's colour (relief, tile class)
    Marker,      // a marker sprite of markerKind
    Finding,     // an audit finding: the check's shape in its colour
    ChangedPost, // a comparison's changed post: a small square
    ChangeRing,  // a comparison's objective: a ring in its colour
};

struct LegendEntry {
    std::string label;
    Argb colour = 0;     // a swatch, when no marker kind is given
    int markerKind = -1; // a marker sprite
    LegendSwatch swatch = LegendSwatch::Colour;
    const char* shape = ""; // a finding's shape, as the audit page draws it
};
// A finding's mark on the desktop's map, as the audit page draws it, in pixels about the post's
// centre: the check's shape ("square", "diamond", "triangle"; anything else a circle) filled
// with its colour over a white halo, outlined black.
struct MarkShape {
    bool circle = false;
    double radius = 0;                              // a circle's
    std::vector<std::pair<double, double>> corners; // a polygon's, in order
};
inline constexpr double findingMarkRadius = 4.5;
MarkShape findingMark(std::string_view shape, double cx, double cy, double r = findingMarkRadius);
// The rings about a post: the selected finding, a changed objective, the selected change.
inline constexpr double selectedFindingRing = 11;
inline constexpr double changedObjectiveRing = 7;
inline constexpr double selectedChangeRing = 12;

// What is drawn over the map, which the legend explains: nothing else is listed.
struct LegendContent {
    std::vector<MarkerKind> markers;  // the kinds of the list's markers shown
    std::vector<AuditCheck> findings; // the checks whose findings are drawn
    bool changes = false;             // a comparison's marks
};
LegendContent legendContent(const std::vector<MapMarker>& markers,
                            const std::vector<AuditFinding>* findings, bool changes);

// Where the legend box stands in the map's view: the corner the user left it in, unless a point
// that must stay in sight (the selected finding, the selected change) is under it; then the
// first corner in turn that keeps every such point clear, the user's corner when none does.
enum class LegendCorner { TopRight, TopLeft, BottomLeft, BottomRight };
struct LegendBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    LegendCorner corner = LegendCorner::TopRight;
};
inline constexpr std::int32_t legendMargin = 8;
LegendBox placeLegend(LegendCorner preferred, std::int32_t viewWidth, std::int32_t viewHeight,
                      std::int32_t boxWidth, std::int32_t boxHeight,
                      const std::vector<std::pair<double, double>>& keepClear, double scale = 1);
// The corner nearest to a point of the view: where a legend dragged there goes.
LegendCorner nearestCorner(double x, double y, std::int32_t viewWidth, std::int32_t viewHeight);

// The map's colours in the mode, then the marks of the content, each once, in a fixed order.
std::vector<LegendEntry> legendEntries(MapMode mode, const LegendContent& content);

} // namespace vantor

namespace vantor {

struct TheaterDefinition;

// What the status bar says of the post under the mouse: Map X/Y, Sect X/Y and Tile X/Y as
// users see them, tile ID and elevation; "off the map" for a point outside it.
std::string postStatusText(const TheaterDefinition& theater, const TerrainMatrix& matrix,
                           std::int64_t mapX, std::int64_t mapY);

} // namespace vantor
