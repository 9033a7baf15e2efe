#include "terrain/theater_selection.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/platform_calls.h"
#include "base/file_lookup.h"
#include "base/text_util.h"

namespace vantor {

namespace {

IniFile readIni(const ApplicationState& state) {
    return loadIniFile(toFsPath(state.iniPath));
}

} // namespace

bool loadTheaters(ApplicationState& state, const Platform& platform) {
    state.iniPath = fromFsPath(findInFolder(state.startDirectory, theaterIniName));
    std::string problem;
    const IniFile ini = loadIniFile(toFsPath(state.iniPath), &problem);
    if (!problem.empty()) {
        showMessage(
            platform,
            withReason("Cannot read " + state.iniPath + ".  The built-in theater list applies.",
                       problem),
            "Warning", MessageIcon::Warning);
    }
    state.theaters = readTheaterList(ini);

    Menu& theaterMenu = state.menu.menus[TheaterMenu];
    for (std::size_t n = 0; n < state.theaters.names.size(); ++n) {
        theaterMenu.items.push_back(
            makeMenuItem(cmd::TheaterFirst + static_cast<int>(n), state.theaters.names[n]));
    }
    setMenuItemChecked(state.menu, cmd::TheaterFirst, true);
    state.currentTheater = cmd::TheaterFirst;
    notifyMenuChanged(platform, state.menu);

    readTheaterGeometry(ini, iniValue(ini, "Location", "1", "Balkans"), state.theater);
    return problem.empty();
}

bool selectTheater(ApplicationState& state, const Platform& platform, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= state.theaters.names.size()) {
        return false;
    }
    if (!state.terrainOpen) {
        readTheaterGeometry(readIni(state), state.theaters.names[static_cast<std::size_t>(index)],
                            state.theater);
    }
    setMenuItemChecked(state.menu, state.currentTheater, false);
    state.currentTheater = cmd::TheaterFirst + index;
    setMenuItemChecked(state.menu, state.currentTheater, true);
    notifyMenuChanged(platform, state.menu);
    return true;
}

} // namespace vantor
