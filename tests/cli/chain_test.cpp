// A theater builder's day: each tool's output is the next tool's source, and the audit of every
// output may find no more than the audit of what went in, save what the tool is for.
#include "support/run_program.h"
#include "support/temp_dir.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vantor {
namespace {

using testing::runProgram;

testing::ProgramRun cli(const std::vector<std::string>& args) {
    return runProgram(VANTOR_CLI_PATH, args);
}

struct Finding {
    std::string check;
    std::string name; // the object's, empty for a post
    std::string detail;
    bool fresh = false; // against a baseline: not in it
};

struct Audit {
    int exitCode = 0;
    std::map<std::string, int> counts;
    std::vector<Finding> findings;
    std::string parentRule;

    int count(const std::string& check) const {
        const auto it = counts.find(check);
        return it == counts.end() ? -1 : it->second;
    }
    std::multiset<std::string> names(const std::string& check) const {
        std::multiset<std::string> out;
        for (const Finding& f : findings) {
            if (f.check == check) {
                out.insert(f.name);
            }
        }
        return out;
    }
};

// An export's objects by name: their identifier and Parent.
struct ExportObject {
    std::int64_t id = 0;
    std::int64_t parent = 0;
};

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream s(line);
    for (std::string f; std::getline(s, f, ',');) {
        const std::size_t a = f.find_first_not_of(" \r\n");
        const std::size_t b = f.find_last_not_of(" \r\n");
        out.push_back(a == std::string::npos ? std::string() : f.substr(a, b - a + 1));
    }
    return out;
}

std::map<std::string, ExportObject> objectsOf(const std::filesystem::path& path) {
    std::map<std::string, ExportObject> out;
    std::stringstream text(testing::readFile(path));
    std::string line;
    for (int n = 0; std::getline(text, line); ++n) {
        const std::vector<std::string> f = fields(line);
        if (n >= 2 && f.size() > 20) {
            out[f[0]] = {std::stoll(f[3]), std::stoll(f[20])};
        }
    }
    return out;
}

struct Theater {
    testing::TempDir dir;
    std::string d = dir.str();
    std::string l2 = (dir.path / "Theater.L2").string();

    explicit Theater(bool clean) {
        std::vector<std::string> args{"sample", d, "--sections", "16"};
        if (clean) {
            args.push_back("--clean");
        }
        const auto run = cli(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
    }
    std::string file(const std::string& name) const { return (dir.path / name).string(); }

    // The audit of source, written to SOURCE.json; against a baseline to SOURCE.against.json.
    Audit audit(const std::string& source, const std::string& baseline = {}) const {
        const std::string json = source + (baseline.empty() ? ".json" : ".against.json");
        std::vector<std::string> args{"--quiet",  "--dir", d,       "--terrain", l2,
                                      "--source", source,  "audit", "--json",    json};
        if (!baseline.empty()) {
            args.insert(args.end(), {"--baseline", baseline});
        }
        const auto run = cli(args);
        EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 3) << run.out << run.err;
        Audit a;
        a.exitCode = run.exitCode;
        const nlohmann::json doc = nlohmann::json::parse(testing::readFile(json), nullptr, false);
        if (doc.is_discarded()) {
            ADD_FAILURE() << "no JSON from the audit of " << source;
            return a;
        }
        for (const auto& [check, n] : doc["summary"]["counts"].items()) {
            a.counts[check] = n.get<int>();
        }
        a.parentRule = doc["summary"].value("parentRule", "");
        for (const auto& f : doc["findings"]) {
            a.findings.push_back({f["check"].get<std::string>(), f.value("objectName", ""),
                                  f["detail"].get<std::string>(), f.value("new", false)});
        }
        EXPECT_TRUE(doc["summary"]["skipped"].empty()) << "a new sample has every input";
        return a;
    }
};

