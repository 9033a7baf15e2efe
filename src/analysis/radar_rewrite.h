#pragma once

#include "analysis/radar_profile.h"
#include "base/safe_writer.h"
#include "base/text_reader.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct RadarRewrite {
    std::int32_t objects = 0; // every line after the column line, written or dropped
    bool writeFailed = false;
    bool stopped = false; // objectDone asked to stop; the output is incomplete
};

// Where the radar command cuts an object line before it appends the profile: just after the
// last comma before the first full stop from field 3 on (the next one when that full stop lies
// within field 3 itself), or the line's end when there is no such full stop. None when the line
// has fewer than three commas.
std::optional<std::size_t> radarValuesStart(std::string_view line);

// The radar values an object line carries: the texts after that cut, blanks trimmed, empty
// fields left out.
std::vector<std::string> storedRadarValues(std::string_view line);

// A sector value as the radar command writes it, "%5.3f", without the padding blanks.
std::string radarValueText(double value);

// Whether stored values are the profile as the radar command would write it now: eight values,
// each with the "%5.3f" text of its sector's value (read as a number, so the spacing and
// trailing zeros of the stored text do not count).
bool radarValuesCurrent(const std::vector<std::string>& stored, const RadarProfile& profile);

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
