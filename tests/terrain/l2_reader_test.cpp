#include "support/temp_dir.h"
#include "support/terrain_files.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_writer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace vantor {
namespace {

using testing::Bytes;

struct Pair {
    testing::TempDir dir;
    BinaryReader l2;
    BinaryReader o2;
    TerrainMatrix matrix;
    std::vector<std::int32_t> reports;
    int abortAfterRows = -1;
    int rowsSeen = 0;

    Pair(const Bytes& l2Bytes, const Bytes& o2Bytes) {
        testing::writeBytes(dir.path / "T.L2", l2Bytes);
        testing::writeBytes(dir.path / "T.O2", o2Bytes);
        EXPECT_TRUE(openForReading(l2, dir.path / "T.L2"));
        EXPECT_TRUE(openForReading(o2, dir.path / "T.O2"));
    }
    TerrainResult read() {
        TerrainProgress progress;
        progress.report = [this](std::int32_t counter, std::int32_t position) {
            EXPECT_EQ(counter, position);
            reports.push_back(counter);
        };
        progress.abortRequested = [this] {
            return abortAfterRows >= 0 && ++rowsSeen > abortAfterRows;
        };
        return readTerrain(l2, o2, matrix, progress);
    }
};

std::vector<std::string> texts(const TerrainResult& r) {
    std::vector<std::string> out;
    for (const MessageBoxRequest& m : r.messages) {
        out.push_back(m.title + ": " + m.text);
    }
    return out;
}

TEST(L2Geometry, SectionsPerSideComeFromTheO2Size) {
    const std::pair<std::uint64_t, std::int32_t> cases[] = {
        {16384, 64}, {20000, 70}, {16383, 63},   {4, 1},
        {3, 0},      {0, 0},      {262144, 256}, {1048576, 512},
    };
    for (const auto& [size, sections] : cases) {
        EXPECT_EQ(sectionsFromO2Size(size), sections) << size;
    }
}

TEST(L2Geometry, RecordLayoutIsTakenOnlyWhereTheSizeAndTheOffsetsAgree) {
    struct Case {
        const char* name;
        std::uint64_t size;
        std::vector<std::uint32_t> offsets;
        RecordFormat format;
        bool known;
        bool certain;
    };
    const Case cases[] = {
        {"size not a multiple of 7", 2304 * 2, {0, 2304}, NineByteRecords, true, true},
        {"multiple of 7 and 9, offsets fit both", 16128, {0, 0}, SevenByteRecords, true, false},
        {"multiple of 7, offsets only fit 9-byte sections",
         2304 * 7,
         {0, 2304, 4608},
         NineByteRecords,
         true,
         true},
        {"multiple of 7, 7-byte offsets", 1792 * 3, {0, 1792, 3584}, SevenByteRecords, true, true},
        {"multiple of 7 and 9, every offset a multiple of both",
         16128 * 2,
         {0, 16128},
         SevenByteRecords,
         true,
         false},
        {"multiple of 7 and 9, one offset fits neither",
         1792 * 9,
         {0, 2304, 100},
         SevenByteRecords,
         true,
         false},
        {"7-byte offsets with 513 stray bytes", 1792 * 3 + 513, {0, 1792, 3584}, {}, false, false},
        {"9-byte offsets, cut short: the read meets the end",
         2304 * 2 - 1,
         {0, 2304},
         NineByteRecords,
         true,
         false},
        {"offsets fit neither, size no whole number of records",
         1792 * 3 + 5,
         {0, 100},
         {},
         false,
         false},
        {"offsets fit neither, a multiple of 9 only", 2304, {0, 100}, NineByteRecords, true, true},
    };
    for (const Case& c : cases) {
        const RecordLayout layout = recordLayoutFor(c.size, c.offsets);
        EXPECT_EQ(layout.known, c.known) << c.name;
        EXPECT_EQ(layout.certain, c.certain) << c.name;
        if (c.known) {
            EXPECT_EQ(layout.format, c.format) << c.name;
        }
    }
}

TEST(L2Geometry, TheO2PathReplacesTheLastTwoCharactersWhateverTheirCase) {
    EXPECT_EQ(o2PathFor("C:\\Korea\\terrain\\theater.l2"), "C:\\Korea\\terrain\\theater.O2");
    EXPECT_EQ(o2PathFor("/maps/THEATER.L2"), "/maps/THEATER.O2");
    testing::TempDir dir;
    dir.write("theater.o2", "x");
    EXPECT_EQ(findBeside((dir.path / "theater.O2").string()), dir.path / "theater.o2");
    dir.write("theater.O2", "y");
    EXPECT_EQ(findBeside((dir.path / "theater.O2").string()), dir.path / "theater.O2")
        << "the exact spelling comes first";
}

TEST(L2Records, FieldsDecodeLittleEndianInBothLayouts) {
    const unsigned char seven[7] = {52, 18, 0x10, 0x27, 1, 2, 3};
    const TerrainPost a = decodeRecord(seven, SevenByteRecords);
    EXPECT_EQ(a.tileId, 4660u);
    EXPECT_EQ(a.elevation, 10000u);
    EXPECT_EQ(a.attribute1, 1);
    EXPECT_EQ(a.attribute3, 3);
    const unsigned char nine[9] = {1, 2, 3, 0, 0xFF, 0xFF, 7, 8, 9};
    const TerrainPost b = decodeRecord(nine, NineByteRecords);
    EXPECT_EQ(b.tileId, 197121u);
    EXPECT_EQ(b.elevation, 65535u) << "elevation is unsigned";
    EXPECT_EQ(b.attribute2, 8);
    unsigned char back[9] = {};
    encodeRecord(b, NineByteRecords, back);
    EXPECT_TRUE(std::equal(back, back + 9, nine));
}

// The run decoders and encoders used by the readers and writers give exactly what the
// one-record functions give, for every field at its extremes, in both layouts.
TEST(L2Records, RunsOfRecordsMatchRecordByRecord) {
    std::vector<unsigned char> bytes(9 * 64);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<unsigned char>(i * 37 + (i % 9 == 3 ? 255 : i % 5 == 0 ? 0 : 128));
    }
    for (const RecordFormat format : {SevenByteRecords, NineByteRecords}) {
        SCOPED_TRACE(static_cast<int>(format));
        const std::size_t rs = recordSize(format);
        const std::size_t count = bytes.size() / 9;
        std::vector<TerrainPost> run(count + 1);
        run.back().tileId = 0xDEADBEEF; // not one post too far
        const TerrainPost* end =
            format == SevenByteRecords
                ? decodeRecords<SevenByteRecords>(bytes.data(), count, run.data())
                : decodeRecords<NineByteRecords>(bytes.data(), count, run.data());
        EXPECT_EQ(end, run.data() + count);
        EXPECT_EQ(run.back().tileId, 0xDEADBEEFu);
        std::vector<unsigned char> encoded(count * rs + 1, 0xAA);
        const unsigned char* written =
            format == SevenByteRecords
                ? encodeRecords<SevenByteRecords>(run.data(), count, encoded.data())
                : encodeRecords<NineByteRecords>(run.data(), count, encoded.data());
        EXPECT_EQ(written, encoded.data() + count * rs);
        EXPECT_EQ(encoded.back(), 0xAA);
        for (std::size_t i = 0; i < count; ++i) {
            const TerrainPost one = decodeRecord(bytes.data() + i * rs, format);
            ASSERT_EQ(run[i], one) << "post " << i;
            unsigned char single[9] = {};
            encodeRecord(one, format, single);
            ASSERT_TRUE(std::equal(single, single + rs, encoded.data() + i * rs)) << "post " << i;
        }
    }
}

