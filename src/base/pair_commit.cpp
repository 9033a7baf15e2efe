#include "base/pair_commit.h"

#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "base/text_util.h"

#include <algorithm>
#include <thread>

namespace vantor {

namespace {

namespace fs = std::filesystem;

// --- The journal's text ---------------------------------------------------------------------

constexpr std::string_view journalTitle = "Vantor commit journal 1";
constexpr std::string_view legacyTitle = "Vantor pair commit 1";

// Paths are kept relative to the journal's folder: a file of the folder, or of a history
// folder inside it. Anything else (a path out of the folder, an absolute one) is no journal of
// ours.
bool plainName(std::string_view name) {
#ifdef _WIN32
    constexpr std::string_view separators = "/\\:";
#else
    constexpr std::string_view separators = "/"; // "Map 1:2.L2" is a name like any other here
#endif
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(separators) == std::string_view::npos &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string relativeText(const fs::path& folder, const fs::path& path) {
    return fromFsPathGeneric(path.lexically_relative(folder));
}

bool parseRelative(const fs::path& folder, std::string_view text, fs::path& path) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        if (!plainName(text)) {
            return false;
        }
        path = folder / toFsPath(text);
        return true;
    }
    const std::string_view first = text.substr(0, slash);
    const std::string_view second = text.substr(slash + 1);
    constexpr std::string_view historySuffix = ".vantor-history";
    if (!plainName(first) || !plainName(second) || first.size() <= historySuffix.size() ||
        first.substr(first.size() - historySuffix.size()) != historySuffix) {
        return false;
    }
    path = folder / toFsPath(first) / toFsPath(second);
    return true;
}

// The record earlier versions wrote: for each file its target, its new version and where the
// old one went, and whether the old one was kept.
bool parseLegacyRecord(const fs::path& folder, std::string_view text, CommitJournal& journal) {
    bool titled = false;
    bool ok = true;
    forEachTextLine(text, [&](std::string_view line) {
        if (!titled) {
            titled = line == legacyTitle;
            return ok = titled;
        }
        if (line.empty()) {
            return true;
        }
        const std::vector<std::string_view> f = tabFields(line);
        CommitSlot slot;
        if (f.size() != 4 || !plainName(f[0]) || !plainName(f[1]) || !plainName(f[2]) ||
            (f[3] != "0" && f[3] != "1")) {
            return ok = false;
        }
        slot.target = folder / toFsPath(f[0]);
        slot.incoming = folder / toFsPath(f[1]);
        // Earlier versions committed over files that were there, so an old one always went aside.
        slot.aside = folder / toFsPath(f[2]);
        if (f[3] == "0") {
            journal.removeAfter.push_back(slot.aside);
        }
        journal.entries.push_back(slot);
        return true;
    });
    journal.what = "an interrupted write of an earlier version";
    return ok && titled && !journal.entries.empty();
}

// --- What a slot's files say ------------------------------------------------------------------

// How far a slot got, told by which of its three names are there. The renames of one slot go
// target -> aside, then incoming -> target, so each stage leaves its own mark.
enum class SlotStage { Untouched, Aside, Done };

struct SlotView {
    bool target = false;
    bool incoming = false;
    bool aside = false;
    bool hasAside = false;
};

SlotView viewOf(const CommitSlot& slot) {
    SlotView v;
    v.target = namePresent(slot.target);
    v.incoming = namePresent(slot.incoming);
    v.hasAside = !slot.aside.empty();
    v.aside = v.hasAside && namePresent(slot.aside);
    return v;
}

// Whether the slot can still end with its new file in place.
bool canFinish(const SlotView& v) {
    if (!v.hasAside) {
        return v.target != v.incoming; // not yet moved, or moved; both there is no state of ours
    }
    if (v.target && v.incoming) {
        return !v.aside; // untouched
    }
    return v.incoming || (v.target && v.aside);
}

// Whether the slot can still end with its old file in place (or none, when there was none).
bool canUndo(const SlotView& v) {
    if (!v.hasAside) {
        return !(v.target && v.incoming);
    }
    if (v.target && v.incoming) {
        return !v.aside;
    }
    return v.aside || (v.target && !v.incoming);
}

bool isDone(const SlotView& v) {
    return v.target && !v.incoming && (!v.hasAside || v.aside);
}

enum class Direction { Finish, Undo, Neither };

Direction directionFor(const CommitJournal& journal, bool preferUndo) {
    bool finish = true;
    bool undo = true;
    for (const CommitSlot& slot : journal.entries) {
        const SlotView v = viewOf(slot);
        finish = finish && canFinish(v);
        undo = undo && canUndo(v);
    }
    if (preferUndo) {
        return undo ? Direction::Undo : finish ? Direction::Finish : Direction::Neither;
    }
    return finish ? Direction::Finish : undo ? Direction::Undo : Direction::Neither;
}

bool renameStep(const fs::path& from, const fs::path& to, std::string& error) {
    crashPoint();
    if (!renameOver(from, to, error)) {
        error = "cannot move " + fromFsPath(from) + " to " + fromFsPath(to) + ": " + error;
        return false;
    }
    return true;
}

// Every old file aside, then every new file in place; a slot already past a step skips it.
bool moveForward(const CommitJournal& journal, std::string& error) {
    for (const CommitSlot& slot : journal.entries) {
        const SlotView v = viewOf(slot);
        if (!v.hasAside || !v.target || !v.incoming) {
            continue;
        }
        if (v.aside) {
            error = "cannot move " + fromFsPath(slot.target) + " aside: " + fromFsPath(slot.aside) +
                    " is in the way";
            return false;
        }
        if (!renameStep(slot.target, slot.aside, error)) {
            return false;
        }
    }
    for (const CommitSlot& slot : journal.entries) {
        const SlotView v = viewOf(slot);
        if (!v.incoming) {
            continue;
        }
        if (v.target) {
            // Never over a file: the old one has gone aside by now, so this one is not ours.
            error = "cannot move " + fromFsPath(slot.incoming) + " to " + fromFsPath(slot.target) +
                    ": a file is in the way";
            return false;
        }
        if (!renameStep(slot.incoming, slot.target, error)) {
            return false;
        }
    }
    return true;
}

// The new files back to their own names and the old ones into place, last slot first; then the
// new files written for this commit are removed.
bool moveBack(const CommitJournal& journal, std::string& error, std::string& notes) {
    for (auto slot = journal.entries.rbegin(); slot != journal.entries.rend(); ++slot) {
        const SlotView v = viewOf(*slot);
        if (v.target && !v.incoming && (!v.hasAside || v.aside) &&
            !renameStep(slot->target, slot->incoming, error)) {
            return false;
        }
        if (v.hasAside && v.aside && !renameStep(slot->aside, slot->target, error)) {
            return false;
        }
    }
    for (const CommitSlot& slot : journal.entries) {
        std::string why;
        if (slot.incomingIsTemporary && !removeFile(slot.incoming, why)) {
            notes += " The new file " + fromFsPath(slot.incoming) + " could not be removed (" +
                     why + "); it is never read and may be deleted.";
        }
    }
    return true;
}

bool syncFolders(const fs::path& first, const CommitJournal& journal, std::string& error) {
    std::vector<fs::path> folders{first.parent_path()};
    for (const CommitSlot& slot : journal.entries) {
        for (const fs::path* p : {&slot.target, &slot.aside}) {
            if (!p->empty() &&
                std::find(folders.begin(), folders.end(), p->parent_path()) == folders.end()) {
                folders.push_back(p->parent_path());
            }
        }
    }
    for (const fs::path& folder : folders) {
        crashPoint();
        if (!syncFolderChecked(folder, error)) {
            error = "the folder " + fromFsPath(folder) + " could not be synced: " + error;
            return false;
        }
    }
    return true;
}

bool removeJournal(const fs::path& path, std::string& error) {
    crashPoint();
    return removeFile(path, error);
}

// The commit's end, once every new file is in place and the folders are synced. The second names
// of old files go first (a set under those names is then never part old, part new: at worst one
// is missing); then the journal, which makes the commit complete whatever happens after; then the
// second names are made afresh and the old files that are not kept go. Those last two are tidying:
// a run that stops during them leaves at most a missing backup name or a stale file, which the
// next commit puts right. False when the journal could not be removed (the next open finishes).
bool completeCommit(const fs::path& journalPath, const CommitJournal& journal, std::string& notes) {
    bool cleared = true;
    std::vector<std::pair<fs::path, fs::path>> toMake;
    for (const auto& [existing, link] : journal.linksAfter) {
        const FileFacts have = examinePath(existing);
        if (have.kind != FileKind::Regular) {
            continue; // never there: nothing to name
        }
        if (namePresent(link) && examinePath(link).identity == have.identity) {
            continue;
        }
        std::string why;
        crashPoint();
        if (!removeFile(link, why)) {
            notes += " " + fromFsPath(link) + " could not be replaced (" + why + ").";
            cleared = false;
        }
        toMake.emplace_back(existing, link);
    }
    std::string why;
    if (!removeJournal(journalPath, why)) {
        notes += " The journal " + fromFsPath(journalPath) + " could not be removed (" + why +
                 "); the next open removes it.";
        return false;
    }
    // Its removal is made durable before the old files go: a journal that came back after a lost
    // machine must not meet a commit whose old files it can no longer see.
    if (!journal.removeAfter.empty()) {
        syncFolder(journalPath.parent_path());
    }
    for (const auto& [existing, link] : cleared ? toMake : decltype(toMake){}) {
        crashPoint();
        if (!makeHardLink(existing, link, why)) {
            notes += " " + fromFsPath(link) + " could not be made (" + why + "); " +
                     fromFsPath(existing) + " holds the same.";
        }
    }
    for (const fs::path& path : journal.removeAfter) {
        crashPoint();
        if (!removeFile(path, why)) {
            notes += " " + fromFsPath(path) + " could not be removed (" + why +
                     "); the next write removes it.";
        }
    }
    return true;
}

bool writeJournal(const fs::path& first, const CommitJournal& journal, std::string& error) {
    const fs::path path = journalPathFor(first);
    fs::path temporary;
    std::FILE* stream = createTemporaryBeside(path, temporary, error);
    if (stream == nullptr) {
        return false;
    }
    const std::string text = journalText(first, journal);
    crashPoint();
    bool ok = std::fwrite(text.data(), 1, text.size(), stream) == text.size() && syncFile(stream);
    if (!ok) {
        error = lastSystemError();
    }
    if (std::fclose(stream) != 0 && ok) {
        error = lastSystemError();
        ok = false;
    }
    if (ok && !renameStep(temporary, path, error)) {
        ok = false;
    }
    if (!ok) {
        removeTemporary(temporary);
        return false;
    }
    forgetTemporary(temporary);
    return true;
}

std::string listOfTargets(const CommitJournal& journal) {
    std::string names;
    for (std::size_t i = 0; i < journal.entries.size(); ++i) {
        names += (i == 0                            ? ""
                  : i + 1 == journal.entries.size() ? " and "
                                                    : ", ") +
                 fromFsPath(journal.entries[i].target);
    }
    return names;
}

} // namespace

