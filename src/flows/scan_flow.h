#pragma once

#include "base/map_area.h"

#include <cstdint>

namespace vantor {

struct ApplicationState;
struct Platform;

// The search area the scan parameters dialog left: from the start posts to the theater's last.
MapArea searchArea(const ApplicationState& state);

// The road, river or transition scan of state.list.listKind with the loaded script, its lines
// written to the open report files and added to the list, its summary shown. Returns the number
// of breaks.
std::int32_t runEdgeScanStep(ApplicationState& state, const Platform& platform);

// Bridge placement with the loaded bridge script, its objects written to the open output and
// added to the list, rejected bridges to NoOpposingTile.txt. Returns the bridges placed (found).
std::int32_t runBridgePlacementStep(ApplicationState& state, const Platform& platform);

// The scan parameters dialog over the state; false when cancelled (abortRequested is then set).
// Values changed in the dialog stay changed either way.
bool showScanParameters(ApplicationState& state, const Platform& platform);

// A single scan: "Place Bridges ..." (10216), "Check &Rivers ..." (10217), "Check Roa&ds ..."
// (10218), "Check &Transition Tiles" (10229).
bool scanCommand(ApplicationState& state, const Platform& platform, int command);

// "&Generate Section Report..." (10232): roads, rivers and transitions into one report.
bool allScansCommand(ApplicationState& state, const Platform& platform);

} // namespace vantor