TEST(L2Reader, BlockReadingGivesExactlyTheRecordByRecordMatrix) {
    // Sections stored in shuffled order, some sharing a copy, with gaps between them: the
    // reader may not rely on sections being contiguous.
    for (RecordFormat format : {SevenByteRecords, NineByteRecords}) {
        const std::int32_t sections = 5;
        const std::size_t rs = recordSize(format);
        const std::size_t sectionBytes = 256 * rs;
        const std::size_t slot = sectionBytes + rs; // a record's gap after each stored section
        std::mt19937 rng(7);
        const std::size_t stored = 18;
        // The last stored section ends the file: bytes past it would be refused as stray.
        Bytes l2((stored - 1) * slot + sectionBytes);
        for (auto& b : l2) {
            b = static_cast<unsigned char>(rng());
        }
        std::vector<std::uint32_t> offsets(sections * sections);
        for (auto& o : offsets) {
            o = static_cast<std::uint32_t>((rng() % stored) * slot);
        }
        // Contiguous runs too, which are read in one go.
        offsets[0] = 0;
        offsets[1] = static_cast<std::uint32_t>(sectionBytes);
        offsets[2] = static_cast<std::uint32_t>(2 * sectionBytes);
        offsets[3] = static_cast<std::uint32_t>((stored - 1) * slot);
        const Bytes o2 = testing::o2Bytes(offsets);
        // The size names the layout under test: a whole number of its records only.
        ASSERT_EQ(l2.size() % rs, 0u);
        ASSERT_NE(l2.size() % (format == SevenByteRecords ? 9 : 7), 0u);
        Pair pair(l2, o2);
        const TerrainResult result = pair.read();
        ASSERT_TRUE(result.ok()) << ::testing::PrintToString(texts(result));
        EXPECT_EQ(pair.matrix.recordFormat, format);
        EXPECT_EQ(pair.matrix.width, 80);
        EXPECT_TRUE(pair.matrix.posts == testing::decodeRecordByRecord(l2, o2, format).posts);
        EXPECT_EQ(pair.reports, (std::vector<std::int32_t>{4, 9, 14, 19, 24}));
    }
}

