#pragma once

// The radar sample walk written out step by step, exactly as the algorithm reads, with nothing
// worked out ahead: the yardstick the fast profile is checked and measured against.

#include "analysis/radar_profile.h"
#include "terrain/terrain_matrix.h"

#include <cmath>
#include <cstdint>

namespace vantor::direct {

inline double slope(double d) {
    return 2500.0 / (d * 3280.8);
}

inline double elevationAngle(double r, int e, int h0) {
    const double c = std::cos(r * 1.5677968387036224e-7);
    const double d2 = (r * 3280.8) * (r * 3280.8);
    const double f = ((1.0 - c) * 8504503.26528) * ((1.0 - c) * 8504503.26528) * 3280.8;
    const double g = std::sqrt(d2 - f);
    if (g < 0.00001) {
        return 90.0;
    }
    return std::atan((static_cast<double>(e - h0) * c) / g) * 57.29577951;
}

inline double sample(const TerrainMatrix& m, const RadarSettings& s, std::int32_t last, int mapX,
                     int mapY, double azimuth) {
    const double toRadians = 3.14159265358979323846 / 180.0;
    const int h0 = (m.contains(mapX, mapY) ? m.at(mapX, mapY).elevation : 0) + 6;
    double r = 1.5;
    double angle = 0.0;
    double mask = 0.0;
    int px = -1;
    int py = -1;
    while (r <= static_cast<double>(s.maximumRange)) {
        const double vx = mapX + r * std::sin(azimuth * toRadians) + 0.5;
        const double vy = mapY + r * std::cos(azimuth * toRadians) + 0.5;
        if (vx <= -1.0 || vy <= -1.0 || vx >= last + 1.0 || vy >= last + 1.0) {
            const double before = r - static_cast<double>(s.rangeIncrement);
            return slope(before > 0.0 ? before : r);
        }
        const int x = static_cast<int>(vx);
        const int y = static_cast<int>(vy);
        if (x != px || y != py) {
            const int e = m.at(x, y).elevation;
            if (e - h0 > mask) {
                angle = elevationAngle(r, e, h0);
            }
            mask = std::tan(angle * toRadians) * static_cast<double>(s.maximumRange) * 3280.8;
            if (mask > 2500.0) {
                return slope(2500.0 / std::tan(angle * toRadians) * 0.0003048037018766785);
            }
            px = x;
            py = y;
        }
        r += static_cast<double>(s.rangeIncrement);
    }
    return slope(r);
}

inline RadarProfile profile(const TerrainMatrix& m, const RadarSettings& s, std::int32_t last,
                            int mapX, int mapY) {
    RadarProfile result{};
    for (int i = 0; i < 8; ++i) {
        double azimuth = 202.5 - 45.0 * i;
        if (azimuth < 0.0) {
            azimuth += 360.0;
        }
        float sum = 0.0f;
        int samples = 0;
        for (double covered = 0.0; covered < 45.0; covered += static_cast<double>(s.azimuthIncrement)) {
            azimuth -= static_cast<double>(s.azimuthIncrement);
            if (azimuth < 0.0) {
                azimuth += 360.0;
            }
            sum = static_cast<float>(static_cast<double>(sum) + sample(m, s, last, mapX, mapY, azimuth));
            ++samples;
        }
        result[static_cast<std::size_t>(i)] = sum / static_cast<float>(samples);
    }
    return result;
}

} // namespace vantor::direct
