#include "audit/audit.h"

#include "analysis/radar_profile.h"
#include "analysis/radar_rewrite.h"
#include "audit/repair_text.h"
#include "base/text_file.h"
#include "base/text_util.h"
#include "objectives/export_format.h"
#include "objectives/list_model.h"
#include "objectives/object_table.h"
#include "objectives/occupancy_grid.h"
#include "scans/bridge_placement.h"
#include "scans/edge_scan.h"
#include "tools/parent_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace vantor {

namespace {

// One data line of the source, read once for every check.
struct SourceLine {
    std::string_view text;  // without its line end
    std::size_t number = 0; // in the file, from 0 (the title line)
};

struct Source {
    bool headerRead = false;
    std::vector<SourceLine> lines;
    ObjectTable table;               // the records, in line order
    std::vector<std::size_t> lineOf; // table position -> its line
};

Source readSource(const std::vector<std::string_view>& all) {
    Source source;
    if (all.size() < 2) {
        return source;
    }
    source.headerRead = true;
    bool objectsEnded = false;
    for (std::size_t i = 2; i < all.size(); ++i) {
        const SourceLine line{withoutLineEnd(all[i]), i};
        // The objects as the object checks read them: up to the line that ends their load.
        ObjectRecord record;
        const ObjectLine kind =
            objectsEnded ? ObjectLine::EndOfLoad : readObjectRecord(line.text, record);
        objectsEnded = kind == ObjectLine::EndOfLoad;
        if (kind == ObjectLine::Record) {
            source.table.push_back(std::move(record));
            source.lineOf.push_back(source.lines.size());
        }
        source.lines.push_back(line);
    }
    return source;
}

std::string nameOf(std::string_view line) {
    return trimBlanks(fieldText(NameField, line));
}

std::string directionKind(int direction) {
    std::string name = directionName(direction);
    for (char& c : name) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return name;
}

RepairScript repairScriptOf(AuditCheck check) {
    return check == AuditCheck::Rivers        ? RepairScript::River
           : check == AuditCheck::Transitions ? RepairScript::Transition
                                              : RepairScript::Road;
}

struct Audit {
    const AuditInputs& in;
    const TerrainMatrix& m;
    AuditReport& report;
    const Source& source;
    RepairTables repairs =
        buildRepairTables({in.roadScript, in.riverScript, in.transitionScript, in.bridgeScript});

    void add(AuditCheck check, std::int32_t x, std::int32_t y, std::string detail) {
        AuditFinding& f = report.findings.emplace_back();
        f.check = check;
        f.mapX = x;
        f.mapY = y;
        f.detail = std::move(detail);
    }
    void addObject(AuditCheck check, const SourceLine& line, std::string detail) {
        add(check, readIntField(XField, line.text), readIntField(YField, line.text),
            std::move(detail));
        AuditFinding& f = report.findings.back();
        f.objectId = readIntField(IdField, line.text);
        f.objectName = nameOf(line.text);
        f.sourceLine = line.number;
    }
    // The kind of the finding just added, for its key.
    void kindOfLast(std::string kind) { report.findings.back().kind = std::move(kind); }
    void addRecord(AuditCheck check, std::size_t position, std::string detail) {
        addObject(check, source.lines[source.lineOf[position]], std::move(detail));
    }

    void edges(AuditCheck check, const TileScript& script, ListKind kind) {
        scanEdges(m, script, {0, 0, m.width - 1, m.height - 1}, [&](const EdgeBreak& b) {
            add(check, b.mapX, b.mapY, edgeBreakDetail(b, kind));
            kindOfLast(directionKind(b.direction));
            if (!in.suggestRepairs) {
                return;
            }
            const EdgeRepairs found = suggestEdgeRepairs(m, repairs, repairScriptOf(check), b);
            AuditFinding& f = report.findings.back();
            for (const TileRepair& r : found.repairs) {
                f.suggestions.push_back({tileRepairText(r, false), r, std::nullopt, {}, 0});
            }
            f.repairNote = edgeRepairNote(found, b.direction);
        });
    }