TEST(L2Reader, SectionsSharingAnOffsetHaveIdenticalPosts) {
    const TerrainMatrix source = testing::randomMatrix(1, SevenByteRecords, 3);
    Bytes l2(256 * 7);
    for (int i = 0; i < 256; ++i) {
        encodeRecord(source.posts[static_cast<std::size_t>((i / 16) * 16 + i % 16)],
                     SevenByteRecords, l2.data() + i * 7);
    }
    Pair pair(l2, testing::o2Bytes({0, 0, 0, 0}));
    ASSERT_TRUE(pair.read().ok());
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(pair.matrix.at(x, y), pair.matrix.at(x + 16, y + 16));
            EXPECT_EQ(pair.matrix.at(x, y), source.at(x, y));
        }
    }
}

TEST(L2Reader, ReadFailuresShowTheirMessagesAndLeaveNoMatrix) {
    const Bytes oneSection(256 * 9, 1);
    struct Case {
        const char* name;
        Bytes l2;
        Bytes o2;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"an offset past the end of the L2",
         oneSection,
         testing::o2Bytes({0, 2304, 4608, 0}),
         {"Error: L2 end of file reached", "L2 Read Error: L2 error"}},
        {"a section cut short",
         Bytes(oneSection.begin(), oneSection.end() - 2),
         testing::o2Bytes({0}),
         {"Error: L2 end of file reached", "L2 Read Error: L2 error"}},
        {"an O2 without one whole entry",
         oneSection,
         Bytes{0, 0, 0},
         {"O2 Read Error: T.O2 holds 3 bytes, which is no whole number of 4-byte block "
          "offsets: the file is cut short or has stray bytes. Nothing was read."}},
        // A 4 x 4 map's O2 cut by one entry must not read as a 3 x 3 map.
        {"an O2 cut by one entry",
         oneSection,
         testing::o2Bytes(std::vector<std::uint32_t>(15, 0)),
         {"O2 Read Error: T.O2 holds 15 block offsets, which is no square map of sections "
          "(3 x 3 takes 9, 4 x 4 takes 16): the file is cut short or has stray entries. "
          "Nothing was read."}},
        {"an O2 with a stray byte",
         oneSection,
         [] {
             Bytes o2 = testing::o2Bytes({0});
             o2.push_back(7);
             return o2;
         }(),
         {"O2 Read Error: T.O2 holds 5 bytes, which is no whole number of 4-byte block "
          "offsets: the file is cut short or has stray bytes. Nothing was read."}},
        {"an L2 with a section's worth of stray bytes",
         Bytes(256 * 9 * 2, 1),
         testing::o2Bytes({0}),
         {"L2 Read Error: T.L2 holds 2304 bytes beyond the last section T.O2 places (which "
          "ends at byte 2304): stray bytes, or an O2 file cut short. Nothing was read."}},
        {"an empty O2",
         oneSection,
         Bytes{},
         {"O2 Read Error: O2 end of file reached", "O2 Read Error: O2 error"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pair pair(c.l2, c.o2);
        const TerrainResult result = pair.read();
        EXPECT_EQ(result.status, TerrainStatus::Failed);
        EXPECT_EQ(texts(result), c.messages);
        for (const MessageBoxRequest& m : result.messages) {
            EXPECT_EQ(m.icon, MessageIcon::Error);
        }
        EXPECT_TRUE(pair.matrix.empty());
    }
}

TEST(L2Reader, AnAbortAfterAMapRowStopsTheReadWithoutAMessage) {
    const TerrainMatrix source = testing::randomMatrix(4, NineByteRecords, 11);
    testing::TempDir dir;
    ASSERT_TRUE(writeTerrainFiles(source, dir.path / "A.L2", dir.path / "A.O2", {}).ok());
    Pair pair(testing::readBytes(dir.path / "A.L2"), testing::readBytes(dir.path / "A.O2"));
    pair.abortAfterRows = 20; // during the second row of sections
    const TerrainResult result = pair.read();
    EXPECT_EQ(result.status, TerrainStatus::Aborted);
    EXPECT_TRUE(result.messages.empty());
    EXPECT_TRUE(pair.matrix.empty());
    EXPECT_EQ(pair.reports, (std::vector<std::int32_t>{3}));
}

} // namespace
} // namespace vantor
