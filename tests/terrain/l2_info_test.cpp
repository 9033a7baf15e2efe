#include "support/terrain_files.h"
#include "terrain/l2_info.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(L2Info, LooksUpThePostNamedByTheLeadingNumbersOfBothFields) {
    TerrainMatrix m = testing::randomMatrix(64, NineByteRecords, 1);
    m.at(0, 0) = {11, 110, 0, 0, 0};
    m.at(1023, 1023) = {22, 220, 0, 0, 0};
    m.at(12, 0) = {33, 330, 0, 0, 0};
    m.at(1023, 0) = {44, 440, 0, 0, 0};
    m.at(0, 1023) = {4000000000u, 550, 0, 0, 0};
    struct Case {
        const char* x;
        const char* y;
        const char* tile;
        const char* elevation;
    };
    const Case cases[] = {
        {"1023", "1023", "22", "220"},
        {"", "", "11", "110"},          // empty fields look up post (0, 0)
        {"12abc", "zero", "33", "330"}, // leading numbers only
        {" 1023", "0", "44", "440"},
        {"0", "1023", "4000000000", "550"}, // 32-bit tile IDs are not shown negative
        {"1024", "0", "off map", "off map"},
        {"0", "1024", "off map", "off map"},
        {"-1", "5", "off map", "off map"},
        {"99999999999", "0", "off map", "off map"},
    };
    for (const Case& c : cases) {
        const L2Info info = lookupL2Info(m, c.x, c.y);
        EXPECT_EQ(info.tileIdText, c.tile) << c.x << "," << c.y;
        EXPECT_EQ(info.elevationText, c.elevation) << c.x << "," << c.y;
    }
    EXPECT_FALSE(lookupL2Info(TerrainMatrix{}, "0", "0").onMap);
}

} // namespace
} // namespace vantor