    void bridges(const TileScript& script);
    void postsAndAirbases(bool multi, bool offmap, bool airbases, bool urban);
    void parents();
    void ids();
    void radar();
};

bool namesBridge(std::string_view type) {
    return equalsIgnoreCase(trimBlanks(type), "Bridge");
}

void Audit::bridges(const TileScript& script) {
    // The posts a bridge objective may stand on: each entry of the tile's variable puts its
    // object at the tile moved by the entry's offsets.
    std::unordered_set<std::int32_t> bridgeTypes;
    for (const auto& variable : script.variables) {
        for (const RandomSelectEntry& e : variable) {
            bridgeTypes.insert(e.objectiveType);
        }
    }
    std::unordered_multimap<std::int64_t, std::size_t> bridgeObjects; // post -> table position
    const auto key = [](std::int64_t x, std::int64_t y) { return (x << 32) ^ (y & 0xFFFFFFFF); };
    for (std::size_t i = 0; i < source.table.size(); ++i) {
        const ObjectRecord& o = source.table[i];
        if (namesBridge(o.type) || bridgeTypes.contains(o.objectiveClass)) {
            bridgeObjects.emplace(key(o.x, o.y), i);
        }
    }
    std::vector<char> onBridgeTile(source.table.size(), 0);
    forEachBridgeTile(m, script, [&](const BridgeTile& tile) {
        bool covered = false;
        if (tile.entries != nullptr) {
            for (const RandomSelectEntry& e : *tile.entries) {
                const auto [first, last] = bridgeObjects.equal_range(
                    key(std::int64_t{tile.x} + e.xOffset, std::int64_t{tile.y} + e.yOffset));
                for (auto it = first; it != last; ++it) {
                    onBridgeTile[it->second] = 1;
                    covered = true;
                }
            }
        }
        const auto [first, last] = bridgeObjects.equal_range(key(tile.x, tile.y));
        for (auto it = first; it != last; ++it) {
            onBridgeTile[it->second] = 1;
            covered = true;
        }
        if (tile.farTileMissing) {
            add(AuditCheck::Bridges, tile.x, tile.y, farTileMissingDetail(tile.tileId));
            kindOfLast("far-tile");
            if (!in.suggestRepairs) {
                return;
            }
            const FarTileRepairs found = suggestFarTile(m, repairs, tile);
            AuditFinding& f = report.findings.back();
            for (const TileRepair& r : found.repairs) {
                f.suggestions.push_back({tileRepairText(r, true), r, std::nullopt, {}, 0});
            }
            f.repairNote = farTileNote(found);
        } else if (!covered) {
            const bool placeable = tile.entries != nullptr && !tile.entries->empty();
            add(AuditCheck::Bridges, tile.x, tile.y,
                "bridge tile " + std::to_string(tile.tileId) + " without a bridge objective" +
                    (placeable ? "" : " (its script variable offers none to place)"));
            kindOfLast("no-objective");
        }
    });
    for (std::size_t i = 0; i < source.table.size(); ++i) {
        if (!onBridgeTile[i] && (namesBridge(source.table[i].type) ||
                                 bridgeTypes.contains(source.table[i].objectiveClass))) {
            addRecord(AuditCheck::Bridges, i, "bridge objective on no bridge tile");
            kindOfLast("on-no-bridge-tile");
        }
    }
}

// The checks that need the objects on the grid: two on one post, off the map, what the
// levelling would change, and (last, since it changes the grid) the urban check's dry run.
void Audit::postsAndAirbases(bool multi, bool offmap, bool airbases, bool urban) {
    OccupancyGrid grid;
    buildOccupancyGrid(m, grid);
    for (std::size_t i = 0; i < source.table.size(); ++i) {
        const ObjectRecord& o = source.table[i];
        const PostClaim claim = claimPost(grid, source.table, i);
        if (claim.outcome == PostClaim::OffMap && offmap) {
            addRecord(AuditCheck::Offmap, i,
                      "Map X " + std::to_string(o.x) + ", Map Y " + std::to_string(o.y) +
                          " lies outside the map (0 to " + std::to_string(m.width - 1) + ", 0 to " +
                          std::to_string(m.height - 1) + ")");
            kindOfLast("off-map");
        } else if (claim.outcome == PostClaim::Taken && multi) {
            const ObjectRecord& first = source.table[claim.holder - 1];
            addRecord(AuditCheck::Multi, i,
                      "shares its post with ID " + std::to_string(first.identifier) + " " +
                          trimBlanks(first.type));
            kindOfLast("shares-post");
        }
    }
    if (airbases) {
        for (const AirbaseChange& c :
             airbaseChanges(m, grid, source.table, *in.ocd, *in.airbaseScript)) {
            const std::uint32_t ref = grid.at(c.x, c.y).object;
            addRecord(AuditCheck::Airbases, ref - 1,
                      std::to_string(c.posts) + " posts would be levelled, by up to " +
                          std::to_string(c.largestDifference) + " ft");
            kindOfLast("level");
        }
    }
    if (urban) {
        CheckObjects objects;
        objects.table = source.table;
        std::int64_t largest = 0;
        for (const ObjectRecord& o : source.table) {
            largest = std::max<std::int64_t>(largest, o.identifier);
        }
        // Nothing is written here, so identifiers never run out: the walk covers the whole map
        // whatever identifiers the export already uses.
        std::uint32_t rotating = 0;
        runCityCheck(grid, objects, {*in.ocd, *in.tileInfo, *in.cityTables},
                     {0, 0, m.width - 1, m.height - 1}, IdentifierRange{largest + 1, INT64_MAX},
                     rotating);
        for (std::size_t i = 0; i < objects.table.size(); ++i) {
            const ObjectRecord& before = source.table[i];
            const ObjectRecord& after = objects.table[i];
            if (after.deleted) {
                addRecord(AuditCheck::Urban, i, "would be deleted: no urban tile asks for it");
                kindOfLast("delete");
            } else if (after.changed && after.objectiveClass != before.objectiveClass) {
                // An object the check only writes anew in its own class is where it belongs.
                addRecord(AuditCheck::Urban, i,
                          "would be re-classed from " + std::to_string(before.objectiveClass) +
                              " to " + std::to_string(after.objectiveClass));
                kindOfLast("reclass");
            }
        }
        for (const ObjectRecord& created : objects.created) {
            add(AuditCheck::Urban, created.x, created.y,
                "an object of class " + std::to_string(created.objectiveClass) +
                    " would be created");
            kindOfLast("create");
        }
    }
}

bool hasClassCode(const OcdList& ocd, std::int32_t objectiveClass,
                  std::initializer_list<std::int16_t> codes) {
    const OcdEntry* e = findOcdById(ocd, static_cast<std::uint32_t>(objectiveClass));
    return e != nullptr && std::find(codes.begin(), codes.end(), e->classCode) != codes.end();
}

void Audit::parents() {
    // A city or town by its Type text, as the parent check knows them; with the class list at
    // hand also by its class, since the checked export writes the objects it rewrites or
    // creates with Type "0".
    report.parentRule = in.ocd != nullptr ? ParentRule::TypeOrClassCode : ParentRule::Type;
    std::unordered_set<std::int32_t> cityOrTown;
    std::vector<ParentSite> sites; // where they stand, for the Parents to suggest
    for (const SourceLine& line : source.lines) {
        std::optional<std::int32_t> id = parentCandidate(line.text);
        if (!id && in.ocd != nullptr && fieldAfterCommas(ObjectiveField + 1, line.text) &&
            hasClassCode(*in.ocd, readIntField(ObjectiveField, line.text),
                         {cityClassCode, townClassCode})) {
            id = readIntField(IdField, line.text);
        }
        if (id) {
            cityOrTown.insert(*id);
            if (fieldAfterCommas(YField + 1, line.text)) {
                sites.push_back({*id, readIntField(XField, line.text),
                                 readIntField(YField, line.text), nameOf(line.text)});
            }
        }
    }
    for (const SourceLine& line : source.lines) {
        switch (parentLink(line.text, cityOrTown)) {
        case ParentLink::Zero:
            addObject(AuditCheck::Parents, line, "Parent 0");
            kindOfLast("zero");
            break;
        case ParentLink::NoCityOrTown:
            addObject(AuditCheck::Parents, line,
                      "Parent " + std::to_string(readIntField(ParentField, line.text)) +
                          " is no city or town of the file");
            kindOfLast("wrong");
            break;
        case ParentLink::NoField:
        case ParentLink::CityOrTown:
            continue;
        }
        if (!in.suggestRepairs) {
            continue;
        }
        AuditFinding& f = report.findings.back();
        const ParentSite* nearest =
            nearestParentSite(sites, f.mapX, f.mapY, f.objectId.value_or(0));
        if (nearest == nullptr) {
            f.repairNote = "the file holds no other city or town to be its Parent";
            continue;
        }
        const double distance = std::hypot(static_cast<double>(nearest->x - f.mapX),
                                           static_cast<double>(nearest->y - f.mapY));
        char away[32];
        std::snprintf(away, sizeof away, "%.1f", distance);
        f.suggestions.push_back({"Parent " + std::to_string(nearest->id) + " (" + nearest->name +
                                     ", the nearest city or town, " + away + " posts away)",
                                 std::nullopt, nearest->id, nearest->name, distance});
    }
}

void Audit::ids() {
    std::unordered_map<std::int32_t, std::size_t> firstLine; // identifier -> line number
    std::vector<const SourceLine*> objects;
    for (const SourceLine& line : source.lines) {
        if (fieldAfterCommas(IdField + 1, line.text)) {
            objects.push_back(&line);
        }
    }
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const std::int32_t id = readIntField(IdField, objects[k]->text);
        const auto [at, inserted] = firstLine.try_emplace(id, k);
        if (!inserted) {
            addObject(AuditCheck::Ids, *objects[k],
                      "ID " + std::to_string(id) + " is also the ID of " +
                          nameOf(objects[at->second]->text));
            kindOfLast("duplicate");
        }
    }
    for (const SourceLine* line : objects) {
        forEachLinkTarget(line->text, [&](std::int32_t link, std::int32_t target) {
            if (!firstLine.contains(target)) {
                addObject(AuditCheck::Ids, *line,
                          "link " + std::to_string(link + 1) + " goes to ID " +
                              std::to_string(target) + ", which no object has");
                kindOfLast("dangling-link-" + std::to_string(link + 1));
            }
        });
    }
}

