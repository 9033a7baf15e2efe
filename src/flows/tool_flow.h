#pragma once

namespace vantor {

struct ApplicationState;
struct Platform;

// "Create Radar LOS Profiles..." (10239), also the radar batch mode's whole work.
bool radarProfilesCommand(ApplicationState& state, const Platform& platform);
// "Remove Object &Links" (10236).
bool removeLinksCommand(ApplicationState& state, const Platform& platform);
// "Check Parent Links..." (10238).
bool checkParentsCommand(ApplicationState& state, const Platform& platform);
// "Move object ID's" (25033): the identifier move or the bridge offset fix.
bool moveIdsCommand(ApplicationState& state, const Platform& platform);

} // namespace vantor
