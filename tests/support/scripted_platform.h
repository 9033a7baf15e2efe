#pragma once

#include "analysis/radar_dialog.h"
#include "app/application_state.h"
#include "app/menu_model.h"
#include "app/platform.h"
#include "scans/scan_parameters.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vantor::testing {

struct RecordedMessage {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// A platform driven by a script: questions and file dialogs take their answers from queues
// (No and Cancel when a queue runs dry), and everything the core shows is recorded.
struct ScriptedPlatform {
    std::deque<MessageAnswer> answers;
    std::deque<FileRequestResult> fileAnswers;
    std::deque<std::optional<std::string>> textAnswers; // Cancel when it runs dry
    std::vector<TextRequest> textRequests;
    bool helpStarts = true;
    bool settingsKeyOpens = true;
    // The scan parameters dialog: edited by scanEdit (if any), then Begin unless scanBegin is
    // false; every model shown is recorded as it opened.
    bool scanBegin = true;
    std::function<void(ScanDialogModel&)> scanEdit;
    std::vector<ScanDialogModel> scanDialogs;
    // The radar scanner dialog: edited by radarEdit (if any), then Scan unless radarScan is
    // false. The ID limits dialog: edited by idEdit, closed with idChoice.
    bool radarScan = true;
    std::function<void(RadarDialogModel&)> radarEdit;
    std::vector<RadarDialogModel> radarDialogs;
    IdToolChoice idChoice = IdToolChoice::Cancel;
    std::function<void(IdLimitsDialogModel&)> idEdit;
    std::vector<IdLimitsDialogModel> idDialogs;
    std::map<std::pair<std::string, std::string>, std::string> settings;

    std::vector<RecordedMessage> messages;
    std::vector<FileRequest> fileRequests;
    std::vector<std::string> titles;
    int beeps = 0;
    std::deque<int> posted;
    int closeRequests = 0;
    int helpRequests = 0;
    int menuChanges = 0;
    MenuModel lastMenu;
    std::vector<ProgressView> progressOpens;
    std::vector<ProgressView> progressReports;
    int progressCloses = 0;

    Platform platform();
    // Records the messages an operation hands over while it runs.
    MessageSink sink() {
        return [this](const MessageBoxRequest& r) {
            messages.push_back({r.text, r.title, r.icon, r.buttons});
        };
    }

    // Runs the posted commands in order, the way the message loop does once a command has
    // ended; returns the number of close requests handled.
    int runPosted(ApplicationState& state);
};

FileRequestResult chosen(std::string path);
FileRequestResult cancelled();

} // namespace vantor::testing
