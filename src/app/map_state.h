#pragma once

#include "map/map_compose.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace vantor {

struct ApplicationState;

// What a desktop map shows of the program's state, the same in every front end: the list's
// markers, the overlays of the audit and of a comparison, the legend's rows, and the points the
// legend must leave in sight. The front end keeps only what the user chose in the view itself:
// the selected finding and change, and the comparison's objective rows while its panel is open.
struct MapSelection {
    int finding = -1;
    std::optional<std::pair<std::int32_t, std::int32_t>> change;
};

std::vector<MapMarker> mapMarkers(const ApplicationState& state);
// The middle of the highlighted markers (where Find and a list click bring the map), if any.
std::optional<std::pair<double, double>> highlightedCentre(const std::vector<MapMarker>& markers);
// Markers left out: a front end that draws them itself.
MapOverlays mapOverlays(const ApplicationState& state, const MapSelection& selection,
                        const std::vector<ObjectChangeRow>& changes, bool withMarkers);
std::vector<LegendEntry> mapLegendEntries(const ApplicationState& state, MapMode mode);
std::vector<std::pair<double, double>> legendKeepClear(const ApplicationState& state,
                                                       const MapTransform& transform,
                                                       const MapSelection& selection);

} // namespace vantor
