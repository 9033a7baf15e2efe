#include "tools/link_removal.h"

#include "analysis/radar_lines.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "objectives/export_format.h"
#include "tools/rewrite_start.h"

namespace vantor {

namespace {

constexpr int priorityEnd = 20; // the comma after Priority, the twentieth column
constexpr int fownerField = 21;
constexpr int featuresField = 23;
constexpr int featuresEnd = 24;

} // namespace

std::string unlinkedObjectLine(std::string_view line, const RadarProfile& profile) {
    if (!fieldAfterCommas(featuresEnd, line)) {
        return {};
    }
    std::string out(line.substr(0, *fieldAfterCommas(priorityEnd, line) - 1));
    out += ", 0,";
    out += fieldText(fownerField, line);
    out += ", 0,";
    out += fieldText(featuresField, line);
    out += ',';
    out += formatRadarValues(profile);
    out += ", ";
    out += platformLineEnd;
    return out;
}

LinkRemoval removeObjectLinks(TextReader& source, SafeWriter& out, const RadarWalk& walk,
                              std::time_t now) {
    LinkRemoval result;
    if (!startRewrite(source, out, now, result)) {
        return result;
    }
    const auto siteOf = [](std::string_view l) -> std::optional<RadarSite> {
        if (!fieldAfterCommas(featuresEnd, l)) {
            return std::nullopt;
        }
        return RadarSite{readIntField(XField, l), readIntField(YField, l)};
    };
    forEachLineWithProfile(source, walk, siteOf, [&](std::string& l, const RadarProfile* p) {
        if (p == nullptr) {
            return true;
        }
        if (!safeWrite(out, unlinkedObjectLine(l, *p))) {
            result.writeFailed = true;
            return false;
        }
        ++result.written;
        return true;
    });
    return result;
}

} // namespace vantor
