#include "checks/city_check.h"

#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/text_util.h"

#include <array>

namespace vantor {

namespace {

// The comma-separated numbers of a line; missing ones read as 0.
std::int32_t fieldNumber(std::string_view line, int index) {
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            return 0;
        }
        start = comma + 1;
    }
    return parseLeadingInt(line.substr(start)).value_or(0);
}

enum class TableKind : std::uint8_t { None, Kind1, Kind2, Kind5 };

struct TileRule {
    TableKind kind = TableKind::None;
    std::int32_t v1 = 0;
    std::int32_t v2 = 0;
    std::uint32_t tileCode = 0; // through the TileInfo list
};

constexpr std::size_t tileIds = 65536; // grid cells hold 16-bit tile IDs

// The first entry of each tile, the kind-1 table before kind 2 before kind 5, with the tile's
// code. A tile without a TileInfo record takes the code of the list's first record.
std::vector<TileRule> tileRules(const CityTileTables& t, const TileInfoList& tileInfo) {
    std::vector<TileRule> rules(tileIds);
    const auto add = [&](const std::vector<CityTileEntry>& table, TableKind kind) {
        for (const CityTileEntry& e : table) {
            if (e.tileId >= 0 && static_cast<std::size_t>(e.tileId) < tileIds &&
                rules[static_cast<std::size_t>(e.tileId)].kind == TableKind::None) {
                const std::uint32_t code =
                    tileInfo.records.empty()
                        ? 0
                        : tileInfo
                              .records[findTileInfo(tileInfo, static_cast<std::uint32_t>(e.tileId))]
                              .tileCode;
                rules[static_cast<std::size_t>(e.tileId)] = {kind, e.v1, e.v2, code};
            }
        }
    };
    add(t.kind1, TableKind::Kind1);
    add(t.kind2, TableKind::Kind2);
    add(t.kind5, TableKind::Kind5);
    return rules;
}

class CityWalk {
  public:
    CityWalk(OccupancyGrid& grid, CheckObjects& objects, const CityCheckLists& lists,
             IdentifierRange ids, std::uint32_t& rotating)
        : grid_(grid), objects_(objects), lists_(lists), ids_(ids), rotating_(rotating),
          rules_(tileRules(lists.tables, lists.tileInfo)) {}

    // False when the identifiers ran out.
    bool visit(std::int32_t x, std::int32_t y) {
        OccupancyCell& cell = grid_.at(x, y);
        if (cell.tileId == 0) {
            return true;
        }
        if (lists_.tileInfo.records.empty()) {
            return true; // no record gives this tile a code
        }
        const TileRule& rule = rules_[cell.tileId];
        if (cell.object == noObject) {
            return rule.kind == TableKind::None || emptyPost(cell, x, y, rule, rule.tileCode);
        }
        objectOnPost(objects_.at(cell.object), rule, rule.tileCode);
        return true;
    }

    CityCheckCounts counts;
    std::int64_t nextIdentifier() const { return ids_.next; }

  private:
    const OcdEntry* entry(std::int32_t ocdId) const {
        return findOcdById(lists_.ocd, static_cast<std::uint32_t>(ocdId));
    }

    // The entries of tile code k from position 1 on that pass the filter, in list order.
    template <class Filter> void candidates(std::uint32_t k, Filter&& pass) {
        found_.clear();
        if (k > 0xFFFF) {
            return;
        }
        const auto it = lists_.ocd.byTileCode.find(static_cast<std::uint16_t>(k));
        if (it == lists_.ocd.byTileCode.end()) {
            return;
        }
        for (const std::size_t position : it->second) {
            const OcdEntry& e = lists_.ocd.records[position];
            if (position >= 1 && pass(e.classCode)) {
                found_.push_back(&e);
            }
        }
    }

    const OcdEntry* firstByTileCode(std::uint32_t k) const {
        if (k > 0xFFFF) {
            return nullptr;
        }
        const std::int64_t at = findOcdByTileCode(lists_.ocd, static_cast<std::uint16_t>(k), 0);
        return at < 0 ? nullptr : &lists_.ocd.records[static_cast<std::size_t>(at)];
    }

    std::int32_t rotatingCandidate() {
        return static_cast<std::int32_t>(found_[rotatingPick(rotating_, found_.size())]->ocdId);
    }

