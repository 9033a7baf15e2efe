#include "analysis/radar_profile.h"
#include "app/commands.h"
#include "app/progress.h"
#include "app/startup.h"
#include "flows/audit_flow.h"
#include "flows/dispatcher.h"
#include "flows/mend_flow.h"
#include "flows/set_tile_flow.h"
#include "objectives/export_format.h"
#include "reference/ocd_list.h"
#include "sample/sample_theater.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace vantor {
namespace {

using testing::chosen;

constexpr std::array<bool, auditCheckCount> everyCheck{true, true, true, true, true, true,
                                                       true, true, true, true, true};

std::array<bool, auditCheckCount> only(std::initializer_list<AuditCheck> checks) {
    std::array<bool, auditCheckCount> selected{};
    for (AuditCheck c : checks) {
        selected[auditIndex(c)] = true;
    }
    return selected;
}

// A sample theater with its terrain open.
struct Theater {
    testing::TempDir dir;
    testing::ScriptedPlatform scripted;
    ApplicationState state;
    SampleFeatures features;
    std::string l2;
    std::string source;

    explicit Theater(std::int32_t sections = 16) : Theater(SampleOptions{.sections = sections}) {}
    explicit Theater(const SampleOptions& options) {
        std::string error;
        EXPECT_TRUE(writeSampleTheater(dir.str(), options, error, &features)) << error;
        l2 = (dir.path / sampleL2Name).string();
        source = (dir.path / sampleExportName).string();
        startUp(state, scripted.platform(), RunMode::Interactive, dir.str());
        scripted.fileAnswers.push_back(chosen(l2));
        EXPECT_TRUE(dispatchCommand(state, scripted.platform(), cmd::OpenL2Terrain));
    }
    // Every check on the terrain and the export, with the class list built: none is skipped.
    TheaterAudit auditEverything() {
        EXPECT_TRUE(generateOcdList(dir.str()).ok);
        TheaterAudit audit = auditTheater(state, source, everyCheck);
        EXPECT_TRUE(audit.error.empty()) << audit.error;
        for (AuditCheck check : auditChecks) {
            const AuditOutcome& o = audit.report.outcomes[auditIndex(check)];
            EXPECT_TRUE(o.selected && !o.skipped) << auditCheckName(check) << ": " << o.reason;
        }
        return audit;
    }
    std::size_t count(const TheaterAudit& audit, AuditCheck check) const {
        return audit.report.outcomes[auditIndex(check)].count;
    }
};

// An objective line with every field up to its links: Parent, LCount and the link targets
// where the program reads them, zeros elsewhere.
std::string objectLine(const std::string& name, const std::string& type, int id, int cls, int x,
                       int y, int parent, std::vector<int> links = {}) {
    std::vector<std::string> f(32 + 9 * std::max<std::size_t>(links.size(), 1), "0");
    f[0] = name;
    f[1] = type;
    f[2] = "s";
    f[3] = std::to_string(id);
    f[4] = std::to_string(cls);
    f[5] = std::to_string(x);
    f[6] = std::to_string(y);
    f[20] = std::to_string(parent);
    f[22] = std::to_string(links.size());
    for (std::size_t i = 0; i < links.size(); ++i) {
        f[32 + 9 * i] = std::to_string(links[i]);
    }
    std::string line;
    for (const std::string& field : f) {
        line += (line.empty() ? "" : ", ") + field;
    }
    return line + ",\r\n";
}

TEST(Audit, EveryPlantedFaultOfTheSampleIsFoundByItsCheck) {
    Theater t;
    const TheaterAudit audit = t.auditEverything();
    EXPECT_EQ(t.count(audit, AuditCheck::Roads), static_cast<std::size_t>(t.features.roadBreaks));
    EXPECT_EQ(t.count(audit, AuditCheck::Rivers), static_cast<std::size_t>(t.features.riverBreaks));
    EXPECT_EQ(t.count(audit, AuditCheck::Transitions),
              static_cast<std::size_t>(t.features.transitionBreaks));
    EXPECT_GE(t.count(audit, AuditCheck::Bridges),
              static_cast<std::size_t>(t.features.bridgesWithoutFarTile));
    EXPECT_GT(t.features.bridgesWithoutFarTile, 0);
    EXPECT_GT(t.count(audit, AuditCheck::Urban), 0u) << "the sample's misplaced urban objects";
    EXPECT_GT(t.count(audit, AuditCheck::Airbases), 0u) << "the sample's airbases are not level";
    // Each finding is where its check says and is counted once.
    std::size_t sum = 0;
    for (const AuditOutcome& o : audit.report.outcomes) {
        sum += o.count;
    }
    EXPECT_EQ(sum, audit.report.total());
    for (const AuditFinding& f : audit.report.findings) {
        if (f.check != AuditCheck::Offmap) {
            EXPECT_TRUE(t.state.terrain.matrix.contains(f.mapX, f.mapY)) << f.detail;
        }
        EXPECT_FALSE(f.detail.empty());
    }
}

TEST(Audit, EveryPlantedFaultOfTheTerrainAndEveryParentHasARepair) {
    Theater t;
    const TheaterAudit audit = t.auditEverything();
    // Each gap leaves two breaks; filling it mends both, and each break says so.
    for (const AuditFinding& f : audit.report.findings) {
        SCOPED_TRACE(std::string(auditCheckName(f.check)) + ": " + f.detail);
        switch (f.check) {
        case AuditCheck::Roads:
        case AuditCheck::Rivers:
        case AuditCheck::Transitions: {
            ASSERT_FALSE(f.suggestions.empty()) << f.repairNote;
            const TileRepair& best = *f.suggestions[0].tile;
            EXPECT_EQ(best.mended, 2);
            EXPECT_NE(best.direction, 0) << "the gap is the neighbour";
            EXPECT_EQ(best.from, t.state.terrain.matrix.at(best.x, best.y).tileId);
            EXPECT_TRUE(f.repairNote.empty());
            break;
        }
        case AuditCheck::Bridges:
            if (f.detail.find("without its far tile") != std::string::npos) {
                ASSERT_FALSE(f.suggestions.empty()) << f.repairNote;
                EXPECT_EQ(f.suggestions[0].tile->to, 13003u);
                EXPECT_EQ(std::pair(f.suggestions[0].tile->x, f.suggestions[0].tile->y),
                          std::pair(f.mapX + 1, f.mapY))
                    << "east of a bridge with direction letter W";
            }
            break;
        case AuditCheck::Parents: {
            ASSERT_EQ(f.suggestions.size(), 1u);
            const AuditSuggestion& s = f.suggestions[0];
            ASSERT_TRUE(s.parent.has_value());
            EXPECT_NE(*s.parent, *f.objectId);
            EXPECT_NE(s.text.find("the nearest city or town"), std::string::npos) << s.text;
            break;
        }
        case AuditCheck::Urban:
        case AuditCheck::Airbases:
        case AuditCheck::Radar: {
            // Mended by a whole command, which the one suggestion names for both front ends.
            const std::map<AuditCheck, std::string> command{
                {AuditCheck::Urban, "check-cities"},
                {AuditCheck::Airbases, "level-airbases"},
                {AuditCheck::Radar, "radar"}};
            ASSERT_EQ(f.suggestions.size(), 1u);
            const AuditSuggestion& s = f.suggestions[0];
            EXPECT_FALSE(s.tile || s.parent);
            EXPECT_NE(s.text.find("(vantor-cli " + command.at(f.check) + ")"), std::string::npos)
                << s.text;
            EXPECT_EQ(s.text.rfind("Actions > ", 0), 0u) << s.text;
            break;
        }
        default:
            EXPECT_TRUE(f.suggestions.empty());
        }
    }
    // Asked for the findings alone, none carries a suggestion.
    const TheaterAudit bare = auditTheater(t.state, t.source, everyCheck, {}, false);
    for (const AuditFinding& f : bare.report.findings) {
        EXPECT_TRUE(f.suggestions.empty()) << auditCheckName(f.check) << ": " << f.detail;
    }
}

TEST(Audit, FindingsAreKeyedStablyAndKnownAsOftenAsTheBaselineHoldsThem) {
    AuditReport report;
    const auto finding = [](AuditCheck check, int x, int y, std::optional<int> id,
                            const char* kind) {
        AuditFinding f;
        f.check = check;
        f.mapX = x;
        f.mapY = y;
        f.objectId = id;
        f.kind = kind;
        return f;
    };
    report.findings = {finding(AuditCheck::Roads, 511, 195, std::nullopt, "east"),
                       finding(AuditCheck::Ids, 40, 56, 17, "dangling-link-2"),
                       finding(AuditCheck::Ids, 40, 56, 17, "dangling-link-2"),
                       finding(AuditCheck::Parents, -3, 9, 18, "zero")};
    EXPECT_EQ(auditFindingKey(report.findings[0]), "roads/511,195/-/east");
    EXPECT_EQ(auditFindingKey(report.findings[3]), "parents/-3,9/18/zero");
    compareWithBaseline(report,
                        {{"ids/40,56/17/dangling-link-2", ""},
                         {"roads/511,195/-/east", ""},
                         {"radar/1,1/5/stale", ""}},
                        "Old.json");
    std::vector<bool> known;
    for (const AuditFinding& f : report.findings) {
        known.push_back(f.known);
    }
    EXPECT_EQ(known, (std::vector<bool>{true, true, false, false}));
    ASSERT_TRUE(report.baseline.has_value());
    EXPECT_EQ(report.baseline->known, 2u);
    EXPECT_EQ(report.baseline->fresh, 2u);
    EXPECT_EQ(report.baseline->path, "Old.json");

    // The same theater audited twice keys its findings alike.
    Theater t(8);
    const TheaterAudit a = t.auditEverything();
    const TheaterAudit b = auditTheater(t.state, t.source, everyCheck);
    ASSERT_EQ(a.report.findings.size(), b.report.findings.size());
    for (std::size_t i = 0; i < a.report.findings.size(); ++i) {
        EXPECT_FALSE(a.report.findings[i].kind.empty()) << a.report.findings[i].detail;
        EXPECT_EQ(auditFindingKey(a.report.findings[i]), auditFindingKey(b.report.findings[i]));
    }
}

TEST(Audit, AnObjectivesFindingUnderAnotherIdIsKnownWhereItsNameAgrees) {
    struct Case {
        const char* what;
        std::optional<int> id;
        const char* name;
        std::vector<BaselineFinding> baseline;
        bool known;
        std::size_t renumbered;
    };
    const Case cases[] = {
        {"renumbered", 40, "Ulm", {{"parents/7,9/12/zero", "Ulm"}}, true, 1},
        {"the same ID", 12, "Ulm", {{"parents/7,9/12/zero", "Other"}}, true, 0},
        {"another name", 40, "Ulm", {{"parents/7,9/12/zero", "Ulm Bridge"}}, false, 0},
        {"another post", 40, "Ulm", {{"parents/7,8/12/zero", "Ulm"}}, false, 0},
        {"another kind", 40, "Ulm", {{"parents/7,9/12/wrong", "Ulm"}}, false, 0},
        {"a code-page name written as replacement characters",
         40,
         "K\xF6ln",
         {{"parents/7,9/12/zero", "K\xEF\xBF\xBDln"}},
         true,
         1},
        {"a finding of no objective is never matched without its post's key",
         std::nullopt,
         "",
         {{"parents/7,9/12/zero", ""}},
         false,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AuditReport report;
        AuditFinding f;
        f.check = AuditCheck::Parents;
        f.mapX = 7;
        f.mapY = 9;
        f.objectId = c.id;
        f.objectName = c.name;
        f.kind = "zero";
        report.findings = {f};
        compareWithBaseline(report, c.baseline, "Old.json");
        EXPECT_EQ(report.findings[0].known, c.known);
        EXPECT_EQ(report.baseline->renumbered, c.renumbered);
        EXPECT_EQ(report.baseline->known + report.baseline->fresh, 1u);
    }

    // An exact key is taken before a renumbered one, and each baseline finding is used once:
    // the objective still keyed 12 keeps its finding, the one now 40 takes the one left.
    AuditReport report;
    for (const int id : {40, 12, 41}) {
        AuditFinding f;
        f.check = AuditCheck::Radar;
        f.mapX = 3;
        f.mapY = 4;
        f.objectId = id;
        f.objectName = "Site";
        f.kind = "stale";
        report.findings.push_back(f);
    }
    compareWithBaseline(report, {{"radar/3,4/12/stale", "Site"}, {"radar/3,4/13/stale", "Site"}},
                        "Old.json");
    EXPECT_EQ(std::vector<bool>(
                  {report.findings[0].known, report.findings[1].known, report.findings[2].known}),
              std::vector<bool>({true, true, false}));
    EXPECT_EQ(report.baseline->renumbered, 1u);
    EXPECT_EQ(report.baseline->fresh, 1u);
}

// In the desktop program the radar check compares with the profiles the radar command made
// last, with the settings its dialog was confirmed with; before that, with the defaults.
TEST(Audit, TheRadarCheckUsesTheSettingsTheProfilesWereMadeWith) {
    Theater t(8);
    const std::string out = (t.dir.path / "Radar.csv").string();
    t.scripted.radarEdit = [](RadarDialogModel& m) { m.texts[2] = "5"; };
    t.scripted.fileAnswers = {chosen(t.source), chosen(out)};
    ASSERT_TRUE(dispatchCommand(t.state, t.scripted.platform(), cmd::RadarProfiles));
    const TheaterAudit after = auditTheater(t.state, out, only({AuditCheck::Radar}));
    EXPECT_EQ(t.count(after, AuditCheck::Radar), 0u);
    EXPECT_EQ(after.report.radarSettings, (RadarSettings{40.0f, 1.0f, 5.0f}));

    t.state.tools.radarSettings = {}; // never confirmed: the defaults
    const TheaterAudit byDefaults = auditTheater(t.state, out, only({AuditCheck::Radar}));
    EXPECT_EQ(byDefaults.report.radarSettings, defaultRadarSettings);
    EXPECT_GT(t.count(byDefaults, AuditCheck::Radar), 0u);
}

TEST(Audit, ASampleGeneratedWithoutFaultsIsClean) {
    // Every check runs and finds nothing, whatever the size, record layout and relief.
    const SampleOptions cases[] = {
        {.sections = 16, .faults = SampleFaults::None},
        {.sections = 64, .layout = NineByteRecords, .seed = 5, .faults = SampleFaults::None},
        {.sections = 32, .seed = 99, .faults = SampleFaults::None},
    };
    for (const SampleOptions& options : cases) {
        SCOPED_TRACE(std::to_string(options.sections) + " sections, seed " +
                     std::to_string(options.seed));
        Theater t(options);
        const TheaterAudit audit = t.auditEverything();
        for (const AuditFinding& f : audit.report.findings) {
            ADD_FAILURE() << auditCheckName(f.check) << " at " << f.mapX << ", " << f.mapY << ": "
                          << f.detail;
        }
        EXPECT_GT(t.features.twoTileBridges, 0);
        EXPECT_EQ(t.features.bridgesWithoutFarTile + t.features.roadBreaks, 0);
    }
}

TEST(Audit, TheUrbanDryRunCoversTheMapWhateverIdentifiersTheExportUses) {
    // The check proper would stop at its first new object past its identifier range; the dry
    // run must still see every urban tile.
    Theater t;
    const TheaterAudit before = t.auditEverything();
    const std::size_t urban = t.count(before, AuditCheck::Urban);
    ASSERT_GT(urban, 1u);
    for (const int id : {65536, 2147483647}) {
        SCOPED_TRACE(id);
        const std::string high =
            t.dir
                .write("high.csv", testing::readFile(t.source) +
                                       objectLine("Depot", "Depot", id, 115, 5000, 5000, 10))
                .string();
        const TheaterAudit audit = auditTheater(t.state, high, everyCheck);
        ASSERT_TRUE(audit.error.empty()) << audit.error;
        EXPECT_EQ(t.count(audit, AuditCheck::Urban), urban);
        EXPECT_EQ(t.count(audit, AuditCheck::Offmap), 1u);
    }
}

TEST(Audit, TheBridgeCheckNamesEachKindOfFault) {
    // A clean sample, then one fault at a time: its first one-tile bridge objective is dropped,
    // moved off its tile, or dropped with the script's entries for that bridge.
    Theater t(SampleOptions{.sections = 16, .faults = SampleFaults::None});
    ASSERT_EQ(t.count(t.auditEverything(), AuditCheck::Bridges), 0u);
    const std::string text = testing::readFile(t.source);
    const std::size_t begin = text.find("Bridge ");
    ASSERT_NE(begin, std::string::npos);
    const std::size_t end = text.find('\n', begin) + 1;
    const std::string bridgeLine = text.substr(begin, end - begin);
    ASSERT_NE(bridgeLine.find(", Bridge, 7, "), std::string::npos) << bridgeLine;
    const std::string without = text.substr(0, begin) + text.substr(end);
    std::string moved = bridgeLine;
    replaceIntField(XField, moved, readIntField(XField, moved) + 2);
    const std::string script = testing::readFile(t.dir.path / "Object-BridgeScript.dat");
    const std::size_t entry = script.find("2, 7, 1, 0, 0, 0\r\n2, 8, 1, 0, 0, 0\r\n");
    ASSERT_NE(entry, std::string::npos);
    struct Case {
        const char* name;
        std::string source;
        std::string script;
        std::vector<std::string> details;
    };
    const Case cases[] = {
        {"dropped", without, script, {"bridge tile 13001 without a bridge objective"}},
        {"moved",
         text.substr(0, begin) + moved + text.substr(end),
         script,
         {"bridge tile 13001 without a bridge objective", "bridge objective on no bridge tile"}},
        {"nothing to place",
         without,
         script.substr(0, entry) + script.substr(entry + 36),
         {"bridge tile 13001 without a bridge objective (its script variable offers none to "
          "place)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.dir.write("Object-BridgeScript.dat", c.script);
        const std::string source = t.dir.write("case.csv", c.source).string();
        const TheaterAudit audit = auditTheater(t.state, source, only({AuditCheck::Bridges}));
        ASSERT_TRUE(audit.error.empty()) << audit.error;
        std::vector<std::string> details;
        for (const AuditFinding& f : audit.report.findings) {
            details.push_back(f.detail);
        }
        EXPECT_EQ(details, c.details);
    }
}

TEST(Audit, ChangesNothingItReads) {
    Theater t;
    ASSERT_TRUE(generateOcdList(t.dir.str()).ok);
    const auto l2Before = testing::readBytes(t.l2);
    const auto sourceBefore = testing::readBytes(t.source);
    const auto posts = t.state.terrain.matrix.posts;
    std::vector<std::filesystem::path> before;
    for (const auto& entry : std::filesystem::directory_iterator(t.dir.path)) {
        before.push_back(entry.path());
    }
    const TheaterAudit audit = auditTheater(t.state, t.source, everyCheck);
    ASSERT_GT(t.count(audit, AuditCheck::Airbases), 0u);
    EXPECT_TRUE(t.state.terrain.matrix.posts == posts) << "the levelling ran as a dry run";
    EXPECT_EQ(testing::readBytes(t.l2), l2Before);
    EXPECT_EQ(testing::readBytes(t.source), sourceBefore);
    std::size_t after = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(t.dir.path)) {
        ++after;
    }
    EXPECT_EQ(after, before.size()) << "the audit writes no file";
}

TEST(Audit, ObjectChecksFindWhatIsWrongWithTheExport) {
    Theater t(8);
    const std::string header = "1.0 Objective Export  Mon Dec 07 12:19:30 2026\r\nName, Type,\r\n";
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        AuditCheck check;
        std::vector<std::string> details; // of the findings, in order
    };
    const Case cases[] = {
        {"parents: zero, no city or town, a town",
         {objectLine("Town 1", "Town", 1, 102, 10, 10, 0),
          objectLine("Village 2", "Village", 2, 103, 11, 10, 1),
          objectLine("Village 3", "Village", 3, 103, 12, 10, 2)},
         AuditCheck::Parents,
         {"Parent 0", "Parent 2 is no city or town of the file"}},
        {"ids: a duplicate and a link to nobody",
         {objectLine("A", "Town", 5, 102, 10, 10, 0, {6}),
          objectLine("B", "Town", 6, 102, 11, 10, 0, {5, 99}),
          objectLine("C", "Town", 5, 102, 12, 10, 0)},
         AuditCheck::Ids,
         {"ID 5 is also the ID of A", "link 2 goes to ID 99, which no object has"}},
        {"two on one post",
         {objectLine("A", "Town", 1, 102, 10, 10, 0), objectLine("B", "Village", 2, 103, 10, 10, 0),
          objectLine("C", "Village", 3, 103, 11, 10, 0)},
         AuditCheck::Multi,
         {"shares its post with ID 1 Town"}},
        {"off the map on every side",
         {objectLine("A", "Town", 1, 102, -1, 10, 0), objectLine("B", "Town", 2, 102, 128, 0, 0),
          objectLine("C", "Town", 3, 102, 0, 127, 0), objectLine("D", "Town", 4, 102, 5, 128, 0)},
         AuditCheck::Offmap,
         {"Map X -1, Map Y 10 lies outside the map (0 to 127, 0 to 127)",
          "Map X 128, Map Y 0 lies outside the map (0 to 127, 0 to 127)",
          "Map X 5, Map Y 128 lies outside the map (0 to 127, 0 to 127)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = header;
        for (const std::string& line : c.lines) {
            text += line;
        }
        const std::string source = t.dir.write("case.csv", text).string();
        const TheaterAudit audit = auditTheater(t.state, source, only({c.check}));
        ASSERT_TRUE(audit.error.empty()) << audit.error;
        std::vector<std::string> details;
        for (const AuditFinding& f : audit.report.findings) {
            EXPECT_EQ(f.check, c.check);
            EXPECT_TRUE(f.objectId.has_value());
            details.push_back(f.detail);
        }
        EXPECT_EQ(details, c.details);
    }
}

TEST(Audit, AFreshRadarProfileIsNoFinding) {
    Theater t(8);
    const TheaterAudit first = auditTheater(t.state, t.source, only({AuditCheck::Radar}));
    ASSERT_GT(first.report.total(), 0u) << "the sample's radar values are placeholders";
    // The radar command's own output is up to date by definition.
    const std::string fresh = (t.dir.path / "fresh.csv").string();
    t.scripted.fileAnswers = {chosen(t.source), chosen(fresh)};
    t.scripted.radarScan = true;
    ASSERT_TRUE(dispatchCommand(t.state, t.scripted.platform(), cmd::RadarProfiles));
    const TheaterAudit second = auditTheater(t.state, fresh, only({AuditCheck::Radar}));
    EXPECT_EQ(second.report.total(), 0u)
        << (second.report.findings.empty() ? "" : second.report.findings[0].detail);
}

TEST(Audit, RadarValuesAreComparedAsTheRadarCommandWritesThem) {
    Theater t(8);
    const RadarWalk walk =
        makeRadarWalk(defaultRadarSettings, t.state.theater.lastMapX, t.state.terrain.matrix);
    const RadarProfile profile = radarProfile(walk, 40, 50);
    // The values with so many decimals ("%5.3f" is three: no value here reaches 10).
    const auto values = [&](int decimals, const char* separator, std::size_t count = 8) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            char v[64];
            std::snprintf(v, sizeof v, "%.*f", decimals, static_cast<double>(profile[i]));
            text += v;
            text += separator;
        }
        return text;
    };
    const std::string now = values(3, ", ");
    const std::string computed = now.substr(0, now.size() - 2);
    // The object line up to its radar values.
    std::string head = objectLine("R", "Radar", 5, 109, 40, 50, 0);
    head.resize(head.size() - 2);
    struct Case {
        const char* name;
        std::string radar;
        std::string detail; // empty: no finding
    };
    std::string oneOff = now;
    oneOff.replace(0, oneOff.find(','), "9.999");
    const Case cases[] = {
        {"as the radar command writes them", " " + values(3, ", "), ""},
        {"without blanks, as the checked export writes new objects", values(3, ","), ""},
        {"with trailing zeros", " " + values(5, ", "), ""},
        {"followed by the empty field of link removal", " " + values(3, ",") + ", ", ""},
        {"one value differs", " " + oneOff,
         "radar values differ from the profile computed now (stored 9.999" +
             computed.substr(computed.find(',')) + "; computed " + computed + ")"},
        {"seven values", " " + values(3, ", ", 7),
         "radar values differ from the profile computed now (stored " +
             computed.substr(0, computed.rfind(',')) + "; computed " + computed + ")"},
        {"none at all, as bridge placement writes", "",
         "radar values differ from the profile computed now (stored none; computed " + computed +
             ")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = t.dir
                                       .write("radar.csv", "1.0 Objective Export\r\nName,\r\n" +
                                                               head + "," + c.radar + "\r\n")
                                       .string();
        const TheaterAudit audit = auditTheater(t.state, source, only({AuditCheck::Radar}));
        ASSERT_TRUE(audit.error.empty()) << audit.error;
        if (c.detail.empty()) {
            EXPECT_EQ(audit.report.total(), 0u)
                << (audit.report.findings.empty() ? "" : audit.report.findings[0].detail);
        } else {
            ASSERT_EQ(audit.report.total(), 1u);
            EXPECT_EQ(audit.report.findings[0].detail, c.detail);
        }
    }
}

TEST(Audit, WithTheClassListCitiesAndTownsAreKnownByTheirClassToo) {
    Theater t(8);
    // The sample's classes: 101 a city, 102 a town, 103 a village (by their names' keywords).
    const std::string lines = "1.0 Objective Export\r\nName,\r\n" +
                              objectLine("Rewritten city", "0", 20, 101, 10, 10, 0) +
                              objectLine("Rewritten town", "0", 21, 102, 11, 10, 20) +
                              objectLine("Village", "0", 22, 103, 12, 10, 21) +
                              objectLine("Child of a village", "Village", 23, 103, 13, 10, 22);
    const std::string source = t.dir.write("parents.csv", lines).string();
    struct Case {
        const char* name;
        bool classList;
        ParentRule rule;
        std::vector<std::string> details;
    };
    const Case cases[] = {
        {"by Type alone: no city or town in the file",
         false,
         ParentRule::Type,
         {"Parent 0", "Parent 20 is no city or town of the file",
          "Parent 21 is no city or town of the file", "Parent 22 is no city or town of the file"}},
        {"by class code as well",
         true,
         ParentRule::TypeOrClassCode,
         {"Parent 0", "Parent 22 is no city or town of the file"}},
    };
    std::filesystem::remove(t.dir.path / "OCDList.dat"); // the sample writes one
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.classList) {
            ASSERT_TRUE(generateOcdList(t.dir.str()).ok);
        }
        const TheaterAudit audit = auditTheater(t.state, source, only({AuditCheck::Parents}));
        ASSERT_TRUE(audit.error.empty()) << audit.error;
        EXPECT_EQ(audit.report.parentRule, c.rule);
        std::vector<std::string> details;
        for (const AuditFinding& f : audit.report.findings) {
            details.push_back(f.detail);
        }
        EXPECT_EQ(details, c.details);
    }
}

TEST(Audit, MissingInputsSkipTheirChecksWithTheReason) {
    Theater t(8);
    struct Case {
        const char* name;
        std::function<void()> remove;
        std::string source;
        AuditCheck check;
        const char* reason;
    };
    const Case cases[] = {
        {"no source", [] {}, "", AuditCheck::Parents, "no source export was given"},
        {"no class list", [&] { std::filesystem::remove(t.dir.path / "OCDList.dat"); }, t.source,
         AuditCheck::Urban, "OCDList.dat cannot be used"},
        {"no road script", [&] { std::filesystem::remove(t.dir.path / "Object-RoadScript.dat"); },
         t.source, AuditCheck::Roads, "Object-RoadScript.dat cannot be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.remove();
        const TheaterAudit audit = auditTheater(t.state, c.source, everyCheck);
        const AuditOutcome& o = audit.report.outcomes[auditIndex(c.check)];
        EXPECT_TRUE(o.skipped);
        EXPECT_EQ(o.count, 0u);
        EXPECT_NE(o.reason.find(c.reason), std::string::npos) << o.reason;
    }
    const TheaterAudit none = auditTheater(t.state, t.source, only({AuditCheck::Ids}));
    EXPECT_FALSE(none.report.outcomes[auditIndex(AuditCheck::Roads)].selected);
    const TheaterAudit unreadable =
        auditTheater(t.state, (t.dir.path / "missing.csv").string(), everyCheck);
    EXPECT_NE(unreadable.error.find("Cannot read the source"), std::string::npos);
}

TEST(Audit, ASourceThatIsNoExportWithObjectsIsRefused) {
    // Each would otherwise look like a clean theater.
    Theater t(8);
    const std::pair<std::string, const char*> cases[] = {
        {"", "the file is empty"},
        {std::string("\x89PNG\r\n\x1a\n\0\0", 10), "its first line does not begin with \"1\""},
        {"\r\n\r\n\r\n", "its first line does not begin with \"1\""},
        {"1.0 Objective Export\r\n", "a title line and no objects"},
        {"1.0 Objective Export\r\nName, Type,\r\n", "its two header lines and no objects"},
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(reason);
        const std::string path = t.dir.write("odd.csv", text).string();
        const TheaterAudit audit = auditTheater(t.state, path, everyCheck);
        EXPECT_NE(audit.error.find("Cannot audit " + path + " as the source"), std::string::npos)
            << audit.error;
        EXPECT_NE(audit.error.find(reason), std::string::npos) << audit.error;
        EXPECT_EQ(audit.report.total(), 0u);
    }
}

TEST(Audit, CheckNamesAreStable) {
    std::vector<std::string> names;
    for (AuditCheck check : auditChecks) {
        names.emplace_back(auditCheckName(check));
        EXPECT_EQ(auditCheckNamed(names.back()), check);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"roads", "rivers", "transitions", "bridges", "multi",
                                        "offmap", "urban", "parents", "ids", "airbases", "radar"}));
    EXPECT_FALSE(auditCheckNamed("Roads").has_value());
    EXPECT_FALSE(auditCheckNamed("").has_value());
}

