#include "cli/diff_command.h"

#include "base/file_lookup.h"
#include "base/git_files.h"
#include "base/input_file.h"
#include "base/process.h"
#include "base/safe_writer.h"
#include "base/text_util.h"
#include "cli/audit_command.h"
#include "cli/exit_status.h"
#include "cli/png_file.h"
#include "flows/diff_flow.h"
#include "map/map_render.h"
#include "objectives/export_format.h"
#include "report/diff_report.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_text.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>

namespace vantor::cli {

namespace {

std::string extensionOf(const std::string& path) {
    return toLowerAscii(fromFsPath(toFsPath(path).extension()));
}

// git's textconv: one file as stable text on standard output, from its own bytes alone.
int textconv(const std::string& path) {
    const std::string ext = extensionOf(path);
    std::string error;
    std::vector<unsigned char> bytes;
    if (!readWholeFile(toFsPath(path), bytes, error)) {
        std::fprintf(stderr, "Error: cannot read %s: %s\n", path.c_str(), error.c_str());
        return exitFailed;
    }
    if (ext == ".l2") {
        return writeL2Text(bytes, stdout) ? exitOk : exitFailed;
    }
    if (ext == ".o2") {
        return writeO2Text(bytes, stdout) ? exitOk : exitFailed;
    }
    const std::string text =
        exportText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                   std::fflush(stdout) == 0
               ? exitOk
               : exitFailed;
}

// The JSON, the page and the summary of a comparison.
int writeDiffOutputs(const TheaterDiff& result, const TerrainMatrix& before,
                     const std::string& startDirectory, const DiffCommand& c) {
    std::string error;
    if (!c.json.empty() &&
        !writeDiffFile(result, c.json, report::diffJson(result, "vantor-cli"), error)) {
        std::fprintf(stderr, "Error: cannot write %s: %s\n", c.json.c_str(), error.c_str());
        return exitFailed;
    }
    if (!c.html.empty()) {
        std::string page;
        if (!report::diffPage(result, before, loadTileClassifier(startDirectory), encodePng, page,
                              error) ||
            !writeDiffFile(result, c.html, page, error)) {
            std::fprintf(stderr, "Error: cannot write %s: %s\n", c.html.c_str(), error.c_str());
            return exitFailed;
        }
    }
    std::fputs(diffSummary(result).c_str(), stdout);
    std::fputs(diffDetails(result).c_str(), stdout);
    return result.same() ? exitOk : exitFindings;
}

// The later files (the working ones, or those --to-rev holds) against the ones --rev holds; the
// files compared are named by revision, not by the copies read.
int diffRevisions(const GlobalOptions& options, const DiffCommand& c) {
    if (!c.toTerrain.empty() || !c.toSource.empty() ||
        (options.terrain.empty() && options.source.empty())) {
        std::fprintf(stderr, "Error: diff --rev compares --terrain and --source as a git revision "
                             "holds them with the working files (or --to-rev); it takes no "
                             "--to-terrain or --to-source\n");
        return exitUsage;
    }
    TemporaryFolder before;
    TemporaryFolder after;
    std::string error;
    if (!before.make(error) || (!c.toRev.empty() && !after.make(error))) {
        std::fprintf(stderr, "Error: %s\n", error.c_str());
        return exitFailed;
    }
    const RevisionCopy earlier =
        copyRevision(options.terrain, options.source, c.rev, before.path());
    RevisionCopy later{options.terrain, options.source, {}};
    if (!c.toRev.empty()) {
        later = copyRevision(options.terrain, options.source, c.toRev, after.path());
    }
    for (const RevisionCopy* copy : {&earlier, static_cast<const RevisionCopy*>(&later)}) {
        if (!copy->error.empty()) {
            std::fprintf(stderr, "Error: %s\n", copy->error.c_str());
            return exitFailed;
        }
    }
    GlobalOptions opened = options;
    opened.terrain = earlier.terrain;
    opened.source = earlier.source;
    CliSession session;
    if (!session.start(opened) ||
        (!earlier.terrain.empty() && !session.openTerrain(earlier.terrain))) {
        return exitFailed;
    }
    TheaterDiff result =
        diffTheater(session.state, session.platform, later.terrain, earlier.source, later.source);
    if (!result.error.empty()) {
        std::fprintf(stderr, "Error: %s\n", result.error.c_str());
        return exitFailed;
    }
    nameRevisions(result, options.terrain, options.source, c.rev, c.toRev);
    return writeDiffOutputs(result, session.state.terrain.matrix,
                            session.state.folders.startDirectory, c);
}

int diff(const GlobalOptions& options, const DiffCommand& c) {
    if (c.textForm != 0 && c.textForm != textFormVersion) {
        std::fprintf(stderr,
                     "Error: git's set-up asks for text form %d, and this vantor-cli writes form "
                     "%d: run vantor-cli git-setup in the repository again\n",
                     c.textForm, textFormVersion);
        return exitFailed;
    }
    if (!c.textconv.empty()) {
        return textconv(c.textconv);
    }
    if (!c.rev.empty()) {
        return diffRevisions(options, c);
    }
    if (!c.toRev.empty()) {
        std::fprintf(stderr, "Error: --to-rev needs --rev, the earlier revision\n");
        return exitUsage;
    }
    const bool terrains = !options.terrain.empty() || !c.toTerrain.empty();
    const bool sources = !options.source.empty() || !c.toSource.empty();
    if ((terrains && (options.terrain.empty() || c.toTerrain.empty())) ||
        (sources && (options.source.empty() || c.toSource.empty())) || (!terrains && !sources)) {
        std::fprintf(stderr, "Error: diff compares --terrain with --to-terrain and --source with "
                             "--to-source (either pair, or both), or gives --textconv FILE\n");
        return exitUsage;
    }
    CliSession session;
    if (!session.start(options) || (terrains && !session.openTerrain(options.terrain))) {
        return exitFailed;
    }
    const TheaterDiff result =
        diffTheater(session.state, session.platform, c.toTerrain, options.source, c.toSource);
    if (!result.error.empty()) {
        std::fprintf(stderr, "Error: %s\n", result.error.c_str());
        return exitFailed;
    }
    return writeDiffOutputs(result, session.state.terrain.matrix,
                            session.state.folders.startDirectory, c);
}

int gitSetup(const DiffCommand& c) {
    const GitSetup setup =
        setUpGitRepository(toFsPath(c.gitSetupFolder), runningProgramPath(), textFormVersion);
    for (const std::string& line : setup.lines) {
        std::printf("%s\n", line.c_str());
    }
    if (!setup.error.empty()) {
        std::fprintf(stderr, "Error: %s\n", setup.error.c_str());
        return exitFailed;
    }
    return exitOk;
}

} // namespace

void addDiffCommand(CLI::App& app, DiffCommand& c) {
    c.app = app.add_subcommand(
        "diff", "Compare --terrain with --to-terrain (posts changed, by section) and --source with "
                "--to-source (objectives added, deleted, moved, re-classed, changed, matched by "
                "ID or, where renumbered, by post and class). Exit status 0 when the two are the "
                "same, 3 when they differ. --textconv FILE prints one file as stable text, for "
                "git diff");
    c.app->add_option("--to-terrain", c.toTerrain, "The later terrain (.L2 with its .O2, or .L2M)");
    c.app->add_option("--to-source", c.toSource, "The later export");
    c.app->add_option("--json", c.json, "Write the changes as JSON (docs/diff.schema.json)");
    c.app->add_option("--html", c.html,
                      "Write one self-contained page: both maps with the changes marked, and "
                      "the tables of the changes");
    c.app->add_option("--textconv", c.textconv,
                      "Print FILE (.L2, .O2 or an export) as stable text and end; for git's "
                      "diff.<driver>.textconv");
    c.app->add_option("--text-form", c.textForm,
                      "With --textconv: the version of the text form git's set-up expects "
                      "(git-setup writes it); another version is refused");
    c.app->add_option("--rev", c.rev,
                      "Compare --terrain and --source as this git revision holds them (a commit, "
                      "tag or branch; HEAD the last commit) with the working files");
    c.app->add_option("--to-rev", c.toRev,
                      "With --rev: compare with the files as this later revision holds them");
    c.gitSetup = app.add_subcommand(
        "git-setup", "Set the git repository that holds DIR up for reviewing theaters: the "
                     ".gitattributes lines for the terrain files and exports, this program as "
                     "the diff driver's textconv (by its absolute path, cached), and its working "
                     "files and history in the repository's exclude list. Run again, it adds "
                     "nothing twice; it says what it wrote");
    c.gitSetup->add_option("DIR", c.gitSetupFolder, "A folder of the repository")
        ->capture_default_str();
}

int runDiffCommand(const GlobalOptions& options, const DiffCommand& c) {
    if (c.gitSetup->parsed()) {
        return gitSetup(c);
    }
    return c.app->parsed() ? diff(options, c) : -1;
}

} // namespace vantor::cli