    static bool urbanOf(std::int16_t code, std::int32_t v1) {
        return code >= 100 && code <= 109 && (v1 == 0 || code == v1);
    }

    // The class a kind-5 tile calls for, and whether it came from the candidates.
    std::pair<std::int32_t, bool> kind5Class(const TileRule& rule, std::uint32_t k) {
        if (rule.v1 < 0 && rule.v2 > 0) {
            return {rule.v2, false};
        }
        candidates(k, [&](std::int16_t code) { return urbanOf(code, rule.v1); });
        if (found_.empty() || rule.v1 != 0) {
            return {rule.v2 > 0 ? rule.v2 : 237, false};
        }
        for (const int preferred : {104, 103, 102}) {
            for (const OcdEntry* e : found_) {
                if (e->classCode == preferred) {
                    return {static_cast<std::int32_t>(e->ocdId), true};
                }
            }
        }
        return {rotatingCandidate(), true};
    }

    std::string subtypeOf(std::int32_t ocdId) const {
        const OcdEntry* e = entry(ocdId);
        if (e == nullptr) {
            return {};
        }
        const std::string_view name = e->nameText();
        return std::string(name.substr(0, std::min<std::size_t>(name.size(), 19)));
    }

    bool create(OccupancyCell& cell, std::int32_t x, std::int32_t y, std::int32_t cls) {
        ObjectRecord r;
        r.identifier = static_cast<std::int32_t>(ids_.next);
        r.objectiveClass = cls;
        r.type = "0";
        r.subtype = subtypeOf(cls);
        r.x = x;
        r.y = y;
        r.changed = true;
        cell.object = objects_.create(std::move(r));
        ++ids_.next;
        if (ids_.next > ids_.maximum) {
            return false;
        }
        ++counts.placed;
        return true;
    }

    void reclass(ObjectRecord& o, std::int32_t cls, bool keepType = false) {
        o.objectiveClass = cls;
        if (!keepType) {
            o.type = "0";
        }
        o.subtype = subtypeOf(cls);
        o.changed = true;
        o.deleted = false;
    }

    void remove(ObjectRecord& o) {
        o.deleted = true;
        o.changed = false;
        ++counts.deleted;
    }

    bool emptyPost(OccupancyCell& cell, std::int32_t x, std::int32_t y, const TileRule& rule,
                   std::uint32_t k) {
        switch (rule.kind) {
        case TableKind::None:
            return true;
        case TableKind::Kind1: {
            const OcdEntry* e = firstByTileCode(k);
            if (rule.v1 < 0) {
                return create(cell, x, y, rule.v2);
            }
            if (e != nullptr && e->classCode == 105) {
                return create(cell, x, y, static_cast<std::int32_t>(e->ocdId));
            }
            return true;
        }
        case TableKind::Kind2:
            if (rule.v1 < 0 && rule.v2 > 0) {
                return create(cell, x, y, rule.v2);
            }
            candidates(k, [&](std::int16_t code) { return urbanOf(code, rule.v1); });
            if (found_.empty()) {
                return true;
            }
            return create(cell, x, y, rotatingCandidate());
        case TableKind::Kind5:
            return create(cell, x, y, kind5Class(rule, k).first);
        }
        return true;
    }

    void objectOnPost(ObjectRecord& o, const TileRule& rule, std::uint32_t k) {
        const OcdEntry* d = entry(o.objectiveClass);
        if (d == nullptr) {
            return;
        }
        const std::int32_t code = d->classCode;
        const std::int32_t decade = code / 10;
        switch (rule.kind) {
        case TableKind::None:
            if (decade >= 10 && decade <= 12) {
                remove(o);
            }
            return;
        case TableKind::Kind1:
            if (const OcdEntry* e = firstByTileCode(k); code == 105 && e != nullptr) {
                reclass(o, static_cast<std::int32_t>(e->ocdId));
                ++counts.changed;
            } else {
                remove(o);
            }
            return;
        case TableKind::Kind2:
            if (decade >= 15 && decade <= 17) {
                candidates(k, [&](std::int16_t c) { return c / 10 == decade; });
                if (!found_.empty()) {
                    reclass(o, rotatingCandidate());
                    ++counts.changed;
                }
            } else if (decade == 10) {
                if (rule.v1 < 0 && rule.v2 > 0) {
                    reclass(o, rule.v2);
                    ++counts.changed;
                    return;
                }
                candidates(k, [](std::int16_t c) { return c >= 100 && c <= 129; });
                if (found_.empty()) {
                    return;
                }
                const OcdEntry* same = nullptr;
                for (const OcdEntry* e : found_) {
                    if (e->classCode == rule.v1) {
                        same = e;
                        break;
                    }
                }
                reclass(o, same != nullptr ? static_cast<std::int32_t>(same->ocdId)
                                           : rotatingCandidate());
                ++counts.changed;
            }
            return;
        case TableKind::Kind5: {
            const auto [cls, fromCandidates] = kind5Class(rule, k);
            reclass(o, cls, fromCandidates);
            ++counts.placed;
            return;
        }
        }
    }

