#include "cli/cli_platform.h"

#include <algorithm>

namespace vantor::cli {

namespace {

void clearLine(std::FILE* f) {
    std::fputs("\r\033[K", f);
}

void printProgress(std::FILE* f, const ProgressView& v) {
    const int percent = std::clamp(v.position, 0, 4096) * 100 / 4096;
    clearLine(f);
    std::fprintf(f, "%s: %s %s [%3d%%]", v.caption.c_str(), v.label.c_str(), v.counter.c_str(),
                 percent);
    std::fflush(f);
}

} // namespace

std::string formatMessage(const MessageBoxRequest& request) {
    std::string text;
    for (std::size_t i = 0; i < request.text.size(); ++i) {
        if (request.text.compare(i, 2, "\r\n") == 0) {
            text += '\n';
            ++i;
        } else {
            text += request.text[i];
        }
    }
    return (request.title.empty() ? std::string("Error") : request.title) + ": " + text;
}

std::string startFolderHint(const std::string& folder) {
    return "Note: without --dir the scripts and lists are read from the current folder, " + folder +
           "; give --dir with the theater's folder to read them from there.";
}

bool concernsStartFolderFile(const MessageBoxRequest& request) {
    return request.title == "Missing Script File" || request.title == "Missing File";
}

void CliPlatform::answerFile(FileRequestRole role, const std::string& path) {
    fileAnswers[role].push_back(path);
}

Platform CliPlatform::platform() {
    Platform p;
    p.messageBox = [this](const MessageBoxRequest& r) {
        ++messagesShown;
        const bool toErr = r.icon == MessageIcon::Warning || r.icon == MessageIcon::Error ||
                           r.buttons == MessageButtons::YesNo;
        if (!toErr && quiet) {
            return MessageAnswer::Ok;
        }
        std::FILE* f = toErr ? err : out;
        if (progressToTerminal) {
            clearLine(err);
        }
        std::fprintf(f, "%s\n", formatMessage(r).c_str());
        if (!startFolderHint.empty() && concernsStartFolderFile(r)) {
            std::fprintf(f, "%s\n", startFolderHint.c_str());
            startFolderHint.clear();
        }
        if (r.buttons != MessageButtons::YesNo) {
            return MessageAnswer::Ok;
        }
        std::fprintf(f, "  answered %s\n", answerYes ? "Yes" : "No (use --yes to answer Yes)");
        return answerYes ? MessageAnswer::Yes : MessageAnswer::No;
    };
    // A request no option answers is cancelled, as a user would cancel the dialog.
    p.requestFile = [this](const FileRequest& request) {
        std::deque<std::string>& paths = fileAnswers[request.role];
        if (paths.empty()) {
            return FileRequestResult{};
        }
        FileRequestResult answer{FileRequestStatus::Chosen, paths.front(), 0};
        paths.pop_front();
        return answer;
    };
    p.postCommand = [this](int id) { posted.push_back(id); };
    p.postCloseRequest = [this] { closeRequested = true; };
    p.startHelp = [] { return false; };
    if (progressToTerminal && !quiet) {
        p.progressOpen = [this](const ProgressView& v) { printProgress(err, v); };
        p.progressReport = [this](const ProgressView& v) { printProgress(err, v); };
        p.progressClose = [this] {
            std::fputc('\n', err);
            std::fflush(err);
        };
    }
    p.readSetting = [this](const std::string& key, const std::string& name) {
        SettingRead read;
        if (auto it = settings.find({key, name}); it != settings.end()) {
            read.value = it->second;
        }
        return read;
    };
    p.writeSetting = [this](const std::string& key, const std::string& name,
                            const std::string& text) {
        settings[{key, name}] = text;
        return true;
    };
    return p;
}

} // namespace vantor::cli
