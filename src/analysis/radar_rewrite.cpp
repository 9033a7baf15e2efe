#include "analysis/radar_rewrite.h"

#include "analysis/radar_lines.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "objectives/export_format.h"

#include <algorithm>

namespace vantor {

namespace {

bool hasRadarFields(std::string_view line) {
    return std::count(line.begin(), line.end(), ',') >= 3;
}

} // namespace

std::string radarObjectLine(std::string_view whole, const RadarProfile& profile) {
    const std::string_view line = withoutLineEnd(whole);
    if (!hasRadarFields(line)) {
        return {};
    }
    std::string out(line);
    const std::size_t field3 = *fieldAfterCommas(3, line);
    std::size_t stop = line.find('.', field3);
    if (stop != std::string_view::npos) {
        const std::size_t field3End = line.find(',', field3);
        if (field3End == std::string_view::npos || stop < field3End) {
            stop = line.find('.', stop + 1);
        }
    }
    if (stop != std::string_view::npos) {
        out.resize(line.rfind(',', stop) + 1);
    }
    out += ' ';
    out += formatRadarValues(profile);
    out += platformLineEnd;
    return out;
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
