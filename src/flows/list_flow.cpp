#include "flows/list_flow.h"

#include "app/application_state.h"
#include "app/commands.h"
#include "app/menu_rules.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/file_system.h"
#include "base/text_util.h"
#include "flows/dispatcher.h"
#include "flows/flow_files.h"
#include "flows/recent_file_flow.h"
#include "map/map_overlay.h"
#include "objectives/unused_ids.h"
#include "terrain/terrain_io.h"

#include <ctime>

namespace vantor {

namespace {

constexpr const char* closeAppendingOutput =
    "You are about to close a .csv file you are appending objects/errors to.  Do you wish to "
    "close it now?";
constexpr const char* csvFilter = "Object Export file|*.csv||";
// A scan's report is a CSV file too, but no objective export.
constexpr const char* reportFilter = "Tile Scanner Report file|*.csv||";

const char* outputFilter(ListKind listKind) {
    switch (listKind) {
    case ListKind::MisalignedRoads:
    case ListKind::MisalignedRivers:
    case ListKind::BadTransitions:
    case ListKind::AllScansReport:
        return reportFilter;
    default:
        return csvFilter;
    }
}
constexpr const char* sameSourceAndExport =
    "Cannot use the same file for Source and Export.  Select another file.";

struct ListKindRow {
    char firstCharacter;
    ListMode listMode;
    ListKind listKind;
    const char* title;
    const char* readFailed;
};

constexpr ListKindRow listKinds[] = {
    {'1', ListMode::Objects, ListKind::Objects, "Placed Objects List", "Object Data read failed"},
    {'2', ListMode::Reports, ListKind::MisalignedRoads, "Bad Roads Report",
     "Bad Roads Report read failed"},
    {'3', ListMode::Reports, ListKind::MisalignedRivers, "Bad Rivers Report",
     "Bad Rivers Report read failed"},
    {'4', ListMode::Reports, ListKind::BadTransitions, "Bad Transition Tiles Report",
     "Bad Transition Tiles Report read failed"},
    {'9', ListMode::Reports, ListKind::AllScansReport, "All Bad Tiles Report",
     "All Bad Tiles Report read failed"},
};

const char* outputTitle(ListKind listKind) {
    switch (listKind) {
    case ListKind::Objects:
        return "Save Bridge Object Export File";
    case ListKind::MisalignedRoads:
        return "Save Bad Roads Report File";
    case ListKind::MisalignedRivers:
        return "Save Bad Rivers Report File";
    case ListKind::BadTransitions:
        return "Save Bad Transitions Report File";
    case ListKind::CheckedMasterExport:
        return "Save Object Checked Master Export File";
    case ListKind::AllScansReport:
        return "Save All-Scans Report File";
    case ListKind::CityJunction:
        return "Save City/Junction CSV File";
    default:
        return "Save Object Export File";
    }
}

// Asks before an open output file is closed; Yes closes it and the list.
bool closeOutputForSource(ApplicationState& state, const Platform& platform) {
    if (!state.files.outputFile.isOpen()) {
        return true;
    }
    if (showMessage(platform, closeAppendingOutput, texts::warning, MessageIcon::Question,
                    MessageButtons::YesNo) != MessageAnswer::Yes) {
        return false;
    }
    state.files.outputFile.close();
    state.scan.appendToOutput = false;
    dispatchCommand(state, platform, cmd::DestroyListWindow);
    return true;
}

// The CSV dialogs start in the last CSV folder; without a settings key, in the start folder.
void prepareCsvFolder(ApplicationState& state, const Platform& platform) {
    if (!readFolder(platform, pathsSubkey, csvFolderValue, state.folders.csvDirectory)) {
        state.folders.csvDirectory = state.folders.startDirectory;
    }
}

} // namespace

std::string withExtension(const std::string& path, const char* extension) {
    const std::size_t nameStart = folderPart(path).size();
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) {
        return path + extension;
    }
    return path.substr(0, dot) + extension;
}

bool requestSourceFile(ApplicationState& state, const Platform& platform, RequestForm form) {
    if (!closeOutputForSource(state, platform)) {
        return false;
    }
    prepareCsvFolder(state, platform);
    FileRequest request;
    request.role = FileRequestRole::Source;
    request.kind = FileDialogKind::Open;
    request.title = "Open Object File";
    request.filter = csvFilter;
    request.initialName = "*.csv";
    request.initialFolder = state.folders.csvDirectory;
    const FileRequestResult result = requestFile(platform, request);
    if (result.status == FileRequestStatus::Cancelled) {
        return false;
    }
    if (result.status == FileRequestStatus::Error) {
        showMessage(platform, formatWithInt("Data file open error# %d", result.errorCode),
                    texts::error, MessageIcon::Error);
        return false;
    }
    state.folders.csvDirectory = folderPart(result.path);
    state.files.sourcePath = result.path;
    (void)form; // the internal form leaves opening the file to its caller
    return true;
}

