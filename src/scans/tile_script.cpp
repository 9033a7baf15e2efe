#include "scans/tile_script.h"

#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/text_util.h"

#include <algorithm>

namespace vantor {

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                            : comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

// Fields a line does not have read as 0 (and letters as none).
struct Fields {
    std::vector<std::string_view> f;
    std::int32_t number(std::size_t i) const {
        return i < f.size() ? parseLeadingInt(f[i]).value_or(0) : 0;
    }
    // The letter is the field's second character: scripts write a blank after each comma.
    char letter(std::size_t i) const { return i < f.size() && f[i].size() >= 2 ? f[i][1] : 0; }
    // A field is followed by a comma when another field comes after it.
    bool commaAfter(std::size_t i) const { return i + 1 < f.size(); }
};

void index(TileScript& s) {
    s.firstRecord.clear();
    s.firstBridge.clear();
    s.opposing.clear();
    for (std::size_t i = 0; i < s.tiles.size(); ++i) {
        const TileRecord& r = s.tiles[i];
        s.firstRecord.try_emplace(r.tileId, i);
        if (r.span > 0) {
            s.firstBridge.try_emplace(r.tileId, i);
        }
        if (r.span < 0) {
            s.opposing[r.tileId] = true;
        }
    }
    s.denseFirst.clear();
    if (!s.tiles.empty()) {
        const auto [low, high] = std::minmax_element(
            s.tiles.begin(), s.tiles.end(),
            [](const TileRecord& a, const TileRecord& b) { return a.tileId < b.tileId; });
        constexpr std::int64_t largestTable = std::int64_t{1} << 20;
        const std::int64_t span = std::int64_t{high->tileId} - low->tileId + 1;
        if (span <= largestTable) {
            s.denseLow = low->tileId;
            s.denseFirst.assign(static_cast<std::size_t>(span), -1);
            for (const auto& [tile, first] : s.firstRecord) {
                s.denseFirst[static_cast<std::size_t>(std::int64_t{tile} - s.denseLow)] =
                    static_cast<std::int32_t>(first);
            }
        }
    }
}

} // namespace

const char* scriptFileName(ScriptKind kind) {
    switch (kind) {
    case ScriptKind::Bridge:
        return "Object-BridgeScript.dat";
    case ScriptKind::Road:
        return "Object-RoadScript.dat";
    case ScriptKind::River:
        return "Object-RiverScript.dat";
    case ScriptKind::Object:
        return "Object-ObjectScript.dat";
    case ScriptKind::Transition:
        return "Object-TransitionScript.dat";
    case ScriptKind::Checker:
        return "Object-CheckerScript.dat";
    case ScriptKind::CityChecker:
        return "Object-CityCheckerScript.dat";
    }
    return "";
}

void clearTileScript(TileScript& s, ScriptKind kind) {
    s.tiles.clear();
    s.ranges.clear();
    s.entries.clear();
    s.checkers.clear();
    for (auto& v : s.variables) {
        v.clear();
    }
    s.upperBound = 0;
    s.lowerBound = kind == ScriptKind::Road || kind == ScriptKind::River ? 99999 : 0;
    index(s);
}

void emptyTileTable(TileScript& s) {
    s.tiles.clear();
    index(s);
}

const TileRecord* findTile(const TileScript& s, std::int32_t tileId) {
    if (!s.denseFirst.empty()) {
        const std::int64_t at = std::int64_t{tileId} - s.denseLow;
        if (at < 0 || at >= static_cast<std::int64_t>(s.denseFirst.size())) {
            return nullptr;
        }
        const std::int32_t first = s.denseFirst[static_cast<std::size_t>(at)];
        return first < 0 ? nullptr : &s.tiles[static_cast<std::size_t>(first)];
    }
    const auto it = s.firstRecord.find(tileId);
    return it == s.firstRecord.end() ? nullptr : &s.tiles[it->second];
}

