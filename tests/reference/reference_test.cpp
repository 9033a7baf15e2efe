#include "base/byte_order.h"
#include "base/text_reader.h"
#include "reference/ocd_list.h"
#include "reference/tile_info.h"
#include "support/temp_dir.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vantor {
namespace {

using testing::TempDir;

struct ClassRecord {
    std::uint16_t index;
    std::string name; // up to 20 bytes; 20 leaves no terminator
    std::uint8_t feature = 0;
    std::uint8_t byte51 = 0;
};

// A class file as the simulation stores it: the count, then the records from offset 2.
std::string classFile(std::uint16_t count, const std::vector<ClassRecord>& records) {
    std::string bytes(2 + ocdClassRecordSize * records.size(), '\0');
    storeU16(reinterpret_cast<unsigned char*>(bytes.data()), count);
    for (std::size_t k = 0; k < records.size(); ++k) {
        auto* r = reinterpret_cast<unsigned char*>(&bytes[2 + ocdClassRecordSize * k]);
        storeU16(r, records[k].index);
        std::memcpy(r + 2, records[k].name.data(),
                    std::min<std::size_t>(20, records[k].name.size()));
        r[30] = 0x5A; // bytes the list never reads
        r[50] = records[k].feature;
        r[51] = records[k].byte51;
    }
    return bytes;
}

void put(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(OcdKeywords, TheLastKeywordDecidesTheClassAndTheFirstGroupThePriority) {
    struct Case {
        const char* name;
        std::int16_t classCode;
        std::uint16_t priority;
    };
    const Case cases[] = {{"kimpo airport", 140, 15},     {"seoul tower", 120, 15},
                          {"hydro power plant", 170, 55}, {"checkpoint 3", 181, 0},
                          {"old ford bridge", 182, 40},   {"plain field", -1, 0},
                          {"1a3 highway", 10, 1},         {"highway strip", 141, 1},
                          {"osan afb", 140, 70},          {"afb", -1, 0},
                          {"sticky chem", 151, 60},       {"big city", 101, 15},
                          {"seaside village", 103, 1},    {"depot. army base", 132, 60}};
    for (const Case& c : cases) {
        const ClassKeywords k = classifyClassName(c.name);
        EXPECT_EQ(k.classCode, c.classCode) << c.name;
        EXPECT_EQ(k.priority, c.priority) << c.name;
    }
}

TEST(OcdKeywords, TileCodesAndFeatureCounts) {
    EXPECT_EQ(tileCodeOf("1a3 city"), 0x1a3);
    EXPECT_EQ(tileCodeOf("1g3 city"), 0);
    EXPECT_EQ(tileCodeOf("ab"), 0xab); // the text ends before the third character
    EXPECT_EQ(tileCodeOf(""), 0);
    EXPECT_EQ(tileCodeOf("fff"), 0xfff);
    const std::pair<int, int> counts[] = {{5, 2}, {16, 4}, {3, 0}, {4, 2}, {12, 4}, {255, 64}};
    for (const auto& [feature, count] : counts) {
        EXPECT_EQ(defaultFeatureCount(static_cast<std::uint8_t>(feature)), count) << feature;
    }
}

TEST(OcdGenerate, WritesTheHeaderTheEntriesAndTheCsv) {
    TempDir dir;
    // Record 0 of the file is never read: entries 1 .. N are records 1 .. N.
    put(dir.path / ocdSourceName, classFile(4, {{0, "Unused"},
                                                {35, "1a3 Port, North", 5, 0x77},
                                                {36, "Kimpo Airport", 16},
                                                {37, "1a3 Highway"},
                                                {38, "ABCDEFGHIJKLMNOPQRST", 3}}));
    const OcdGeneration g = generateOcdList(dir.str());
    ASSERT_TRUE(g.ok);
    ASSERT_EQ(g.messages.size(), 1u);
    EXPECT_EQ(g.messages[0].text, "4 OCD Objects found out of 4.\r\n Written to " +
                                      (dir.path / "OCDList.dat").string() + " and " +
                                      (dir.path / "OCDList.csv").string() + ".");
    EXPECT_EQ(g.messages[0].title, "OCD Data Processed");

    const std::string dat = testing::readFile(dir.path / ocdListName);
    ASSERT_EQ(dat.size(), 5 * ocdEntrySize);
    const auto* b = reinterpret_cast<const unsigned char*>(dat.data());
    EXPECT_EQ(loadU32(b), 4u);
    EXPECT_EQ(std::string(dat.data() + 16, 17), std::string("# OCDs in List  \0", 17));
    EXPECT_EQ(dat.substr(4, 12), std::string(12, '\0'));
    EXPECT_EQ(dat.substr(33, 3), std::string(3, '\0'));

    const OcdEntry port = decodeOcdEntry(b + ocdEntrySize);
    EXPECT_EQ(port.ocdId, 135u);
    EXPECT_EQ(port.classCode, 105);
    EXPECT_EQ(port.defaultPriority, 15);
    EXPECT_EQ(port.defaultFeatureCount, 2);
    EXPECT_EQ(port.byte51, 0x77);
    EXPECT_EQ(port.tileCode, 0x1a3);
    EXPECT_EQ(port.nameText(), "1a3 Port. North");
    const OcdEntry highway = decodeOcdEntry(b + 3 * ocdEntrySize);
    EXPECT_EQ(highway.classCode, 10);
    EXPECT_EQ(highway.tileCode, 0);
    const OcdEntry full = decodeOcdEntry(b + 4 * ocdEntrySize);
    EXPECT_EQ(full.nameText(), "ABCDEFGHIJKLMNOPQRST"); // bounded at 20 characters
    EXPECT_EQ(full.tileCode, 0xabc);

    EXPECT_EQ(testing::readFile(dir.path / ocdCsvName), "105, 135, 1a3 Port. North\n"
                                                        "140, 136, Kimpo Airport\n"
                                                        "10, 137, 1a3 Highway\n"
                                                        "-1, 138, ABCDEFGHIJKLMNOPQRST\n");
}

TEST(OcdGenerate, TheRecordPastTheEndOfTheSimulationsFileBecomesAnEmptyEntry) {
    TempDir dir;
    // Three records from offset 2: exactly 2 + 54 x 3 bytes, so entry 3 has no record.
    put(dir.path / ocdSourceName, classFile(3, {{0, "Zero"}, {1, "Town"}, {2, "Radar"}}));
    const OcdGeneration g = generateOcdList(dir.str());
    ASSERT_TRUE(g.ok);
    EXPECT_EQ(g.read, 2u);
    EXPECT_EQ(g.messages.back().text.substr(0, 31), "2 OCD Objects found out of 3.\r\n");
    const std::string dat = testing::readFile(dir.path / ocdListName);
    ASSERT_EQ(dat.size(), 4 * ocdEntrySize);
    EXPECT_EQ(dat.substr(3 * ocdEntrySize), std::string(ocdEntrySize, '\0'));
    EXPECT_EQ(testing::readFile(dir.path / ocdCsvName),
              "102, 101, Town\n136, 102, Radar\n0, 0, \n");
}

TEST(OcdGenerate, AMissingOrShortClassFileWritesNothing) {
    TempDir dir;
    put(dir.path / ocdListName, "old list");
    OcdGeneration g = generateOcdList(dir.str());
    EXPECT_FALSE(g.ok);
    ASSERT_EQ(g.messages.size(), 1u);
    EXPECT_EQ(g.messages[0].title, "Missing File");
    // Counts five classes but holds two.
    put(dir.path / ocdSourceName, classFile(5, {{0, "A"}, {1, "B"}}));
    g = generateOcdList(dir.str());
    EXPECT_FALSE(g.ok);
    ASSERT_EQ(g.messages.size(), 1u);
    EXPECT_NE(g.messages[0].text.find("does not hold the 5 classes"), std::string::npos);
    EXPECT_EQ(testing::readFile(dir.path / ocdListName), "old list");
    EXPECT_FALSE(std::filesystem::exists(dir.path / ocdCsvName));
}

OcdList listOf(const std::vector<OcdEntry>& entries) {
    OcdList list;
    list.records.push_back(ocdListHeader(static_cast<std::uint32_t>(entries.size())));
    list.records.insert(list.records.end(), entries.begin(), entries.end());
    indexOcdList(list);
    list.loaded = true;
    return list;
}

OcdEntry entry(std::uint32_t id, std::uint16_t tileCode, std::int16_t classCode = 101) {
    OcdEntry e;
    e.ocdId = id;
    e.tileCode = tileCode;
    e.classCode = classCode;
    return e;
}

TEST(OcdFind, TheHeaderTakesPartAndTheLastEntryDoesNot) {
    const OcdList list =
        listOf({entry(110, 0x1a3), entry(111, 0x1a3), entry(110, 7), entry(112, 0x1a3)});
    EXPECT_EQ(findOcdById(list, 110), &list.records[1]); // the first of two
    EXPECT_EQ(findOcdById(list, 4), &list.records[0]);   // the header's count
    EXPECT_EQ(findOcdById(list, 112), nullptr);          // the last entry
    EXPECT_EQ(findOcdById(list, 999), nullptr);
    EXPECT_EQ(findOcdByTileCode(list, 0x1a3, 0), 1);
    EXPECT_EQ(findOcdByTileCode(list, 0x1a3, 2), 2);
    EXPECT_EQ(findOcdByTileCode(list, 0x1a3, 3), -1); // position 4 is the last entry
    EXPECT_EQ(findOcdByTileCode(list, 0, 0), 0);      // the header's tile code is 0
    EXPECT_EQ(findOcdByTileCode(list, 0x1a3, 9), -1);
}

TEST(OcdList, LoadsWhatItWroteAndRefusesAShortList) {
    TempDir dir;
    put(dir.path / ocdSourceName,
        classFile(3, {{0, "A"}, {1, "Village"}, {2, "Airbase"}, {3, "B"}}));
    ASSERT_TRUE(generateOcdList(dir.str()).ok);
    OcdList list;
    std::string problem;
    ASSERT_TRUE(loadOcdList(list, dir.str(), problem));
    ASSERT_EQ(list.count(), 3u);
    EXPECT_EQ(list.records[2].classCode, 140);
    const std::string dat = testing::readFile(dir.path / ocdListName);
    put(dir.path / ocdListName, dat.substr(0, dat.size() - 1));
    OcdList shortList;
    EXPECT_FALSE(loadOcdList(shortList, dir.str(), problem));
    EXPECT_FALSE(shortList.loaded);
    EXPECT_EQ(problem, "it holds fewer classes than the 3 it counts");
    EXPECT_FALSE(loadOcdList(shortList, (dir.path / "nowhere").string(), problem));
    EXPECT_EQ(problem, "") << "a missing list is no problem of the list";
}

TEST(OcdUpdate, TakesTheDefaultsOfObjectsWhoseClassHasAnEntry) {
    TempDir dir;
    put(dir.path / ocdSourceName,
        classFile(
            5,
            {{0, "A"}, {1, "Village", 8}, {2, "Airbase"}, {3, "Radar"}, {4, "Last"}, {5, "Tail"}}));
    ASSERT_TRUE(generateOcdList(dir.str()).ok);
    const std::string head = "1.0 Objective Export  Mon Dec 07 12:00:00 2026\r\nName, Type\r\n";
    // Columns: 4 Objective, 10 BFlags, 18 FCount, 19 Priority.
    const std::string body =
        "V, Village, 1, 10, 101, 5, 5, 0, 0, 0, 7, 1, 10, 0, 0, 0, 0, 0, 3, 0, 0,\r\n"
        "A, Airbase, 1, 11, 102, 5, 5, 0, 0, 0, 0, 1, 11, 0, 0, 0, 0, 0, 0, 70, 0,\r\n"
        "U, Unknown, 1, 12, 150, 5, 5, 0, 0, 0, 9, 1, 12, 0, 0, 0, 0, 0, 9, 9, 0,\r\n"
        "R, Radar, 1, 13, 103, 5, 5, 0, 0, 0, 4, 1, 13\r\n"
        "Z, Zero, 1, 14, 0, 5, 5, 0, 0, 0, 4, 1, 14, 0, 0, 0, 0, 0, 9, 9, 0,\r\n"
        "L, Last, 1, 15, 104, 5, 5, 0, 0, 0, 6, 1, 15, 0, 0, 0, 0, 0, 5\r\n";
    put(dir.path / "export.csv", head + body);
    OcdList before;
    std::string problem;
    ASSERT_TRUE(loadOcdList(before, dir.str(), problem));
    TextReader source;
    ASSERT_TRUE(openTextReader(source, dir.path / "export.csv"));
    OcdList list;
    const OcdUpdate u = updateOcdList(list, source, dir.str());
    ASSERT_TRUE(u.ok);
    EXPECT_EQ(u.counted, 2);
    ASSERT_EQ(u.messages.size(), 1u);
    EXPECT_EQ(u.messages[0].text, "2 csv Objects processed.\r\n Written to " +
                                      (dir.path / "OCDList.dat").string() + ".");
    EXPECT_EQ(u.messages[0].title, "OCD List Updated");
    OcdList reread;
    ASSERT_TRUE(loadOcdList(reread, dir.str(), problem));
    EXPECT_EQ(reread.records[1].defaultBFlags, 7u);
    EXPECT_EQ(reread.records[1].defaultFeatureCount, 3);
    EXPECT_EQ(reread.records[1].defaultPriority, 15); // Priority 0 keeps the entry's
    EXPECT_EQ(reread.records[2].defaultPriority, 70);
    EXPECT_EQ(reread.records[2].defaultFeatureCount, 0);
    // The radar line ends before FCount: its BFlags was taken, the line not counted.
    EXPECT_EQ(reread.records[3].defaultBFlags, 4u);
    // The last line ends after FCount but before Priority, which comes first: only its BFlags.
    EXPECT_EQ(reread.records[4].defaultBFlags, 6u);
    EXPECT_EQ(reread.records[4].defaultFeatureCount, before.records[4].defaultFeatureCount);
    EXPECT_EQ(list.records[1].defaultBFlags, 7u); // the updated list stays loaded
}

TEST(OcdUpdate, AMissingListEndsWithoutAMessage) {
    TempDir dir;
    put(dir.path / "export.csv", "1.0\r\nNames\r\n");
    TextReader source;
    ASSERT_TRUE(openTextReader(source, dir.path / "export.csv"));
    OcdList list;
    const OcdUpdate u = updateOcdList(list, source, dir.str());
    EXPECT_FALSE(u.ok);
    EXPECT_TRUE(u.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path / ocdListName));
}

std::string tileInfoFile(std::uint32_t declared,
                         const std::vector<std::pair<std::uint32_t, std::uint32_t>>& records) {
    std::string bytes(4 + tileInfoRecordSize * records.size(), '\x33');
    storeU32(reinterpret_cast<unsigned char*>(bytes.data()), declared);
    for (std::size_t k = 0; k < records.size(); ++k) {
        auto* r = reinterpret_cast<unsigned char*>(&bytes[4 + tileInfoRecordSize * k]);
        storeU32(r, records[k].first);
        storeU32(r + 4, records[k].second);
    }
    return bytes;
}

TEST(TileInfo, FindsTheFirstRecordOfATileOrPositionZero) {
    TempDir dir;
    put(dir.path / tileInfoName, tileInfoFile(3, {{7, 0x100}, {9, 0x200}, {7, 0x300}}));
    TileInfoList list;
    std::string problem;
    ASSERT_TRUE(loadTileInfoList(list, dir.str(), problem));
    EXPECT_EQ(findTileInfo(list, 7), 0u);
    EXPECT_EQ(findTileInfo(list, 9), 1u);
    EXPECT_EQ(findTileInfo(list, 8), 0u);
    EXPECT_EQ(list.records[1].tileCode, 0x200u);
}

TEST(TileInfo, EmptyShortAndMissingFiles) {
    TempDir dir;
    TileInfoList list;
    std::string problem = "unset";
    EXPECT_FALSE(loadTileInfoList(list, dir.str(), problem));
    EXPECT_EQ(problem, "") << "missing";
    put(dir.path / tileInfoName, tileInfoFile(0, {}));
    ASSERT_TRUE(loadTileInfoList(list, dir.str(), problem));
    EXPECT_TRUE(list.records.empty());
    // Claims a million records and holds two: only those two are taken.
    put(dir.path / tileInfoName, tileInfoFile(1000000, {{5, 1}, {6, 2}}));
    ASSERT_TRUE(loadTileInfoList(list, dir.str(), problem));
    EXPECT_EQ(list.records.size(), 2u);
    EXPECT_EQ(list.declared, 1000000u);
    put(dir.path / tileInfoName, "ab");
    EXPECT_FALSE(loadTileInfoList(list, dir.str(), problem));
    EXPECT_FALSE(problem.empty());
}

} // namespace
} // namespace vantor