    OccupancyGrid& grid_;
    CheckObjects& objects_;
    const CityCheckLists& lists_;
    IdentifierRange ids_;
    std::uint32_t& rotating_;
    std::vector<TileRule> rules_;
    std::vector<const OcdEntry*> found_;
};

} // namespace

void parseCityTileTables(CityTileTables& tables, std::string_view text) {
    tables = CityTileTables{};
    forEachTextLine(text, [&](std::string_view line) {
        if (line.empty() || line.front() == ';' || line.front() == '@') {
            return true;
        }
        if (startsWithIgnoreCase(line, "***END")) {
            return false;
        }
        const std::optional<std::int32_t> kind = parseLeadingInt(line);
        CityTileEntry e{fieldNumber(line, 1), fieldNumber(line, 2), fieldNumber(line, 3)};
        if (kind == 1) {
            tables.kind1.push_back(e);
        } else if (kind == 2) {
            if (e.v1 >= 0) {
                // A value near the 32-bit limit stays at the limit rather than wrapping round.
                e.v1 = e.v1 > INT32_MAX - 100 ? INT32_MAX : e.v1 + 100;
            }
            tables.kind2.push_back(e);
        } else if (kind == 5) {
            tables.kind5.push_back(e);
        }
        return true;
    });
}

CityTablesLoad loadCityTileTables(CityTileTables& tables, const std::string& startDirectory) {
    CityTablesLoad load;
    const std::filesystem::path path = findInFolder(startDirectory, checkerScriptName);
    std::string text;
    std::string error;
    if (!readTextFile(path, text, error)) {
        load.messages.push_back(
            makeMessage(withReason(" Could not open script file: " + fromFsPath(path), error),
                        "Missing Script File", MessageIcon::Error));
        return load;
    }
    parseCityTileTables(tables, text);
    load.ok = true;
    return load;
}

std::size_t rotatingPick(std::uint32_t& counter, std::size_t n) {
    const std::size_t pick = counter < n ? counter : 0;
    counter = static_cast<std::uint32_t>(pick + 1);
    return pick;
}

CityCheckResult runCityCheck(OccupancyGrid& grid, CheckObjects& objects,
                             const CityCheckLists& lists, const MapArea& wanted,
                             IdentifierRange ids, std::uint32_t& rotating,
                             const RowProgress& progress) {
    CityCheckResult result;
    objects.created.clear();
    CityWalk walk(grid, objects, lists, ids, rotating);
    const MapArea area = clampedArea(wanted, grid.width, grid.height);
    for (std::int32_t y = area.startY; y <= area.endY; ++y) {
        for (std::int32_t x = area.startX; x <= area.endX; ++x) {
            if (!walk.visit(x, y)) {
                result.counts = walk.counts;
                result.end.stopped = true;
                result.end.overrun = identifierOverrun(walk.nextIdentifier());
                result.end.nextIdentifier = walk.nextIdentifier();
                return result;
            }
        }
        if (progress && progress(walk.counts.total(), rowPosition(area, y, grid.width))) {
            result.counts = walk.counts;
            result.end.stopped = true;
            result.end.nextIdentifier = walk.nextIdentifier();
            return result;
        }
    }
    result.counts = walk.counts;
    result.end.nextIdentifier = walk.nextIdentifier();
    return result;
}

std::string citySummary(const CityCheckCounts& c) {
    return " " + std::to_string(c.placed) + " Objects were placed.\r\n " +
           std::to_string(c.deleted) + " Objects deleted.\r\n " + std::to_string(c.changed) +
           " Objects changed.";
}

} // namespace vantor