void Audit::radar() {
    // The lines the radar command would rewrite (every line of three commas or more names a radar
    // site) whose eight values are not the profile it would write now.
    std::vector<const SourceLine*> lines;
    std::vector<RadarSite> sites;
    for (const SourceLine& line : source.lines) {
        if (std::count(line.text.begin(), line.text.end(), ',') >= 3) {
            lines.push_back(&line);
            sites.push_back({readIntField(XField, line.text), readIntField(YField, line.text)});
        }
    }
    report.radarSettings = usableRadarSettings(in.radarSettings);
    const RadarWalk walk = makeRadarWalk(report.radarSettings, in.lastMapX, m);
    std::vector<RadarProfile> profiles(sites.size());
    radarProfiles(walk, sites, profiles);
    const auto joined = [](const auto& values, const auto& text) {
        std::string out;
        for (const auto& v : values) {
            out += (out.empty() ? "" : ", ") + text(v);
        }
        return out;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> stored = storedRadarValues(lines[i]->text);
        if (radarValuesCurrent(stored, profiles[i])) {
            continue;
        }
        const std::string now =
            joined(profiles[i], [](float v) { return radarValueText(static_cast<double>(v)); });
        const std::string held =
            stored.empty() ? "none" : joined(stored, [](const std::string& v) { return v; });
        addObject(AuditCheck::Radar, *lines[i],
                  "radar values differ from the profile computed now (stored " + held +
                      "; computed " + now + ")");
        kindOfLast("stale");
    }
}

} // namespace