bool openSourceCommand(ApplicationState& state, const Platform& platform) {
    if (!requestSourceFile(state, platform, RequestForm::User)) {
        return false;
    }
    return dispatchCommand(state, platform, cmd::LoadSourceIntoList);
}

namespace {

// Objectives written with Type "0" (by the checked export) are drawn by their class: the class
// list is read for the markers when no command has read it yet. Without it they are drawn as
// other objectives, and nothing is said.
void readMarkerClasses(ApplicationState& state) {
    if (state.list.model.window->listMode != ListMode::Objects ||
        markerClassList(state.reference) != nullptr) {
        return;
    }
    for (const ListObjectRow& row : state.list.model.window->objectRows) {
        if (objectMarkerKind(row.type) == MarkerKind::Other) {
            std::string ignored; // without it the markers are drawn as "other"
            loadOcdList(state.reference.markerClasses, state.folders.startDirectory, ignored);
            return;
        }
    }
}

} // namespace

bool loadSourceIntoList(ApplicationState& state, const Platform& platform) {
    if (!closeOutputForSource(state, platform)) {
        return false;
    }
    TextReader source;
    if (!openTextReader(source, toFsPath(state.files.sourcePath))) {
        showMessage(platform, withReason(terrain_texts::dataFileOpenFailed, source.error),
                    state.files.sourcePath, MessageIcon::Error);
        return false;
    }
    std::string first;
    std::string second;
    readLine(source, first);
    readLine(source, second);
    // The previous rows go now; the window itself is replaced only for a file it can list.
    if (state.list.model.window) {
        createListWindow(state.list.model, state.list.model.window->listMode);
    }
    state.scan.scanAll = false;
    notifyListChanged(platform, ListChange::Reset);

    const ListKindRow* kind = nullptr;
    for (const ListKindRow& row : listKinds) {
        if (!first.empty() && first.front() == row.firstCharacter) {
            kind = &row;
        }
    }
    if (kind == nullptr) {
        showMessage(platform, withReason(".csv file type not recognized.", source.error),
                    texts::error, MessageIcon::Error);
        return false;
    }
    state.list.listMode = kind->listMode;
    state.list.listKind = kind->listKind;
    createListWindow(state.list.model, kind->listMode);
    state.list.model.sourcePath = state.files.sourcePath;
    const std::size_t rows = readRows(state.list.model, source, messageSink(platform));
    readMarkerClasses(state);
    notifyListChanged(platform, ListChange::Reset);
    if (rows == 0) {
        showMessage(platform, withReason(kind->readFailed, source.error), texts::error,
                    MessageIcon::Error);
        return false;
    }
    applyMenuEvent(state, platform,
                   kind->listMode == ListMode::Objects ? MenuEvent::ObjectFileLoaded
                                                       : MenuEvent::ReportLoaded);
    setWindowTitle(platform, kind->title);
    source.close();
    rememberRecentFile(state, platform, state.files.sourcePath);
    storeFolder(platform, pathsSubkey, csvFolderValue, state.folders.csvDirectory);
    return true;
}

