// A theater under git, set up as the README says (through git-setup): the diffs of a change show
// that change and nothing else, and diff --rev finds exactly the posts it changed.
#include "support/run_program.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vantor {
namespace {

using testing::runProgram;

testing::ProgramRun cli(const std::vector<std::string>& args) {
    return runProgram(VANTOR_CLI_PATH, args);
}

struct Repository {
    testing::TempDir dir;
    std::string d = dir.str();
    testing::TempDir outside; // outputs that are no part of the theater

    testing::ProgramRun git(std::vector<std::string> args) const {
        args.insert(args.begin(), {"-C", d, "-c", "user.name=Builder", "-c",
                                   "user.email=builder@example.org", "-c", "commit.gpgsign=false"});
        return runProgram("git", args);
    }
    std::string file(const std::string& name) const { return (dir.path / name).string(); }
};

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The changed posts of a diff's JSON: where, and what they were and became.
std::set<std::string> changedPosts(const std::string& json) {
    std::set<std::string> posts;
    const nlohmann::json doc = nlohmann::json::parse(json, nullptr, false);
    if (doc.is_discarded() || !doc.contains("terrain")) {
        ADD_FAILURE() << "no terrain comparison in " << json.substr(0, 200);
        return posts;
    }
    for (const auto& p : doc["terrain"]["posts"]) {
        posts.insert(p.dump());
    }
    return posts;
}

TEST(Git, AChangeShowsOnlyItselfAndTheRevisionDiffFindsExactlyItsPosts) {
    Repository r;
    if (runProgram("git", {"--version"}).exitCode != 0) {
        GTEST_SKIP() << "git is not installed";
    }
    ASSERT_EQ(runProgram("git", {"init", "-q", r.d}).exitCode, 0);
    ASSERT_EQ(cli({"sample", r.d, "--sections", "16"}).exitCode, 0);

    // The README's set-up, literally: one command, and run again it changes nothing.
    const auto setup = cli({"git-setup", r.d});
    ASSERT_EQ(setup.exitCode, 0) << setup.err;
    EXPECT_NE(setup.out.find(".gitattributes: written with 5 lines"), std::string::npos)
        << setup.out;
    EXPECT_NE(setup.out.find("git config diff.vantor.textconv set to '"), std::string::npos)
        << setup.out;
    EXPECT_NE(setup.out.find("' diff --text-form 2 --textconv"), std::string::npos) << setup.out;
    const std::string attributes = testing::readFile(r.dir.path / ".gitattributes");
    const auto again = cli({"git-setup", r.d});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.out.find("already has its lines"), std::string::npos) << again.out;
    EXPECT_EQ(testing::readFile(r.dir.path / ".gitattributes"), attributes);

    ASSERT_EQ(r.git({"add", "-A"}).exitCode, 0);
    ASSERT_EQ(r.git({"commit", "-q", "-m", "The sample theater"}).exitCode, 0);
    const auto levelled = cli({"--quiet", "--dir", r.d, "--terrain", r.file("Theater.L2"),
                               "--source", r.file("Theater.csv"), "level-airbases"});
    ASSERT_EQ(levelled.exitCode, 0) << levelled.err;
    const auto status = r.git({"status", "--porcelain"});
    EXPECT_EQ(status.out, " M Theater.L2\n") << "the history and backups are no part of it";

    // What the levelling changed, from the working pair against the one it replaced.
    const std::string reference = (r.outside.path / "reference.json").string();
    cli({"--quiet", "--dir", r.d, "--terrain", r.file("Theater.L2.vantor-history/g0001-Theater.L2"),
         "diff", "--to-terrain", r.file("Theater.L2"), "--json", reference});
    const std::set<std::string> posts = changedPosts(testing::readFile(reference));
    ASSERT_FALSE(posts.empty());

    // diff --rev HEAD: exactly those posts, read from git.
    const std::string revision = (r.outside.path / "revision.json").string();
    const auto rev = cli({"--quiet", "--dir", r.d, "--terrain", r.file("Theater.L2"), "diff",
                          "--rev", "HEAD", "--json", revision});
    EXPECT_EQ(rev.exitCode, 3) << rev.err;
    EXPECT_EQ(changedPosts(testing::readFile(revision)), posts);

