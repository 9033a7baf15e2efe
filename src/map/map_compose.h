#pragma once

#include "audit/audit.h"
#include "map/map_overlay.h"
#include "map/map_viewport.h"
#include "tools/theater_diff.h"

#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace vantor {

// The terrain tiles of a desktop map, drawn when first shown and kept, the most recently shown
// up to a limit (a whole theater zoomed in would not fit in memory).
class MapTileCache {
  public:
    const MapImage& tile(const TerrainMatrix& matrix, const TileClassifier& classes, MapMode mode,
                         const MapTileKey& key);
    void clear();
    std::size_t size() const { return tiles_.size(); }

    static constexpr std::size_t limit = 256; // 64 MiB of pictures

  private:
    struct Kept {
        MapImage image;
        std::list<MapTileKey>::iterator used;
    };
    std::map<MapTileKey, Kept> tiles_;
    std::list<MapTileKey> used_; // the most recently shown first
};

// What a desktop map shows over its terrain, each drawn as the audit and comparison pages draw
// it.
struct MapOverlays {
    std::vector<MapMarker> markers;                      // the list's rows
    const std::vector<AuditFinding>* findings = nullptr; // the audit's
    int selectedFinding = -1;
    const TerrainDiff* changedPosts = nullptr; // a comparison's
    std::vector<ObjectChangeRow> changedObjectives;
    std::optional<std::pair<std::int32_t, std::int32_t>> selectedChange;
    // The marks' size and lines: 1 at 96 dots per inch, more on a screen of more.
    double scale = 1;
};

inline constexpr Argb mapBackground = argb(48, 48, 52);

// The view's picture, view.width x view.height: the background, the terrain's tiles scaled
// into place, section lines where sections are at least 24 pixels, the list's markers (the
// highlighted ones on top), the audit's findings and the selected one's ring, the comparison's
// changed posts and objectives and the selected change's ring.
void composeMapView(const MapViewport& view, const TerrainMatrix& matrix,
                    const TileClassifier& classes, MapMode mode, MapTileCache& tiles,
                    const MapOverlays& overlays, MapImage& out);

// The overlays alone, over whatever the picture holds (a transparent one for a front end that
// draws the terrain itself): the markers, the findings and their ring, the changes and theirs.
void drawMapOverlays(const MapViewport& view, const TerrainMatrix& matrix,
                     const MapOverlays& overlays, MapImage& out);

// A finding's mark of a check's style about (cx, cy): a white halo, the check's colour, a
// black outline.
void drawFindingMark(MapImage& image, const char* shape, Argb colour, double cx, double cy,
                     double scale = 1);

// The legend box in the view: its background and frame, each entry's swatch; the front end
// writes the title and the labels where the layout says, in its own font.
struct LegendLayout {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 150;
    std::int32_t height = 0;
    std::int32_t line = 18; // a row's height: the front end's line of text
    double scale = 1;       // the swatches' size, as the map's marks
    // The title's row, then each entry's label: the left and top of its text.
    std::vector<std::pair<std::int32_t, std::int32_t>> textAt;
};
LegendLayout legendLayout(LegendCorner corner, std::int32_t viewWidth, std::int32_t viewHeight,
                          std::size_t entries, bool folded,
                          const std::vector<std::pair<double, double>>& keepClear,
                          std::int32_t line = 18, std::int32_t width = 150, double scale = 1);
void drawLegendBox(MapImage& image, const LegendLayout& layout,
                   const std::vector<LegendEntry>& entries, bool folded);
// The title as written: "Legend" with a triangle that says whether it is folded.
const char* legendTitle(bool folded);

} // namespace vantor