namespace {

// True (after its message) when the chosen output may not be used: the extension rule moved it
// onto another existing file, or it is the source.
bool outputRefused(ApplicationState& state, const Platform& platform, RequestForm form,
                   const std::string& chosen) {
    const std::string& output = state.files.outputPath;
    const std::string& source = state.files.sourcePath;
    if (form != RequestForm::TextOnly && !equalsIgnoreCase(output, chosen) &&
        examinePath(toFsPath(output)).kind != FileKind::Missing) {
        showMessage(platform,
                    "The output is written as " + output + ", not as " + chosen + ", and " +
                        output + " already exists.  Choose a name that ends in .csv.",
                    texts::error, MessageIcon::Warning);
        if (form == RequestForm::User) {
            postCommand(platform, cmd::ExportObjects);
        }
        return true;
    }
    if (form == RequestForm::User && !source.empty() &&
        (startsWithIgnoreCase(output, source) || sameFile(output, source))) {
        showMessage(platform, sameSourceAndExport, texts::error, MessageIcon::Warning);
        postCommand(platform, cmd::ExportObjects);
        return true;
    }
    // A tool reads its source to the end while it writes: the source is never its output.
    if (form == RequestForm::Rewrite && !source.empty() && sameFile(output, source)) {
        showMessage(platform, sameSourceAndExport, texts::error, MessageIcon::Warning);
        return true;
    }
    return false;
}

// The report files of a scan (and its text version), written aside: the files chosen change
// only once a scan has completed.
bool openReportFiles(ApplicationState& state, const Platform& platform, RequestForm form) {
    std::string error;
    if (form != RequestForm::TextOnly) {
        state.files.outputFile.close();
        if (!openTextFileAside(state.files.outputFile, state.files.outputPath, false, error)) {
            showMessage(platform, withReason(terrain_texts::dataFileOpenFailed, error),
                        state.files.outputPath, MessageIcon::Error);
            return false;
        }
        state.scan.appendToOutput = false;
    }
    if (form == RequestForm::TextOnly || state.scan.textReport) {
        const std::string textPath = withExtension(state.files.outputPath, ".txt");
        if (!openTextFileAside(state.files.textReportFile, textPath, false, error)) {
            abandonTextFile(state.files.outputFile);
            showMessage(platform, withReason(terrain_texts::dataFileOpenFailed, error), textPath,
                        MessageIcon::Error);
            return false;
        }
    }
    return true;
}

} // namespace

bool requestOutputFile(ApplicationState& state, const Platform& platform, RequestForm form) {
    for (;;) {
        prepareCsvFolder(state, platform);
        FileRequest request;
        request.role = FileRequestRole::Output;
        request.kind = FileDialogKind::Save;
        request.initialFolder = state.folders.csvDirectory;
        if (form == RequestForm::TextOnly) {
            request.title = "Save Text Error Report Output File";
            request.filter = "Text Report file  |*.txt||";
            request.initialName = "*.txt";
        } else {
            request.title = outputTitle(state.list.listKind);
            request.filter = outputFilter(state.list.listKind);
            request.initialName = "*.csv";
        }
        const FileRequestResult result = requestFile(platform, request);
        if (result.status == FileRequestStatus::Cancelled) {
            return false;
        }
        if (result.status == FileRequestStatus::Error) {
            showMessage(platform, formatWithInt("Export file open error# %d", result.errorCode),
                        texts::error, MessageIcon::Error);
            return false;
        }
        state.folders.csvDirectory = folderPart(result.path);
        state.files.outputPath = withExtension(result.path, ".csv");
        if (!outputRefused(state, platform, form, result.path)) {
            break;
        }
        // A tool asks again, as the export does (which posts its command once more).
        if (form != RequestForm::Rewrite) {
            return false;
        }
    }
    if (form != RequestForm::TextOnly && !state.scan.textReport) {
        setWindowTitle(platform, state.files.outputPath);
        rememberRecentFile(state, platform, state.files.outputPath);
        storeFolder(platform, pathsSubkey, csvFolderValue, state.folders.csvDirectory);
    }
    if (form == RequestForm::User) {
        return true;
    }
    if (form == RequestForm::Rewrite) {
        state.files.outputFile.close();
    } else if (!openReportFiles(state, platform, form)) {
        return false;
    }
    applyMenuEvent(state, platform, MenuEvent::OutputRequestSucceeded);
    return true;
}

void dropReportOutputs(ApplicationState& state, const Platform& platform) {
    const bool wasOpen = state.files.outputFile.isOpen();
    abandonTextFile(state.files.outputFile);
    abandonTextFile(state.files.textReportFile);
    state.scan.appendToOutput = false;
    if (wasOpen) {
        applyMenuEvent(state, platform, MenuEvent::OutputFileClosed);
    }
}

bool saveReportOutputs(ApplicationState& state, const Platform& platform) {
    std::string error;
    for (TextFile* file : {&state.files.outputFile, &state.files.textReportFile}) {
        if (!file->isOpen() || checkpointTextFile(*file, error)) {
            continue;
        }
        const std::string name = file->target;
        dropReportOutputs(state, platform);
        showMessage(platform, "Cannot write " + name + ": " + error, texts::error,
                    MessageIcon::Error);
        return false;
    }
    return true;
}

bool exportObjectsCommand(ApplicationState& state, const Platform& platform) {
    if (!requestOutputFile(state, platform, RequestForm::User)) {
        return false;
    }
    return dispatchCommand(state, platform, cmd::ExportChosenFile);
}