fs::path journalPathFor(const fs::path& first) {
    return withSuffix(first, ".vantor-journal");
}

fs::path lockPathFor(const fs::path& first) {
    return withSuffix(first, ".vantor-lock");
}

fs::path legacyRecordPathFor(const fs::path& first) {
    return withSuffix(first, ".vantor-commit");
}

bool isWorkingFileName(std::string_view name) {
    const auto endsWith = [name](std::string_view suffix) {
        return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
    };
    return endsWith(".vantor-journal") || endsWith(".vantor-lock") || endsWith(".vantor-commit") ||
           endsWith(".vantor-history") || name.find(".vantor-partial-") != std::string_view::npos ||
           name.find(".vantor-old-") != std::string_view::npos;
}

fs::path realPathOf(const fs::path& path) {
    std::error_code ec;
    fs::path at = fs::absolute(path, ec);
    // A link is followed even where it leads to nothing (yet): a file of the pair that a commit
    // stopped half way has moved aside, and its journal lies beside where the link points.
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(at, ec)); ++hops) {
        const fs::path target = fs::read_symlink(at, ec);
        if (ec) {
            break;
        }
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    fs::path real = fs::weakly_canonical(at, ec);
    if (ec) {
        return at.lexically_normal();
    }
    return real;
}

void CommitLock::release() {
    if (file_.valid() && remove_) {
        std::string ignored; // a lock file left behind only costs its name
        removeFile(path_, ignored);
    }
    file_.close();
}

