#include "cli/mend_command.h"

#include "app/commands.h"
#include "audit/mend.h"
#include "cli/audit_command.h"
#include "cli/exit_status.h"
#include "flows/mend_flow.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace vantor::cli {

namespace {

bool mendedCheck(const AuditCheckFacts& facts) {
    return facts.mender == AuditMender::Mend;
}

const char* outcomeWords(MendStep::Outcome outcome) {
    switch (outcome) {
    case MendStep::Outcome::Changed:
        return "mended";
    case MendStep::Outcome::MendedEarlier:
        return "mended by an earlier change";
    case MendStep::Outcome::NoRepair:
        return "no repair";
    case MendStep::Outcome::Refused:
        return "not changed";
    }
    return "";
}

void printTerrainStep(const MendStep& step) {
    std::printf("%-12s Map X %d, Map Y %d: %s: %s", auditCheckName(step.check), step.x, step.y,
                step.detail.c_str(), outcomeWords(step.outcome));
    if (step.repair) {
        const TileRepair& r = *step.repair;
        std::printf(", Map X %d, Map Y %d tile %u -> %u (mends %d)", r.x, r.y, r.from, r.to,
                    r.mended);
    } else if (!step.note.empty()) {
        std::printf(" (%s)", step.note.c_str());
    }
    std::printf("\n");
}

void printParents(const MendResult& r) {
    const std::vector<AuditFinding>& findings = r.parentsAudit.report.findings;
    for (const std::size_t i : r.parents.changed) {
        const AuditFinding& f = findings[i];
        const AuditSuggestion& s = f.suggestions.front();
        std::printf("parents      %s (ID %d, line %zu): %s: Parent -> %d (%s, %.1f posts away)\n",
                    f.objectName.c_str(), f.objectId.value_or(0), *f.sourceLine + 1,
                    f.detail.c_str(), *s.parent, s.parentName.c_str(), s.distance);
    }
    for (const std::size_t i : r.parents.withoutRepair) {
        const AuditFinding& f = findings[i];
        std::printf("parents      %s (ID %d, line %zu): %s: no repair (%s)\n", f.objectName.c_str(),
                    f.objectId.value_or(0), *f.sourceLine + 1, f.detail.c_str(),
                    f.repairNote.c_str());
    }
}

int mend(const GlobalOptions& options, const MendCommand& c) {
    if (options.terrain.empty()) {
        std::fprintf(stderr, "Error: mend needs --terrain\n");
        return exitUsage;
    }
    AuditSelection selected{};
    if (const std::optional<std::string> wrong = selectAuditChecks(c.only, {}, selected)) {
        std::fprintf(stderr, "Error: %s\n", wrong->c_str());
        return exitUsage;
    }
    for (AuditCheck check : auditChecks) {
        if (!mendsCheck(check)) {
            if (selected[auditIndex(check)] && !c.only.empty()) {
                std::fprintf(stderr, "Error: --only: mend takes on %s, not %s\n",
                             auditCheckNames(mendedCheck, " and ").c_str(), auditCheckName(check));
                return exitUsage;
            }
            selected[auditIndex(check)] = false;
        }
    }
    bool& parents = selected[auditIndex(AuditCheck::Parents)];
    if (options.source.empty()) {
        if (parents && !c.only.empty()) {
            std::fprintf(stderr, "Error: mending parents needs --source\n");
            return exitUsage;
        }
        parents = false;
    } else if (parents && options.out.empty() && !c.dryRun) {
        std::fprintf(stderr, "Error: the mended Parents go to a new export: give --out FILE.csv "
                             "(never the source), or --dry-run\n");
        return exitUsage;
    }
    CliSession session;
    // A dry run writes nothing, not even the end of a write another run left half done.
    session.state.terrain.dryRun = c.dryRun;
    if (!session.start(options) || !session.openTerrain(options.terrain)) {
        return exitFailed;
    }
    MendRequest request;
    request.selected = selected;
    request.sourcePath = options.source;
    request.outPath = options.out;
    request.dryRun = c.dryRun;
    // The write-back's own closing message is said below, with the rest.
    const bool quietBefore = session.io.quiet;
    session.io.quiet = true;
    MendResult r;
    const bool done = session.runFlow(cmd::MendTheater, [&] {
        r = mendTheater(session.state, session.platform, request);
        return r.done;
    });
    session.io.quiet = quietBefore;
    for (const MendStep& step : r.terrain.steps) {
        printTerrainStep(step);
    }
    printParents(r);
    for (const auto& [check, reason] : r.skipped) {
        std::printf("%-12s skipped: %s\n", auditCheckName(check), reason.c_str());
    }
    if (!done) {
        const bool unfinished = session.state.terrain.lastWrite.state == SetState::Unfinished;
        const std::string exported = r.exportWritten
                                         ? "the Parents were written to " + request.outPath
                                         : std::string("the source is as it was");
        if (unfinished) {
            std::fprintf(stderr,
                         "Error: the terrain's write was left unfinished (see above): the next "
                         "open of %s makes it the old pair or the mended one; %s\n",
                         options.terrain.c_str(), exported.c_str());
        } else if (r.exportWritten) {
            std::fprintf(stderr, "Error: the terrain was not mended (see above); %s\n",
                         exported.c_str());
        } else {
            std::fprintf(stderr, "Error: nothing was mended%s\n",
                         request.dryRun ? "" : "; the terrain and the source are as they were");
        }
        return exitFailed;
    }
    if (!options.quiet) {
        std::string summary = mendSummary(session.state, request, r);
        for (std::size_t at; (at = summary.find("\r\n")) != std::string::npos;) {
            summary.replace(at, 2, "\n");
        }
        std::printf("Mend Finished:%s\n", summary.c_str());
    }
    if (!r.skipped.empty()) {
        return exitFailed;
    }
    const bool everything = r.terrain.remaining == 0 && r.parents.withoutRepair.empty();
    return everything ? exitOk : exitFindings;
}

} // namespace

void addMendCommand(CLI::App& app, MendCommand& c) {
    c.app = app.add_subcommand(
        "mend",
        "Put the first-ranked repair of every road, river and transition break and every "
        "two-tile bridge without its far tile on --terrain (the L2/O2 pair replaced as one, the "
        "previous pair kept in its history: see history, undo), and write --source with the "
        "suggested Parents to --out. Exit status 0 when everything found was mended, 3 when "
        "something had no repair");
    c.app->add_option("--only", c.only,
                      "Mend only these: " + auditCheckNames(mendedCheck) +
                          " (default: all; parents with --source)");
    c.app->add_flag("--dry-run", c.dryRun, "Say what would be mended; change and write nothing");
}

int runMendCommand(const GlobalOptions& options, const MendCommand& c) {
    return c.app->parsed() ? mend(options, c) : -1;
}

} // namespace vantor::cli