    // Every place that names a changed post's section names it as info does.
    const std::string page = (r.outside.path / "revision.html").string();
    const auto text = cli({"--quiet", "--dir", r.d, "--terrain", r.file("Theater.L2"), "diff",
                           "--rev", "HEAD", "--html", page});
    const nlohmann::json doc = nlohmann::json::parse(testing::readFile(revision));
    const int x = doc["terrain"]["posts"][0]["mapX"];
    const int y = doc["terrain"]["posts"][0]["mapY"];
    const auto info = cli({"--quiet", "--dir", r.d, "--terrain", r.file("Theater.L2"), "info",
                           std::to_string(x), std::to_string(y)});
    const std::size_t open = info.out.find("(Sect X ");
    ASSERT_NE(open, std::string::npos) << info.out;
    const std::string sect = info.out.substr(open + 1, info.out.find(", Tile X") - open - 1);
    const std::string where = "Map X " + std::to_string(x) + ", Map Y " + std::to_string(y);
    EXPECT_NE(text.out.find("  " + where + " (" + sect + "): tile "), std::string::npos)
        << sect << "\n"
        << text.out.substr(0, 3000);
    EXPECT_NE(text.out.find("\n  " + sect + ": "), std::string::npos) << text.out.substr(0, 3000);
    EXPECT_NE(testing::readFile(page).find("<td>" + where + "</td><td>" + sect + "</td>"),
              std::string::npos);
    bool inJson = false;
    for (const auto& s : doc["terrain"]["sections"]) {
        inJson = inJson || "Sect X " + std::to_string(s["sectX"].get<int>()) + ", Sect Y " +
                                   std::to_string(s["sectY"].get<int>()) ==
                               sect;
    }
    EXPECT_TRUE(inJson) << sect;

    // git diff, and git show of the commit (its text forms cached), print a few lines a post.
    const auto diff = r.git({"diff"});
    ASSERT_EQ(diff.exitCode, 0) << diff.err;
    EXPECT_LE(lineCount(diff.out), 8 * posts.size() + 20) << diff.out.substr(0, 2000);
    EXPECT_NE(diff.out.find("\n-r"), std::string::npos) << diff.out.substr(0, 2000);
    ASSERT_EQ(r.git({"commit", "-q", "-a", "-m", "Airbases levelled"}).exitCode, 0);
    for (int run = 0; run < 2; ++run) {
        const auto show = r.git({"show", "--format=%s"});
        ASSERT_EQ(show.exitCode, 0) << show.err;
        EXPECT_LE(lineCount(show.out), 8 * posts.size() + 20) << show.out.substr(0, 2000);
    }

    // Two revisions against each other, and what is refused.
    const auto between = cli({"--quiet", "--dir", r.d, "--terrain", r.file("Theater.L2"), "diff",
                              "--rev", "HEAD~1", "--to-rev", "HEAD", "--json", revision});
    EXPECT_EQ(between.exitCode, 3) << between.err;
    EXPECT_EQ(changedPosts(testing::readFile(revision)), posts);
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"diff", "--rev", "no-such-revision"}, "no-such-revision"},
        {{"diff", "--rev", "HEAD", "--to-terrain", r.file("Theater.L2")}, "--to-terrain"},
        {{"diff", "--to-rev", "HEAD"}, "--to-rev needs --rev"},
    };
    for (const auto& [args, said] : refused) {
        std::vector<std::string> all{"--quiet", "--dir", r.d, "--terrain", r.file("Theater.L2")};
        all.insert(all.end(), args.begin(), args.end());
        const auto run = cli(all);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
    }
    // A set-up that names another text form than this program writes: git-setup again.
    const auto otherForm = cli({"diff", "--text-form", "1", "--textconv", r.file("Theater.L2")});
    EXPECT_EQ(otherForm.exitCode, 1);
    EXPECT_NE(otherForm.err.find("run vantor-cli git-setup"), std::string::npos) << otherForm.err;
    const auto notInGit = cli({"git-setup", r.outside.str()});
    EXPECT_EQ(notInGit.exitCode, 1);
    EXPECT_NE(notInGit.err.find("is in no git work tree"), std::string::npos) << notInGit.err;
}

} // namespace
} // namespace vantor
