#include "flows/mend_flow.h"

#include "app/application_state.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/menu_rules.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "base/text_util.h"
#include "flows/audit_flow.h"
#include "flows/dispatcher.h"
#include "flows/flow_files.h"
#include "flows/terrain_flow.h"
#include "objectives/export_format.h"
#include "terrain/terrain_file.h"
#include "terrain/terrain_writer.h"

#include <algorithm>
#include <ctime>
#include <vector>

namespace vantor {

namespace {

struct Scripts {
    TileScript road, river, transition, bridge;
    RepairScripts repair;
};

// The terrain checks' scripts: a selected check whose script cannot be read is not taken on
// (and said why); the others are read for the repairs only, and are simply left out when
// missing.
void loadScripts(const ApplicationState& state, const Platform& platform, AuditSelection& selected,
                 MendResult& r, Scripts& s) {
    const struct {
        ScriptKind kind;
        AuditCheck check;
        TileScript* script;
        const TileScript** into;
    } wanted[] = {
        {ScriptKind::Road, AuditCheck::Roads, &s.road, &s.repair.road},
        {ScriptKind::River, AuditCheck::Rivers, &s.river, &s.repair.river},
        {ScriptKind::Transition, AuditCheck::Transitions, &s.transition, &s.repair.transition},
        {ScriptKind::Bridge, AuditCheck::Bridges, &s.bridge, &s.repair.bridge},
    };
    for (const auto& w : wanted) {
        const ScriptLoad load =
            loadTileScript(*w.script, w.kind, state.folders.startDirectory, ScriptWording::Own);
        if (load.ok) {
            *w.into = w.script;
            continue;
        }
        if (selected[auditIndex(w.check)]) {
            showMessages(platform, load.messages);
            r.skipped.emplace_back(w.check, std::string(scriptFileName(w.kind)) +
                                                " cannot be used, so nothing is mended there");
            selected[auditIndex(w.check)] = false;
        }
    }
}

bool writeMendedExport(const ApplicationState& state, const Platform& platform,
                       const MendRequest& request, MendResult& r) {
    std::string text;
    std::string error;
    if (!readTextFile(toFsPath(request.sourcePath), text, error)) {
        showMessage(platform, withReason("Cannot read the source " + request.sourcePath, error),
                    texts::error, MessageIcon::Error);
        return false;
    }
    SafeWriter out;
    if (!beginSafeWrite(out, toFsPath(request.outPath)) ||
        !safeWrite(out, exportTitleLine(titleTimeFor(state, request.sourcePath))) ||
        !safeWrite(out, withParents(text, r.parents.parents)) || !commitSafeWrite(out)) {
        reportWriteFailure(platform, out, request.outPath);
        return false;
    }
    r.exportWritten = true;
    return true;
}

std::size_t count(const TerrainMend& mend, MendStep::Outcome outcome) {
    std::size_t n = 0;
    for (const MendStep& step : mend.steps) {
        n += step.outcome == outcome ? 1 : 0;
    }
    return n;
}

} // namespace

namespace {

// The mend itself; false where it did not run to its end.
bool mendInto(ApplicationState& state, const Platform& platform, const MendRequest& request,
              MendResult& r) {
    if (!state.terrain.terrainOpen) {
        return false;
    }
    AuditSelection selected = request.selected;
    Scripts scripts;
    loadScripts(state, platform, selected, r, scripts);
    // The Parents, from the parents check of the source.
    if (selected[auditIndex(AuditCheck::Parents)]) {
        if (request.sourcePath.empty()) {
            r.skipped.emplace_back(AuditCheck::Parents, "no source export was given");
        } else {
            AuditSelection parents{};
            parents[auditIndex(AuditCheck::Parents)] = true;
            r.parentsAudit = auditTheater(state, request.sourcePath, parents);
            if (!r.parentsAudit.error.empty()) {
                showMessage(platform, r.parentsAudit.error, texts::error, MessageIcon::Error);
                return false;
            }
            r.parents = planParentMend(r.parentsAudit.report);
            if (!request.parentLines.empty()) {
                // Only the objects the user applied a Parent to.
                ParentMend only;
                for (const std::size_t i : r.parents.changed) {
                    const std::size_t line = *r.parentsAudit.report.findings[i].sourceLine;
                    if (std::find(request.parentLines.begin(), request.parentLines.end(), line) !=
                        request.parentLines.end()) {
                        only.parents[line] = r.parents.parents[line];
                        only.changed.push_back(i);
                    }
                }
                r.parents = std::move(only);
            }
        }
    }

    TerrainMatrix& matrix = state.terrain.matrix;
    r.terrain = request.chosen.empty() ? mendTerrain(matrix, scripts.repair, selected)
                                       : applyTileRepairs(matrix, scripts.repair, request.chosen);
    if (request.dryRun) {
        undoTileRepairs(matrix, r.terrain.applied);
        return true;
    }
    // Terrain read from a matrix file has no pair to write into: said before anything is
    // written.
    if (!r.terrain.applied.empty() && isMatrixFile(state.terrain.terrainPath)) {
        writeTerrainBack(state, platform, "mended", "mend", {}); // says why it cannot
        undoTileRepairs(matrix, r.terrain.applied);
        return false;
    }
    // The export first: it is a new file, and a failure there leaves the terrain untouched.
    if (!r.parents.parents.empty() && !writeMendedExport(state, platform, request, r)) {
        undoTileRepairs(matrix, r.terrain.applied);
        return false;
    }
    if (r.terrain.applied.empty()) {
        return true;
    }
    // The findings of the last audit no longer hold; it is run again on the mended terrain.
    const bool audited = state.audit.done;
    const std::string auditedSource = lastAuditSource(state);
    forgetAudit(state, platform);
    const std::size_t tiles = r.terrain.applied.size();
    if (!writeTerrainBack(state, platform, "mended", "mend",
                          "Mend of " + countText(tiles, "tile", "tiles"), request.announce)) {
        undoTileRepairs(matrix, r.terrain.applied);
        if (audited) {
            auditAgain(state, platform, auditedSource); // the terrain is as it was
        }
        return false;
    }
    r.terrainWritten = true;
    if (audited) {
        auditAgain(state, platform, auditedSource);
    }
    return true;
}

} // namespace

MendResult mendTheater(ApplicationState& state, const Platform& platform,
                       const MendRequest& request) {
    MendResult r;
    r.done = mendInto(state, platform, request, r);
    return r;
}

ApplyChoice chooseRepairs(const TheaterAudit& audit, std::size_t finding, bool wholeCheck) {
    ApplyChoice choice;
    const std::vector<AuditFinding>& findings = audit.report.findings;
    if (finding >= findings.size()) {
        return choice;
    }
    const AuditFinding& chosen = findings[finding];
    if (!wholeCheck) {
        choice.command = findingCommand(chosen);
        if (choice.command != 0) {
            return choice;
        }
    }
    for (const AuditFinding& f : findings) {
        const bool wanted = &f == &chosen || (wholeCheck && f.check == chosen.check);
        if (!wanted || !canApply(f)) {
            continue;
        }
        if (const std::optional<TileRepair>& tile = f.suggestions.front().tile) {
            const bool again =
                std::any_of(choice.tiles.begin(), choice.tiles.end(),
                            [&](const TileRepair& c) { return c.x == tile->x && c.y == tile->y; });
            if (!again) {
                choice.tiles.push_back(*tile);
            }
        } else if (f.sourceLine) {
            choice.parentLines.push_back(*f.sourceLine);
        }
    }
    if (!choice.parentLines.empty()) {
        for (const AuditInput& input : audit.inputs) {
            if (input.role == "source") {
                choice.sourcePath = input.path;
            }
        }
    }
    return choice;
}

std::optional<MendRequest> mendRequestFor(const ApplicationState& state, const Platform& platform,
                                          const ApplyChoice& choice) {
    if (choice.tiles.empty() && choice.parentLines.empty()) {
        return std::nullopt;
    }
    MendRequest request;
    if (!choice.parentLines.empty()) {
        FileRequest ask;
        ask.role = FileRequestRole::Output;
        ask.kind = FileDialogKind::Save;
        ask.title = "Save the Export with its Parents Mended";
        ask.filter = "Object Export file|*.csv||";
        ask.initialName = "Mended.csv";
        ask.initialFolder = state.folders.csvDirectory;
        const FileRequestResult out = requestFile(platform, ask);
        if (out.status != FileRequestStatus::Chosen) {
            return std::nullopt;
        }
        request.outPath = out.path;
        request.sourcePath = choice.sourcePath;
        request.parentLines = choice.parentLines;
        request.selected[auditIndex(AuditCheck::Parents)] = true;
    }
    request.chosen = choice.tiles;
    request.announce = false;
    return request;
}

std::string applyAllQuestion(const ApplicationState& state, const TheaterAudit& audit,
                             std::size_t finding, const ApplyChoice& choice) {
    const AuditCheck check = audit.report.findings[finding].check;
    const std::size_t findings = static_cast<std::size_t>(
        std::count_if(audit.report.findings.begin(), audit.report.findings.end(),
                      [check](const AuditFinding& f) { return f.check == check && canApply(f); }));
    std::string text = "Apply the first repair of " + countText(findings, "finding", "findings") +
                       " of the check " + auditCheckName(check) + "?";
    if (!choice.tiles.empty()) {
        text += "\r\n\r\n" + countText(choice.tiles.size(), "tile is", "tiles are") +
                " changed and the terrain pair is written back";
        if (state.files.inputs.held.size() == 2) {
            text += ": " + fromFsPath(state.files.inputs.held[0].path) + " and " +
                    fromFsPath(state.files.inputs.held[1].path);
        }
        text += ". The pair it replaces is kept in its history (Edit > Undo).";
    }
    if (!choice.parentLines.empty()) {
        text += "\r\n\r\n" + countText(choice.parentLines.size(), "Parent is", "Parents are") +
                " set in a new export, asked for next; " + choice.sourcePath + " stays as it is.";
    }
    return text;
}

namespace {

bool sameFinding(const AuditFinding& a, const AuditFinding& b) {
    return a.check == b.check && a.mapX == b.mapX && a.mapY == b.mapY && a.objectId == b.objectId &&
           a.detail == b.detail;
}

std::optional<std::size_t> foundIn(const AuditReport& report, const AuditFinding& f) {
    for (std::size_t i = 0; i < report.findings.size(); ++i) {
        if (sameFinding(report.findings[i], f)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::size_t> nextFindingAfterApply(const AuditReport& before, std::size_t applied,
                                                 const AuditReport& after) {
    if (applied >= before.findings.size()) {
        return std::nullopt;
    }
    const AuditCheck check = before.findings[applied].check;
    for (std::size_t i = applied + 1; i < before.findings.size(); ++i) {
        if (before.findings[i].check != check) {
            continue;
        }
        if (const std::optional<std::size_t> at = foundIn(after, before.findings[i])) {
            return at;
        }
    }
    for (std::size_t i = applied + 1; i-- > 0;) {
        if (before.findings[i].check != check) {
            continue;
        }
        if (const std::optional<std::size_t> at = foundIn(after, before.findings[i])) {
            return at;
        }
    }
    // Found anew (a repair can make a finding where there was none): the first of its check.
    for (std::size_t i = 0; i < after.findings.size(); ++i) {
        if (after.findings[i].check == check) {
            return i;
        }
    }
    return std::nullopt;
}

std::string mendSummary(const ApplicationState& state, const MendRequest& request,
                        const MendResult& r) {
    const TerrainMend& t = r.terrain;
    const std::size_t changed = count(t, MendStep::Outcome::Changed);
    const std::size_t earlier = count(t, MendStep::Outcome::MendedEarlier);
    const std::size_t without =
        count(t, MendStep::Outcome::NoRepair) + count(t, MendStep::Outcome::Refused);
    std::string text;
    if (!request.chosen.empty()) {
        // The repairs the user chose, each put in place or said why not.
        const std::size_t chosen = request.chosen.size();
        text = changed == chosen
                   ? (chosen == 1 ? std::string(" The repair was put in place.")
                                  : " All " + std::to_string(chosen) + " repairs put in place.")
                   : " " + std::to_string(changed) + " of " +
                         countText(chosen, "repair", "repairs") + " put in place.";
        for (const MendStep& step : t.steps) {
            if (step.outcome == MendStep::Outcome::Refused) {
                text += "\r\n Not made: " + step.note + ".";
            }
        }
    } else if (!t.steps.empty() || r.parents.parents.empty()) {
        text = " " + countText(changed, "tile", "tiles") + " changed, mending " +
               std::to_string(changed + earlier) + " of " +
               countText(t.steps.size(), "terrain fault", "terrain faults") + "; " +
               std::to_string(without) + " without a repair.";
    }
    if (request.selected[auditIndex(AuditCheck::Parents)] && !request.sourcePath.empty()) {
        text += std::string(text.empty() ? " " : "\r\n ") +
                countText(r.parents.changed.size(), "Parent", "Parents") + " set, " +
                std::to_string(r.parents.withoutRepair.size()) + " without a city or town to take.";
    }
    if (request.dryRun) {
        text += "\r\n Nothing was written (dry run).";
    }
    if (r.terrainWritten && state.files.inputs.held.size() == 2) {
        const std::filesystem::path& l2 = state.files.inputs.held[0].path;
        const std::filesystem::path& o2 = state.files.inputs.held[1].path;
        text += "\r\n The terrain was written into " + fromFsPath(l2) + " and " + fromFsPath(o2) +
                ". " + pairChangeText(state.terrain.lastWrite, l2, o2);
    }
    if (r.exportWritten) {
        text += "\r\n The mended export was written to " + request.outPath + ".";
    }
    return text;
}

AppliedRepairs applyRepairs(ApplicationState& state, const Platform& platform, std::size_t finding,
                            bool wholeCheck, const WorkRunner& runWork) {
    AppliedRepairs applied;
    if (!state.audit.done || finding >= state.audit.last.report.findings.size()) {
        return applied;
    }
    const ApplyChoice choice = chooseRepairs(state.audit.last, finding, wholeCheck);
    if (choice.command != 0) {
        applied.command = choice.command; // its own dialogs and message
        return applied;
    }
    if (wholeCheck &&
        showMessage(platform, applyAllQuestion(state, state.audit.last, finding, choice),
                    "Apply All of Check", MessageIcon::Question,
                    MessageButtons::YesNo) != MessageAnswer::Yes) {
        return applied;
    }
    const std::optional<MendRequest> request = mendRequestFor(state, platform, choice);
    if (!request) {
        return applied;
    }
    const AuditReport before = state.audit.last.report;
    MendResult result;
    runWork(cmd::MendTheater, [&] {
        runFlow(state, platform, cmd::MendTheater, [&] {
            result = mendTheater(state, platform, *request);
            return result.done;
        });
    });
    if (!result.done ||
        (!result.terrainWritten && !result.exportWritten && result.terrain.steps.empty())) {
        return applied; // it said why
    }
    applied.done = true;
    const std::string summary = mendSummary(state, *request, result);
    applied.refused =
        std::any_of(result.terrain.steps.begin(), result.terrain.steps.end(),
                    [](const MendStep& s) { return s.outcome == MendStep::Outcome::Refused; });
    if (applied.refused) {
        showMessage(platform, summary, "Repairs Not All Applied", MessageIcon::Warning);
    }
    // One line: the message's line breaks (and the blank that starts a continued line) go.
    const std::size_t first = summary.find_first_not_of(" \t\r\n");
    std::string line = first == std::string::npos
                           ? std::string()
                           : summary.substr(first, summary.find_last_not_of(" \t\r\n") - first + 1);
    for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;) {
        const std::size_t end = at + 2 < line.size() && line[at + 2] == ' ' ? at + 3 : at + 2;
        line.replace(at, end - at, " ");
    }
    applied.line = std::move(line);
    if (state.audit.done) {
        applied.next = nextFindingAfterApply(before, finding, state.audit.last.report);
    }
    return applied;
}

} // namespace vantor
