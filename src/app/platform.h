#pragma once

#include "base/message.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vantor {

struct MenuModel;
struct ScanDialogModel;
struct RadarDialogModel;
struct IdLimitsDialogModel;
enum class IdToolChoice;

// What changed in the list window's rows.
enum class ListChange {
    Reset,      // created, destroyed, or filled anew
    RowsAdded,  // rows appended at the end of the display
    DataChanged // marks, highlights or the display order
};

enum class FileDialogKind { Open, Save, Folder };

// What a requested file is for: a front end without dialogs (the command line) answers each
// request by its role, from the files its options name.
enum class FileRequestRole {
    Terrain,  // an L2 of a pair, or an L2M matrix file, to open
    Source,   // an objective export (or report) to read
    Output,   // a file to write: a report, an export, a matrix
    Script,   // a script of the start folder that was not found there
    Version,  // a later (or earlier) version of the theater's files, to compare
    Folder,   // the start folder
    Baseline, // an earlier audit's JSON
};

struct FileRequest {
    FileRequestRole role = FileRequestRole::Output;
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;
    std::string filter; // "Description|*.ext||"
    std::string initialName;
    std::string initialFolder; // empty: the dialog's default folder
};

enum class FileRequestStatus { Chosen, Cancelled, Error };

struct FileRequestResult {
    FileRequestStatus status = FileRequestStatus::Cancelled;
    std::string path;
    int errorCode = 0;
};

// A line of text asked of the user: the dialog's title, the label above the field and what the
// field holds at first.
struct TextRequest {
    std::string title;
    std::string label;
    std::string initial;
};

// What the progress window shows.
struct ProgressView {
    std::string caption;
    std::string label;
    std::string counter;
    int position = 0; // 0 to 4096; beyond that the bar stays full
};

// A read from the settings store. keyOpened is false when the key could not be created or
// opened at all, which callers treat differently from a value that is merely missing.
struct SettingRead {
    bool keyOpened = true;
    std::optional<std::string> value;
};

// The one seam between the core and a front end: the desktop program, the command line and the
// test suite each fill it in. Any member may be left empty; the core then behaves as if the
// user dismissed the dialog (see platform_calls.h).
// The post and the tile of a Set Tile, as the picker leaves them.
struct TilePick {
    std::int32_t x = 0; // Map X, Map Y
    std::int32_t y = 0;
    std::uint32_t tile = 0;
};

struct Platform {
    std::function<MessageAnswer(const MessageBoxRequest&)> messageBox;
    std::function<FileRequestResult(const FileRequest&)> requestFile;
    // A line of text asked for (a git revision): the answer, or nothing for Cancel.
    std::function<std::optional<std::string>(const TextRequest&)> requestText;

    std::function<void(const std::string&)> setWindowTitle;
    std::function<void()> beep;
    // Queued until the command that posts it has ended.
    std::function<void(int)> postCommand;
    std::function<void()> postCloseRequest;
    // Shows the user's manual; false when it could not be started.
    std::function<bool()> startHelp;
    // The menu model changed; the front end renders it.
    std::function<void(const MenuModel&)> menuChanged;

    // The scan parameters dialog: edits the model through the core's field rules; true for
    // Begin, false for Cancel. Left empty, the dialog is taken as cancelled.
    std::function<bool(ScanDialogModel&)> editScanParameters;
    // "Configure Radar Scanner": true for Scan with settings the core accepts (see
    // confirmRadarDialog), false for Cancel.
    std::function<bool(RadarDialogModel&)> editRadarSettings;
    // "Move ID's and Links ": which button closed it; the fields are read back for Move ID's.
    std::function<IdToolChoice(IdLimitsDialogModel&)> editIdLimits;

    // Set Tile: the picker, starting at the post given; the user may move to another post and
    // picks the tile. False when cancelled.
    std::function<bool(TilePick&)> pickTile;
    // One line of what a piece of work did, where the front end has a status bar: said there
    // instead of in a message box. Left empty, the work says it in a message.
    std::function<void(const std::string&)> showStatus;

    // The modeless Find L2 Info window: created on first show, shown again later; closed by
    // its Exit button through the core.
    std::function<void()> showFindL2Info;
    std::function<void()> closeFindL2Info;

    // The list window renders the core's rows; the core tells it what changed, and asks it to
    // scroll a displayed row into view (the find dialog).
    std::function<void(ListChange)> listChanged;
    std::function<void(std::size_t displayPosition)> showListRow;
    // The modeless Find Object dialog and the modal unused-identifier dialog.
    std::function<void()> showFind;
    std::function<void()> closeFind;
    std::function<void()> showUnusedIds;
    // An audit ended: its findings (state.audit) go beside the map.
    std::function<void()> showAudit;
    // A comparison of two versions ended: state.diff is shown until the user closes it.
    std::function<void()> showDiff;

    std::function<void(const ProgressView&)> progressOpen;
    // Synchronous; the front end may let the progress window handle its input here, which is
    // how the user asks a running operation to stop.
    std::function<void(const ProgressView&)> progressReport;
    std::function<void()> progressClose;

    // Settings store: named text values under a key path such as "Software\Moravik\Quillon".
    std::function<SettingRead(const std::string& key, const std::string& name)> readSetting;
    std::function<bool(const std::string& key, const std::string& name, const std::string& text)>
        writeSetting;
};

} // namespace vantor
