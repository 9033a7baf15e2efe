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

} // namespace
} // namespace vantor
