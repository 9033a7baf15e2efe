#include "analysis/radar_dialog.h"
#include "analysis/radar_profile.h"
#include "sample/sample_theater.h"
#include "support/radar_direct.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace vantor {
namespace {

TerrainMatrix flatMatrix(std::int32_t side, std::uint16_t elevation) {
    TerrainMatrix m;
    EXPECT_TRUE(allocateMatrix(m, side, side, SevenByteRecords));
    for (TerrainPost& p : m.posts) {
        p.elevation = elevation;
    }
    return m;
}

std::string printed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%5.3f", value);
    return text;
}

TEST(RadarProfile, FlatTerrainGivesTheCeilingSlopeBeyondTheRangeInEverySector) {
    const TerrainMatrix m = flatMatrix(128, 300);
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 127, m);
    const RadarProfile p = radarProfile(walk, 64, 64);
    for (float v : p) {
        EXPECT_NEAR(v, 2500.0 / (40.5 * 3280.8), 1e-6);
        EXPECT_EQ(printed(v), "0.019");
    }
    EXPECT_EQ(formatRadarValues(p), "0.019, 0.019, 0.019, 0.019, 0.019, 0.019, 0.019, 0.019,");
}

TEST(RadarProfile, AHighPostMasksTheRayAtItsElevationAngle) {
    TerrainMatrix m = flatMatrix(128, 100);
    m.at(111, 100).elevation = 1106; // 10.5 km along azimuth 90
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 127, m);
    const double value = radarSampleValue(walk, 100, 100, 90.0);
    const double angle = direct::elevationAngle(10.5, 1106, 106);
    EXPECT_NEAR(angle, 1.663, 0.001);
    EXPECT_NEAR(std::tan(angle * 3.14159265358979323846 / 180.0) * 40 * 3280.8, 3810, 1);
    EXPECT_NEAR(value, 0.029, 0.0005);
    EXPECT_EQ(value, direct::sample(m, defaultRadarSettings, 127, 100, 100, 90.0));
}

TEST(RadarProfile, RaysEndWhereTheyLeaveTheMapAtEachEdge) {
    const TerrainMatrix m = flatMatrix(64, 0);
    const double leftAtFirst = 2500.0 / (0.5 * 3280.8);  // S(0.5)
    const double leftAtSecond = 2500.0 / (1.5 * 3280.8); // S(1.5)
    struct Case {
        const char* edge;
        std::int32_t lastMapX;
        std::int32_t x, y;
        double azimuth;
        double expected;
    };
    const Case cases[] = {
        {"south", 63, 20, 0, 180.0, leftAtFirst},
        {"west", 63, 0, 20, 270.0, leftAtFirst},
        {"west, one post in", 63, 1, 20, 270.0, leftAtSecond},
        {"east", 63, 63, 20, 90.0, leftAtFirst},
        {"north", 63, 20, 63, 0.0, leftAtFirst},
        {"east end lowered by the search area", 50, 49, 10, 90.0, leftAtFirst},
        {"north bounded by the same last Map X", 50, 10, 49, 0.0, leftAtFirst},
    };
    for (const Case& c : cases) {
        const RadarWalk walk = makeRadarWalk(defaultRadarSettings, c.lastMapX, m);
        EXPECT_DOUBLE_EQ(radarSampleValue(walk, c.x, c.y, c.azimuth), c.expected) << c.edge;
    }
    // Just off azimuth 180 the first post truncates to Map Y 0 and stays on the map.
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 63, m);
    EXPECT_EQ(printed(radarSampleValue(walk, 20, 0, 180.0)), "1.524");
    EXPECT_NE(radarSampleValue(walk, 20, 0, 179.5), leftAtFirst);
}

TEST(RadarProfile, SectorsAreSampledFromTheirStartAzimuthDownwards) {
    const TerrainMatrix m = flatMatrix(16, 0);
    struct Case {
        float increment;
        std::size_t samples;
    };
    for (const Case c : {Case{1.0f, 45}, Case{5.0f, 9}, Case{2.5f, 18}, Case{45.0f, 1}}) {
        const RadarWalk walk = makeRadarWalk({40.0f, 1.0f, c.increment}, 15, m);
        for (const auto& sector : walk.sectors) {
            EXPECT_EQ(sector.size(), c.samples) << c.increment;
        }
    }
    // Sector 0 runs 201.5 ... 157.5; sector 4 crosses north from 21.5 down to 337.5.
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 15, m);
    const double toRadians = 3.14159265358979323846 / 180.0;
    EXPECT_DOUBLE_EQ(walk.sectors[0].front().sine, std::sin(201.5 * toRadians));
    EXPECT_DOUBLE_EQ(walk.sectors[0].back().sine, std::sin(157.5 * toRadians));
    EXPECT_DOUBLE_EQ(walk.sectors[4].back().cosine, std::cos(337.5 * toRadians));
}

