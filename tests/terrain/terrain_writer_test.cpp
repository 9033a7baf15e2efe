#include "base/byte_order.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_writer.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

using testing::Bytes;

TerrainMatrix readBack(const std::filesystem::path& l2Path, const std::filesystem::path& o2Path) {
    BinaryReader l2;
    BinaryReader o2;
    EXPECT_TRUE(openForReading(l2, l2Path));
    EXPECT_TRUE(openForReading(o2, o2Path));
    TerrainMatrix m;
    EXPECT_TRUE(readTerrain(l2, o2, m, {}).ok());
    return m;
}

std::uint32_t o2Entry(const Bytes& o2, std::size_t block) {
    return loadU32(o2.data() + 4 * block);
}

void clearSection(TerrainMatrix& m, int column, int row, std::uint8_t attribute1 = 0) {
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            m.at(column * 16 + x, row * 16 + y) = TerrainPost{0, 0, attribute1, 0, 0};
        }
    }
}

TEST(TerrainWriter, WriteBackThenReadGivesTheSameMatrixInBothLayouts) {
    struct Case {
        const char* name;
        RecordFormat format;
        void (*shape)(TerrainMatrix&);
    };
    const Case cases[] = {
        {"7-byte, no empty section", SevenByteRecords, [](TerrainMatrix&) {}},
        {"9-byte, no empty section", NineByteRecords, [](TerrainMatrix&) {}},
        {"7-byte with empty sections", SevenByteRecords,
         [](TerrainMatrix& m) {
             clearSection(m, 1, 0);
             clearSection(m, 2, 2);
             clearSection(m, 0, 3);
         }},
        {"9-byte, empty sections with and without attribute bytes", NineByteRecords,
         [](TerrainMatrix& m) {
             clearSection(m, 3, 0, 5); // the first empty section supplies the shared copy
             clearSection(m, 0, 1);
             clearSection(m, 1, 1, 5);
             clearSection(m, 2, 3, 9);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        TerrainMatrix m = testing::randomMatrix(4, c.format, 5);
        c.shape(m);
        ASSERT_TRUE(writeTerrainFiles(m, dir.path / "T.L2", dir.path / "T.O2", {}).ok());
        const TerrainMatrix back = readBack(dir.path / "T.L2", dir.path / "T.O2");
        EXPECT_EQ(back.recordFormat, c.format);
        EXPECT_EQ(back.width, m.width);
        EXPECT_TRUE(back.posts == m.posts) << "no post or attribute byte may change";
    }
}

TEST(TerrainWriter, EmptySectionsShareOneCopyAtOffsetZero) {
    testing::TempDir dir;
    TerrainMatrix m = testing::randomMatrix(4, NineByteRecords, 9);
    clearSection(m, 3, 0);
    clearSection(m, 1, 2);
    ASSERT_TRUE(writeTerrainFiles(m, dir.path / "T.L2", dir.path / "T.O2", {}).ok());
    const Bytes o2 = testing::readBytes(dir.path / "T.O2");
    const Bytes l2 = testing::readBytes(dir.path / "T.L2");
    ASSERT_EQ(o2.size(), 16u * 4);
    EXPECT_EQ(o2Entry(o2, 3), 0u);
    EXPECT_EQ(o2Entry(o2, 9), 0u);
    EXPECT_EQ(o2Entry(o2, 0), 2304u) << "the first stored section follows the empty copy";
    EXPECT_EQ(o2Entry(o2, 1), 2 * 2304u);
    EXPECT_EQ(o2Entry(o2, 4), 4 * 2304u) << "block 3 took no storage";
    EXPECT_EQ(l2.size(), (1 + 14) * 2304u);
    EXPECT_TRUE(std::all_of(l2.begin(), l2.begin() + 2304, [](unsigned char b) { return b == 0; }));
}

TEST(TerrainWriter, WithoutEmptySectionsTheFirstSectionIsAtOffsetZero) {
    testing::TempDir dir;
    const TerrainMatrix m = testing::randomMatrix(2, SevenByteRecords, 1);
    ASSERT_TRUE(writeTerrainFiles(m, dir.path / "T.L2", dir.path / "T.O2", {}).ok());
    const Bytes o2 = testing::readBytes(dir.path / "T.O2");
    EXPECT_EQ(o2Entry(o2, 0), 0u);
    EXPECT_EQ(o2Entry(o2, 3), 3 * 1792u);
    EXPECT_EQ(testing::readBytes(dir.path / "T.L2").size(), 4 * 1792u);
}

TEST(TerrainWriter, SevenByteRecordsKeepTheLowSixteenBitsOfTheTileId) {
    testing::TempDir dir;
    TerrainMatrix m = testing::randomMatrix(1, SevenByteRecords, 2);
    m.at(4, 5).tileId = 0x12345u;
    ASSERT_TRUE(writeTerrainFiles(m, dir.path / "T.L2", dir.path / "T.O2", {}).ok());
    EXPECT_EQ(readBack(dir.path / "T.L2", dir.path / "T.O2").at(4, 5).tileId, 0x2345u);
}

TEST(TerrainWriter, AFailureOrAbortPartWayLeavesTheOldPairByteIdentical) {
    struct Case {
        const char* name;
        TerrainWriteFaults faults;
        bool abort;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"L2 write fails at once",
         {0, UINT64_MAX},
         false,
         {"Error: L2 end of file reached (DIR/T.L2: No space left on device)",
          "L2 Write Error: L2 error"}},
        {"L2 write fails part way",
         {5000, UINT64_MAX},
         false,
         {"Error: L2 end of file reached (DIR/T.L2: No space left on device)",
          "L2 Write Error: L2 error"}},
        {"O2 write fails part way",
         {UINT64_MAX, 20},
         false,
         {"O2 Write Error: O2 file write error (DIR/T.O2: No space left on device)",
          "O2 Write Error: O2 error"}},
        {"aborted after the first row", {}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const auto l2Path = dir.path / "T.L2";
        const auto o2Path = dir.path / "T.O2";
        ASSERT_TRUE(
            writeTerrainFiles(testing::randomMatrix(4, SevenByteRecords, 1), l2Path, o2Path, {})
                .ok());
        const Bytes oldL2 = testing::readBytes(l2Path);
        const Bytes oldO2 = testing::readBytes(o2Path);

        TerrainProgress progress;
        progress.abortRequested = [&c] { return c.abort; };
        const TerrainResult result =
            writeTerrainFiles(testing::randomMatrix(4, SevenByteRecords, 2), l2Path, o2Path,
                              progress, TerrainWriteOptions{c.faults, {}, {}, nullptr});
        EXPECT_FALSE(result.ok());
        std::vector<std::string> messages;
        for (const MessageBoxRequest& m : result.messages) {
            std::string text = m.title + ": " + m.text;
            if (const std::size_t at = text.find(dir.str()); at != std::string::npos) {
                text.replace(at, dir.str().size(), "DIR");
            }
            messages.push_back(text);
        }
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(testing::readBytes(l2Path), oldL2);
        EXPECT_EQ(testing::readBytes(o2Path), oldO2);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path),
                                std::filesystem::directory_iterator()),
                  2)
            << "no partial file is left behind";
    }
}

TEST(TerrainWriter, ReportsTheLastBlockOfEachSectionRow) {
    testing::TempDir dir;
    std::vector<std::int32_t> reports;
    TerrainProgress progress;
    progress.report = [&](std::int32_t counter, std::int32_t) { reports.push_back(counter); };
    ASSERT_TRUE(writeTerrainFiles(testing::randomMatrix(3, NineByteRecords, 4), dir.path / "T.L2",
                                  dir.path / "T.O2", progress)
                    .ok());
    EXPECT_EQ(reports, (std::vector<std::int32_t>{2, 5, 8}));
}

} // namespace
} // namespace vantor
