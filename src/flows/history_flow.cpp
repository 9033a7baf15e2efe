#include "flows/history_flow.h"

#include "app/application_state.h"
#include "app/menu_rules.h"
#include "app/platform_calls.h"
#include "app/shell_texts.h"
#include "base/file_lookup.h"
#include "base/memory.h"
#include "base/text_util.h"
#include "flows/audit_flow.h"
#include "flows/terrain_flow.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_pair.h"
#include "terrain/terrain_writer.h"

#include <cstdio>

namespace vantor {

namespace {

namespace fs = std::filesystem;

// One row of the listing: number, date, the two sizes, what made it.
std::string row(char mark, const std::string& number, const std::string& made,
                const std::string& first, const std::string& second, const std::string& what) {
    char text[128];
    std::snprintf(text, sizeof text, "%c%4s  %-19s  %12s  %12s  ", mark, number.c_str(),
                  made.c_str(), first.c_str(), second.c_str());
    return text + what + "\n";
}

const char* whereNote(const Generation& g) {
    return g.where == Generation::Where::Current ? "  (in place)" : "";
}

// The real files of the terrain, with a write of them that a run left unfinished finished or
// undone first (said in `recovered`), then found whole.
bool pairRecovered(const std::string& terrainPath, fs::path& l2, fs::path& o2,
                   std::string& recovered, std::string& error) {
    if (!terrainPairNames(terrainPath, l2, o2, error)) {
        return false;
    }
    const Recovery r = recoverPairWrite(l2);
    recovered = recoveryText(r, fromFsPath(l2) + " and " + fromFsPath(o2), false);
    if (r.outcome == RecoveryOutcome::Failed) {
        error = recovered;
        recovered.clear();
        return false;
    }
    return terrainPairFor(terrainPath, l2, o2, error);
}

// Reads the pair into the open matrix again, after its files were replaced.
bool readTerrainAgain(ApplicationState& state, const Platform& platform, const fs::path& l2) {
    TerrainPairFiles pair;
    TerrainMatrix matrix;
    const bool opened = openTerrainPair(fromFsPath(l2), false, pair);
    const TerrainResult read = opened ? readTerrain(pair.l2, pair.o2, matrix, {}) : TerrainResult{};
    if (!opened || !read.ok()) {
        showMessages(platform, read.messages);
        showMessage(platform,
                    withReason("The terrain files were put back, but they could not be read "
                               "again; the map shows the terrain as it was",
                               opened ? pair.o2Path : pair.error),
                    texts::error, MessageIcon::Error);
        return false;
    }
    state.terrain.matrix = std::move(matrix);
    return true;
}

bool moveHistoryCommand(ApplicationState& state, const Platform& platform, bool redo) {
    if (!state.terrain.terrainOpen) {
        return false;
    }
    const HistoryMove move = moveTerrainHistory(state.terrain.terrainPath, 1, redo);
    if (!move.ok) {
        showMessage(platform, move.error, redo ? "Redo" : "Undo",
                    move.change.state == SetState::Old && move.change.error.empty()
                        ? MessageIcon::Information
                        : MessageIcon::Error);
        applyMenuEvent(state, platform, MenuEvent::TerrainWritten);
        return false;
    }
    fs::path l2;
    fs::path o2;
    std::string error;
    terrainPairFor(state.terrain.terrainPath, l2, o2, error);
    const bool audited = state.audit.done;
    const std::string auditedSource = lastAuditSource(state);
    forgetAudit(state, platform);
    const bool read = readTerrainAgain(state, platform, l2);
    noteTerrainWritten(state, platform, l2, o2);
    if (read && audited) {
        auditAgain(state, platform, auditedSource);
    }
    showMessage(platform, move.text, redo ? "Redo" : "Undo", MessageIcon::Information);
    return read;
}

} // namespace

bool undoTerrainCommand(ApplicationState& state, const Platform& platform) {
    return moveHistoryCommand(state, platform, false);
}

bool redoTerrainCommand(ApplicationState& state, const Platform& platform) {
    return moveHistoryCommand(state, platform, true);
}

HistoryListing listTerrainHistory(const std::string& l2Path) {
    HistoryListing listing;
    fs::path l2;
    fs::path o2;
    std::string error;
    std::string recovered;
    PairHistory h;
    if (!pairRecovered(l2Path, l2, o2, recovered, error) || !readPairHistory(l2, h, error)) {
        listing.error = "Cannot list the history of " + l2Path + ": " + error +
                        (error.ends_with('.') ? "\n" : ".\n");
        return listing;
    }
    listing.ok = true;
    if (!recovered.empty()) {
        listing.text = recovered + "\n";
    }
    const fs::path folder = historyFolderFor(l2);
    if (h.current() == nullptr) {
        listing.text += fromFsPath(l2) + " and " + fromFsPath(o2) +
                        " have no history yet: Vantor has not written them back. The first "
                        "write-back keeps the pair as it is now as generation 1, in " +
                        fromFsPath(folder) + ".\n";
        return listing;
    }
    std::string& t = listing.text;
    t += "History of " + fromFsPath(l2) + " and " + fromFsPath(o2) + ", kept in " +
         fromFsPath(folder) + " (the first generation and the last " + std::to_string(h.keep) +
         " replaced):\n";
    t += row(' ', "gen", "made", fromFsPath(l2.filename()), fromFsPath(o2.filename()), "made by");
    int givenUp = 0;
    for (const Generation& g : h.generations) {
        // Those given up are counted, not listed: a long history has many.
        if (g.where == Generation::Where::Pruned) {
            ++givenUp;
            continue;
        }
        // Sizes only: the fingerprints are read when the generation is put back.
        const FileFacts a = examinePath(generationFileFor(l2, g.number, l2));
        const FileFacts b = examinePath(generationFileFor(l2, g.number, o2));
        const bool damaged = g.where == Generation::Where::Kept &&
                             (a.kind != FileKind::Regular || b.kind != FileKind::Regular ||
                              a.size != g.firstSize || b.size != g.secondSize);
        t += row(g.where == Generation::Where::Current ? '*' : ' ', std::to_string(g.number),
                 g.made, std::to_string(g.firstSize), std::to_string(g.secondSize),
                 g.what + whereNote(g) +
                     (damaged ? "  (its files are missing or were changed since)" : ""));
    }
    if (givenUp > 0) {
        t += std::to_string(givenUp) + " older generation" + (givenUp == 1 ? " is" : "s are") +
             " no longer kept (given up to keep the last " + std::to_string(h.keep) +
             ", or replaced outside Vantor).\n";
    }
    t += std::to_string(h.keptCount()) + " generation" + (h.keptCount() == 1 ? "" : "s") +
         " kept besides the one in place: " + byteSizeText(h.keptBytes()) + ".\n";
    if (!inPlaceIsCurrent(l2, o2, h)) {
        t += "The pair in place was changed outside Vantor since generation " +
             std::to_string(h.current()->number) +
             " was put there: the next write-back keeps it as a generation of its own.\n";
    }
    const HistoryStep undo = undoStep(h, 1);
    const HistoryStep redo = redoStep(h, 1);
    t += undo.target != 0 ? "Undo puts back generation " + std::to_string(undo.target) + " (" +
                                h.find(undo.target)->what + ")"
                          : "Nothing to undo: " + undo.why;
    t += redo.target != 0 ? "; redo puts back generation " + std::to_string(redo.target) + " (" +
                                h.find(redo.target)->what + ").\n"
                          : "; nothing to redo.\n";
    return listing;
}

HistoryMove moveTerrainHistory(const std::string& l2Path, int steps, bool redo) {
    HistoryMove move;
    const char* verb = redo ? "redo" : "undo";
    fs::path l2;
    fs::path o2;
    std::string error;
    std::string recovered;
    PairHistory h;
    if (!pairRecovered(l2Path, l2, o2, recovered, error) || !readPairHistory(l2, h, error)) {
        move.error = "Cannot " + std::string(verb) + " on " + l2Path + ": " + error +
                     (error.ends_with('.') ? "" : ".");
        move.change.error = error;
        return move;
    }
    const std::string before = recovered.empty() ? std::string() : recovered + "\r\n ";
    if (h.current() == nullptr) {
        move.error = before + "Nothing to " + std::string(verb) + " on " + fromFsPath(l2) +
                     ": the terrain has no history yet: nothing was written back to it.";
        return move;
    }
    // Where the steps lead is decided under the pair's lock, on the history as it is then.
    move.change = moveGenerations(l2, o2, steps, redo);
    if (!move.change.nothingToDo.empty()) {
        move.error = before + "Nothing to " + std::string(verb) + " on " + fromFsPath(l2) + ": " +
                     move.change.nothingToDo + ".";
        return move;
    }
    if (move.change.state != SetState::New) {
        move.error = before + "The " + std::string(verb) + " was not made. " +
                     pairChangeText(move.change, l2, o2);
        return move;
    }
    move.ok = true;
    move.text = before + "Generation " + std::to_string(move.change.restoredGeneration) + " (" +
                move.change.restoredWhat + ", made " + move.change.restoredMade +
                ") is in place again: " + fromFsPath(l2) + " and " + fromFsPath(o2) + ".\r\n " +
                pairChangeText(move.change, l2, o2);
    return move;
}

bool keepTerrainHistory(const std::string& l2Path, int keep, std::string& error) {
    fs::path l2;
    fs::path o2;
    return terrainPairNames(l2Path, l2, o2, error) && setHistoryKeep(l2, o2, keep, error);
}

} // namespace vantor
