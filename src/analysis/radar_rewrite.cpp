#include "analysis/radar_rewrite.h"

#include "analysis/radar_lines.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "base/text_util.h"
#include "objectives/export_format.h"

#include <algorithm>
#include <cstdio>

namespace vantor {

namespace {

bool hasRadarFields(std::string_view line) {
    return std::count(line.begin(), line.end(), ',') >= 3;
}

} // namespace

std::optional<std::size_t> radarValuesStart(std::string_view whole) {
    const std::string_view line = withoutLineEnd(whole);
    if (!hasRadarFields(line)) {
        return std::nullopt;
    }
    const std::size_t field3 = *fieldAfterCommas(3, line);
    std::size_t stop = line.find('.', field3);
    if (stop != std::string_view::npos) {
        const std::size_t field3End = line.find(',', field3);
        if (field3End == std::string_view::npos || stop < field3End) {
            stop = line.find('.', stop + 1);
        }
    }
    return stop == std::string_view::npos ? line.size() : line.rfind(',', stop) + 1;
}

std::string radarObjectLine(std::string_view whole, const RadarProfile& profile) {
    const std::optional<std::size_t> cut = radarValuesStart(whole);
    if (!cut) {
        return {};
    }
    std::string out(whole.substr(0, *cut));
    out += ' ';
    out += formatRadarValues(profile);
    out += platformLineEnd;
    return out;
}

std::vector<std::string> storedRadarValues(std::string_view whole) {
    std::vector<std::string> values;
    const std::optional<std::size_t> cut = radarValuesStart(whole);
    if (!cut) {
        return values;
    }
    const std::string_view rest = withoutLineEnd(whole).substr(*cut);
    std::size_t at = 0;
    while (at <= rest.size()) {
        const std::size_t comma = std::min(rest.find(',', at), rest.size());
        std::string value = trimBlanks(rest.substr(at, comma - at));
        if (!value.empty()) {
            values.push_back(std::move(value));
        }
        at = comma + 1;
    }
    return values;
}

std::string radarValueText(double value) {
    char text[512]; // room for any double in fixed notation
    std::snprintf(text, sizeof text, "%5.3f", value);
    return trimBlanks(text);
}

bool radarValuesCurrent(const std::vector<std::string>& stored, const RadarProfile& profile) {
    if (stored.size() != profile.size()) {
        return false;
    }
    for (std::size_t i = 0; i < profile.size(); ++i) {
        // A stored value counts as written by the radar command when it reads as the same
        // "%5.3f" text: "0.0190" is 0.019, a blank more or less is no change.
        const std::string now = radarValueText(static_cast<double>(profile[i]));
        if (stored[i] == now) {
            continue;
        }
        const std::optional<double> read = parseDecimal(stored[i]);
        if (!read || radarValueText(*read) != now) {
            return false;
        }
    }
    return true;
}

RadarRewrite writeRadarProfiles(TextReader& source, SafeWriter& out, const RadarWalk& walk,
                                std::time_t now,
                                const std::function<bool(std::int32_t)>& objectDone) {
    RadarRewrite result;
    const HeaderCopy header = copyExportHeader(source, out, now);
    result.writeFailed = header == HeaderCopy::WriteFailed;
    if (header != HeaderCopy::Copied) {
        return result;
    }
    const auto siteOf = [](std::string_view l) -> std::optional<RadarSite> {
        const std::string_view body = withoutLineEnd(l);
        if (!hasRadarFields(body)) {
            return std::nullopt;
        }
        return RadarSite{readIntField(XField, body), readIntField(YField, body)};
    };
    forEachLineWithProfile(source, walk, siteOf, [&](std::string& l, const RadarProfile* profile) {
        ++result.objects;
        if (profile != nullptr && !safeWrite(out, radarObjectLine(l, *profile))) {
            result.writeFailed = true;
            return false;
        }
        if (objectDone && objectDone(result.objects)) {
            result.stopped = true;
            return false;
        }
        return true;
    });
    return result;
}

} // namespace vantor
