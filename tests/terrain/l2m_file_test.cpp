#include "base/byte_order.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"
#include "terrain/l2m_file.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

using testing::Bytes;

TheaterDefinition theaterOf(std::int32_t extent) {
    TheaterDefinition t;
    t.xMapExtent = t.yMapExtent = extent;
    return t;
}

TerrainResult load(const std::filesystem::path& path, TheaterDefinition& theater,
                   TerrainMatrix& m) {
    BinaryReader file;
    EXPECT_TRUE(openForReading(file, path));
    return loadL2m(file, theater, m, {});
}

TEST(L2mFile, A1024MatrixHasItsHeaderAndSize) {
    testing::TempDir dir;
    TerrainMatrix m;
    ASSERT_TRUE(allocateMatrix(m, 1024, 1024, NineByteRecords));
    m.at(0, 0) = {70000, 12, 1, 2, 3};
    m.at(1023, 1023) = {5, 65535, 4, 5, 6};
    ASSERT_TRUE(saveL2m(m, dir.path / "M.L2M", {}).ok());
    const Bytes bytes = testing::readBytes(dir.path / "M.L2M");
    ASSERT_EQ(bytes.size(), 9437193u);
    EXPECT_EQ(loadU32(bytes.data()), 1024u);
    EXPECT_EQ(loadU16(bytes.data() + 4), 1024u);
    EXPECT_EQ(bytes[6], 0);
    EXPECT_EQ(bytes[7], 2);
    EXPECT_EQ(bytes[8], 0);

    TheaterDefinition theater = theaterOf(1024);
    TerrainMatrix back;
    ASSERT_TRUE(load(dir.path / "M.L2M", theater, back).ok());
    EXPECT_EQ(back.recordFormat, NineByteRecords);
    EXPECT_TRUE(back.posts == m.posts);
    EXPECT_EQ(back.at(0, 0), m.at(0, 0));
    EXPECT_EQ(back.at(1023, 1023), m.at(1023, 1023));
    EXPECT_EQ(theater.lastMapX, 1023);
    EXPECT_EQ(theater.xSections, 64);
}

TEST(L2mFile, SaveAndLoadKeepEveryPostAndTheRecordFormat) {
    for (RecordFormat format : {SevenByteRecords, NineByteRecords}) {
        testing::TempDir dir;
        const TerrainMatrix m = testing::randomMatrix(3, format, 8);
        ASSERT_TRUE(saveL2m(m, dir.path / "M.L2M", {}).ok());
        EXPECT_EQ(testing::readBytes(dir.path / "M.L2M")[7], format == SevenByteRecords ? 0 : 2);
        TheaterDefinition theater = theaterOf(48);
        TerrainMatrix back;
        ASSERT_TRUE(load(dir.path / "M.L2M", theater, back).ok());
        EXPECT_EQ(back.recordFormat, format);
        EXPECT_TRUE(back.posts == m.posts);
    }
}

TEST(L2mFile, LoadingRefusesFilesThatDoNotFitTheTheater) {
    struct Case {
        const char* name;
        std::uint32_t rows;
        std::uint16_t columns;
        std::int32_t theaterExtent;
        std::size_t records;
        std::vector<std::string> messages;
    };
    const std::string size =
        "L2M Matrix Error: This L2M matrix is not the same size as the current theater.";
    const std::string eof1 = "Error: L2 end of file reached";
    const std::string eof2 = "L2 Read Error: L2 error";
    const Case cases[] = {
        {"theater is larger", 32, 32, 64, 32 * 32, {size}},
        {"not square", 32, 48, 32, 32 * 48, {size}},
        {"not a multiple of 16", 40, 40, 40, 40 * 40, {size}},
        {"zero extent", 0, 0, 0, 0, {size}},
        {"records missing", 32, 32, 32, 32 * 32 - 1, {eof1, eof2}},
        {"header cut short", 0, 0, 32, 0, {eof1, eof2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        Bytes bytes(9 + 9 * c.records, 0);
        storeU32(bytes.data(), c.rows);
        storeU16(bytes.data() + 4, c.columns);
        if (std::string(c.name) == "header cut short") {
            bytes.resize(8);
        }
        testing::writeBytes(dir.path / "M.L2M", bytes);
        TheaterDefinition theater = theaterOf(c.theaterExtent);
        const TheaterDefinition before = theater;
        TerrainMatrix m;
        const TerrainResult result = load(dir.path / "M.L2M", theater, m);
        EXPECT_EQ(result.status, TerrainStatus::Failed);
        std::vector<std::string> messages;
        for (const MessageBoxRequest& r : result.messages) {
            messages.push_back(r.title + ": " + r.text);
        }
        EXPECT_EQ(messages, c.messages);
        EXPECT_TRUE(m.empty());
        EXPECT_EQ(theater.xMapExtent, before.xMapExtent) << "the geometry stays";
    }
}

TEST(L2mFile, AFailedOrAbortedSaveLeavesTheOldFile) {
    testing::TempDir dir;
    const auto path = dir.path / "M.L2M";
    testing::writeBytes(path, Bytes{1, 2, 3, 4, 5});
    const TerrainMatrix m = testing::randomMatrix(2, SevenByteRecords, 3);

    const TerrainResult failedSave = saveL2m(m, path, {}, 100);
    ASSERT_EQ(failedSave.messages.size(), 2u);
    EXPECT_EQ(failedSave.messages[0].text,
              "L2M end of file reached (" + path.string() + ": No space left on device)");
    EXPECT_EQ(failedSave.messages[1].title, "L2 Write Error");

    TerrainProgress abortNow;
    abortNow.abortRequested = [] { return true; };
    EXPECT_EQ(saveL2m(m, path, abortNow).status, TerrainStatus::Aborted);
    EXPECT_EQ(testing::readBytes(path), (Bytes{1, 2, 3, 4, 5}));

    // A good save replaces a longer old file whole: nothing of it remains at the end.
    testing::writeBytes(path, Bytes(100000, 0xAB));
    ASSERT_TRUE(saveL2m(m, path, {}).ok());
    EXPECT_EQ(testing::readBytes(path).size(), 9u + 9u * 32 * 32);
}

} // namespace
} // namespace vantor