std::string auditFindingKey(const AuditFinding& f) {
    return std::string(auditCheckName(f.check)) + "/" + std::to_string(f.mapX) + "," +
           std::to_string(f.mapY) + "/" + (f.objectId ? std::to_string(*f.objectId) : "-") + "/" +
           f.kind;
}

namespace {

// A key with its object ID left out ("parents/40,56/*/zero"), or empty for a key of no objective.
std::string keyWithoutId(const std::string& key) {
    const std::size_t first = key.find('/');
    const std::size_t second = first == std::string::npos ? first : key.find('/', first + 1);
    const std::size_t third = second == std::string::npos ? second : key.find('/', second + 1);
    if (third == std::string::npos || key.compare(second + 1, third - second - 1, "-") == 0) {
        return {};
    }
    return key.substr(0, second + 1) + "*" + key.substr(third);
}

// A name as both sides can hold it: the JSON writes bytes of an export's own code page as
// replacement characters, so only the ASCII letters of a name are compared.
std::string asciiOf(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
        }
    }
    return out;
}

} // namespace

bool canApply(const AuditFinding& finding) {
    return !finding.suggestions.empty() && (finding.suggestions.front().tile.has_value() ||
                                            finding.suggestions.front().parent.has_value());
}

void compareWithBaseline(AuditReport& report, const std::vector<BaselineFinding>& baseline,
                         const std::string& baselinePath) {
    std::unordered_map<std::string, std::vector<std::size_t>> held; // key: baseline entries
    for (std::size_t i = 0; i < baseline.size(); ++i) {
        held[baseline[i].key].push_back(i);
    }
    std::vector<bool> used(baseline.size(), false);
    AuditBaseline outcome;
    outcome.path = baselinePath;
    std::vector<AuditFinding*> unmatched;
    for (AuditFinding& f : report.findings) {
        f.known = false;
        const auto it = held.find(auditFindingKey(f));
        if (it != held.end() && !it->second.empty()) {
            used[it->second.back()] = true;
            it->second.pop_back();
            f.known = true;
            ++outcome.known;
        } else if (f.objectId) {
            unmatched.push_back(&f);
        }
    }
    // What is left on both sides is matched again without the objective's ID, by its name.
    std::unordered_map<std::string, std::vector<std::size_t>> left;
    for (std::size_t i = baseline.size(); i-- > 0;) {
        const std::string general = keyWithoutId(baseline[i].key);
        if (!used[i] && !general.empty()) {
            left[general + "\n" + asciiOf(baseline[i].objectName)].push_back(i);
        }
    }
    for (AuditFinding* f : unmatched) {
        const auto it =
            left.find(keyWithoutId(auditFindingKey(*f)) + "\n" + asciiOf(f->objectName));
        if (it != left.end() && !it->second.empty()) {
            it->second.pop_back();
            f->known = true;
            ++outcome.known;
            ++outcome.renumbered;
        }
    }
    outcome.fresh = report.findings.size() - outcome.known;
    report.baseline = outcome;
    for (AuditOutcome& o : report.outcomes) {
        o.fresh = 0;
    }
    for (const AuditFinding& f : report.findings) {
        report.outcomes[auditIndex(f.check)].fresh += f.known ? 0 : 1;
    }
}

