#pragma once

#include "analysis/radar_profile.h"
#include "base/text_reader.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// Reads the lines left in source (line ends included) a batch at a time, works out on every core
// the profiles of the lines that name a radar site, and hands each line to emit in file order,
// with its profile or null. Stops early when emit returns false; returns false then.
bool forEachLineWithProfile(
    TextReader& source, const RadarWalk& walk,
    const std::function<std::optional<RadarSite>(std::string_view line)>& siteOf,
    const std::function<bool(std::string& line, const RadarProfile* profile)>& emit);

} // namespace vantor
