#pragma once

#include "base/message.h"
#include "base/text_reader.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantor {

inline constexpr const char* ocdSourceName = "Falcon4.ocd";
inline constexpr const char* ocdListName = "OCDList.dat";
inline constexpr const char* ocdCsvName = "OCDList.csv";

inline constexpr std::size_t ocdEntrySize = 36;
inline constexpr std::size_t ocdClassRecordSize = 54;
inline constexpr std::size_t ocdNameSize = 20;

// One objective class as the placement and levelling tools know it. The header record shares
// the layout: its OCD ID field holds the number of entries.
struct OcdEntry {
    std::uint32_t ocdId = 0;
    std::uint32_t defaultBFlags = 0;
    std::uint16_t defaultPriority = 0;
    std::uint8_t defaultFeatureCount = 0;
    std::uint8_t byte51 = 0; // carried from the class record, read by nothing
    std::uint16_t tileCode = 0;
    std::int16_t classCode = 0;
    std::array<char, ocdNameSize> name{}; // zero-terminated unless all 20 bytes are text

    // The name up to its terminator, at most 20 characters.
    std::string_view nameText() const;
};

// What the keyword table makes of a class name (already in lower case).
struct ClassKeywords {
    std::int16_t classCode = -1;
    std::uint16_t priority = 0;
};
ClassKeywords classifyClassName(std::string_view lowerName);

std::uint8_t defaultFeatureCount(std::uint8_t featureByte);
// The value of the name's first three characters read as hexadecimal, 0 when one is not a
// hexadecimal digit; the text may end before the third.
std::uint16_t tileCodeOf(std::string_view lowerName);

// The whole list file: the header and N entries. Loaded once and kept for the run.
struct OcdList {
    bool loaded = false;
    std::vector<OcdEntry> records; // records[0] is the header

    // Lookups built once per load: the first searchable position of each OCD ID, and every
    // searchable position of each tile code in list order.
    std::unordered_map<std::uint32_t, std::size_t> firstById;
    std::unordered_map<std::uint16_t, std::vector<std::size_t>> byTileCode;

    std::size_t count() const { return records.empty() ? 0 : records.size() - 1; }
};

// Builds the lookups; positions 0 to N - 1 take part (the header does, the last entry not).
void indexOcdList(OcdList& list);

// The first record among positions 0 .. N - 1 whose first field equals ocdId, or null.
const OcdEntry* findOcdById(const OcdList& list, std::uint32_t ocdId);
// The first position from start up to N - 1 whose tile code equals key, or -1.
std::int64_t findOcdByTileCode(const OcdList& list, std::uint16_t key, std::size_t start);

// The entry as its 36 bytes, and back.
std::array<unsigned char, ocdEntrySize> encodeOcdEntry(const OcdEntry& entry);
OcdEntry decodeOcdEntry(const unsigned char* bytes);
OcdEntry ocdListHeader(std::uint32_t count);
// "%d, %d, %s\n" with class code, OCD ID and name.
std::string ocdCsvLine(const OcdEntry& entry);

// Reads OCDList.dat from the start folder; false (and the list untouched) when it cannot be
// opened or holds fewer records than its header says. problem is left empty when the file is
// missing and says what is wrong with one that is there.
bool loadOcdList(OcdList& list, const std::string& startDirectory, std::string& problem);
// The same from the file's bytes.
bool decodeOcdList(std::span<const unsigned char> bytes, OcdList& list);

// The list a class file gives: complete is false (and nothing else set) when the file is
// shorter than its count of class records says.
struct OcdDerivation {
    bool complete = false;
    std::uint32_t classes = 0;
    std::uint32_t read = 0;
    std::vector<OcdEntry> records; // the header, then N entries
    std::string csv;
};
OcdDerivation deriveOcdList(std::span<const unsigned char> classFile);

struct OcdGeneration {
    bool ok = false;
    std::uint32_t classes = 0; // N
    std::uint32_t read = 0;    // entries whose class record was in the file
    std::vector<MessageBoxRequest> messages;
};

// Derives OCDList.dat and OCDList.csv in the start folder from Falcon4.ocd there. Both lists
// are written aside and replace the old ones only when both are complete.
OcdGeneration generateOcdList(const std::string& startDirectory);

struct OcdUpdate {
    bool ok = false;
    std::int32_t counted = 0;
    std::vector<MessageBoxRequest> messages;
};

// Refines the list from an objective export read from its current position: loads the list
// afresh into `list`, takes the defaults of every object line whose class has an entry, and
// rewrites OCDList.dat. Fails without a message when the list cannot be loaded or rewritten.
OcdUpdate updateOcdList(OcdList& list, TextReader& source, const std::string& startDirectory);

} // namespace vantor