const char* parentRuleName(ParentRule rule) {
    return rule == ParentRule::TypeOrClassCode ? "type-or-class-code" : "type";
}

std::string auditCheckNames(bool (*pick)(const AuditCheckFacts&), const char* last) {
    std::vector<const char*> names;
    for (const AuditCheckFacts& facts : auditCheckTable) {
        if (pick == nullptr || pick(facts)) {
            names.push_back(facts.name);
        }
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += i == 0 ? "" : i + 1 == names.size() ? last : ", ";
        text += names[i];
    }
    return text;
}

std::optional<AuditCheck> auditCheckNamed(std::string_view name) {
    for (AuditCheck check : auditChecks) {
        if (name == auditCheckName(check)) {
            return check;
        }
    }
    return std::nullopt;
}

namespace {

// "roads,bridges" as a set of checks; the unknown name in error when there is one.
bool parseChecks(std::string_view list, AuditSelection& checks, std::string& error) {
    std::size_t at = 0;
    while (at <= list.size()) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        const std::string_view name = list.substr(at, comma - at);
        const std::optional<AuditCheck> check = auditCheckNamed(name);
        if (!check) {
            error = "\"" + std::string(name) + "\" is no check; the checks are";
            for (AuditCheck c : auditChecks) {
                error += std::string(c == auditChecks.front() ? " " : ", ") + auditCheckName(c);
            }
            return false;
        }
        checks[auditIndex(*check)] = true;
        at = comma + 1;
    }
    return true;
}

} // namespace