namespace {

// Line types 0 and 1: a bridge tile (1) or its opposing tile (0, stored with a negative span).
void takeBridgeTile(TileScript& s, const Fields& d, std::int32_t type) {
    TileRecord r;
    r.tileId = d.number(1);
    r.variable = static_cast<std::uint16_t>(d.number(2));
    const auto span = static_cast<std::int16_t>(d.number(3));
    r.span = type == 0 ? static_cast<std::int16_t>(-span) : span;
    r.direction = d.letter(4);
    r.letters = {d.letter(5), d.letter(6), d.letter(7)};
    s.tiles.push_back(r);
}

// Line type 2: an entry of a random-select variable; false when the variable is out of range
// or full.
bool takeRandomSelectEntry(TileScript& s, const Fields& d) {
    RandomSelectEntry e;
    e.objectiveType = d.number(1);
    e.variable = static_cast<std::uint16_t>(d.number(2));
    e.xOffset = static_cast<std::int16_t>(d.number(4));
    e.yOffset = static_cast<std::int16_t>(d.number(5));
    s.entries.push_back(e);
    if (e.variable < 1 || e.variable > randomSelectVariables ||
        s.variables[e.variable].size() >= entriesPerVariable) {
        return false;
    }
    s.variables[e.variable].push_back(e);
    return true;
}

// Line type 3: the tile-id bounds (the first nonzero ones stay) and the ranges.
void takeRanges(TileScript& s, const Fields& d) {
    const std::int32_t count = d.number(1);
    if (s.lowerBound == 0) {
        s.lowerBound = d.number(2);
    }
    if (s.upperBound == 0) {
        s.upperBound = d.number(3);
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(4 + 2 * i);
        if (at >= d.f.size()) {
            break; // the pairs the line does not hold are not invented
        }
        s.ranges.push_back({d.number(at), d.number(at + 1)});
    }
}

// Line type 8: a checker record; the classes a line ends before stay 0.
void takeChecker(TileScript& s, const Fields& d) {
    CheckerRecord c;
    c.tileId = d.number(1);
    std::array<std::int32_t*, 4> classes{&c.cityClass, &c.townClass, &c.villageClass,
                                         &c.junctionClass};
    std::size_t at = 2;
    for (std::int32_t* value : classes) {
        if (!d.commaAfter(at)) {
            break;
        }
        *value = d.number(at++);
    }
    c.newJunctionClass = d.number(at);
    s.checkers.push_back(c);
}

// Line types 4, 5 and 7: an edge tile, whose edge mask is the sum of its four edge values.
void takeEdgeTile(TileScript& s, const Fields& d) {
    TileRecord r;
    r.tileId = d.number(1);
    // The sum modulo 256, taken in unsigned arithmetic so that huge values cannot overflow on
    // the way.
    std::uint32_t sum = 0;
    for (std::size_t k = 5; k <= 8; ++k) {
        sum += static_cast<std::uint32_t>(d.number(k));
    }
    r.edgeMask = static_cast<std::uint8_t>(sum & 0xFFu);
    s.lowerBound = std::min(s.lowerBound, r.tileId);
    s.upperBound = std::max(s.upperBound, r.tileId);
    s.tiles.push_back(r);
}

} // namespace

ScriptLoad parseTileScript(TileScript& s, ScriptKind kind, std::string_view text) {
    clearTileScript(s, kind);
    ScriptLoad load;
    bool overflow = false;
    forEachTextLine(text, [&](std::string_view line) {
        if (line.empty() || line.front() == ';') {
            return true;
        }
        if (startsWithIgnoreCase(line, "***END")) {
            return false;
        }
        const Fields d{splitFields(line)};
        const std::optional<std::int32_t> type = parseLeadingInt(d.f[0]);
        if (!type || *type < 0 || *type > 8 || *type == 6) {
            return true;
        }
        switch (*type) {
        case 0:
        case 1:
            takeBridgeTile(s, d, *type);
            break;
        case 2:
            if (!takeRandomSelectEntry(s, d)) {
                load.messages.push_back(makeMessage("Number of Random Select variables exceeded",
                                                    "Error", MessageIcon::Error));
                overflow = true;
                return false;
            }
            break;
        case 3:
            takeRanges(s, d);
            break;
        case 8:
            takeChecker(s, d);
            break;
        default: // 4, 5 and 7
            takeEdgeTile(s, d);
            break;
        }
        return true;
    });
    index(s);
    load.ok = !overflow;
    return load;
}

ScriptLoad loadTileScript(TileScript& s, ScriptKind kind, const std::string& startDirectory,
                          ScriptWording wording) {
    const std::filesystem::path path = findInFolder(startDirectory, scriptFileName(kind));
    std::string text;
    std::string error;
    if (!readTextFile(path, text, error)) {
        // Without its script a scan would find nothing and look clean: an error, not a note.
        ScriptLoad load;
        load.messages.push_back(makeMessage(
            withReason((wording == ScriptWording::Suite ? " Could not script file: "
                                                        : " Could not open script file: ") +
                           fromFsPath(path),
                       error),
            "Missing Script File", MessageIcon::Error));
        return load;
    }
    return parseTileScript(s, kind, text);
}

} // namespace vantor
