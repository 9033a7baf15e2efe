#pragma once

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
// white ring, markers marked for deletion a red cross, highlighted ones a yellow frame.
const MapImage& markerSprite(MarkerKind kind, std::int32_t mark, bool highlighted);
inline constexpr std::int32_t markerSpriteSize = 15;

// The markers placed on a picture of width x height pixels shown through the transform, drawn a
// pixel row at a time (from any number of threads at once).
class MarkerRows {
  public:
    MarkerRows(const MapTransform& transform, std::int32_t width, std::int32_t height,
               const std::vector<MapMarker>& markers);
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
                 const std::vector<MapMarker>& markers);

// The marker nearest to a pixel within `radius` pixels, or -1.
std::int64_t markerAt(const std::vector<MapMarker>& markers, const MapTransform& transform,
                      double px, double py, double radius = 8);

struct LegendEntry {
    std::string label;
    Argb colour = 0;     // a swatch, when no marker kind is given
    int markerKind = -1; // a marker sprite
};
std::vector<LegendEntry> legendEntries(MapMode mode);

} // namespace vantor

namespace vantor {

struct TheaterDefinition;

// What the status bar says of the post under the mouse: Map X/Y, Sect X/Y and Tile X/Y as
// users see them, tile ID and elevation; "off the map" for a point outside it.
std::string postStatusText(const TheaterDefinition& theater, const TerrainMatrix& matrix,
                           std::int64_t mapX, std::int64_t mapY);

} // namespace vantor
