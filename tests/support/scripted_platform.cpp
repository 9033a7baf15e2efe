#include "support/scripted_platform.h"

#include "app/startup.h"
#include "flows/dispatcher.h"

namespace vantor::testing {

Platform ScriptedPlatform::platform() {
    Platform p;
    p.messageBox = [this](const MessageBoxRequest& r) {
        messages.push_back({r.text, r.title, r.icon, r.buttons});
        if (r.buttons == MessageButtons::Ok) {
            return MessageAnswer::Ok;
        }
        if (answers.empty()) {
            return MessageAnswer::No;
        }
        const MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    };
    p.requestFile = [this](const FileRequest& r) {
        fileRequests.push_back(r);
        if (fileAnswers.empty()) {
            return cancelled();
        }
        FileRequestResult a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    };
    p.requestText = [this](const TextRequest& r) {
        textRequests.push_back(r);
        std::optional<std::string> a;
        if (!textAnswers.empty()) {
            a = textAnswers.front();
            textAnswers.pop_front();
        }
        return a;
    };
    p.editScanParameters = [this](ScanDialogModel& model) {
        scanDialogs.push_back(model);
        if (scanEdit) {
            scanEdit(model);
        }
        return scanBegin;
    };
    p.editRadarSettings = [this](RadarDialogModel& model) {
        radarDialogs.push_back(model);
        if (radarEdit) {
            radarEdit(model);
        }
        return radarScan;
    };
    p.editIdLimits = [this](IdLimitsDialogModel& model) {
        idDialogs.push_back(model);
        if (idEdit) {
            idEdit(model);
        }
        return idChoice;
    };
    p.setWindowTitle = [this](const std::string& t) { titles.push_back(t); };
    p.beep = [this] { ++beeps; };
    p.postCommand = [this](int id) { posted.push_back(id); };
    p.postCloseRequest = [this] {
        ++closeRequests;
        posted.push_back(0);
    };
    p.startHelp = [this] {
        ++helpRequests;
        return helpStarts;
    };
    p.menuChanged = [this](const MenuModel& m) {
        ++menuChanges;
        lastMenu = m;
    };
    p.progressOpen = [this](const ProgressView& v) { progressOpens.push_back(v); };
    p.progressReport = [this](const ProgressView& v) { progressReports.push_back(v); };
    p.progressClose = [this] { ++progressCloses; };
    p.readSetting = [this](const std::string& key, const std::string& name) {
        SettingRead read;
        read.keyOpened = settingsKeyOpens;
        if (auto it = settings.find({key, name}); settingsKeyOpens && it != settings.end()) {
            read.value = it->second;
        }
        return read;
    };
    p.writeSetting = [this](const std::string& key, const std::string& name,
                            const std::string& text) {
        if (!settingsKeyOpens) {
            return false;
        }
        settings[{key, name}] = text;
        return true;
    };
    return p;
}

int ScriptedPlatform::runPosted(ApplicationState& state) {
    const Platform p = platform();
    int closes = 0;
    while (!posted.empty()) {
        const int id = posted.front();
        posted.pop_front();
        if (id == 0) {
            handleCloseRequest(state, p);
            ++closes;
            posted.clear(); // the program ends with the close request
        } else {
            dispatchCommand(state, p, id);
        }
    }
    return closes;
}

FileRequestResult chosen(std::string path) {
    return FileRequestResult{FileRequestStatus::Chosen, std::move(path), 0};
}

FileRequestResult cancelled() {
    return FileRequestResult{FileRequestStatus::Cancelled, {}, 0};
}

} // namespace vantor::testing
