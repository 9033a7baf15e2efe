#include "analysis/radar_lines.h"

#include "base/text_reader.h"

#include <vector>

namespace vantor {

namespace {

// Enough objects per batch to keep every core busy, few enough that progress moves steadily.
constexpr std::size_t batchSize = 256;

} // namespace

bool forEachLineWithProfile(
    TextReader& source, const RadarWalk& walk,
    const std::function<std::optional<RadarSite>(std::string_view line)>& siteOf,
    const std::function<bool(std::string& line, const RadarProfile* profile)>& emit) {
    std::vector<std::string> lines;
    std::vector<std::optional<std::size_t>> profileOf;
    std::vector<RadarSite> sites;
    std::vector<RadarProfile> profiles;
    bool more = true;
    while (more) {
        lines.clear();
        profileOf.clear();
        sites.clear();
        std::string line;
        while (lines.size() < batchSize && (more = readLine(source, line))) {
            const std::optional<RadarSite> site = siteOf(line);
            profileOf.push_back(site ? std::optional<std::size_t>(sites.size()) : std::nullopt);
            if (site) {
                sites.push_back(*site);
            }
            lines.push_back(std::move(line));
        }
        profiles.resize(sites.size());
        radarProfiles(walk, sites, profiles);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const RadarProfile* profile = profileOf[i] ? &profiles[*profileOf[i]] : nullptr;
            if (!emit(lines[i], profile)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace vantor