TEST(Audit, TheMenuCommandAuditsTheOpenTerrainAndTheListedExport) {
    {
        testing::ScriptedPlatform scripted;
        ApplicationState state;
        startUp(state, scripted.platform(), RunMode::Interactive, "");
        EXPECT_FALSE(dispatchCommand(state, scripted.platform(), cmd::AuditTheater));
        ASSERT_EQ(scripted.messages.size(), 1u);
        EXPECT_EQ(scripted.messages[0].text,
                  "Cannot audit the theater until the terrain file (L2) is opened.");
    }
    Theater t(8);
    int shown = 0;
    Platform platform = t.scripted.platform();
    platform.showAudit = [&] { ++shown; };
    // Without a listed export the user picks one; cancelling audits the terrain alone.
    const auto parents = [&t]() -> const AuditOutcome& {
        return t.state.audit.last.report.outcomes[auditIndex(AuditCheck::Parents)];
    };
    t.scripted.fileAnswers.push_back(testing::cancelled());
    ASSERT_TRUE(dispatchCommand(t.state, platform, cmd::AuditTheater));
    EXPECT_EQ(shown, 1);
    ASSERT_TRUE(t.state.audit.done);
    EXPECT_TRUE(parents().skipped);
    EXPECT_EQ(parents().reason, "no source export was given");
    t.scripted.fileAnswers.push_back(chosen(t.source));
    ASSERT_TRUE(dispatchCommand(t.state, platform, cmd::AuditTheater));
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(parents().skipped);
    EXPECT_EQ(std::count_if(t.state.audit.last.inputs.begin(), t.state.audit.last.inputs.end(),
                            [](const AuditInput& in) { return in.role == "source"; }),
              1);

    // The progress window steps once per check; closing it stops the audit, which then shows
    // nothing rather than checks that never ran.
    std::vector<std::string> counters;
    platform.progressReport = [&](const ProgressView& view) {
        counters.push_back(view.counter);
        if (counters.size() == 3) {
            requestAbort(t.state);
        }
    };
    t.state.audit = {};
    t.scripted.fileAnswers.push_back(chosen(t.source));
    EXPECT_FALSE(dispatchCommand(t.state, platform, cmd::AuditTheater));
    EXPECT_EQ(counters, (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_FALSE(t.state.audit.done);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(t.scripted.messages.back().text,
              "The audit was stopped before its last check; nothing is shown.");
    EXPECT_FALSE(t.state.progress.windowOpen);
    platform.progressReport = nullptr;

    // The listed export is audited without a question.
    t.scripted.fileAnswers.push_back(chosen(t.source));
    ASSERT_TRUE(dispatchCommand(t.state, platform, cmd::OpenSourceCsv));
    const std::size_t asked = t.scripted.fileRequests.size();
    ASSERT_TRUE(dispatchCommand(t.state, platform, cmd::AuditTheater));
    EXPECT_EQ(t.scripted.fileRequests.size(), asked);
    EXPECT_EQ(shown, 3);
    const TheaterAudit& audit = t.state.audit.last;
    EXPECT_FALSE(audit.report.outcomes[auditIndex(AuditCheck::Parents)].skipped);
    EXPECT_GT(audit.report.outcomes[auditIndex(AuditCheck::Parents)].count, 0u);
    // Its reports never land on what it read.
    std::string error;
    EXPECT_FALSE(writeAuditFile(audit, t.source, "{}", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(writeAuditFile(audit, (t.dir.path / "audit.json").string(), "{}", error)) << error;

    // Findings of a terrain that was levelled (or loaded anew) no longer hold: they are dropped
    // and the panel is told.
    ASSERT_TRUE(generateOcdList(t.dir.str()).ok);
    t.scripted.fileAnswers.push_back(chosen(t.source));
    ASSERT_TRUE(dispatchCommand(t.state, platform, cmd::LevelAirbases));
    EXPECT_FALSE(t.state.audit.done);
    EXPECT_TRUE(t.state.audit.last.report.findings.empty());
    EXPECT_EQ(shown, 4);
}

// The index of the first finding of the check in the last audit.
std::size_t firstOf(const ApplicationState& state, AuditCheck check) {
    const std::vector<AuditFinding>& findings = state.audit.last.report.findings;
    const auto at = std::find_if(findings.begin(), findings.end(),
                                 [check](const AuditFinding& f) { return f.check == check; });
    EXPECT_NE(at, findings.end()) << auditCheckName(check);
    return static_cast<std::size_t>(at - findings.begin());
}

// Apply beside the map: a finding a whole command mends hands that command back; a tile repair
// is put in place and said in one line; Apply All asks first, and No leaves everything.
TEST(Audit, ApplyMendsTheFindingOrHandsBackTheCommandThatDoes) {
    Theater t;
    ASSERT_TRUE(generateOcdList(t.dir.str()).ok);
    t.scripted.fileAnswers.push_back(chosen(t.source));
    ASSERT_TRUE(dispatchCommand(t.state, t.scripted.platform(), cmd::AuditTheater));
    ASSERT_TRUE(t.state.audit.done);
    std::vector<int> ran;
    const WorkRunner runWork = [&ran](int command, const std::function<void()>& work) {
        ran.push_back(command);
        work();
    };
    const testing::Bytes l2 = testing::readBytes(t.l2);

    const AppliedRepairs urban = applyRepairs(t.state, t.scripted.platform(),
                                              firstOf(t.state, AuditCheck::Urban), false, runWork);
    EXPECT_EQ(urban.command, cmd::CheckCityJunction);
    EXPECT_FALSE(urban.done);
    EXPECT_TRUE(ran.empty()) << "the front end runs the command itself";

    // Apply All of Check answered No.
    const std::size_t road = firstOf(t.state, AuditCheck::Roads);
    const std::size_t messages = t.scripted.messages.size();
    const AppliedRepairs no = applyRepairs(t.state, t.scripted.platform(), road, true, runWork);
    EXPECT_FALSE(no.done);
    EXPECT_EQ(no.command, 0);
    ASSERT_EQ(t.scripted.messages.size(), messages + 1);
    EXPECT_EQ(t.scripted.messages.back().title, "Apply All of Check");
    EXPECT_EQ(t.scripted.messages.back().buttons, MessageButtons::YesNo);
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(testing::readBytes(t.l2) == l2) << "written all the same";

    // Apply on one road break: its first repair goes on the terrain, which is written.
    const AuditFinding applied = t.state.audit.last.report.findings[road];
    const TileRepair& repair = *applied.suggestions.front().tile;
    const std::size_t roadsBefore = t.count(t.state.audit.last, AuditCheck::Roads);
    const AppliedRepairs one = applyRepairs(t.state, t.scripted.platform(), road, false, runWork);
    EXPECT_TRUE(one.done);
    EXPECT_FALSE(one.refused);
    EXPECT_EQ(ran, std::vector<int>{cmd::MendTheater});
    EXPECT_EQ(t.state.terrain.matrix.at(repair.x, repair.y).tileId, repair.to);
    EXPECT_FALSE(testing::readBytes(t.l2) == l2) << "not written";
    EXPECT_FALSE(one.line.empty());
    EXPECT_EQ(one.line.find_first_of("\r\n"), std::string::npos) << one.line;
    EXPECT_NE(one.line.front(), ' ');
    EXPECT_TRUE(one.line.starts_with("The repair was put in place.")) << one.line;
    // The audit made again; the selection goes on to another road break, where one is left.
    ASSERT_TRUE(t.state.audit.done);
    EXPECT_EQ(t.count(t.state.audit.last, AuditCheck::Roads), roadsBefore - 2) << "a gap mends two";
    if (roadsBefore > 2) {
        ASSERT_TRUE(one.next.has_value());
        EXPECT_EQ(t.state.audit.last.report.findings[*one.next].check, AuditCheck::Roads);
    }
}

TEST(SetTile, TheChoicesRowSaysWhatTheTileMends) {
    TileChoice choice;
    choice.repair.to = 10005;
    choice.repair.changedEdges = 2;
    choice.script = RepairScript::River;
    TileChoiceRow row = tileChoiceRow(choice);
    EXPECT_EQ(row.tile, 10005u);
    EXPECT_EQ(row.text[0], "10005");
    EXPECT_EQ(row.text[1], "river");
    EXPECT_EQ(row.text[2], "nothing; makes no fault");
    EXPECT_EQ(row.text[3], "2");
    choice.mended = {{RepairScript::River, 4, 5, 1}, {RepairScript::Bridge, 6, 7, 0}};
    row = tileChoiceRow(choice);
    EXPECT_EQ(row.text[2],
              "river break to the West of 4,5; two-tile bridge at 6,7 without its far tile");
}

// What the picker says of the tile typed, before anything is set: nothing is changed or written
// by saying it.
TEST(SetTile, ThePickerSaysWhatTheTileTypedWouldDo) {
    Theater t(8);
    const TheaterAudit audit = auditTheater(t.state, t.source, only({AuditCheck::Roads}));
    ASSERT_FALSE(audit.report.findings.empty());
    const AuditFinding& f = audit.report.findings.front();
    ASSERT_FALSE(f.suggestions.empty());
    const TileRepair gap = *f.suggestions.front().tile; // the tile that fills the gap
    const std::uint32_t own = t.state.terrain.matrix.at(gap.x, gap.y).tileId;
    const std::string gapAt = std::to_string(gap.x) + "," + std::to_string(gap.y);
    const std::string breakAt = std::to_string(f.mapX) + "," + std::to_string(f.mapY);
    struct Case {
        const char* name;
        std::int32_t x, y;
        std::string typed;
        std::string first; // the first line, or its start
        bool warning;
        bool settable;
        bool makes; // a "Makes:" line, in bold
    };
    const Case cases[] = {
        {"nothing typed", gap.x, gap.y, "", "Choose a tile above or type its ID.", false, false,
         false},
        {"blanks", gap.x, gap.y, "  \t", "Choose a tile above or type its ID.", false, false,
         false},
        {"letters", gap.x, gap.y, " abc ", "abc is no tile ID.", true, false, false},
        {"a sign", gap.x, gap.y, "-5", "-5 is no tile ID.", true, false, false},
        {"past 32 bits", gap.x, gap.y, "4294967296", "4294967296 is no tile ID.", true, false,
         false},
        {"eleven digits", gap.x, gap.y, "10000000000", "10000000000 is no tile ID.", true, false,
         false},
        {"the post's own tile", gap.x, gap.y, std::to_string(own),
         "The post at " + gapAt + " already has tile " + std::to_string(own) + ".", true, false,
         false},
        {"too large for 7-byte records", gap.x, gap.y, "70000", "Tile 70000 does not fit", true,
         false, false},
        {"off the map", 9999, 0, "10005", "Map X 9999, Map Y 0 is off the map", true, false, false},
        {"the tile that fills the gap", gap.x, gap.y, std::to_string(gap.to),
         "Set tile at " + gapAt + ": " + std::to_string(own) + " \u2192 " + std::to_string(gap.to) +
             "; it mends 2 faults and makes none.",
         false, true, false},
        // The gap's tile on the break's post breaks the road on its far side.
        {"a tile that breaks the road", f.mapX, f.mapY, std::to_string(own),
         "Set tile at " + breakAt + ": ", true, true, true},
    };
    const TerrainMatrix matrix = t.state.terrain.matrix;
    const testing::Bytes l2 = testing::readBytes(t.l2);
    const std::size_t messages = t.scripted.messages.size();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TilePickEffect e = tilePickEffect(t.state, t.scripted.platform(), c.x, c.y, c.typed);
        ASSERT_FALSE(e.lines.empty());
        EXPECT_TRUE(e.lines[0].starts_with(c.first)) << e.lines[0];
        EXPECT_EQ(e.warning, c.warning);
        EXPECT_EQ(e.settable, c.settable);
        if (c.settable) {
            EXPECT_EQ(std::to_string(e.tile), c.typed);
        }
        if (c.makes) {
            ASSERT_LT(e.boldFrom, e.lines.size());
            EXPECT_TRUE(e.lines[e.boldFrom].starts_with("Makes: road break"))
                << e.lines[e.boldFrom];
            EXPECT_TRUE(e.lines[e.boldFrom].ends_with(" (set all the same if you wish)"));
        } else {
            EXPECT_EQ(e.boldFrom, SIZE_MAX);
        }
    }
    EXPECT_TRUE(t.state.terrain.matrix.posts == matrix.posts) << "changed by a preview";
    EXPECT_TRUE(testing::readBytes(t.l2) == l2) << "written by a preview";
    EXPECT_EQ(t.scripted.messages.size(), messages) << t.scripted.messages.back().text;
}

} // namespace
} // namespace vantor