bool writeExportCommand(ApplicationState& state, const Platform& platform) {
    // A list a scan filled pairs with the output file still being written.
    if (state.files.outputFile.isOpen()) {
        std::fflush(state.files.outputFile.handle.get());
    }
    std::string error;
    if (!writeExport(state.list.model, state.files.outputPath, error)) {
        showMessage(platform, "Cannot write " + state.files.outputPath + ": " + error, texts::error,
                    MessageIcon::Error);
        return false;
    }
    return true;
}

bool textVersionCommand(ApplicationState& state, const Platform& platform) {
    if (!state.list.model.window || state.list.model.window->listMode != ListMode::Reports) {
        return false;
    }
    if (!requestOutputFile(state, platform, RequestForm::TextOnly)) {
        return false;
    }
    std::string error;
    const bool complete = writeTextVersion(
        state.list.model, state.files.textReportFile.handle.get(), state.list.listKind,
        state.scan.scanAll, titleTimeFor(state, state.list.model.sourcePath), error);
    notifyListChanged(platform, ListChange::DataChanged);
    if (!complete) {
        abandonTextFile(state.files.textReportFile);
        showMessage(platform, error + ".  Nothing was written.", texts::error, MessageIcon::Error);
        state.scan.appendToOutput = false;
        return false;
    }
    const bool written = checkpointTextFile(state.files.textReportFile, error);
    if (written) {
        state.files.textVersionPath = state.files.textReportFile.target;
        state.files.textReportFile.close();
    } else {
        const std::string name = state.files.textReportFile.target;
        abandonTextFile(state.files.textReportFile);
        showMessage(platform, "Cannot write " + name + ": " + error, texts::error,
                    MessageIcon::Error);
    }
    state.scan.appendToOutput = false;
    return written;
}

bool selectObjectsCommand(ApplicationState& state, const Platform& platform) {
    markHighlighted(state.list.model, MarkSelected);
    notifyListChanged(platform, ListChange::DataChanged);
    return true;
}

bool clearAllSelectionsCommand(ApplicationState& state, const Platform& platform) {
    showMessage(platform, "Are you sure you want to unselect all selected objects?", "Caution",
                MessageIcon::Warning);
    clearAllMarks(state.list.model);
    notifyListChanged(platform, ListChange::DataChanged);
    return true;
}

bool deleteSelectedCommand(ApplicationState& state, const Platform& platform) {
    markHighlighted(state.list.model, MarkDeleted);
    notifyListChanged(platform, ListChange::DataChanged);
    return true;
}

bool destroyListCommand(ApplicationState& state, const Platform& platform) {
    destroyListWindow(state.list.model);
    notifyListChanged(platform, ListChange::Reset);
    return true;
}

bool findCommand(ApplicationState& state, const Platform& platform) {
    if (!state.list.find.present) {
        createFindDialog(state.list.find, state.list.listMode);
    }
    if (platform.showFind) {
        platform.showFind();
    }
    return true;
}

bool closeFindCommand(ApplicationState& state, const Platform& platform) {
    if (!state.list.find.present) {
        return false;
    }
    state.list.find.present = false;
    if (platform.closeFind) {
        platform.closeFind();
    }
    return true;
}

bool unusedIdsCommand(ApplicationState& state, const Platform& platform) {
    if (state.list.model.window) {
        sortRows(*state.list.model.window, 2, true);
        notifyListChanged(platform, ListChange::DataChanged);
    }
    if (platform.showUnusedIds) {
        platform.showUnusedIds();
    }
    return true;
}

std::string unusedIdListing(ApplicationState& state, const Platform& platform, bool ranges) {
    std::vector<std::int32_t> ids;
    std::string error;
    if (!identifiersInExport(state.list.model.sourcePath, ids, error)) {
        // A listing of part of the file would offer identifiers its later objects use.
        return "The identifiers of " + state.list.model.sourcePath + " cannot be read: " + error +
               ".";
    }
    UnusedListing listing = listUnusedIds(ids, ranges, unusedListingRoom);
    if (listing.exceeded) {
        showMessage(platform, unusedListingExceeded, texts::warning, MessageIcon::Information);
    }
    // An empty box would look like a listing that failed.
    return listing.text.empty() ? noUnusedIdsText(ids) : listing.text;
}

bool keepSourceDatesCommand(ApplicationState& state, const Platform& platform) {
    state.files.keepDate = !state.files.keepDate;
    setMenuItemChecked(state.menu, cmd::KeepSourceDates, state.files.keepDate);
    notifyMenuChanged(platform, state.menu);
    return true;
}

} // namespace vantor