// The object checks: what the audit of the output may find beyond that of the source.
void expectNoNewObjectFaults(const Audit& in, const Audit& out,
                             const std::map<std::string, ExportObject>& source,
                             const std::map<std::string, ExportObject>& written) {
    for (const char* check : {"ids", "multi"}) {
        EXPECT_LE(out.count(check), in.count(check)) << check;
    }
    // A stale radar profile in the output was stale in the source; created objects carry a
    // fresh one.
    const std::multiset<std::string> staleBefore = in.names("radar");
    for (const std::string& name : out.names("radar")) {
        EXPECT_TRUE(staleBefore.contains(name)) << "radar: " << name;
    }
    // A Parent fault in the output was one in the source, or the Parent went with an object the
    // tool left out; created objects (named 0) have Parent 0, as the export's format writes them.
    std::map<std::int64_t, std::string> nameOfId;
    for (const auto& [name, o] : source) {
        nameOfId.emplace(o.id, name);
    }
    const std::multiset<std::string> parentsBefore = in.names("parents");
    for (const std::string& name : out.names("parents")) {
        if (name == "0" || parentsBefore.contains(name)) {
            continue;
        }
        const auto from = source.find(name);
        ASSERT_NE(from, source.end()) << name << " is no object of the source";
        const auto parent = nameOfId.find(from->second.parent);
        const bool parentLeftOut = parent != nameOfId.end() && !written.contains(parent->second);
        EXPECT_TRUE(parentLeftOut)
            << "parents: " << name << " had a good Parent " << from->second.parent;
    }
}

struct Step {
    const char* tool;
    std::vector<std::string> options;
};

TEST(Chains, EveryToolsOutputPassesTheAuditOfItsSource) {
    const std::vector<Step> chain = {
        {"check-cities", {}},
        {"check-objects", {"--range", "1"}},
        {"move-ids", {"--old-start", "10", "--old-end", "60", "--new-start", "40000"}},
        {"radar", {}},
    };
    for (const bool clean : {false, true}) {
        SCOPED_TRACE(clean ? "a clean sample" : "a sample with its planted faults");
        Theater t(clean);
        std::string source = t.file("Theater.csv");
        Audit before = t.audit(source);
        EXPECT_EQ(before.parentRule, "type-or-class-code") << "the sample has its class list";
        for (const Step& step : chain) {
            SCOPED_TRACE(step.tool);
            const std::string out = t.file(std::string(step.tool) + ".csv");
            std::vector<std::string> args{"--quiet",  "--dir", t.d,     "--terrain", t.l2,
                                          "--source", source,  "--out", out,         step.tool};
            args.insert(args.end(), step.options.begin(), step.options.end());
            const auto run = cli(args);
            ASSERT_EQ(run.exitCode, 0) << run.err;
            const Audit after = t.audit(out);
            expectNoNewObjectFaults(before, after, objectsOf(source), objectsOf(out));
            const std::string tool = step.tool;
            if (tool == "check-cities") {
                EXPECT_EQ(after.count("urban"), 0) << "the check's output passes the check";
            }
            if (tool == "radar") {
                EXPECT_EQ(after.count("radar"), 0);
            }
            if (tool == "move-ids" || tool == "radar") {
                // Neither moves, adds nor deletes an object.
                for (const char* check : {"urban", "parents", "ids", "multi", "bridges"}) {
                    EXPECT_EQ(after.count(check), before.count(check)) << check;
                }
            }
            if (clean) {
                EXPECT_EQ(after.findings.size(), 0u)
                    << after.findings[0].check << ": " << after.findings[0].detail;
            }
            // A build that fails only on new findings passes a renumbering and the radar
            // update; after the city check only the Parents of created objects, and of objects
            // whose Parent it deleted, are new (the rules above allow no others).
            if (tool != "check-objects") {
                const Audit against = t.audit(out, source + ".json");
                int fresh = 0;
                for (const Finding& f : against.findings) {
                    fresh += f.fresh ? 1 : 0;
                    EXPECT_TRUE(!f.fresh || (tool == "check-cities" && f.check == "parents"))
                        << f.check << " " << f.name << ": " << f.detail;
                }
                EXPECT_EQ(against.exitCode, fresh == 0 ? 0 : 3);
            }
            source = out;
            before = after;
        }
    }
}

