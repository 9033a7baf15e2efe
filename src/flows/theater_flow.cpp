#include "flows/theater_flow.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "base/file_lookup.h"

namespace vantor {

bool selectTheater(ApplicationState& state, const Platform& platform, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= state.theaters.list.names.size()) {
        return false;
    }
    if (!state.terrain.terrainOpen) {
        readTheaterGeometry(loadIniFile(toFsPath(state.theaters.iniPath)),
                            state.theaters.list.names[static_cast<std::size_t>(index)],
                            state.theater);
    }
    setMenuItemChecked(state.menu, state.theaters.currentTheater, false);
    state.theaters.currentTheater = cmd::TheaterFirst + index;
    setMenuItemChecked(state.menu, state.theaters.currentTheater, true);
    notifyMenuChanged(platform, state.menu);
    return true;
}

} // namespace vantor
