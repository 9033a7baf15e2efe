#pragma once

namespace vantor {

struct ApplicationState;
struct Platform;

// The scan parameters dialog over the state; false when cancelled (abortRequested is then set).
// Values changed in the dialog stay changed either way.
bool showScanParameters(ApplicationState& state, const Platform& platform);

// A single scan: "Place Bridges ..." (10216), "Check &Rivers ..." (10217), "Check Roa&ds ..."
// (10218), "Check &Transition Tiles" (10229).
bool scanCommand(ApplicationState& state, const Platform& platform, int command);

// "&Generate Section Report..." (10232): roads, rivers and transitions into one report.
bool allScansCommand(ApplicationState& state, const Platform& platform);

} // namespace vantor
