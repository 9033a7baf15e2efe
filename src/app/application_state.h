#pragma once

#include "analysis/airbase_levelling.h"
#include "analysis/radar_profile.h"
#include "app/menu_model.h"
#include "app/progress.h"
#include "app/recent_files.h"
#include "base/file_guard.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "checks/city_check.h"
#include "objectives/find.h"
#include "objectives/list_kind.h"
#include "objectives/list_model.h"
#include "reference/ocd_list.h"
#include "reference/tile_info.h"
#include "scans/scan_parameters.h"
#include "scans/tile_script.h"
#include "terrain/terrain_matrix.h"
#include "terrain/theater.h"
#include "tools/id_mover.h"

#include <string>

namespace vantor {

enum class RunMode { Interactive, RadarBatch, AirbaseBatch };

// Everything the program keeps between two commands. One instance lives for the whole run and
// is passed by reference to every command.
struct ApplicationState {
    RunMode runMode = RunMode::Interactive;

    int currentTheater = 2000;
    // The geometry in force. While terrain is open it is the geometry of the open matrix: a
    // theater chosen then moves the menu check but does not touch these dimensions.
    TheaterDefinition theater = builtInTheater();
    TheaterList theaters;

    std::string startDirectory;
    std::string csvDirectory;
    std::string terrainDirectory;
    std::string iniPath;
    std::string sourcePath;
    std::string outputPath;
    std::string terrainPath;

    bool terrainOpen = false;
    bool matrixBuilt = false;
    // Built once per run by reading terrain or loading a matrix file; carries its own
    // dimensions and record format.
    TerrainMatrix matrix;
    bool findL2InfoPresent = false;
    ListMode listMode = ListMode::Objects;
    ListKind listKind = ListKind::RadarProfiles;
    ListState list;
    FindState find;

    TextReader toolSourceFile;
    // The files the running command reads and the terrain files the matrix came from: no output
    // is ever written over one of them.
    InputFiles inputs;
    int dispatchDepth = 0;
    TextFile outputFile;
    TextFile textReportFile;

    bool writeToFile = true;
    // The last scan could not put its report in place (it said why).
    bool outputFailed = false;
    bool appendToOutput = false;
    bool textReport = false;
    bool scanAll = false;
    bool abortRequested = false;
    bool scriptLoaded = false;

    ScanParameters scan;
    TileScript script;
    // The bridge placement's rotating selector, shared by every variable for the whole run.
    std::int32_t bridgeSelector = 0;

    // Zero until the radar scanner dialog is first confirmed; profiles wanted before then use
    // the dialog's defaults.
    RadarSettings radarSettings;
    IdMoveLimits idLimits;

    // Reference lists: loaded by the first command that needs them and kept for the run.
    OcdList ocdList;
    TileInfoList tileInfo;
    // The city and junction check's tables, and its choice among equal candidates, which runs
    // on across every check of the run.
    CityTileTables cityTables;
    std::uint32_t rotatingPick = 0;
    AirbaseScript airbaseScript;

    ProgressState progressState = ProgressState::None;
    ProgressCounters progress;
    bool progressWindowOpen = false;

    RecentFileList recentFiles;
    MenuModel menu = buildMainMenu();
};

} // namespace vantor