CommitLock::Result CommitLock::take(const fs::path& path, std::chrono::milliseconds wait,
                                    std::string& error) {
    release();
    path_ = path;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        std::string why;
        if (!openLockFile(file_, path, why)) {
            error = "cannot take the lock " + fromFsPath(path) + ": " + why;
            return Result::Unavailable;
        }
        const LockResult locked = tryLockExclusive(file_, why);
        if (locked == LockResult::Failed) {
            file_.close();
            error = "cannot take the lock " + fromFsPath(path) + ": " + why;
            return Result::Unavailable;
        }
        if (locked == LockResult::Taken) {
            // Someone may have deleted the lock file meanwhile: the lock must be on the file that
            // now has the name, or another run could take that one too.
            if (examinePath(path).identity == examineOpenFile(file_).identity) {
                return Result::Taken;
            }
            file_.close();
            continue;
        }
        file_.close();
        if (std::chrono::steady_clock::now() >= deadline) {
            error = lockBusyText(path);
            return Result::Busy;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string lockBusyText(const fs::path& lockFile) {
    return "another run of Vantor is changing these files (it holds the lock " +
           fromFsPath(lockFile) + "); nothing was changed. Try again when it has finished";
}

std::string journalText(const fs::path& first, const CommitJournal& journal) {
    const fs::path folder = first.parent_path();
    std::vector<std::string> lines{std::string(journalTitle),
                                   "first\t" + fromFsPath(first.filename()),
                                   "what\t" + asOneField(journal.what)};
    for (const CommitSlot& s : journal.entries) {
        lines.push_back("slot\t" + relativeText(folder, s.target) + "\t" +
                        relativeText(folder, s.incoming) + "\t" +
                        (s.aside.empty() ? std::string("-") : relativeText(folder, s.aside)) +
                        "\t" + (s.incomingIsTemporary ? "new" : "kept"));
    }
    for (const fs::path& p : journal.removeAfter) {
        lines.push_back("remove\t" + relativeText(folder, p));
    }
    for (const auto& [existing, link] : journal.linksAfter) {
        lines.push_back("link\t" + relativeText(folder, existing) + "\t" +
                        relativeText(folder, link));
    }
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    // A journal cut short is never taken for a whole one.
    return text + "end\t" + std::to_string(lines.size()) + "\n";
}

bool parseJournal(const fs::path& first, std::string_view text, CommitJournal& journal) {
    const fs::path folder = first.parent_path();
    journal = {};
    std::size_t lines = 0;
    bool ended = false;
    bool sawFirst = false;
    bool ok = true;
    forEachTextLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> f = tabFields(line);
        if (ended) {
            return ok = line.empty();
        }
        if (lines == 0) {
            ++lines;
            return ok = line == journalTitle;
        }
        fs::path a;
        fs::path b;
        fs::path c;
        if (f[0] == "first" && f.size() == 2) {
            // A journal is about the files it lies beside: one renamed from another pair's is not.
            sawFirst = f[1] == fromFsPath(first.filename());
            ++lines;
            return ok = sawFirst;
        }
        if (f[0] == "what" && f.size() == 2) {
            journal.what = std::string(f[1]);
        } else if (f[0] == "slot" && f.size() == 5 && parseRelative(folder, f[1], a) &&
                   parseRelative(folder, f[2], b) &&
                   (f[3] == "-" || parseRelative(folder, f[3], c)) &&
                   (f[4] == "new" || f[4] == "kept")) {
            journal.entries.push_back({a, b, f[3] == "-" ? fs::path() : c, f[4] == "new"});
        } else if (f[0] == "remove" && f.size() == 2 && parseRelative(folder, f[1], a) &&
                   f[1].find(".vantor-old-") != std::string_view::npos) {
            // Only the old files a commit set aside to go: never a file of the user's.
            journal.removeAfter.push_back(a);
        } else if (f[0] == "link" && f.size() == 3 && parseRelative(folder, f[1], a) &&
                   parseRelative(folder, f[2], b) && f[1].find('/') != std::string_view::npos &&
                   f[2].ends_with(".bak")) {
            journal.linksAfter.emplace_back(a, b);
        } else if (f[0] == "end" && f.size() == 2 && f[1] == std::to_string(lines)) {
            ended = true;
            return true;
        } else {
            return ok = false;
        }
        ++lines;
        return true;
    });
    return ok && ended && sawFirst && !journal.entries.empty();
}