TEST(Chains, LinkRemovalAndBridgePlacementAddOnlyWhatTheyAreFor) {
    for (const bool clean : {false, true}) {
        SCOPED_TRACE(clean ? "a clean sample" : "a sample with its planted faults");
        Theater t(clean);
        const std::string source = t.file("Theater.csv");
        const Audit before = t.audit(source);

        // Every Parent becomes 0 and every link goes, by purpose; the radar values are fresh.
        const std::string unlinked = t.file("unlinked.csv");
        ASSERT_EQ(cli({"--quiet", "--dir", t.d, "--terrain", t.l2, "--source", source, "--out",
                       unlinked, "remove-links"})
                      .exitCode,
                  0);
        const Audit removed = t.audit(unlinked);
        EXPECT_EQ(removed.count("radar"), 0);
        EXPECT_EQ(removed.count("ids"), 0) << "no links, none to nobody";
        EXPECT_EQ(removed.count("multi"), before.count("multi"));
        EXPECT_EQ(removed.count("parents"), static_cast<int>(objectsOf(unlinked).size()));

        // The bridges placed stand on their tiles: the audit of the terrain against them finds
        // only the bridges the placement rejected for their missing far tile.
        const std::string bridges = t.file("bridges.csv");
        const auto placed =
            cli({"--quiet", "--dir", t.d, "--terrain", t.l2, "--out", bridges, "bridges"});
        ASSERT_EQ(placed.exitCode, 0) << placed.err;
        const Audit audit = t.audit(bridges);
        const std::string rejected = testing::readFile(t.dir.path / "NoOpposingTile.txt");
        EXPECT_EQ(audit.count("bridges"), std::count(rejected.begin(), rejected.end(), '\n'));
        for (const Finding& f : audit.findings) {
            if (f.check == "bridges") {
                EXPECT_NE(f.detail.find("without its far tile"), std::string::npos) << f.detail;
            }
        }
        EXPECT_EQ(audit.count("ids"), 0);
        EXPECT_EQ(audit.count("multi"), 0);
        EXPECT_EQ(audit.count("offmap"), 0);
    }
}

nlohmann::json readJson(const std::filesystem::path& path) {
    return nlohmann::json::parse(testing::readFile(path), nullptr, false);
}

std::string schemaCheck(const std::string& schema, const std::string& json) {
    const auto run =
        runProgram("/usr/bin/python3", {"-c",
                                        "import json, sys, jsonschema\n"
                                        "jsonschema.validate(json.load(open(sys.argv[2])), "
                                        "json.load(open(sys.argv[1])))\n",
                                        schema, json});
    return run.exitCode == 0 ? std::string() : run.err;
}

