#pragma once

#include <string>

namespace vantor {

struct ApplicationState;
struct Platform;

enum class RequestForm {
    User,     // from the menu, the toolbar or a recent-file entry
    Internal, // a flow asks for its own file
    TextOnly, // the text report of "Output Te&xt Version..."
    Rewrite,  // a tool's copy of the source: only the path is taken; the tool writes the file
              // aside and puts it in place when complete, and it may not be the source itself
};

// The source file request: asks before closing an output file that is open, then the open
// dialog. On a choice sourcePath and the CSV folder take the chosen file.
bool requestSourceFile(ApplicationState& state, const Platform& platform, RequestForm form);
// "&Open  Source csv File..." (10203): the request, then the load.
bool openSourceCommand(ApplicationState& state, const Platform& platform);
// 10207: loads sourcePath into a new list window by the first character of its first line.
bool loadSourceIntoList(ApplicationState& state, const Platform& platform);

// The output file request. The user form writes the export of the list (10212); the internal
// forms create the output file (and, when asked, the text report beside it).
bool requestOutputFile(ApplicationState& state, const Platform& platform, RequestForm form);
// Puts what a scan wrote into its output file and text report in place (see TextFile). On a
// failure says why, closes both without touching the files they replace, and returns false.
// Closes the report outputs without touching the files they would replace.
void dropReportOutputs(ApplicationState& state, const Platform& platform);

bool saveReportOutputs(ApplicationState& state, const Platform& platform);
// "&Export Objects ..." (10205) and its second half (10212).
bool exportObjectsCommand(ApplicationState& state, const Platform& platform);
bool writeExportCommand(ApplicationState& state, const Platform& platform);
// "Output Te&xt Version..." (10231).
bool textVersionCommand(ApplicationState& state, const Platform& platform);

// The Edit commands and the list window's own.
bool selectObjectsCommand(ApplicationState& state, const Platform& platform);
bool clearAllSelectionsCommand(ApplicationState& state, const Platform& platform);
bool deleteSelectedCommand(ApplicationState& state, const Platform& platform);
bool destroyListCommand(ApplicationState& state, const Platform& platform);
bool findCommand(ApplicationState& state, const Platform& platform);
bool closeFindCommand(ApplicationState& state, const Platform& platform);
// "&List Unused Objective ID's " (10224): sorts the list by identifier, ascending, and shows
// the listing dialog.
bool unusedIdsCommand(ApplicationState& state, const Platform& platform);

// A listing for the dialog (its 9,999-character box; the warning is shown when it overflows).
std::string unusedIdListing(ApplicationState& state, const Platform& platform, bool ranges);

// The output path the program makes of a chosen one: the file name cut at its last "." and
// given the extension (".csv" or ".txt"); a name without "." gets it appended.
std::string withExtension(const std::string& path, const char* extension);

// Edit > "Keep Source Dates" (10244): turns the keeping of the sources' title dates on or off;
// the menu item is checked while it is on.
bool keepSourceDatesCommand(ApplicationState& state, const Platform& platform);

} // namespace vantor
