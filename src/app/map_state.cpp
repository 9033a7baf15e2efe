#include "app/map_state.h"

#include "app/application_state.h"

namespace vantor {

std::vector<MapMarker> mapMarkers(const ApplicationState& state) {
    if (!state.list.model.window) {
        return {};
    }
    return listMarkers(*state.list.model.window, state.list.listKind, state.scan.scanAll,
                       markerClassList(state.reference));
}

std::optional<std::pair<double, double>> highlightedCentre(const std::vector<MapMarker>& markers) {
    double sumX = 0;
    double sumY = 0;
    int count = 0;
    for (const MapMarker& m : markers) {
        if (m.highlighted) {
            sumX += m.x + 0.5;
            sumY += m.y + 0.5;
            ++count;
        }
    }
    if (count == 0) {
        return std::nullopt;
    }
    return std::pair{sumX / count, sumY / count};
}

MapOverlays mapOverlays(const ApplicationState& state, const MapSelection& selection,
                        const std::vector<ObjectChangeRow>& changes, bool withMarkers) {
    MapOverlays overlays;
    if (withMarkers) {
        overlays.markers = mapMarkers(state);
    }
    if (state.audit.done) {
        overlays.findings = &state.audit.last.report.findings;
        overlays.selectedFinding = selection.finding;
    }
    if (state.diff.done) {
        if (state.diff.last.terrain) {
            overlays.changedPosts = &*state.diff.last.terrain;
        }
        overlays.changedObjectives = changes;
        overlays.selectedChange = selection.change;
    }
    return overlays;
}

std::vector<LegendEntry> mapLegendEntries(const ApplicationState& state, MapMode mode) {
    return legendEntries(
        mode, legendContent(mapMarkers(state),
                            state.audit.done ? &state.audit.last.report.findings : nullptr,
                            state.diff.done && !state.diff.last.same()));
}

std::vector<std::pair<double, double>> legendKeepClear(const ApplicationState& state,
                                                       const MapTransform& t,
                                                       const MapSelection& selection) {
    std::vector<std::pair<double, double>> points;
    const std::vector<AuditFinding>& findings = state.audit.last.report.findings;
    if (state.audit.done && selection.finding >= 0 &&
        static_cast<std::size_t>(selection.finding) < findings.size()) {
        const AuditFinding& f = findings[static_cast<std::size_t>(selection.finding)];
        points.emplace_back(t.screenX(f.mapX + 0.5), t.screenY(f.mapY + 0.5));
    }
    if (selection.change) {
        points.emplace_back(t.screenX(selection.change->first + 0.5),
                            t.screenY(selection.change->second + 0.5));
    }
    return points;
}

} // namespace vantor
