#include "app/commands.h"
#include "app/startup.h"
#include "base/text_util.h"
#include "flows/diff_flow.h"
#include "flows/dispatcher.h"
#include "sample/sample_theater.h"
#include "support/run_program.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/terrain_files.h"
#include "terrain/l2m_file.h"
#include "terrain/terrain_diff.h"
#include "tools/theater_diff.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vantor {
namespace {

using testing::cancelled;
using testing::chosen;

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A sample theater with its terrain open, and its later version: three posts raised (saved as
// an L2M) and the export with one objective deleted and one moved a post east.
struct Versions {
    testing::TempDir dir;
    testing::ScriptedPlatform scripted;
    ApplicationState state;
    std::string l2;
    std::string source;
    std::string laterTerrain;
    std::string laterSource;

    Versions() {
        std::string error;
        EXPECT_TRUE(writeSampleTheater(dir.str(), SampleOptions{.sections = 8}, error)) << error;
        l2 = (dir.path / sampleL2Name).string();
        source = (dir.path / sampleExportName).string();
        startUp(state, scripted.platform(), RunMode::Interactive, dir.str());
        scripted.fileAnswers.push_back(chosen(l2));
        EXPECT_TRUE(dispatchCommand(state, scripted.platform(), cmd::OpenL2Terrain));

        TerrainMatrix later = state.terrain.matrix;
        for (const auto& [x, y] : {std::pair{3, 4}, std::pair{20, 30}, std::pair{21, 30}}) {
            later.at(x, y).elevation = static_cast<std::uint16_t>(later.at(x, y).elevation + 10);
        }
        laterTerrain = (dir.path / "Later.L2M").string();
        EXPECT_TRUE(saveL2m(later, laterTerrain, {}).ok());

        // The title and column lines, then the objectives: the first deleted, the second moved.
        std::istringstream lines(slurp(source));
        std::string out;
        std::string line;
        for (int i = 0; std::getline(lines, line); ++i) {
            if (i == 2) {
                continue;
            }
            if (i == 3) {
                std::vector<std::string> f;
                std::istringstream fields(line);
                for (std::string field; std::getline(fields, field, ',');) {
                    f.push_back(field);
                }
                f[5] = std::to_string(std::stoi(f[5]) + 1);
                line.clear();
                for (std::size_t k = 0; k < f.size(); ++k) {
                    line += (k == 0 ? "" : ",") + f[k];
                }
            }
            out += line + "\n";
        }
        laterSource = (dir.path / "Later.csv").string();
        std::ofstream(laterSource, std::ios::binary) << out;
    }
};

TEST(DiffFlow, CompareVersionsComparesWhatTheUserPicks) {
    enum Picks { Terrain = 1, Exports = 2 };
    struct Case {
        const char* name;
        std::vector<int> answers; // 0 cancel, 1 later terrain, 2 earlier export, 3 later export
        int compared;             // Picks, or 0: nothing compared
    };
    const Case cases[] = {
        {"everything", {1, 2, 3}, Terrain | Exports},
        {"the terrain alone", {1, 0}, Terrain},
        {"the later export cancelled", {1, 2, 0}, Terrain},
        {"the exports alone", {0, 2, 3}, Exports},
        {"nothing", {0, 0}, 0},
    };
    Versions v;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int shown = 0;
        Platform platform = v.scripted.platform();
        platform.showDiff = [&] { ++shown; };
        v.state.diff = {};
        v.scripted.fileAnswers.clear();
        for (const int a : c.answers) {
            const std::string* paths[] = {nullptr, &v.laterTerrain, &v.source, &v.laterSource};
            v.scripted.fileAnswers.push_back(a == 0 ? cancelled() : chosen(*paths[a]));
        }
        const std::size_t messages = v.scripted.messages.size();
        EXPECT_EQ(dispatchCommand(v.state, platform, cmd::CompareVersions), c.compared != 0);
        EXPECT_TRUE(v.scripted.fileAnswers.empty()) << "every answer was asked for";
        EXPECT_EQ(v.scripted.messages.size(), messages);
        EXPECT_EQ(shown, c.compared != 0 ? 1 : 0);
        EXPECT_EQ(v.state.diff.done, c.compared != 0);
        const TheaterDiff& d = v.state.diff.last;
        ASSERT_EQ(d.terrain.has_value(), (c.compared & Terrain) != 0);
        ASSERT_EQ(d.objectives.has_value(), (c.compared & Exports) != 0);
        if (d.terrain) {
            EXPECT_EQ(d.terrain->postsChanged, 3u);
            EXPECT_EQ(d.terrain->elevationsChanged, 3u);
            EXPECT_EQ(d.terrain->sections.size(), 2u);
            EXPECT_EQ(d.beforeTerrain, v.l2);
        }
        if (d.objectives) {
            EXPECT_EQ(d.objectives->deleted.size(), 1u);
            EXPECT_EQ(d.objectives->added.size(), 0u);
            EXPECT_EQ(d.objectives->moved, 1u);
            EXPECT_EQ(d.afterSource, v.laterSource);
        } else {
            EXPECT_TRUE(d.beforeSource.empty());
        }
    }
}

TEST(DiffFlow, TheListedExportIsTheEarlierOneAndAFailureIsSaid) {
    Versions v;
    // Without a window for the comparison, its summary is the message.
    v.scripted.fileAnswers = {chosen(v.source)};
    ASSERT_TRUE(dispatchCommand(v.state, v.scripted.platform(), cmd::OpenSourceCsv));
    v.scripted.fileAnswers = {chosen(v.laterTerrain), chosen(v.laterSource)};
    const std::size_t asked = v.scripted.fileRequests.size();
    ASSERT_TRUE(dispatchCommand(v.state, v.scripted.platform(), cmd::CompareVersions));
    EXPECT_EQ(v.scripted.fileRequests.size(), asked + 2);
    EXPECT_EQ(v.state.diff.last.beforeSource, v.source);
    ASSERT_FALSE(v.scripted.messages.empty());
    const testing::RecordedMessage& summary = v.scripted.messages.back();
    EXPECT_EQ(summary.title, "Compare Versions");
    EXPECT_EQ(summary.text, diffSummary(v.state.diff.last));
    EXPECT_TRUE(summary.text.starts_with("terrain      3 posts changed in 2 sections"))
        << summary.text;
    EXPECT_TRUE(summary.text.ends_with("the two differ\n"));
    // Each changed section with the area of its posts.
    for (const char* section : {"\n  Sect X 0, Sect Y 7: 1 post, Map X 3, Map Y 4\n",
                                "\n  Sect X 1, Sect Y 6: 2 posts, Map X 20 to 21, Map Y 30\n"}) {
        EXPECT_NE(summary.text.find(section), std::string::npos) << summary.text;
    }

    // A later version that cannot be read: said, and nothing compared.
    v.state.diff = {};
    const std::string missing = (v.dir.path / "Missing.L2").string();
    v.scripted.fileAnswers = {chosen(missing), chosen(v.laterSource)};
    EXPECT_FALSE(dispatchCommand(v.state, v.scripted.platform(), cmd::CompareVersions));
    EXPECT_FALSE(v.state.diff.done);
    EXPECT_TRUE(v.scripted.messages.back().text.starts_with("Cannot read the terrain " + missing))
        << v.scripted.messages.back().text;
}

TEST(DiffFlow, ItsFilesNeverLandOnTheVersionsCompared) {
    Versions v;
    v.scripted.fileAnswers = {chosen(v.laterTerrain), chosen(v.source), chosen(v.laterSource)};
    ASSERT_TRUE(dispatchCommand(v.state, v.scripted.platform(), cmd::CompareVersions));
    const TheaterDiff& d = v.state.diff.last;
    for (const std::filesystem::path& input :
         {std::filesystem::path(v.l2), v.dir.path / sampleO2Name, std::filesystem::path(v.source),
          std::filesystem::path(v.laterTerrain), std::filesystem::path(v.laterSource)}) {
        SCOPED_TRACE(input.string());
        const std::string before = slurp(input);
        std::string error;
        EXPECT_FALSE(writeDiffFile(d, input.string(), "{}", error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(slurp(input) == before) << "written over";
    }
    std::string error;
    const std::filesystem::path out = v.dir.path / "Changes.json";
    EXPECT_TRUE(writeDiffFile(d, out.string(), "{}", error)) << error;
    EXPECT_EQ(slurp(out), "{}");
}

// In a git work tree Compare Versions offers a revision first: the open terrain (the later
// version) against what the revision holds; Cancel goes on to the files as before.
TEST(DiffFlow, InAGitWorkTreeTheOpenTerrainIsComparedWithARevision) {
    Versions v;
    const auto git = [&v](std::vector<std::string> args) {
        args.insert(args.begin(), {"-C", v.dir.str(), "-c", "user.name=B", "-c",
                                   "user.email=b@example.org", "-c", "commit.gpgsign=false"});
        return testing::runProgram("git", args).exitCode;
    };
    if (testing::runProgram("git", {"--version"}).exitCode != 0) {
        GTEST_SKIP() << "git is not installed";
    }
    ASSERT_EQ(git({"init", "-q"}), 0);
    ASSERT_EQ(git({"add", "-A"}), 0);
    ASSERT_EQ(git({"commit", "-q", "-m", "sample"}), 0);
    v.state.terrain.matrix.at(5, 6).tileId += 1; // as an Apply leaves the open terrain

    const std::size_t filesAsked = v.scripted.fileRequests.size();
    v.scripted.textAnswers.push_back("HEAD");
    ASSERT_TRUE(dispatchCommand(v.state, v.scripted.platform(), cmd::CompareVersions));
    ASSERT_EQ(v.scripted.textRequests.size(), 1u);
    EXPECT_EQ(v.scripted.textRequests[0].initial, "HEAD");
    EXPECT_EQ(v.scripted.fileRequests.size(), filesAsked);
    const TheaterDiff& d = v.state.diff.last;
    ASSERT_TRUE(d.terrain.has_value());
    EXPECT_EQ(d.terrain->postsChanged, 1u);
    ASSERT_TRUE(d.beforeRead.has_value());
    EXPECT_EQ(d.beforeRead->at(5, 6).tileId + 1, v.state.terrain.matrix.at(5, 6).tileId);
    EXPECT_TRUE(d.beforeTerrain.ends_with(" at HEAD")) << d.beforeTerrain;

    // A revision that is not there is said; Cancel picks files.
    v.scripted.textAnswers.push_back("no-such-revision");
    EXPECT_FALSE(dispatchCommand(v.state, v.scripted.platform(), cmd::CompareVersions));
    ASSERT_FALSE(v.scripted.messages.empty());
    EXPECT_NE(v.scripted.messages.back().text.find("no-such-revision"), std::string::npos)
        << v.scripted.messages.back().text;
    v.scripted.textAnswers.push_back(std::nullopt);
    dispatchCommand(v.state, v.scripted.platform(), cmd::CompareVersions);
    EXPECT_GT(v.scripted.fileRequests.size(), filesAsked);
}

// A map of sections x sections of 16 x 16 posts, every post tile 1000 at 100 feet.
TerrainMatrix flatMap(std::int32_t sections) {
    TerrainMatrix m;
    EXPECT_TRUE(allocateMatrix(m, sections * 16, sections * 16, SevenByteRecords));
    for (std::int32_t y = 0; y < m.height; ++y) {
        for (std::int32_t x = 0; x < m.width; ++x) {
            m.at(x, y).tileId = 1000;
            m.at(x, y).elevation = 100;
        }
    }
    return m;
}

std::vector<std::string> rowTexts(const std::vector<ComparisonRow>& rows) {
    std::vector<std::string> texts;
    for (const ComparisonRow& r : rows) {
        texts.push_back(std::to_string(r.depth) + " " + r.text[0] + " | " + r.text[3]);
    }
    return texts;
}

// The panel's tree: the terrain's group line, each section under it and each changed post
// under its own section, though the posts come row by row across sections.
TEST(Comparison, EachChangedPostIsListedUnderItsSection) {
    const TerrainMatrix before = flatMap(3);
    TerrainMatrix after = before;
    after.at(20, 0).tileId = 1001;   // section column 1, row 0
    after.at(3, 1).elevation = 150;  // section column 0, row 0
    after.at(5, 2).attribute1 = 1;   // section column 0, row 0
    after.at(40, 40).elevation = 90; // section column 2, row 2
    TheaterDiff diff;
    diff.terrain = diffTerrain(before, after);
    const std::vector<ComparisonRow> rows = comparisonRows(diff);
    EXPECT_EQ(rowTexts(rows), (std::vector<std::string>{
                                  "0 Terrain: 4 posts changed in 3 sections | ",
                                  "1 Sect X 0, Sect Y 2 | 2 posts, Map X 3 to 5, Map Y 1 to 2",
                                  "2 Map X 3, Map Y 1 | elevation",
                                  "2 Map X 5, Map Y 2 | attributes",
                                  "1 Sect X 1, Sect Y 2 | 1 post, Map X 20, Map Y 0",
                                  "2 Map X 20, Map Y 0 | tile",
                                  "1 Sect X 2, Sect Y 0 | 1 post, Map X 40, Map Y 40",
                                  "2 Map X 40, Map Y 40 | elevation",
                              }));
    ASSERT_EQ(rows.size(), 8u);
    // The group line has no mark and nothing to show; a section shows the middle of its posts
    // in the changed posts' colour; a post shows itself, with both its versions.
    EXPECT_FALSE(rows[0].colour.has_value());
    EXPECT_FALSE(rows[0].post.has_value());
    EXPECT_EQ(rows[1].colour, changedPostColour);
    EXPECT_EQ(rows[1].post, (std::pair{4, 1}));
    EXPECT_TRUE(rows[1].expanded);
    EXPECT_FALSE(rows[2].colour.has_value());
    EXPECT_EQ(rows[2].post, (std::pair{3, 1}));
    EXPECT_EQ(rows[2].text[1], "tile 1000, elevation 100");
    EXPECT_EQ(rows[2].text[2], "tile 1000, elevation 150");
    EXPECT_EQ(rows[5].post, (std::pair{20, 0}));

    // Beyond the limit the posts are counted, after the sections, which are all listed.
    EXPECT_EQ(rowTexts(comparisonRows(diff, 2)),
              (std::vector<std::string>{
                  "0 Terrain: 4 posts changed in 3 sections | ",
                  "1 Sect X 0, Sect Y 2 | 2 posts, Map X 3 to 5, Map Y 1 to 2",
                  "2 Map X 3, Map Y 1 | elevation",
                  "1 Sect X 1, Sect Y 2 | 1 post, Map X 20, Map Y 0",
                  "2 Map X 20, Map Y 0 | tile",
                  "1 Sect X 2, Sect Y 0 | 1 post, Map X 40, Map Y 40",
                  "1 and 2 posts more (Save JSON... has them all) | ",
              }));
    EXPECT_EQ(comparisonRows(diff, 3).back().text[0],
              "and 1 post more (Save JSON... has them all)");
    EXPECT_EQ(comparisonRows(diff, 4).back().text[0], "Map X 40, Map Y 40") << "none more";
}

TEST(Comparison, SectionsAreFoldedWhenThereAreMoreThanEight) {
    for (const std::size_t sections : {1u, 8u, 9u}) {
        SCOPED_TRACE(std::to_string(sections) + " sections");
        const TerrainMatrix before = flatMap(3);
        TerrainMatrix after = before;
        for (std::size_t i = 0; i < sections; ++i) {
            after.at(static_cast<std::int32_t>(i % 3) * 16, static_cast<std::int32_t>(i / 3) * 16)
                .tileId = 2000;
        }
        TheaterDiff diff;
        diff.terrain = diffTerrain(before, after);
        const std::vector<ComparisonRow> rows = comparisonRows(diff);
        ASSERT_EQ(rows.size(), 1 + 2 * sections);
        for (const ComparisonRow& row : rows) {
            if (row.depth == 1) {
                EXPECT_EQ(row.expanded, sections <= 8) << row.text[0];
            }
        }
    }
}

TEST(Comparison, ASizeChangeIsOneLineAndTheObjectivesAreCountedAndMarked) {
    TheaterDiff diff;
    diff.terrain = diffTerrain(flatMap(1), flatMap(2));
    ExportDiff& d = diff.objectives.emplace();
    const auto object = [](std::int32_t id, std::string name, std::int32_t x, std::int32_t y) {
        DiffObject o;
        o.id = id;
        o.name = std::move(name);
        o.objectiveClass = 2;
        o.x = x;
        o.y = y;
        return o;
    };
    d.before = {object(1, "Gone", 5, 6), object(2, "Town 2", 10, 12)};
    d.after = {object(2, "Town 2", 11, 12), object(3, "New", 7, 8)};
    d.deleted = {0};
    d.added = {1};
    ObjectChange moved;
    moved.before = 1;
    moved.after = 0;
    moved.moved = true;
    d.changed = {moved};
    d.renumbered = 1;
    d.unchanged = 4;
    const std::vector<ComparisonRow> rows = comparisonRows(diff);
    ASSERT_EQ(rows.size(), 5u);
    struct Expected {
        int depth;
        std::string change;
        std::string before;
        std::string after;
        std::string what;
        std::optional<std::uint32_t> colour;
        std::optional<std::pair<std::int32_t, std::int32_t>> post;
    };
    const Expected expected[] = {
        {0, "Terrain: the size changed (16 x 16 posts, now 32 x 32)", "", "", "", {}, {}},
        {0, "Objectives: 3 changed, 1 renumbered, 4 unchanged", "", "", "", {}, {}},
        {1, "deleted", "1 Gone (class 2, Map X 5, Map Y 6)", "", "", 0xd52828, std::pair{5, 6}},
        {1, "added", "", "3 New (class 2, Map X 7, Map Y 8)", "", 0x1eaa3c, std::pair{7, 8}},
        {1, "changed", "2 Town 2 (class 2, Map X 10, Map Y 12)",
         "2 Town 2 (class 2, Map X 11, Map Y 12)", "moved", 0xf09600, std::pair{11, 12}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const ComparisonRow& r = rows[i];
        const Expected& e = expected[i];
        EXPECT_EQ(r.depth, e.depth);
        EXPECT_EQ(r.text[0], e.change);
        EXPECT_EQ(r.text[1], e.before);
        EXPECT_EQ(r.text[2], e.after);
        EXPECT_EQ(r.text[3], e.what);
        EXPECT_EQ(r.colour, e.colour);
        EXPECT_EQ(r.post, e.post);
    }
    EXPECT_EQ(comparisonTitle(diff), "Compare Versions: Changes");
}

TEST(Comparison, TheTitleAndTheVersionsCompared) {
    TheaterDiff same;
    same.terrain = diffTerrain(flatMap(1), flatMap(1));
    same.objectives.emplace();
    EXPECT_EQ(comparisonTitle(same), "Compare Versions: the Same");
    EXPECT_EQ(rowTexts(comparisonRows(same)),
              (std::vector<std::string>{"0 Terrain: 0 posts changed in 0 sections | ",
                                        "0 Objectives: 0 changed, 0 renumbered, 0 unchanged | "}));
    struct Case {
        const char* terrain;
        const char* source;
        const char* text;
    };
    const Case cases[] = {
        {"", "", "-"},
        {"A.L2", "", "A.L2"},
        {"", "A.csv", "A.csv"},
        {"A.L2", "A.csv", "A.L2, A.csv"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(comparisonVersionText(c.terrain, c.source), c.text);
    }
}

} // namespace
} // namespace vantor
