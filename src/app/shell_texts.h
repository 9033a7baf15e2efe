#pragma once

// Texts the application shell shows, exactly as users of the suite know them.
namespace vantor::texts {

inline constexpr const char* programName = "Vantor";
inline constexpr const char* couldNotStart = "Vantor couldn't start!";
inline constexpr const char* matrixAlreadyCreated =
    "The L2 Terrain matrix has already been created.";
inline constexpr const char* closeAppendableOutput =
    "You are about to close a .csv file you can append objects to.  Do you wish to close it now?";
inline constexpr const char* recentFileOpenError = "Data Base Open error code = %d";
inline constexpr const char* notEnoughMemoryForCommand =
    "Not enough memory to finish this command. Nothing was written; files that were being "
    "written were left as they were.";

inline constexpr const char* information = "Information";
inline constexpr const char* error = "Error";
inline constexpr const char* warning = "Warning";

inline constexpr const char* howToTitle =
    "How to Select, Delete, Export and Find Objects in csv List";
inline constexpr const char* howToText =
    "To select objects: open a source csv file, highlight rows in the list (Shift and Ctrl "
    "extend the highlight) and choose Edit > Select Objects.\r\n"
    "To select or deselect a single object, double-click the left mouse button or single-click "
    "the right mouse button on its Name.\r\n"
    "To delete objects: highlight rows and choose Edit > Delete Selected; the rows are marked "
    "for deletion.\r\n"
    "To export: choose File > Export Objects ... and a new file name. The selected rows are "
    "written; once any row is marked for deletion, every row that is not marked is written "
    "too.\r\n"
    "Note:  All objects except those marked for deletion will be written to the export file.\r\n"
    "To find an object: choose Edit > Find ..., pick a field and type the value.\r\n"
    "To place objects: open the L2 terrain file, then choose a scan or check from the Actions "
    "menu; its settings dialog sets the search area and the output file.\r\n"
    "When this box is closed, the objective class list OCDList.dat (and OCDList.csv) is built "
    "from Falcon4.ocd in the start folder: the list the city check and the airbase levelling "
    "need.";
inline constexpr const char* aboutTitle = "About Vantor";
inline constexpr const char* purpose =
    "Makes a Falcon 4 theater's terrain and its campaign objectives agree: places bridges, "
    "reports broken roads, rivers and transitions, checks cities and junctions, keeps objective "
    "identifiers and links in order, computes radar profiles and levels airbases.";

} // namespace vantor::texts
