#include "app/command_line.h"

#include "base/text_util.h"

namespace vantor {

RunMode parseCommandLine(std::string_view commandLine) {
    const std::size_t at = commandLine.find('@');
    if (at == std::string_view::npos) {
        return RunMode::Interactive;
    }
    const std::string_view word = commandLine.substr(at + 1);
    if (startsWithIgnoreCase(word, "radar")) {
        return RunMode::RadarBatch;
    }
    if (startsWithIgnoreCase(word, "airbase")) {
        return RunMode::AirbaseBatch;
    }
    return RunMode::Interactive;
}

bool takeStartFolderArgument(std::vector<std::string>& arguments, std::string& folder,
                             std::string& error) {
    folder.clear();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a.rfind("--dir=", 0) == 0) {
            folder = a.substr(6);
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i));
            if (folder.empty()) {
                error = "--dir needs a folder";
                return false;
            }
            return true;
        }
        if (a == "--dir") {
            if (i + 1 >= arguments.size()) {
                error = "--dir needs a folder";
                arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i));
                return false;
            }
            folder = arguments[i + 1];
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                            arguments.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return true;
        }
    }
    return true;
}

InfoRequest infoRequest(const std::vector<std::string>& arguments) {
    for (const std::string& a : arguments) {
        if (a == "--help" || a == "-h" || a == "-?" || a == "/?") {
            return InfoRequest::Help;
        }
    }
    for (const std::string& a : arguments) {
        if (a == "--version") {
            return InfoRequest::Version;
        }
    }
    return InfoRequest::None;
}

std::string desktopUsage() {
    return "Usage: vantor [--dir DIR] [@radar | @airbase]\n"
           "\n"
           "The Vantor desktop program: makes a Falcon 4 theater's terrain (L2/O2) and its\n"
           "campaign objectives agree.\n"
           "\n"
           "  --dir DIR   start folder: Quillon.ini, the scan scripts, the reference lists and\n"
           "              the fixed-name reports (default: the one last chosen with\n"
           "              File > Start Folder..., else the current folder)\n"
           "  @radar      create the radar LOS profiles at once, with the main window hidden,\n"
           "              and end when they are written\n"
           "  @airbase    level the airbases at once, with the main window hidden, and end\n"
           "  --help, -h  print this text and end\n"
           "  --version   print the version and end\n"
           "\n"
           "Qt's own options (-platform, -style, ...) are taken as Qt takes them.\n"
           "Exit status: 1 after a normal end, as the suite's batch scripts expect; 0 when the\n"
           "program could not start; 2 for a usage error.\n"
           "Every command without a window: vantor-cli --help.\n";
}

} // namespace vantor
