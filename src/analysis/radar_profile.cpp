#include "analysis/radar_profile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

namespace vantor {

namespace {

constexpr double degreesToRadians = 3.14159265358979323846 / 180.0;
constexpr double radiansToDegrees = 57.29577951;
constexpr double feetPerKilometre = 3280.8;
constexpr double ceilingFeet = 2500.0;
constexpr int antennaHeight = 6;
constexpr double earthAngleTerm = 1.5677968387036224e-7;
constexpr double earthDropTerm = 8504503.26528;
constexpr double kilometresPerFootTerm = 0.0003048037018766785;
constexpr double sectorWidth = 45.0;

// The slope under which the ceiling is seen at d kilometres.
double ceilingSlope(double d) {
    return ceilingFeet / (d * feetPerKilometre);
}

bool within(float value, float low, float high) {
    return value >= low && value <= high; // false for NaN
}

std::string describeRange(const char* what, float low, float high, const char* unit) {
    char text[160];
    std::snprintf(text, sizeof text, "The %s must be from %g to %g %s.", what,
                  static_cast<double>(low), static_cast<double>(high), unit);
    return text;
}

// The antenna stands 6 above the radar's post; a radar off the map stands at elevation 0.
int antennaElevation(const RadarWalk& walk, std::int32_t x, std::int32_t y) {
    const bool onMap = x >= 0 && y >= 0 && x < walk.width && y < walk.height;
    const int ground = onMap ? walk.elevations[static_cast<std::size_t>(x) +
                                               static_cast<std::size_t>(y) *
                                                   static_cast<std::size_t>(walk.width)]
                             : 0;
    return ground + antennaHeight;
}

// One sample: the walk out along one azimuth until the ray leaves the map, the mask rises above
// the ceiling, or the maximum range is passed.
double sampleValue(const RadarWalk& walk, std::int32_t mapX,
                   std::int32_t mapY, int h0, const RadarWalk::Direction& direction) {
    const double radarX = mapX;
    const double radarY = mapY;
    const double limitX = static_cast<double>(walk.lastMapX) + 1.0;
    const double limitY = static_cast<double>(walk.lastMapY) + 1.0;
    const double maximumRange = walk.settings.maximumRange;
    const std::uint16_t* elevations = walk.elevations.data();
    const auto width = static_cast<std::size_t>(walk.width);

    double angle = 0.0;
    double mask = 0.0;
    std::int64_t previous = -1;
    const std::size_t count = walk.distances.size();
    for (std::size_t k = 0; k < count; ++k) {
        const double r = walk.distances[k];
        const double vx = radarX + r * direction.sine + 0.5;
        const double vy = radarY + r * direction.cosine + 0.5;
        // Truncation toward zero puts anything above -1 on post 0.
        if (vx <= -1.0 || vy <= -1.0 || vx >= limitX || vy >= limitY) {
            return walk.leftMapValue[k];
        }
        const auto x = static_cast<std::int32_t>(vx);
        const auto y = static_cast<std::int32_t>(vy);
        const std::size_t index = static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * width;
        if (static_cast<std::int64_t>(index) == previous) {
            continue;
        }
        const int rise = static_cast<int>(elevations[index]) - h0;
        if (rise > mask) {
            const double g = walk.groundRange[k];
            angle = g < 0.00001
                        ? 90.0
                        : std::atan((static_cast<double>(rise) * walk.curvature[k]) / g) *
                              radiansToDegrees;
            // The mask only changes with the angle, so it is worked out only then.
            const double slope = std::tan(angle * degreesToRadians);
            mask = slope * maximumRange * feetPerKilometre;
            if (mask > ceilingFeet) {
                return ceilingSlope(ceilingFeet / slope * kilometresPerFootTerm);
            }
        }
        previous = static_cast<std::int64_t>(index);
    }
    return walk.beyondRangeValue;
}

} // namespace

std::optional<std::string> radarSettingsProblem(const RadarSettings& s) {
    if (!within(s.maximumRange, firstSampleDistance, largestRadarRange)) {
        return describeRange("maximum scan range", firstSampleDistance, largestRadarRange, "km");
    }
    if (!within(s.rangeIncrement, smallestRangeIncrement, largestRadarRange)) {
        return describeRange("range scan increment", smallestRangeIncrement, largestRadarRange,
                             "km");
    }
    if (!within(s.azimuthIncrement, smallestAzimuthIncrement, largestAzimuthIncrement)) {
        return describeRange("scan azimuth increment", smallestAzimuthIncrement,
                             largestAzimuthIncrement, "degrees");
    }
    return std::nullopt;
}

RadarSettings usableRadarSettings(const RadarSettings& settings) {
    return radarSettingsProblem(settings) ? defaultRadarSettings : settings;
}

RadarWalk makeRadarWalk(const RadarSettings& requested, std::int32_t lastMapX,
                        const TerrainMatrix& matrix) {
    RadarWalk walk;
    walk.settings = usableRadarSettings(requested);
    walk.lastMapX = std::min(lastMapX, matrix.width - 1);
    walk.lastMapY = std::min(lastMapX, matrix.height - 1);

    const double azimuthStep = walk.settings.azimuthIncrement;
    for (std::size_t i = 0; i < walk.sectors.size(); ++i) {
        double azimuth = 202.5 - sectorWidth * static_cast<double>(i);
        if (azimuth < 0.0) {
            azimuth += 360.0;
        }
        for (double covered = 0.0; covered < sectorWidth; covered += azimuthStep) {
            azimuth -= azimuthStep;
            while (azimuth < 0.0) {
                azimuth += 360.0;
            }
            walk.sectors[i].push_back(
                {std::sin(azimuth * degreesToRadians), std::cos(azimuth * degreesToRadians)});
        }
    }

    const double rangeStep = walk.settings.rangeIncrement;
    const double maximumRange = walk.settings.maximumRange;
    double r = firstSampleDistance;
    for (; r <= maximumRange; r += rangeStep) {
        const double c = std::cos(r * earthAngleTerm);
        const double d = r * feetPerKilometre;
        const double drop = (1.0 - c) * earthDropTerm;
        walk.distances.push_back(r);
        walk.curvature.push_back(c);
        walk.groundRange.push_back(std::sqrt(d * d - drop * drop * feetPerKilometre));
        // A ray that leaves at the first distance with a step of 1.5 or more would be taken at
        // a distance of 0 or less; it takes the distance where it left instead.
        const double before = r - rangeStep;
        walk.leftMapValue.push_back(ceilingSlope(before > 0.0 ? before : r));
    }
    walk.beyondRangeValue = ceilingSlope(r);
    walk.width = matrix.width;
    walk.height = matrix.height;
    walk.elevations.resize(matrix.posts.size());
    for (std::size_t i = 0; i < matrix.posts.size(); ++i) {
        walk.elevations[i] = matrix.posts[i].elevation;
    }
    return walk;
}

RadarProfile radarProfile(const RadarWalk& walk, std::int32_t mapX, std::int32_t mapY) {
    const int h0 = antennaElevation(walk, mapX, mapY);
    RadarProfile profile{};
    for (std::size_t i = 0; i < walk.sectors.size(); ++i) {
        float sum = 0.0f;
        for (const RadarWalk::Direction& direction : walk.sectors[i]) {
            sum = static_cast<float>(static_cast<double>(sum) +
                                     sampleValue(walk, mapX, mapY, h0, direction));
        }
        profile[i] = sum / static_cast<float>(walk.sectors[i].size());
    }
    return profile;
}

double radarSampleValue(const RadarWalk& walk, std::int32_t mapX, std::int32_t mapY,
                        double azimuth) {
    const int h0 = antennaElevation(walk, mapX, mapY);
    const RadarWalk::Direction direction{std::sin(azimuth * degreesToRadians),
                                         std::cos(azimuth * degreesToRadians)};
    return sampleValue(walk, mapX, mapY, h0, direction);
}

void radarProfiles(const RadarWalk& walk, std::span<const RadarSite> sites,
                   std::span<RadarProfile> profiles, unsigned threads) {
    const std::size_t count = std::min(sites.size(), profiles.size());
    auto work = [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            profiles[i] = radarProfile(walk, sites[i].mapX, sites[i].mapY);
        }
    };
    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    // A thread is worth starting for a few profiles at least.
    constexpr std::size_t profilesPerThread = 4;
    const std::size_t useful = std::max<std::size_t>(1, count / profilesPerThread);
    const std::size_t parts = std::min<std::size_t>(threads, useful);
    if (parts <= 1) {
        work(0, count);
        return;
    }
    std::vector<std::jthread> pool;
    pool.reserve(parts - 1);
    const std::size_t share = count / parts;
    const std::size_t extra = count % parts;
    std::size_t begin = 0;
    for (std::size_t p = 0; p < parts; ++p) {
        const std::size_t end = begin + share + (p < extra ? 1 : 0);
        if (p + 1 == parts) {
            work(begin, end);
        } else {
            pool.emplace_back(work, begin, end);
        }
        begin = end;
    }
}

std::string formatRadarValues(const RadarProfile& profile) {
    std::string text;
    char value[512]; // room for any double in fixed notation
    for (std::size_t i = 0; i < profile.size(); ++i) {
        std::snprintf(value, sizeof value, i + 1 < profile.size() ? "%5.3f, " : "%5.3f,",
                      static_cast<double>(profile[i]));
        text += value;
    }
    return text;
}

} // namespace vantor