CommitOutcome runCommit(const fs::path& first, const CommitJournal& journal) {
    StopDeferral deferral;
    CommitOutcome out;
    const auto removeIncoming = [&journal] {
        for (const CommitSlot& slot : journal.entries) {
            if (slot.incomingIsTemporary) {
                removeTemporary(slot.incoming);
            }
        }
    };
    const std::string targets = listOfTargets(journal);
    const auto settle = [&](SetState state) {
        out.state = state;
        StopDeferral::setOutcome(
            state == SetState::New
                ? "Stopped once the write was finished: " + targets + " are the new files."
            : state == SetState::Old
                ? "Stopped: the write was undone; " + targets + " are as they were."
                : "Stopped with the write unfinished (" + out.error + "); the next open of " +
                      fromFsPath(first) + " finishes or undoes it.");
        return out;
    };
    const fs::path journalPath = journalPathFor(first);
    // A journal that could not be read back would leave the next open unable to finish or undo.
    CommitJournal readBack;
    if (!parseJournal(first, journalText(first, journal), readBack)) {
        removeIncoming();
        out.error = "the names of " + targets +
                    " cannot be written into a journal (a name with a control character?)";
        return settle(SetState::Old);
    }
    // What would stop a rename half way is found before the journal: a file where one is to go.
    for (const CommitSlot& slot : journal.entries) {
        const fs::path& way = slot.aside.empty() ? slot.target : slot.aside;
        if (namePresent(way)) {
            removeIncoming();
            out.error = "cannot move " +
                        fromFsPath(slot.aside.empty() ? slot.incoming : slot.target) + " to " +
                        fromFsPath(way) + ": a file is in the way";
            return settle(SetState::Old);
        }
        if (!namePresent(slot.incoming)) {
            removeIncoming();
            out.error = "cannot move " + fromFsPath(slot.incoming) + " to " +
                        fromFsPath(slot.target) + ": it is not there";
            return settle(SetState::Old);
        }
    }
    std::string error;
    if (!writeJournal(first, journal, error)) {
        removeIncoming();
        out.error = "the journal " + fromFsPath(journalPath) + " could not be written: " + error;
        return settle(SetState::Old);
    }
    if (!syncFolderChecked(first.parent_path(), error)) {
        // The journal may not survive a lost machine: nothing may be moved on its word.
        out.error =
            "the folder " + fromFsPath(first.parent_path()) + " could not be synced: " + error;
        std::string why;
        if (!removeJournal(journalPath, why)) {
            out.error += "; the journal " + fromFsPath(journalPath) +
                         " could not be removed either (" + why +
                         "), so the next open of the files finishes the write";
            return settle(SetState::Unfinished);
        }
        removeIncoming();
        return settle(SetState::Old);
    }
    if (!moveForward(journal, error)) {
        out.error = error;
        std::string why;
        std::string notes;
        if (directionFor(journal, true) != Direction::Undo || !moveBack(journal, why, notes)) {
            out.error += "; undoing it failed as well (" + why + "): the journal " +
                         fromFsPath(journalPath) +
                         " stays, and the next open of the files finishes or undoes the write";
            return settle(SetState::Unfinished);
        }
        out.notes = notes;
        if (removeJournal(journalPath, why)) {
            return settle(SetState::Old);
        }
        // The old files are in place; what the journal left says what the next open does.
        if (directionFor(journal, false) == Direction::Undo) {
            out.notes += " The journal " + fromFsPath(journalPath) + " could not be removed (" +
                         why + "); the next open removes it.";
            return settle(SetState::Old);
        }
        out.error += "; it was undone, but the journal " + fromFsPath(journalPath) +
                     " could not be removed (" + why +
                     "), so the next open of the files finishes the write after all";
        return settle(SetState::Unfinished);
    }
    if (!syncFolders(first, journal, error)) {
        out.notes += " The new files are in place, but " + error +
                     "; the journal stays until the next open confirms them.";
    } else {
        completeCommit(journalPath, journal, out.notes);
    }
    return settle(SetState::New);
}

