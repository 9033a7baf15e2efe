#include "cli/diff_command.h"

#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "base/text_util.h"
#include "cli/audit_command.h"
#include "cli/png_file.h"
#include "flows/diff_flow.h"
#include "objectives/export_format.h"
#include "report/diff_report.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_text.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>

namespace vantor::cli {

namespace {

constexpr int exitOk = 0;
constexpr int exitFailed = 1;
constexpr int exitUsage = 2;

std::string extensionOf(const std::string& path) {
    return toLowerAscii(fromFsPath(toFsPath(path).extension()));
}

// git's textconv: one file as stable text on standard output.
int textconv(const std::string& path) {
    const std::string ext = extensionOf(path);
    std::string error;
    if (ext == ".l2") {
        const std::filesystem::path o2 = findBeside(o2PathFor(path));
        std::error_code ec;
        if (std::filesystem::is_regular_file(o2, ec)) {
            TerrainMatrix matrix;
            if (!readTerrainInto(path, builtInTheater(), matrix, error)) {
                std::fprintf(stderr, "Error: cannot read %s: %s\n", path.c_str(), error.c_str());
                return exitFailed;
            }
            return writeTerrainText(matrix, stdout) ? exitOk : exitFailed;
        }
    }
    std::vector<unsigned char> bytes;
    if (!readWholeFile(toFsPath(path), bytes, error)) {
        std::fprintf(stderr, "Error: cannot read %s: %s\n", path.c_str(), error.c_str());
        return exitFailed;
    }
    if (ext == ".l2") {
        return writeLoneL2Text(bytes, stdout) ? exitOk : exitFailed;
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

int diff(const GlobalOptions& options, const DiffCommand& c) {
    if (!c.textconv.empty()) {
        return textconv(c.textconv);
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
    std::string error;
    if (!c.json.empty() &&
        !writeDiffFile(result, c.json, report::diffJson(result, "vantor-cli"), error)) {
        std::fprintf(stderr, "Error: cannot write %s: %s\n", c.json.c_str(), error.c_str());
        return exitFailed;
    }
    if (!c.html.empty()) {
        std::string page;
        if (!report::diffPage(result, session.state.terrain.matrix, encodePng, page, error) ||
            !writeDiffFile(result, c.html, page, error)) {
            std::fprintf(stderr, "Error: cannot write %s: %s\n", c.html.c_str(), error.c_str());
            return exitFailed;
        }
    }
    std::fputs(diffSummary(result).c_str(), stdout);
    return result.same() ? exitOk : exitFindings;
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
}

int runDiffCommand(const GlobalOptions& options, const DiffCommand& c) {
    return c.app->parsed() ? diff(options, c) : -1;
}

} // namespace vantor::cli
