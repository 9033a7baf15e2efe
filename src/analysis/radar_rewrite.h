#pragma once

#include "analysis/radar_profile.h"
#include "base/safe_writer.h"
#include "base/text_reader.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

namespace vantor {

struct RadarRewrite {
    std::int32_t objects = 0; // every line after the column line, written or dropped
    bool writeFailed = false;
    bool stopped = false; // objectDone asked to stop; the output is incomplete
};

// The object line without its old radar values and with the profile appended: the line is cut
// after the last comma before the first full stop from field 3 on (the next one when that full
// stop lies within field 3 itself); a line without such a full stop is kept whole. Empty when
// the line has fewer than three commas and is not written.
std::string radarObjectLine(std::string_view line, const RadarProfile& profile);

// Copies an objective export with every object's radar values replaced by the profile of its
// own post; objectDone is called after each object with the count so far, and a true answer
// stops the copy there.
RadarRewrite writeRadarProfiles(TextReader& source, SafeWriter& out, const RadarWalk& walk,
                                std::time_t now,
                                const std::function<bool(std::int32_t)>& objectDone);

} // namespace vantor
