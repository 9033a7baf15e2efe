#include "cli/audit_command.h"

#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "cli/exit_status.h"
#include "cli/png_file.h"
#include "flows/audit_flow.h"
#include "map/map_render.h"
#include "report/audit_json.h"
#include "report/audit_page.h"
#include "report/audit_sarif.h"
#include "terrain/post_records.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <future>

namespace vantor::cli {

namespace {

// The page's picture: the relief map of the whole theater, drawn and encoded while the audit
// runs (both only read the terrain), so that the page costs little more than the JSON.
struct PagePicture {
    report::AuditPageMap map;
    std::string error;
    bool drawn = false;
};

std::future<PagePicture> drawPagePicture(const TerrainMatrix& matrix) {
    return std::async(std::launch::async, [&matrix] {
        PagePicture picture;
        picture.drawn = report::drawAuditMap(matrix, encodePng, picture.map, picture.error);
        return picture;
    });
}

// The page: the picture under the findings' markers.
bool writeAuditPage(const CliSession& session, const TheaterAudit& audit, const std::string& json,
                    const PagePicture& picture, const std::string& path, std::string& error) {
    if (!picture.drawn) {
        error = picture.error;
        return false;
    }
    const std::string page =
        report::auditPage(report::auditTitle(audit, session.state.theater), json, picture.map);
    return writeAuditFile(audit, path, page, error);
}

int audit(const GlobalOptions& options, const AuditCommand& c) {
    if (options.terrain.empty()) {
        std::fprintf(stderr, "Error: audit needs --terrain\n");
        return exitUsage;
    }
    AuditSelection selected{};
    if (const std::optional<std::string> wrong = selectAuditChecks(c.only, c.skip, selected)) {
        std::fprintf(stderr, "Error: %s\n", wrong->c_str());
        return exitUsage;
    }
    RadarSettings radar;
    if (const std::optional<std::string> problem = radarSettingsOf(c.radar, radar)) {
        std::fprintf(stderr, "Error: %s\n", problem->c_str());
        return exitUsage;
    }
    std::string error;
    CliSession session;
    if (!session.start(options) || !session.openTerrain(options.terrain)) {
        return exitFailed;
    }
    session.state.tools.radarSettings = radar;
    // The baseline is read before the audit runs, so that a bad one costs nothing.
    std::vector<BaselineFinding> known;
    if (!c.baseline.empty()) {
        if (!report::readBaseline(c.baseline, known, error)) {
            std::fprintf(stderr, "Error: cannot use %s as the baseline: %s\n", c.baseline.c_str(),
                         error.c_str());
            return exitFailed;
        }
    }
    std::future<PagePicture> picture;
    if (!c.html.empty()) {
        picture = drawPagePicture(session.state.terrain.matrix);
    }
    TheaterAudit result =
        auditWithProgress(session.state, session.platform, options.source, selected, !c.noRepairs);
    const PagePicture drawn = picture.valid() ? picture.get() : PagePicture{};
    if (!c.baseline.empty()) {
        compareWithBaseline(result.report, known, c.baseline);
    }
    if (!result.error.empty() || result.report.stopped) {
        std::fprintf(stderr, "Error: %s\n",
                     result.report.stopped ? "the audit was stopped" : result.error.c_str());
        return exitFailed;
    }
    const std::string json = report::auditJson(result, session.state.theater, "vantor-cli");
    if (!c.json.empty() && !writeAuditFile(result, c.json, json, error)) {
        std::fprintf(stderr, "Error: cannot write %s: %s\n", c.json.c_str(), error.c_str());
        return exitFailed;
    }
    if (!c.html.empty() && !writeAuditPage(session, result, json, drawn, c.html, error)) {
        std::fprintf(stderr, "Error: cannot write %s: %s\n", c.html.c_str(), error.c_str());
        return exitFailed;
    }
    if (!c.sarif.empty()) {
        // Without the O2's offsets the posts have no byte range; the rest of the log stands.
        PostRecords records;
        std::string why;
        const bool located =
            locatePostRecords(options.terrain, session.state.terrain.matrix, records, why);
        if (!located) {
            std::fprintf(stderr, "Warning: %s; the SARIF log gives no byte ranges\n", why.c_str());
        }
        const std::string log = report::auditSarif(result, session.state.theater,
                                                   located ? &records : nullptr, "vantor-cli");
        if (!writeAuditFile(result, c.sarif, log, error)) {
            std::fprintf(stderr, "Error: cannot write %s: %s\n", c.sarif.c_str(), error.c_str());
            return exitFailed;
        }
    }
    // One line per check, then the total: what a build log shows.
    std::string skipped;
    for (AuditCheck check : auditChecks) {
        const AuditOutcome& outcome = result.report.outcomes[auditIndex(check)];
        if (!outcome.selected) {
            continue;
        }
        if (outcome.skipped) {
            std::printf("%-12s skipped: %s\n", auditCheckName(check), outcome.reason.c_str());
            skipped += std::string(skipped.empty() ? "" : ",") + auditCheckName(check);
        } else {
            // Against a baseline a check counts what is new since.
            std::printf("%-12s %zu\n", auditCheckName(check),
                        result.report.baseline ? outcome.fresh : outcome.count);
        }
    }
    const std::size_t counted =
        result.report.baseline ? result.report.baseline->fresh : result.report.total();
    std::printf("%-12s %zu\n", "total", counted);
    if (result.report.baseline) {
        const AuditBaseline& b = *result.report.baseline;
        std::printf("%-12s %zu (in the baseline %s", "known", b.known, c.baseline.c_str());
        if (b.renumbered > 0) {
            std::printf("; %zu of them under another objective ID", b.renumbered);
        }
        std::printf(")\n");
    }
    for (const std::string* written : {&c.json, &c.html, &c.sarif}) {
        if (!written->empty() && !options.quiet) {
            std::printf("Wrote %s\n", written->c_str());
        }
    }
    // A check that could not run has not found the theater clean: the audit is incomplete
    // unless the user leaves that check out.
    if (!skipped.empty()) {
        if (!options.dirGiven && !session.io.startFolderHint.empty()) {
            std::fprintf(stderr, "%s\n", session.io.startFolderHint.c_str());
        }
        std::fprintf(stderr,
                     "Error: the audit is incomplete: %s could not run (see above); give what "
                     "they need, or leave them out with --skip %s\n",
                     skipped.c_str(), skipped.c_str());
        return exitFailed;
    }
    return counted == 0 ? exitOk : exitFindings;
}

} // namespace

void addAuditCommand(CLI::App& app, AuditCommand& c) {
    c.app = app.add_subcommand(
        "audit",
        "Run every check on --terrain and --source read-only and report what is wrong: one "
        "line per check, then the total. Exit status 0 when nothing was found, 3 when "
        "something was, 1 when a selected check could not run. Checks: " +
            auditCheckNames() + "; the scripts and lists come from --dir");
    c.app->add_option("--json", c.json, "Write every finding as JSON (docs/audit.schema.json)");
    c.app->add_option("--html", c.html,
                      "Write one self-contained page: the summary, the map with every finding "
                      "as a marker, and the table of findings");
    c.app->add_option("--sarif", c.sarif,
                      "Write the findings as a SARIF 2.1.0 log, for code-scanning tools");
    c.app->add_option("--only", c.only, "Run only these checks, comma-separated");
    c.app->add_option("--skip", c.skip, "Run every check but these, comma-separated");
    c.app->add_option("--baseline", c.baseline,
                      "An earlier audit's --json: count, and end with 3 for, only the findings "
                      "it does not hold (matched by their keys)");
    c.app->add_flag("--no-repairs", c.noRepairs,
                    "Report the findings alone, without the repairs that would mend them");
    // The radar check compares the stored profiles with those of these settings, as radar
    // would write them.
    addRadarOptions(*c.app, c.radar);
}

int runAuditCommand(const GlobalOptions& options, const AuditCommand& c) {
    return c.app->parsed() ? audit(options, c) : -1;
}

} // namespace vantor::cli
