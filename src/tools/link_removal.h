#pragma once

#include "analysis/radar_profile.h"
#include "base/safe_writer.h"
#include "base/text_reader.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace vantor {

struct LinkRemoval {
    bool headerRead = false;  // the source held its title and column lines
    std::int32_t written = 0; // object lines written; lines too short are neither
    bool writeFailed = false;
};

// The object line with Parent 0, no links and the profile in place of its radar values: the
// first twenty columns, " 0", FOwner, " 0", Features, then the eight values. Empty when the line
// ends before the comma that closes Features.
std::string unlinkedObjectLine(std::string_view line, const RadarProfile& profile);

// Copies an objective export with every object unlinked (see unlinkedObjectLine).
LinkRemoval removeObjectLinks(TextReader& source, SafeWriter& out, const RadarWalk& walk,
                              std::time_t now);

} // namespace vantor
