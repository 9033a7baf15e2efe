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
    // The files the options name, by what they are for; each role's in the order asked for.
    std::map<FileRequestRole, std::deque<std::string>> fileAnswers;
    std::deque<int> posted;
    bool closeRequested = false;
    int messagesShown = 0; // every message box, shown or kept quiet
    // Said after a message about a missing script or list when no --dir was given, once.
    std::string startFolderHint;
    std::map<std::pair<std::string, std::string>, std::string> settings;
    std::FILE* out = stdout;
    std::FILE* err = stderr;

    Platform platform();

    void answerFile(FileRequestRole role, const std::string& path);
};

// Where the scripts and lists were looked for when the command line named no start folder.
std::string startFolderHint(const std::string& folder);

// Whether a message says that a file of the start folder is missing or unreadable.
bool concernsStartFolderFile(const MessageBoxRequest& request);

// "Title: text", with the message's line breaks as the terminal's.
std::string formatMessage(const MessageBoxRequest& request);

} // namespace vantor::cli