// The diff of a theater and its levelled copy names exactly the posts the levelling changed,
// compared post by post here through each terrain's text form.
TEST(Diff, ALevellingIsExactlyThePostsItChanged) {
    Theater t(false);
    const std::string levelled = t.file("levelled");
    std::filesystem::create_directory(levelled);
    for (const char* name : {"Theater.L2", "Theater.O2"}) {
        std::filesystem::copy(t.dir.path / name, std::filesystem::path(levelled) / name);
    }
    const std::string l2 = levelled + "/Theater.L2";
    ASSERT_EQ(cli({"--quiet", "--dir", t.d, "--terrain", l2, "--source", t.file("Theater.csv"),
                   "level-airbases"})
                  .exitCode,
              0);
    const auto run = cli({"--dir", t.d, "--terrain", t.l2, "diff", "--to-terrain", l2, "--json",
                          t.file("diff.json")});
    ASSERT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_EQ(schemaCheck(VANTOR_SOURCE_DIR "/docs/diff.schema.json", t.file("diff.json")), "");

    // Every post of both terrains, from their text forms: the O2's says which block each section
    // is ("Sect X 3, Sect Y 12: 1792"), the L2's gives each block's rows ("r3: tile/elevation
    // ...").
    const auto posts = [&](const std::string& path) {
        const auto l2Text = cli({"diff", "--textconv", path});
        const auto o2Text = cli({"diff", "--textconv", path.substr(0, path.size() - 2) + "O2"});
        EXPECT_EQ(l2Text.exitCode, 0) << l2Text.err;
        EXPECT_EQ(o2Text.exitCode, 0) << o2Text.err;
        std::vector<std::vector<std::string>> rows; // by line of the L2's text
        std::istringstream l2Lines(l2Text.out);
        std::string line;
        std::getline(l2Lines, line); // the header
        while (std::getline(l2Lines, line)) {
            std::istringstream values(line.substr(line.find(':') + 1));
            rows.emplace_back(std::istream_iterator<std::string>(values),
                              std::istream_iterator<std::string>());
        }
        std::map<std::pair<int, int>, std::string> all;
        std::istringstream o2Lines(o2Text.out);
        std::getline(o2Lines, line); // the header: "O2 256 block offsets, 16 x 16 sections"
        const int sections = std::stoi(line.substr(line.find(", ") + 2));
        while (std::getline(o2Lines, line)) {
            int sx = 0, sectY = 0;
            unsigned offset = 0;
            std::sscanf(line.c_str(), "Sect X %d, Sect Y %d: %u", &sx, &sectY, &offset);
            const std::size_t block = offset / (256 * 7);
            const int sy = sections - 1 - sectY;
            for (int row = 0; row < 16; ++row) {
                for (int col = 0; col < 16; ++col) {
                    all[{sx * 16 + col, sy * 16 + row}] =
                        rows.at(block * 16 + static_cast<std::size_t>(row))
                            .at(static_cast<std::size_t>(col));
                }
            }
        }
        return all;
    };
    const auto before = posts(t.l2);
    const auto after = posts(l2);
    ASSERT_EQ(before.size(), after.size());
    std::set<std::pair<int, int>> changed;
    for (const auto& [at, post] : before) {
        if (after.at(at) != post) {
            changed.insert(at);
        }
    }
    ASSERT_FALSE(changed.empty()) << "the levelling changes the sample";
    std::set<std::pair<int, int>> reported;
    const nlohmann::json doc = readJson(t.dir.path / "diff.json");
    EXPECT_TRUE(std::filesystem::equivalent(doc["before"]["terrain"].get<std::string>(), t.l2));
    EXPECT_EQ(doc["after"]["terrain"], l2);
    for (const auto& p : doc["terrain"]["posts"]) {
        reported.insert({p["mapX"].get<int>(), p["mapY"].get<int>()});
        EXPECT_NE(p["before"]["elevation"], p["after"]["elevation"]);
        EXPECT_EQ(p["before"]["tile"], p["after"]["tile"]) << "levelling keeps the tiles";
    }
    EXPECT_EQ(reported, changed);
    EXPECT_EQ(doc["terrain"]["postsChanged"].get<std::size_t>(), changed.size());
    EXPECT_FALSE(doc["terrain"]["postsCut"].get<bool>());
    std::size_t bySection = 0;
    for (const auto& s : doc["terrain"]["sections"]) {
        bySection += s["posts"].get<std::size_t>();
    }
    EXPECT_EQ(bySection, changed.size());
    // The same terrain twice is the same.
    EXPECT_EQ(cli({"--dir", t.d, "--terrain", t.l2, "diff", "--to-terrain", t.l2}).exitCode, 0);
}

