#pragma once

#include "app/platform.h"

#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <utility>

namespace vantor::cli {

// The terminal's side of the seam. File dialogs are answered from the command's options (a
// dialog with no answer left counts as cancelled), questions are answered No unless --yes,
// message boxes print as "Title: text", settings live in memory for the run.
struct CliPlatform {
    bool answerYes = false;
    bool quiet = false;
    bool progressToTerminal = false;
    std::deque<FileRequestResult> fileAnswers;
    std::deque<int> posted;
    bool closeRequested = false;
    int messagesShown = 0; // every message box, shown or kept quiet
    std::map<std::pair<std::string, std::string>, std::string> settings;
    std::FILE* out = stdout;
    std::FILE* err = stderr;

    Platform platform();

    void answerFile(const std::string& path);
};

// "Title: text", with the message's line breaks as the terminal's.
std::string formatMessage(const MessageBoxRequest& request);

} // namespace vantor::cli