std::optional<std::string> selectAuditChecks(std::string_view only, std::string_view skip,
                                             AuditSelection& selected) {
    if (!only.empty() && !skip.empty()) {
        return "give --only or --skip, not both";
    }
    std::string error;
    selected.fill(false);
    if (!only.empty()) {
        if (!parseChecks(only, selected, error)) {
            return "--only: " + error;
        }
        return std::nullopt;
    }
    AuditSelection skipped{};
    if (!skip.empty() && !parseChecks(skip, skipped, error)) {
        return "--skip: " + error;
    }
    for (std::size_t i = 0; i < auditCheckCount; ++i) {
        selected[i] = !skipped[i];
    }
    return std::nullopt;
}

AuditReport runAudit(const AuditInputs& in, const AuditSelection& selected,
                     const AuditProgress& progress) {
    AuditReport report;
    const std::vector<std::string_view> none;
    const Source source = readSource(in.sourceLines != nullptr ? *in.sourceLines : none);
    AuditSelection runs{};
    for (AuditCheck check : auditChecks) {
        AuditOutcome& outcome = report.outcomes[auditIndex(check)];
        outcome.selected = selected[auditIndex(check)];
        if (!outcome.selected) {
            continue;
        }
        outcome.reason = in.missing[auditIndex(check)];
        if (outcome.reason.empty() && auditCheckFacts(check).needsSource && !source.headerRead) {
            outcome.reason = "the source export holds no title and column lines";
        }
        outcome.skipped = !outcome.reason.empty() || in.matrix == nullptr;
        if (in.matrix == nullptr && outcome.reason.empty()) {
            outcome.reason = "no terrain is open";
        }
        runs[auditIndex(check)] = !outcome.skipped;
    }
    if (in.matrix == nullptr) {
        return report;
    }
    Audit audit{in, *in.matrix, report, source};
    const auto run = [&](AuditCheck check) {
        if (!runs[auditIndex(check)] || report.stopped) {
            return false;
        }
        report.stopped = progress && progress(check);
        return !report.stopped;
    };
    if (run(AuditCheck::Roads)) {
        audit.edges(AuditCheck::Roads, *in.roadScript, ListKind::MisalignedRoads);
    }
    if (run(AuditCheck::Rivers)) {
        audit.edges(AuditCheck::Rivers, *in.riverScript, ListKind::MisalignedRivers);
    }
    if (run(AuditCheck::Transitions)) {
        audit.edges(AuditCheck::Transitions, *in.transitionScript, ListKind::BadTransitions);
    }
    if (run(AuditCheck::Bridges)) {
        audit.bridges(*in.bridgeScript);
    }
    const bool multi = runs[auditIndex(AuditCheck::Multi)];
    const bool offmap = runs[auditIndex(AuditCheck::Offmap)];
    const bool urban = runs[auditIndex(AuditCheck::Urban)];
    const bool airbases = runs[auditIndex(AuditCheck::Airbases)];
    if (multi || offmap || urban || airbases) {
        const AuditCheck first = multi    ? AuditCheck::Multi
                                 : offmap ? AuditCheck::Offmap
                                 : urban  ? AuditCheck::Urban
                                          : AuditCheck::Airbases;
        if (run(first)) {
            audit.postsAndAirbases(multi, offmap, airbases, urban);
        }
    }
    if (run(AuditCheck::Parents)) {
        audit.parents();
    }
    if (run(AuditCheck::Ids)) {
        audit.ids();
    }
    if (run(AuditCheck::Radar)) {
        audit.radar();
    }
    // Findings by check, each check's in the order it found them.
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const AuditFinding& a, const AuditFinding& b) {
                         return auditIndex(a.check) < auditIndex(b.check);
                     });
    for (const AuditFinding& f : report.findings) {
        ++report.outcomes[auditIndex(f.check)].count;
    }
    return report;
}

} // namespace vantor
