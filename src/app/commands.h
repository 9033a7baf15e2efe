#pragma once

namespace vantor::cmd {

// Every user action is one of these identifiers: menu items, toolbar buttons, recent-file
// entries, Theater menu entries, and the commands one flow issues to another.
enum Command : int {
    TheaterFirst = 2000, // 2000 to 2009: the entries of the Theater menu
    TheaterLast = 2009,
    RecentFileBase = 8000, // separator above "E&xit"; 8001 to 8009 are the recent-file entries
    RecentFileFirst = 8001,
    RecentFileLast = 8009,
    Exit = 10202,
    OpenSourceCsv = 10203,
    About = 10204,
    ExportObjects = 10205,
    UsersManual = 10206,
    LoadSourceIntoList = 10207,
    Find = 10208,
    HowTo = 10209,
    CloseFindDialog = 10210,
    SelectObjects = 10211,
    ExportChosenFile = 10212,
    ClearAllSelections = 10213,
    DestroyListWindow = 10214,
    OpenL2Terrain = 10215,
    PlaceBridges = 10216,
    CheckRivers = 10217,
    CheckRoads = 10218,
    CheckPlaceMoveObjects = 10219,
    ProgressReport = 10220,
    OpenTerrainAtPath = 10221,
    FindL2Info = 10222,
    CloseFindL2Info = 10223,
    ListUnusedIds = 10224,
    SaveL2mMatrix = 10227,
    LoadL2mMatrix = 10228,
    CheckTransitions = 10229,
    DeleteSelected = 10230,
    OutputTextVersion = 10231,
    GenerateSectionReport = 10232,
    CloseOutputFiles = 10233,
    RemoveObjectLinks = 10236,
    CheckCityJunction = 10237,
    CheckParentLinks = 10238,
    RadarProfiles = 10239,
    ChooseStartFolder = 10240, // File > "Start Folder...": ours, not the suite's
    AuditTheater = 10241,      // Actions > "Audit Theater...": ours too
    MendTheater = 10242,       // the repairs of the audit put on the terrain and the export
    UndoTerrain = 10243,       // Edit > "Undo": the terrain pair before the last write-back
    RedoTerrain = 10246,       // Edit > "Redo": the pair the last Undo replaced
    KeepSourceDates = 10244,   // Edit > "Keep Source Dates": titles dated as their source
    CompareVersions = 10245,   // Actions > "Compare Versions...": two versions of the theater
    SetTile = 10247,           // one tile put on one post by hand
    CloseTerrain = 10248,      // File > "Close Terrain": the matrix and what depends on it
    LevelAirbases = 17182,
    MoveObjectIds = 25033,
};

} // namespace vantor::cmd