TEST(RadarProfile, ASectorIsTheMeanOfItsSamples) {
    // At Map X 0 every ray of the sector around 270 is still on the map at 1.5 km and off it at
    // 2.5 km; every ray of the opposite sector runs to the end of the range.
    const TerrainMatrix m = flatMatrix(128, 0);
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 127, m);
    const RadarProfile p = radarProfile(walk, 0, 64);
    EXPECT_EQ(printed(p[6]), "0.508");
    EXPECT_EQ(printed(p[2]), "0.019");
    // A sector that mixes both: the mean lies between them.
    const RadarProfile corner = radarProfile(walk, 0, 0);
    EXPECT_GT(corner[7], 0.019f);
    EXPECT_LT(corner[7], 1.524f);
}

TEST(RadarProfile, MatchesTheStepByStepWalkOnAnyTerrainAndSettings) {
    SampleOptions options;
    options.sections = 8;
    const TerrainMatrix m = generateSampleTerrain(options);
    std::mt19937 random(7);
    const RadarSettings settingsList[] = {defaultRadarSettings,
                                          {25.0f, 0.7f, 3.3f},
                                          {60.0f, 2.5f, 7.5f},
                                          {1.5f, 1.0f, 1.0f},
                                          {30.0f, 1.6f, 45.0f}};
    for (const RadarSettings& s : settingsList) {
        for (std::int32_t last : {127, 90}) {
            const RadarWalk walk = makeRadarWalk(s, last, m);
            for (int i = 0; i < 40; ++i) {
                const int x = static_cast<int>(random() % 140) - 6;
                const int y = static_cast<int>(random() % 140) - 6;
                EXPECT_EQ(radarProfile(walk, x, y), direct::profile(m, s, last, x, y))
                    << x << "," << y << " max " << s.maximumRange;
            }
        }
    }
}

TEST(RadarProfile, ManyThreadsGiveTheSameProfilesAsOne) {
    SampleOptions options;
    options.sections = 8;
    const TerrainMatrix m = generateSampleTerrain(options);
    const RadarWalk walk = makeRadarWalk(defaultRadarSettings, 127, m);
    std::vector<RadarSite> sites;
    for (int i = 0; i < 101; ++i) {
        sites.push_back({(i * 37) % 128, (i * 53) % 128});
    }
    std::vector<RadarProfile> one(sites.size());
    std::vector<RadarProfile> many(sites.size());
    radarProfiles(walk, sites, one, 1);
    radarProfiles(walk, sites, many, 4);
    EXPECT_EQ(one, many);
    EXPECT_EQ(one[5], radarProfile(walk, sites[5].mapX, sites[5].mapY));
}

TEST(RadarSettings, UnusableSettingsAreRefusedAndProfilesFallBackToTheDefaults) {
    const RadarSettings bad[] = {
        {0.0f, 0.0f, 0.0f},  {1.4f, 1.0f, 1.0f},   {40.0f, 0.0f, 1.0f}, {40.0f, -1.0f, 1.0f},
        {40.0f, 1.0f, 0.0f}, {40.0f, 1.0f, -5.0f}, {NAN, 1.0f, 1.0f},   {40.0f, 1.0f, 400.0f},
        {1e9f, 1.0f, 1.0f},  {40.0f, 1e-7f, 1.0f},
    };
    for (const RadarSettings& s : bad) {
        EXPECT_TRUE(radarSettingsProblem(s).has_value())
            << s.maximumRange << " " << s.rangeIncrement;
        EXPECT_EQ(usableRadarSettings(s), defaultRadarSettings);
    }
    EXPECT_FALSE(radarSettingsProblem(defaultRadarSettings));
    EXPECT_FALSE(radarSettingsProblem({1.5f, 0.01f, 360.0f}));
    EXPECT_EQ(*radarSettingsProblem({40.0f, 0.0f, 1.0f}),
              "The range scan increment must be from 0.01 to 10000 km.");
}

} // namespace
} // namespace vantor

namespace vantor {
namespace {

// "Scan" takes the three fields as they stand: a field that holds no number is named, as a
// value out of its range is, and nothing runs on the old value.
TEST(RadarDialog, ScanRefusesAFieldThatHoldsNoNumberAndNamesIt) {
    struct Case {
        std::array<const char*, 3> texts;
        const char* problem; // "" when the settings are taken
    };
    const Case cases[] = {
        {{"40", "1", "1"}, ""},
        {{" 12.5", "0.5", "2"}, ""},
        {{"abc", "1", "1"}, "The Max Scan Range (km) field holds \"abc\", which is not a number."},
        {{"40", "", "1"}, "The Range Scan Inc. (km) field holds \"\", which is not a number."},
        {{"40", "1", "nan"},
         "The Scan Azimuth Inc. (deg) field holds \"nan\", which is not a "
         "number."},
        {{"40", "1", "0"}, "The scan azimuth increment must be from 0.01 to 360 degrees."},
    };
    for (const Case& c : cases) {
        RadarDialogModel model = openRadarDialog();
        for (std::size_t f = 0; f < 3; ++f) {
            editRadarField(model, static_cast<RadarDialogField>(f), c.texts[f]);
        }
        const std::optional<std::string> problem = confirmRadarDialog(model);
        EXPECT_EQ(problem.value_or(""), c.problem) << c.texts[0] << " " << c.texts[1];
    }
}

} // namespace
} // namespace vantor