Recovery recoverCommit(const fs::path& first, bool dryRun) {
    Recovery r;
    const fs::path folder = first.parent_path();
    fs::path path = journalPathFor(first);
    bool legacy = false;
    if (!namePresent(path)) {
        path = legacyRecordPathFor(first);
        legacy = true;
        if (!namePresent(path)) {
            return r;
        }
    }
    std::string text;
    std::string error;
    CommitJournal journal;
    if (!readTextFile(path, text, error, InputUse::Own)) {
        r.outcome = RecoveryOutcome::Failed;
        r.error = "the journal " + fromFsPath(path) + " cannot be read: " + error;
        return r;
    }
    if (!(legacy ? parseLegacyRecord(folder, text, journal) : parseJournal(first, text, journal))) {
        r.outcome = RecoveryOutcome::Failed;
        r.error = fromFsPath(path) +
                  " is no journal of Vantor's for these files (or was cut short); nothing was "
                  "changed. Move it away once the files are as you want them";
        return r;
    }
    r.what = journal.what;
    const Direction direction = directionFor(journal, false);
    if (direction == Direction::Neither) {
        r.outcome = RecoveryOutcome::Failed;
        r.error = "the files that " + fromFsPath(path) +
                  " names are neither all old nor all new, and some are missing, so the write "
                  "can be neither finished nor undone; nothing was changed";
        return r;
    }
    for (const CommitSlot& slot : journal.entries) {
        const SlotView v = viewOf(slot);
        if (direction == Direction::Finish) {
            r.contentAt.emplace_back(slot.target, isDone(v) ? slot.target : slot.incoming);
        } else if (v.target && !isDone(v)) {
            r.contentAt.emplace_back(slot.target, slot.target);
        } else if (v.hasAside) {
            r.contentAt.emplace_back(slot.target, slot.aside);
        }
    }
    r.outcome =
        direction == Direction::Finish ? RecoveryOutcome::Finished : RecoveryOutcome::RolledBack;
    if (dryRun) {
        return r;
    }
    StopDeferral deferral;
    std::string notes;
    const bool moved = direction == Direction::Finish ? moveForward(journal, error)
                                                      : moveBack(journal, error, notes);
    bool complete = moved && syncFolders(first, journal, error);
    if (complete) {
        complete = direction == Direction::Finish ? completeCommit(path, journal, notes)
                                                  : removeJournal(path, error);
    }
    if (!complete) {
        r.outcome = RecoveryOutcome::Failed;
        r.error = "the interrupted write could not be " +
                  std::string(direction == Direction::Finish ? "finished" : "undone") + ": " +
                  (error.empty() ? notes : error);
    }
    StopDeferral::setOutcome(r.outcome == RecoveryOutcome::Finished
                                 ? "Stopped once the interrupted write was finished."
                             : r.outcome == RecoveryOutcome::RolledBack
                                 ? "Stopped once the interrupted write was undone."
                                 : "Stopped: " + r.error + ".");
    syncFolder(folder);
    return r;
}

std::string recoveryText(const Recovery& r, std::string_view files, bool dryRun) {
    const std::string work = r.what.empty() ? std::string("a write") : "\"" + r.what + "\"";
    switch (r.outcome) {
    case RecoveryOutcome::NothingToDo:
        return {};
    case RecoveryOutcome::Finished:
        return dryRun
                   ? "An interrupted write (" + work +
                         ") was found; the next open that may "
                         "write will finish it. This dry run reads " +
                         std::string(files) + " as they will then be (the new files)."
                   : "An interrupted write (" + work +
                         ") was found and finished: " + std::string(files) + " are the new files.";
    case RecoveryOutcome::RolledBack:
        return dryRun ? "An interrupted write (" + work +
                            ") was found; the next open that may "
                            "write will undo it. This dry run reads " +
                            std::string(files) + " as they were before it."
                      : "An interrupted write (" + work +
                            ") was found and undone: " + std::string(files) +
                            " are as they were before it.";
    case RecoveryOutcome::Failed:
        return "An interrupted write (" + work + ") was found: " + r.error + ".";
    }
    return {};
}

} // namespace vantor