// An export against its checked export: the creations, deletions and re-classes are those the
// city check's dry run (the audit's urban check) says it makes; nothing else of the objectives
// moves, and Parents and links keep naming the same objectives where those stayed.
TEST(Diff, ACheckedExportIsWhatTheCheckDid) {
    for (const bool clean : {false, true}) {
        SCOPED_TRACE(clean ? "a clean sample" : "a sample with its planted faults");
        Theater t(clean);
        const Audit audit = t.audit(t.file("Theater.csv"));
        std::map<std::string, int> kinds;
        const nlohmann::json doc = readJson(t.file("Theater.csv") + ".json");
        for (const auto& f : doc["findings"]) {
            if (f["check"] == "urban") {
                const std::string key = f["key"];
                ++kinds[key.substr(key.rfind('/') + 1)];
            }
        }
        const std::string checked = t.file("City.csv");
        ASSERT_EQ(cli({"--quiet", "--dir", t.d, "--terrain", t.l2, "--source",
                       t.file("Theater.csv"), "--out", checked, "check-cities"})
                      .exitCode,
                  0);
        const auto run = cli({"--dir", t.d, "--source", t.file("Theater.csv"), "diff",
                              "--to-source", checked, "--json", t.file("diff.json")});
        // The check writes its urban objects anew (Type "0", the class as Subtype) even where it
        // keeps them: the two differ also on a clean theater.
        EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
        EXPECT_EQ(schemaCheck(VANTOR_SOURCE_DIR "/docs/diff.schema.json", t.file("diff.json")), "");
        const nlohmann::json diff = readJson(t.dir.path / "diff.json");
        const auto& counts = diff["objectives"]["counts"];
        EXPECT_EQ(counts["added"].get<int>(), kinds["create"]);
        EXPECT_EQ(counts["deleted"].get<int>(), kinds["delete"]);
        EXPECT_EQ(counts["reclassed"].get<int>(), kinds["reclass"]);
        EXPECT_EQ(counts["moved"].get<int>(), 0) << "the city check moves nothing";
        // A Parent changes only where it named an objective the check deleted.
        std::set<std::string> deleted;
        for (const auto& o : diff["objectives"]["deleted"]) {
            deleted.insert(std::to_string(o["id"].get<int>()) + " " + o["name"].get<std::string>());
        }
        for (const auto& c : diff["objectives"]["changed"]) {
            if (c.contains("parent")) {
                EXPECT_TRUE(deleted.contains(c["parent"]["before"].get<std::string>())) << c.dump();
                EXPECT_EQ(c["parent"]["after"], "0");
            }
            if (c.contains("links")) {
                EXPECT_TRUE(c["links"]["added"].empty()) << c.dump();
                for (const auto& gone : c["links"]["removed"]) {
                    EXPECT_TRUE(deleted.contains(gone.get<std::string>())) << c.dump();
                }
            }
        }
    }
}

// git's textconv: the same content is the same text, whatever the run's date or spacing.
TEST(Diff, TheTextFormsAreStable) {
    Theater t(false);
    for (const char* out : {"A.csv", "B.csv"}) {
        ASSERT_EQ(cli({"--quiet", "--dir", t.d, "--terrain", t.l2, "--source",
                       t.file("Theater.csv"), "--out", t.file(out), "radar"})
                      .exitCode,
                  0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1100)); // another second's title
    }
    ASSERT_NE(testing::readFile(t.dir.path / "A.csv"), testing::readFile(t.dir.path / "B.csv"));
    const auto a = cli({"diff", "--textconv", t.file("A.csv")});
    const auto b = cli({"diff", "--textconv", t.file("B.csv")});
    EXPECT_EQ(a.exitCode, 0);
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(a.out.rfind("1.0 Objective Export\n", 0), 0u) << a.out.substr(0, 80);
    // An L2 reads the same alone (as git hands an old version over) as with its O2 beside it.
    const std::string lone = t.file("alone");
    std::filesystem::create_directory(lone);
    std::filesystem::copy(t.dir.path / "Theater.L2", lone + "/Old.L2");
    const auto l2 = cli({"diff", "--textconv", lone + "/Old.L2"});
    EXPECT_EQ(l2.exitCode, 0) << l2.err;
    const auto pair = cli({"diff", "--textconv", t.l2});
    EXPECT_EQ(pair.out, l2.out);
    EXPECT_NE(l2.out.find("\nr0: "), std::string::npos);
    const std::size_t blocks = std::filesystem::file_size(t.l2) / (256 * 7);
    EXPECT_EQ(static_cast<std::size_t>(std::count(l2.out.begin(), l2.out.end(), '\n')),
              1 + 16 * blocks)
        << "a line per row of every block";
    // The O2 names its sections as the reports do: Sect Y from the north edge.
    const auto o2 = cli({"diff", "--textconv", t.file("Theater.O2")});
    EXPECT_EQ(o2.exitCode, 0) << o2.err;
    EXPECT_EQ(o2.out.rfind("O2 256 block offsets, 16 x 16 sections\nSect X 0, Sect Y 15: ", 0), 0u)
        << o2.out.substr(0, 100);
}

} // namespace
} // namespace vantor
