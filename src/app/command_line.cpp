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

} // namespace vantor
