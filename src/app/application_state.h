#pragma once

#include "analysis/airbase_levelling.h"
#include "analysis/radar_profile.h"
#include "app/menu_model.h"
#include "app/progress.h"
#include "app/recent_files.h"
#include "audit/audit.h"
#include "audit/mend.h"
#include "base/file_guard.h"
#include "base/pair_history.h"
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
#include "tools/theater_diff.h"

#include <string>

namespace vantor {

enum class RunMode { Interactive, RadarBatch, AirbaseBatch };

// The theaters of Quillon.ini and the one selected.
struct TheaterRecord {
    int currentTheater = 2000; // the Theater menu entry checked
    TheaterList list;
    std::string iniPath;
};

// The folders the file dialogs start in.
struct FolderRecord {
    std::string startDirectory;
    std::string csvDirectory;
};

// The terrain: the matrix, built once per run, and the files it came from.
struct TerrainRecord {
    std::string terrainPath;
    std::string terrainDirectory;
    bool terrainOpen = false;
    bool matrixBuilt = false;
    // Built once per run by reading terrain or loading a matrix file; carries its own dimensions
    // and record format.
    TerrainMatrix matrix;
    bool findL2InfoPresent = false;
    // A dry run: an interrupted write of the pair is reported and read around, never finished.
    bool dryRun = false;
    // The pair as it was read or last written: a write-back refuses when it has changed since.
    PairVersion pairVersion;
    // What the last write-back's commit came to.
    PairChange lastWrite;
};

// The list window and what the current work produces.
struct ListRecord {
    ListMode listMode = ListMode::Objects;
    ListKind listKind = ListKind::RadarProfiles;
    ListState model; // the rows the list window renders
    FindState find;
};

// The files a command reads and writes.
struct FileRecord {
    std::string sourcePath;
    std::string outputPath;
    TextReader toolSourceFile;
    TextFile outputFile;
    TextFile textReportFile;
    std::string textVersionPath; // the text version last written, for the closing message
    // Titles carry the date of the source (or of the report replaced) instead of now.
    bool keepDate = false;
    // The files the running command reads and the terrain files the matrix came from: no output
    // is ever written over one of them.
    InputFiles inputs;
};

// The scans: their dialog's values and options, and the script they run with.
struct ScanRecord {
    ScanParameters parameters;
    bool writeToFile = true;
    bool appendToOutput = false;
    bool textReport = false;
    // The last scan could not put its report in place (it said why).
    bool outputFailed = false;
    bool scanAll = false;
    bool scriptLoaded = false;
    TileScript script;
    // The bridge placement's rotating selector, shared by every variable for the whole run.
    std::int32_t bridgeSelector = 0;
};

// The settings of the tools' dialogs, kept for the run.
struct ToolRecord {
    // Zero until the radar scanner dialog is first confirmed; profiles wanted before then use
    // the dialog's defaults.
    RadarSettings radarSettings;
    IdMoveLimits idLimits;
    // The post Set Tile starts at: the one right-clicked on the map, else the last one set.
    std::int32_t tileX = 0;
    std::int32_t tileY = 0;
};

// Reference lists and tables: loaded by the first command that needs them and kept for the run.
struct ReferenceRecord {
    OcdList ocdList;
    TileInfoList tileInfo;
    // The city and junction check's tables, and its choice among equal candidates, which runs
    // on across every check of the run.
    CityTileTables cityTables;
    std::uint32_t rotatingPick = 0;
    AirbaseScript airbaseScript;
    // The class list read when a list was opened whose objectives' Type names no kind, for the
    // map's markers alone: the commands read their own list when they first need it.
    OcdList markerClasses;
};

// The class list the map's markers take kinds from, or null when none was read.
inline const OcdList* markerClassList(const ReferenceRecord& reference) {
    return reference.ocdList.loaded         ? &reference.ocdList
           : reference.markerClasses.loaded ? &reference.markerClasses
                                            : nullptr;
}

// The last audit of the theater, shown beside the map until the next.
struct AuditRecord {
    TheaterAudit last;
    bool done = false;
    bool saved = false; // its page or JSON was written since it ran
};

// The last comparison of two versions of the theater, while its window shows it.
struct DiffRecord {
    TheaterDiff last;
    bool done = false;
};

// The progress window and the flag that asks a long operation to stop.
struct ProgressRecord {
    ProgressState progressState = ProgressState::None;
    ProgressCounters counters;
    bool windowOpen = false;
    bool abortRequested = false;
};

// Everything the program keeps between two commands. One instance lives for the whole run and
// is passed by reference to every command.
struct ApplicationState {
    RunMode runMode = RunMode::Interactive;
    // The geometry in force. While terrain is open it is the geometry of the open matrix: a
    // theater chosen then moves the menu check but does not touch these dimensions.
    TheaterDefinition theater = builtInTheater();
    TheaterRecord theaters;
    FolderRecord folders;
    TerrainRecord terrain;
    ListRecord list;
    FileRecord files;
    ScanRecord scan;
    ToolRecord tools;
    ReferenceRecord reference;
    ProgressRecord progress;
    AuditRecord audit;
    DiffRecord diff;
    RecentFileList recentFiles;
    MenuModel menu = buildMainMenu();
    int dispatchDepth = 0; // commands issued by the running command run inside it
};

} // namespace vantor
