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

std::string takeStartFolderArgument(std::vector<std::string>& arguments, std::string& error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a.rfind("--dir=", 0) == 0) {
            std::string folder = a.substr(6);
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i));
            if (folder.empty()) {
                error = "--dir needs a folder";
            }
            return folder;
        }
        if (a == "--dir") {
            if (i + 1 >= arguments.size()) {
                error = "--dir needs a folder";
                arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i));
                return {};
            }
            std::string folder = arguments[i + 1];
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                            arguments.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return folder;
        }
    }
    return {};
}

} // namespace vantor
