#include "reference/ocd_list.h"

#include "base/byte_order.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "base/text_util.h"
#include "objectives/export_format.h"

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {

struct Keyword {
    const char* text;
    std::int16_t classCode;
};

struct KeywordGroup {
    std::uint16_t priority; // 0: the group never sets the priority
    std::vector<Keyword> keywords;
};

// Searched in this order; the last keyword found decides the class, the first group with a
// keyword decides the priority. Leading blanks belong to the keywords.
const std::vector<KeywordGroup>& keywordGroups() {
    static const std::vector<KeywordGroup> groups{
        {1,
         {{"beach", 11},
          {"border", 10},
          {"highway", 10},
          {"hill top", 10},
          {"intersection", 12},
          {"pass", 10},
          {"railroad", 10},
          {"sea", 11},
          {"beaco", 11}}},
        {15,
         {{"city", 101},
          {"town", 102},
          {"village", 103},
          {"junction", 104},
          {"burb", 101},
          {"9cc1", 101},
          {"9cc2", 101},
          {"port", 105}}},
        {10,
         {{"hotel", 110}, {"downtown", 110}, {"koex", 110}, {"kyoro", 110}, {"north seoul", 110}}},
        {15,
         {{"arch", 120},
          {"terminal", 120},
          {"seoul tower", 120},
          {"panmunjon", 120},
          {"stadium", 120},
          {"olympic", 120}}},
        {60,
         {{"headq", 130},
          {"d5ahq", 130},
          {"d35 hq", 130},
          {"14chq", 130},
          {"depot", 131},
          {"army base", 132},
          {"armybase", 132},
          {"armb", 132},
          {"hart site", 133},
          {"forti", 134},
          {"sam site", 135},
          {"radar", 136},
          {"radio", 137}}},
        {70,
         {{"airbase", 140},
          {"highway strip", 141},
          {" afb", 140},
          {"kimpo", 140},
          {"sunan", 140},
          {"545 osan", 140},
          {"505 wonsan", 140}}},
        {40, {{" fact", 150}, {" impl", 150}, {"cyborg", 150}}},
        {60,
         {{" chem", 151},
          {"sticky", 151},
          {"hanjon", 151},
          {"gas bomb", 151},
          {"nerve", 151},
          {"bioweapon", 151}}},
        {50, {{" ref", 152}, {" propane", 152}, {" methane", 152}}},
        {65,
         {{" nuc", 160},
          {"gamma", 160},
          {"atoman", 160},
          {"fusion", 160},
          {"fission", 160},
          {"uranium", 160},
          {"chernobyl", 160},
          {"suwar", 160},
          {"nuke", 160},
          {"jive-ho", 160},
          {"h2whoa", 160}}},
        {55, {{"power", 170}, {"hydro", 170}}},
        {40, {{"bridge", 180}}},
        {0, {{"checkpoint", 181}, {"ford", 182}}},
    };
    return groups;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

int hexValue(char c) {
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

bool writeRecords(SafeWriter& out, const std::vector<OcdEntry>& records) {
    for (const OcdEntry& e : records) {
        const auto bytes = encodeOcdEntry(e);
        if (!safeWrite(out, bytes.data(), bytes.size())) {
            return false;
        }
    }
    return true;
}

std::string writeFailure(const SafeWriter& out) {
    return "Cannot write " + fromFsPath(out.target) + ": " + out.error;
}

} // namespace

std::string_view OcdEntry::nameText() const {
    const auto end = std::find(name.begin(), name.end(), '\0');
    return {name.data(), static_cast<std::size_t>(end - name.begin())};
}

ClassKeywords classifyClassName(std::string_view lowerName) {
    ClassKeywords result;
    bool found = false;
    for (const KeywordGroup& group : keywordGroups()) {
        for (const Keyword& k : group.keywords) {
            if (lowerName.find(k.text) != std::string_view::npos) {
                result.classCode = k.classCode;
                found = true;
            }
        }
        if (found && result.priority == 0) {
            result.priority = group.priority;
        }
    }
    return result;
}

std::uint8_t defaultFeatureCount(std::uint8_t featureByte) {
    const int q = featureByte / 4;
    return static_cast<std::uint8_t>(q % 4 != 0 ? q + 1 : q);
}

std::uint16_t tileCodeOf(std::string_view lowerName) {
    int value = 0;
    for (std::size_t i = 0; i < 3 && i < lowerName.size(); ++i) {
        if (!isHexDigit(lowerName[i])) {
            return 0;
        }
        value = value * 16 + hexValue(lowerName[i]);
    }
    return static_cast<std::uint16_t>(value);
}

void indexOcdList(OcdList& list) {
    list.firstById.clear();
    list.byTileCode.clear();
    const std::size_t searchable = list.count(); // positions 0 .. N - 1
    for (std::size_t i = 0; i < searchable; ++i) {
        list.firstById.try_emplace(list.records[i].ocdId, i);
        list.byTileCode[list.records[i].tileCode].push_back(i);
    }
}

const OcdEntry* findOcdById(const OcdList& list, std::uint32_t ocdId) {
    const auto it = list.firstById.find(ocdId);
    return it == list.firstById.end() ? nullptr : &list.records[it->second];
}

std::int64_t findOcdByTileCode(const OcdList& list, std::uint16_t key, std::size_t start) {
    const auto it = list.byTileCode.find(key);
    if (it == list.byTileCode.end()) {
        return -1;
    }
    const std::vector<std::size_t>& positions = it->second;
    const auto at = std::lower_bound(positions.begin(), positions.end(), start);
    return at == positions.end() ? -1 : static_cast<std::int64_t>(*at);
}

std::array<unsigned char, ocdEntrySize> encodeOcdEntry(const OcdEntry& e) {
    std::array<unsigned char, ocdEntrySize> b{};
    storeU32(&b[0], e.ocdId);
    storeU32(&b[4], e.defaultBFlags);
    storeU16(&b[8], e.defaultPriority);
    b[10] = e.defaultFeatureCount;
    b[11] = e.byte51;
    storeU16(&b[12], e.tileCode);
    storeU16(&b[14], static_cast<std::uint16_t>(e.classCode));
    std::memcpy(&b[16], e.name.data(), ocdNameSize);
    return b;
}

OcdEntry decodeOcdEntry(const unsigned char* b) {
    OcdEntry e;
    e.ocdId = loadU32(&b[0]);
    e.defaultBFlags = loadU32(&b[4]);
    e.defaultPriority = loadU16(&b[8]);
    e.defaultFeatureCount = b[10];
    e.byte51 = b[11];
    e.tileCode = loadU16(&b[12]);
    e.classCode = static_cast<std::int16_t>(loadU16(&b[14]));
    std::memcpy(e.name.data(), &b[16], ocdNameSize);
    return e;
}

OcdEntry ocdListHeader(std::uint32_t count) {
    OcdEntry header;
    header.ocdId = count;
    constexpr std::string_view title = "# OCDs in List  ";
    std::copy(title.begin(), title.end(), header.name.begin());
    return header;
}

std::string ocdCsvLine(const OcdEntry& e) {
    return std::to_string(e.classCode) + ", " + std::to_string(e.ocdId) + ", " +
           std::string(e.nameText()) + platformLineEnd;
}

bool decodeOcdList(std::span<const unsigned char> bytes, OcdList& list) {
    if (bytes.size() < ocdEntrySize) {
        return false;
    }
    const std::uint64_t count = loadU32(bytes.data());
    if ((count + 1) * ocdEntrySize > bytes.size()) {
        return false; // fewer records than the header says: nothing is taken from a short list
    }
    list.records.clear();
    list.records.reserve(static_cast<std::size_t>(count + 1));
    for (std::uint64_t i = 0; i <= count; ++i) {
        list.records.push_back(decodeOcdEntry(&bytes[static_cast<std::size_t>(i) * ocdEntrySize]));
    }
    indexOcdList(list);
    list.loaded = true;
    return true;
}

bool loadOcdList(OcdList& list, const std::string& startDirectory, std::string& problem) {
    const std::filesystem::path path = findInFolder(startDirectory, ocdListName);
    std::string why;
    std::vector<unsigned char> bytes;
    // The count comes first; no more than the records it names are read.
    if (readWholeFile(path, bytes, why, ocdEntrySize)) {
        const std::uint64_t count = bytes.size() >= 4 ? loadU32(bytes.data()) : 0;
        if (readWholeFile(path, bytes, why, (count + 1) * ocdEntrySize)) {
            if (decodeOcdList(bytes, list)) {
                return true;
            }
            why = "it holds fewer classes than the " + std::to_string(count) + " it counts";
        }
    }
    problem = examinePath(path).kind == FileKind::Missing ? std::string() : why;
    return false;
}

OcdDerivation deriveOcdList(std::span<const unsigned char> bytes) {
    OcdDerivation d;
    const std::uint32_t count = bytes.size() >= 2 ? loadU16(bytes.data()) : 0;
    if (bytes.size() < 2 + ocdClassRecordSize * count) {
        return d;
    }
    d.complete = true;
    d.classes = count;
    d.records.push_back(ocdListHeader(count));
    for (std::uint32_t n = 1; n <= count; ++n) {
        const std::size_t at = 2 + ocdClassRecordSize * n;
        OcdEntry e; // a class record beyond the end of the file gives an empty entry
        if (at + ocdClassRecordSize <= bytes.size()) {
            const unsigned char* r = &bytes[at];
            std::string name(reinterpret_cast<const char*>(r + 2), ocdNameSize);
            name.resize(std::min(name.find('\0'), ocdNameSize));
            if (const std::size_t comma = name.find(','); comma != std::string::npos) {
                name[comma] = '.';
            }
            const std::string lower = toLowerAscii(name);
            const ClassKeywords keywords = classifyClassName(lower);
            e.ocdId = static_cast<std::uint32_t>(loadU16(r)) + 100;
            e.defaultPriority = keywords.priority;
            e.classCode = keywords.classCode;
            e.defaultFeatureCount = defaultFeatureCount(r[50]);
            e.byte51 = r[51];
            e.tileCode = keywords.classCode == 10 ? 0 : tileCodeOf(lower);
            std::copy(name.begin(), name.end(), e.name.begin());
            ++d.read;
        }
        d.records.push_back(e);
        d.csv += ocdCsvLine(e);
    }
    return d;
}

OcdGeneration generateOcdList(const std::string& startDirectory) {
    OcdGeneration result;
    const std::filesystem::path sourcePath = findInFolder(startDirectory, ocdSourceName);
    std::vector<unsigned char> bytes;
    std::string error;
    const std::string title = "OCD Data Processed";
    if (!readWholeFile(sourcePath, bytes, error)) {
        // A file that is there but cannot be read is not called missing.
        const bool missing = examinePath(sourcePath).kind == FileKind::Missing;
        result.messages.push_back(makeMessage(" Could not open " + fromFsPath(sourcePath) +
                                                  (missing ? "" : " (" + error + ")") +
                                                  ".  Copy Falcon4.ocd to this folder.",
                                              missing ? "Missing File" : "Error",
                                              missing ? MessageIcon::Warning : MessageIcon::Error));
        return result;
    }
    const OcdDerivation d = deriveOcdList(bytes);
    if (!d.complete) {
        const std::uint32_t count = bytes.size() >= 2 ? loadU16(bytes.data()) : 0;
        result.messages.push_back(
            makeMessage(fromFsPath(sourcePath) + " is too short: it does not hold the " +
                            std::to_string(count) + " classes it counts.  Nothing was written.",
                        "OCD Data Error", MessageIcon::Warning));
        return result;
    }
    result.classes = d.classes;
    result.read = d.read;

    SafeWriter dat;
    SafeWriter text;
    const bool written = beginSafeWrite(dat, findInFolder(startDirectory, ocdListName)) &&
                         beginSafeWrite(text, findInFolder(startDirectory, ocdCsvName)) &&
                         writeRecords(dat, d.records) && safeWrite(text, d.csv) &&
                         commitSafeWritePair(dat, text);
    if (!written) {
        const SafeWriter& failed = dat.error.empty() ? text : dat;
        result.messages.push_back(makeMessage(writeFailure(failed), "Error", MessageIcon::Error));
        abandonSafeWrite(dat);
        abandonSafeWrite(text);
        return result;
    }
    result.ok = true;
    result.messages.push_back(makeMessage(
        std::to_string(result.read) + " OCD Objects found out of " + std::to_string(d.classes) +
            ".\r\n Written to " + fromFsPath(dat.target) + " and " + fromFsPath(text.target) + ".",
        title, MessageIcon::Information));
    return result;
}

OcdUpdate updateOcdList(OcdList& list, TextReader& source, const std::string& startDirectory) {
    OcdUpdate result;
    std::string ignored; // this refinement fails without a message
    if (!source.isOpen() || !loadOcdList(list, startDirectory, ignored)) {
        return result;
    }
    std::string line;
    for (int skipped = 0; skipped < 2; ++skipped) {
        if (!readLine(source, line)) {
            break;
        }
    }
    while (readLine(source, line)) {
        const std::string_view text = withoutLineEnd(line);
        // BFlags, then Priority, then FCount; a line that ends before one it needs stops there.
        if (!fieldAfterCommas(ObjectiveField, text)) {
            continue;
        }
        const std::int32_t ocdId = readIntField(ObjectiveField, text);
        if (ocdId == 0) {
            continue;
        }
        const auto found = list.firstById.find(static_cast<std::uint32_t>(ocdId));
        if (found == list.firstById.end()) {
            continue;
        }
        OcdEntry& e = list.records[found->second];
        constexpr int bflagsField = 10;
        constexpr int fcountField = 18;
        constexpr int priorityField = 19;
        if (!fieldAfterCommas(bflagsField, text)) {
            continue;
        }
        if (const std::int32_t v = readIntField(bflagsField, text); v != 0) {
            e.defaultBFlags = static_cast<std::uint32_t>(v);
        }
        if (!fieldAfterCommas(priorityField, text)) {
            continue;
        }
        if (const std::int32_t v = readIntField(priorityField, text); v != 0) {
            e.defaultPriority = static_cast<std::uint16_t>(v & 0xFFFF);
        }
        if (!fieldAfterCommas(fcountField, text)) {
            continue;
        }
        if (const std::int32_t v = readIntField(fcountField, text); v != 0) {
            e.defaultFeatureCount = static_cast<std::uint8_t>(v & 0xFF);
        }
        ++result.counted;
    }
    indexOcdList(list);

    SafeWriter out;
    out.replacesInput = true; // the list read above, refreshed in place
    if (!beginSafeWrite(out, findInFolder(startDirectory, ocdListName)) ||
        !writeRecords(out, list.records) || !commitSafeWrite(out)) {
        result.messages.push_back(makeMessage(writeFailure(out), "Error", MessageIcon::Error));
        abandonSafeWrite(out);
        return result;
    }
    result.ok = true;
    result.messages.push_back(makeMessage(std::to_string(result.counted) +
                                              " csv Objects processed.\r\n Written to " +
                                              fromFsPath(out.target) + ".",
                                          "OCD List Updated", MessageIcon::Information));
    return result;
}

} // namespace vantor
