#include "base/pair_history.h"

#include "base/content_hash.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/safe_writer.h"
#include "base/text_util.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <map>

namespace vantor {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view indexTitle = "Vantor terrain history 1";

std::string nameOf(const fs::path& path) {
    return fromFsPath(path.filename());
}

std::string timeText(std::time_t t) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string nowText() {
    return timeText(std::time(nullptr));
}

std::string modifiedText(const FileFacts& facts) {
    return timeText(static_cast<std::time_t>(facts.modified / 1000000000));
}

const char* whereText(Generation::Where where) {
    switch (where) {
    case Generation::Where::Current:
        return "current";
    case Generation::Where::Kept:
        return "kept";
    case Generation::Where::Pruned:
        return "pruned";
    }
    return "kept";
}

template <class T> bool parseNumber(std::string_view text, T& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// The quick test: the sizes and the content's change times the history noted.
bool sameContent(const Generation& g, const FileFacts& first, const FileFacts& second) {
    return first.kind == FileKind::Regular && second.kind == FileKind::Regular &&
           g.firstSize == first.size && g.secondSize == second.size &&
           g.firstModified == first.modified && g.secondModified == second.modified;
}

// The thorough one, where the times differ (a copied folder, a file written through a second
// name): the bytes' fingerprints. True also updates the noted times, so that the quick test
// holds again.
bool sameBytes(Generation& g, const fs::path& first, const fs::path& second) {
    const FileFacts a = examinePath(first);
    const FileFacts b = examinePath(second);
    if (a.kind != FileKind::Regular || b.kind != FileKind::Regular || a.size != g.firstSize ||
        b.size != g.secondSize) {
        return false;
    }
    if (sameContent(g, a, b)) {
        return true;
    }
    std::string error;
    if (g.firstHash == 0 || g.secondHash == 0 || hashOfFile(first, error) != g.firstHash ||
        hashOfFile(second, error) != g.secondHash) {
        return false;
    }
    g.firstModified = a.modified;
    g.secondModified = b.modified;
    return true;
}

// Notes the files' sizes, times and fingerprints (read from them unless given).
void describeFiles(Generation& g, const fs::path& first, const fs::path& second,
                   std::optional<std::uint64_t> firstHash = {},
                   std::optional<std::uint64_t> secondHash = {}) {
    std::string error;
    const FileFacts a = examinePath(first);
    const FileFacts b = examinePath(second);
    g.firstSize = a.size;
    g.secondSize = b.size;
    g.firstModified = a.modified;
    g.secondModified = b.modified;
    g.firstHash = firstHash ? *firstHash : hashOfFile(first, error).value_or(0);
    g.secondHash = secondHash ? *secondHash : hashOfFile(second, error).value_or(0);
}

// The highest generation number any file of the history folder carries, listed or not, so that
// a new generation never takes the name of a file that is there.
int highestNumberIn(const fs::path& folder) {
    int highest = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = nameOf(it->path());
        const std::size_t dash = name.find('-');
        int number = 0;
        if (name[0] == 'g' && dash != std::string::npos && dash >= 5 &&
            parseNumber(std::string_view(name).substr(1, dash - 1), number)) {
            highest = std::max(highest, number);
        }
    }
    return highest;
}

// A number no generation and no file of the history folder has.
int freeNumber(const fs::path& first, const PairHistory& h) {
    return std::max(h.generations.empty() ? 0 : h.generations.back().number,
                    highestNumberIn(historyFolderFor(first))) +
           1;
}

// What a change of the pair needs before its journal: the lock, an interrupted write met first
// finished or undone, and the history as it stands.
struct Prepared {
    CommitLock lock;
    PairHistory history;
    FileFacts first;
    FileFacts second;
};

bool prepare(const fs::path& first, const fs::path& second, Prepared& p, PairChange& change) {
    std::string error;
    if (takeHistoryLock(first, p.lock, error) != CommitLock::Result::Taken) {
        change.error = error;
        return false;
    }
    change.recovery = recoverCommit(first, false);
    if (change.recovery.outcome == RecoveryOutcome::Failed) {
        change.error =
            "an interrupted write of " + fromFsPath(first) + " was found: " + change.recovery.error;
        return false;
    }
    if (!readPairHistory(first, p.history, error)) {
        change.error = error;
        return false;
    }
    p.first = examinePath(first);
    p.second = examinePath(second);
    for (const auto& [facts, path] : {std::pair{&p.first, &first}, std::pair{&p.second, &second}}) {
        if (facts->kind != FileKind::Regular) {
            change.error = fromFsPath(*path) + " is not there as a regular file";
            return false;
        }
    }
    return true;
}

// Starts the history of a pair that has none, or notes a pair in place that something else
// changed since the history last put one there: either way the pair in place becomes the
// current generation. Earlier versions kept the previous pair as NAME.bak; such a pair becomes
// the first generation. The moves this takes go into `entries`.
void takeStock(const fs::path& first, const fs::path& second, Prepared& p,
               std::vector<CommitSlot>& entries) {
    PairHistory& h = p.history;
    const Generation* current = h.current();
    if (current != nullptr && sameBytes(*h.find(current->number), first, second)) {
        return; // the pair the history put there (maybe copied since, with new times)
    }
    int next = freeNumber(first, h);
    int parent = 0;
    if (current != nullptr) {
        // The pair the history put there was replaced outside the program. Where its files are
        // in the history after all (an older index came back), it is kept there; otherwise its
        // files are gone.
        Generation* lost = h.find(current->number);
        const bool inHistory = sameBytes(*lost, generationFileFor(first, lost->number, first),
                                         generationFileFor(first, lost->number, second));
        lost->where = inHistory ? Generation::Where::Kept : Generation::Where::Pruned;
        lost->stored = nowText();
        lost->order = ++h.changes;
        parent = lost->number;
    } else {
        const fs::path firstBackup = backupPathFor(first);
        const fs::path secondBackup = backupPathFor(second);
        const FileFacts a = examinePath(firstBackup);
        const FileFacts b = examinePath(secondBackup);
        if (a.kind == FileKind::Regular && b.kind == FileKind::Regular &&
            !isSymbolicLink(firstBackup) && !isSymbolicLink(secondBackup)) {
            Generation g;
            g.number = next++;
            g.made = modifiedText(a);
            g.stored = g.made;
            g.order = ++h.changes;
            g.what = "the pair an earlier version kept as " + nameOf(firstBackup) + " and " +
                     nameOf(secondBackup);
            describeFiles(g, firstBackup, secondBackup);
            h.generations.push_back(g);
            entries.push_back({generationFileFor(first, g.number, first), firstBackup, {}, false});
            entries.push_back(
                {generationFileFor(first, g.number, second), secondBackup, {}, false});
            parent = g.number;
        }
    }
    Generation g;
    g.number = next;
    g.parent = parent;
    g.where = Generation::Where::Current;
    g.made = modifiedText(p.first);
    g.what = current != nullptr ? "changed or copied outside Vantor since generation " +
                                      std::to_string(current->number)
             : parent != 0 ? "the pair in place when the history began"
                           : "the original pair";
    describeFiles(g, first, second);
    h.generations.push_back(g);
}

// Gives up the generations replaced longest ago, beyond the `keep` last, never the first one
// still kept nor the one just replaced; their files go once the change is in place.
int prune(const fs::path& first, const fs::path& second, PairHistory& h, int justStored,
          std::vector<fs::path>& remove) {
    const Generation* protectedFirst = h.first();
    std::vector<Generation*> kept;
    for (Generation& g : h.generations) {
        if (g.where == Generation::Where::Kept && &g != protectedFirst && g.number != justStored) {
            kept.push_back(&g);
        }
    }
    std::sort(kept.begin(), kept.end(), [](const Generation* a, const Generation* b) {
        return a->order != b->order ? a->order > b->order : a->number > b->number;
    });
    int pruned = 0;
    for (std::size_t i = static_cast<std::size_t>(std::max(h.keep - 1, 0)); i < kept.size(); ++i) {
        kept[i]->where = Generation::Where::Pruned;
        remove.push_back(generationFileFor(first, kept[i]->number, first));
        remove.push_back(generationFileFor(first, kept[i]->number, second));
        ++pruned;
    }
    return pruned;
}

// What earlier changes left to remove, found under the lock once no journal is left (when no
// other run can be writing there and no journal can name them): files of generations given up,
// old copies of the index, files being written by a run that stopped. A change never removes
// anything while its own journal exists, so the journal always sees every file it names.
void removeStaleFiles(const fs::path& first, const fs::path& second, const PairHistory& h,
                      std::string& notes) {
    std::vector<fs::path> remove;
    for (const Generation& g : h.generations) {
        const fs::path a = generationFileFor(first, g.number, first);
        const fs::path b = generationFileFor(first, g.number, second);
        if (g.where != Generation::Where::Pruned || (!namePresent(a) && !namePresent(b))) {
            continue;
        }
        // Only what the history kept goes: a file changed since (written through a backup
        // name, say) is somebody's work, and stays.
        Generation copy = g;
        if (sameBytes(copy, a, b)) {
            remove.push_back(a);
            remove.push_back(b);
        } else {
            notes += " The files of generation " + std::to_string(g.number) +
                     ", given up, were changed since they were kept and were left in " +
                     fromFsPath(historyFolderFor(first)) + ".";
        }
    }
    std::error_code ec;
    for (fs::directory_iterator it(historyFolderFor(first), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = nameOf(it->path());
        if (name.find(".vantor-old-") != std::string::npos ||
            name.find(".vantor-partial-") != std::string::npos) {
            remove.push_back(it->path());
        }
    }
    for (const fs::path& path : remove) {
        std::string why;
        if (!removeFile(path, why)) {
            notes += " " + fromFsPath(path) + " could not be removed (" + why + ").";
        }
    }
}

// A file of the history's own written aside under a new name, complete and synced; the caller
// puts it in place (or removes it).
bool writeSynced(const fs::path& target, std::string_view text, fs::path& temporary,
                 std::string& error) {
    std::FILE* stream = createTemporaryBeside(target, temporary, error);
    if (stream == nullptr) {
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), stream) == text.size() && syncFile(stream);
    if (!ok) {
        error = lastSystemError();
    }
    if (std::fclose(stream) != 0 && ok) {
        error = lastSystemError();
        ok = false;
    }
    if (!ok) {
        removeTemporary(temporary);
        return false;
    }
    // From here the journal (or the caller) answers for it, not the signal handler.
    forgetTemporary(temporary);
    return true;
}

// The number under which the pair in place goes into the history. Where a file the index does
// not know already has its names (a copy of an older history folder over a newer one leaves
// such files), the generation takes a number no file has: nothing is moved over a stray file,
// and nothing stops the write either.
int numberToKeepAs(const fs::path& first, const fs::path& second, PairHistory& h, int number) {
    if (!namePresent(generationFileFor(first, number, first)) &&
        !namePresent(generationFileFor(first, number, second))) {
        return number;
    }
    const int fresh = freeNumber(first, h);
    for (Generation& g : h.generations) {
        g.number = g.number == number ? fresh : g.number;
        g.parent = g.parent == number ? fresh : g.parent;
    }
    std::sort(h.generations.begin(), h.generations.end(),
              [](const Generation& a, const Generation& b) { return a.number < b.number; });
    return fresh;
}

// The pair in place leaves it: kept, and counted as the history's latest replacement.
void keepReplaced(PairHistory& h, Generation& g) {
    g.where = Generation::Where::Kept;
    g.stored = nowText();
    g.order = ++h.changes;
}

// The index of the history written aside, complete and synced, with the slot that puts it in
// place.
bool stageIndex(const fs::path& first, const fs::path& second, const PairHistory& h,
                CommitJournal& journal, std::string& error) {
    // The folder was made for the lock; it must be there after a lost machine too.
    if (!namePresent(historyIndexFor(first)) && !syncFolderChecked(first.parent_path(), error)) {
        return false;
    }
    const fs::path index = historyIndexFor(first);
    fs::path temporary;
    if (!writeSynced(index, historyText(first, second, h), temporary, error)) {
        error = "the history index " + fromFsPath(index) + " cannot be written: " + error;
        return false;
    }
    CommitSlot slot{index, temporary, {}, true};
    if (namePresent(index)) {
        slot.aside = unusedNameBeside(index, ".vantor-old-"); // removed by the next change
    }
    journal.entries.push_back(slot);
    return true;
}

// NAME.bak may be renamed to the replaced generation only when it is one of the history's own
// files (or not there): a file of the user's under that name stays as it is.
bool backupsAreOurs(const fs::path& first, const fs::path& second, const PairHistory& h,
                    const std::vector<CommitSlot>& moves) {
    for (const fs::path& file : {first, second}) {
        const fs::path backup = backupPathFor(file);
        const bool movedIntoHistory =
            std::any_of(moves.begin(), moves.end(),
                        [&backup](const CommitSlot& s) { return s.incoming == backup; });
        if (!namePresent(backup) || movedIntoHistory) {
            continue;
        }
        if (isSymbolicLink(backup)) {
            return false;
        }
        const FileFacts facts = examinePath(backup);
        const bool isFirst = file == first;
        // A second name of a generation is ours; so is a copy of one (a copied folder loses its
        // second names), told by its bytes, read only when no generation is the same file.
        // Written to since (its time or size is no longer the generation's), it is the user's.
        bool ours = std::any_of(h.generations.begin(), h.generations.end(), [&](auto& g) {
            return examinePath(generationFileFor(first, g.number, file)).identity ==
                       facts.identity &&
                   facts.size == (isFirst ? g.firstSize : g.secondSize) &&
                   facts.modified == (isFirst ? g.firstModified : g.secondModified);
        });
        std::optional<std::uint64_t> hash;
        for (const Generation& g : h.generations) {
            const std::uint64_t size = isFirst ? g.firstSize : g.secondSize;
            const std::uint64_t kept = isFirst ? g.firstHash : g.secondHash;
            if (ours || facts.kind != FileKind::Regular || size != facts.size || kept == 0) {
                continue;
            }
            std::string error;
            if (!hash) {
                hash = hashOfFile(backup, error).value_or(0);
            }
            ours = *hash == kept;
        }
        if (!ours) {
            return false;
        }
    }
    return true;
}

void releaseNewFiles(const PairWrite& w) {
    removeTemporary(w.newFirst);
    removeTemporary(w.newSecond);
}

// The journal's renames of the pair itself: the one in place into the history as `stored`, the
// incoming files into place; then the index, the removals and the backup names.
PairChange commitChange(const fs::path& first, const fs::path& second, Prepared& p,
                        std::vector<CommitSlot> entries, const fs::path& incomingFirst,
                        const fs::path& incomingSecond, bool incomingIsTemporary, int stored,
                        const std::string& what) {
    PairChange change;
    PairHistory& h = p.history;
    CommitJournal journal;
    journal.what = what;
    journal.entries = std::move(entries);
    journal.entries.push_back(
        {first, incomingFirst, generationFileFor(first, stored, first), incomingIsTemporary});
    journal.entries.push_back(
        {second, incomingSecond, generationFileFor(first, stored, second), incomingIsTemporary});
    const bool ownBackups = backupsAreOurs(first, second, h, journal.entries);
    removeStaleFiles(first, second, h, change.notes);
    // The files of the generations given up go with the next change, like the index's old copy.
    std::vector<fs::path> givenUp;
    change.pruned = prune(first, second, h, stored, givenUp);
    // A generation put back must not keep a backup name: the name would then be a second name of
    // the pair in place, and writing to it would change the terrain.
    if (!incomingIsTemporary && ownBackups) {
        for (const auto& [file, incoming] :
             {std::pair{first, incomingFirst}, std::pair{second, incomingSecond}}) {
            const fs::path backup = backupPathFor(file);
            std::string why;
            if (namePresent(backup) &&
                examinePath(backup).identity == examinePath(incoming).identity &&
                !removeFile(backup, why)) {
                change.error = "the backup name " + fromFsPath(backup) +
                               " of the generation to put back cannot be removed: " + why;
                return change;
            }
        }
    }
    std::string error;
    if (!stageIndex(first, second, h, journal, error)) {
        change.error = error;
        return change;
    }
    if (ownBackups) {
        journal.linksAfter.emplace_back(generationFileFor(first, stored, first),
                                        backupPathFor(first));
        journal.linksAfter.emplace_back(generationFileFor(first, stored, second),
                                        backupPathFor(second));
    } else {
        change.notes += " " + nameOf(backupPathFor(first)) + " or " +
                        nameOf(backupPathFor(second)) +
                        " is a file of yours, not the history's: both were left as they are.";
    }
    const CommitOutcome outcome = runCommit(first, journal);
    change.state = outcome.state;
    change.error = outcome.error;
    change.notes += outcome.notes;
    if (outcome.state == SetState::New) {
        const Generation* replaced = h.find(stored);
        change.replacedGeneration = stored;
        change.replacedBytes = replaced->firstSize + replaced->secondSize;
        change.currentGeneration = h.current()->number;
        change.backupNamed =
            ownBackups && examinePath(backupPathFor(first)).identity ==
                              examinePath(generationFileFor(first, stored, first)).identity;
    }
    change.keptGenerations = h.keptCount();
    change.keptBytes = h.keptBytes();
    return change;
}

} // namespace

const Generation* PairHistory::find(int number) const {
    for (const Generation& g : generations) {
        if (g.number == number) {
            return &g;
        }
    }
    return nullptr;
}

Generation* PairHistory::find(int number) {
    return const_cast<Generation*>(std::as_const(*this).find(number));
}

const Generation* PairHistory::current() const {
    for (const Generation& g : generations) {
        if (g.where == Generation::Where::Current) {
            return &g;
        }
    }
    return nullptr;
}

const Generation* PairHistory::first() const {
    for (const Generation& g : generations) {
        if (g.where != Generation::Where::Pruned) {
            return &g;
        }
    }
    return nullptr;
}

std::uint64_t PairHistory::keptBytes() const {
    std::uint64_t bytes = 0;
    for (const Generation& g : generations) {
        bytes += g.where == Generation::Where::Kept ? g.firstSize + g.secondSize : 0;
    }
    return bytes;
}

int PairHistory::keptCount() const {
    return static_cast<int>(
        std::count_if(generations.begin(), generations.end(),
                      [](const auto& g) { return g.where == Generation::Where::Kept; }));
}

fs::path historyFolderFor(const fs::path& first) {
    return withSuffix(first, ".vantor-history");
}

fs::path historyIndexFor(const fs::path& first) {
    return historyFolderFor(first) / "history.txt";
}

fs::path historyLockFor(const fs::path& first) {
    return historyFolderFor(first) / "lock";
}

CommitLock::Result takeHistoryLock(const fs::path& first, CommitLock& lock, std::string& error) {
    const fs::path folder = historyFolderFor(first);
    if (isSymbolicLink(folder) ||
        (namePresent(folder) && examinePath(folder).kind != FileKind::Folder)) {
        error = fromFsPath(folder) + " is not the history folder of the program's (it is " +
                (isSymbolicLink(folder) ? "a link" : "no folder") + ")";
        return CommitLock::Result::Unavailable;
    }
    if (!makeFolder(folder, error)) {
        error = "the history folder " + fromFsPath(folder) + " cannot be made: " + error;
        return CommitLock::Result::Unavailable;
    }
    if (isSymbolicLink(folder)) {
        error = fromFsPath(folder) + " is a link, not the history folder of the program's";
        return CommitLock::Result::Unavailable;
    }
    if (isSymbolicLink(historyLockFor(first))) {
        error = fromFsPath(historyLockFor(first)) + " is a link, not the lock of the program's";
        return CommitLock::Result::Unavailable;
    }
    return lock.take(historyLockFor(first), commitLockWait, error);
}

fs::path generationFileFor(const fs::path& first, int number, const fs::path& file) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "g%04d-", number);
    return historyFolderFor(first) / (toFsPath(prefix) += file.filename());
}

fs::path backupPathFor(const fs::path& file) {
    return withSuffix(file, ".bak");
}

std::string historyText(const fs::path& first, const fs::path& second, const PairHistory& h) {
    std::string text = std::string(indexTitle) + "\n";
    text += "files\t" + nameOf(first) + "\t" + nameOf(second) + "\n";
    text += "keep\t" + std::to_string(h.keep) + "\n";
    text += "changes\t" + std::to_string(h.changes) + "\n";
    for (const Generation& g : h.generations) {
        text += "generation\t" + std::to_string(g.number) + "\t" + std::to_string(g.parent) + "\t" +
                whereText(g.where) + "\t" + std::to_string(g.order) + "\t" + g.made + "\t" +
                (g.stored.empty() ? "-" : g.stored) + "\t" + std::to_string(g.firstSize) + "\t" +
                std::to_string(g.firstModified) + "\t" + std::to_string(g.secondSize) + "\t" +
                std::to_string(g.secondModified) + "\t" + std::to_string(g.firstHash) + "\t" +
                std::to_string(g.secondHash) + "\t" + asOneField(g.what) + "\n";
    }
    return text;
}

namespace {

// Every walk back along what each generation replaced ends: a generation that (through
// others) replaced itself would keep undo and redo walking for ever.
bool parentsEndAtTheFirst(const PairHistory& h) {
    std::map<int, std::size_t> at;
    for (std::size_t i = 0; i < h.generations.size(); ++i) {
        at.emplace(h.generations[i].number, i);
    }
    enum class Mark : unsigned char { Unseen, OnWalk, Ends };
    std::vector<Mark> mark(h.generations.size(), Mark::Unseen);
    std::vector<std::size_t> walk;
    for (std::size_t start = 0; start < h.generations.size(); ++start) {
        walk.clear();
        for (std::size_t i = start; mark[i] != Mark::Ends;) {
            if (mark[i] == Mark::OnWalk) {
                return false; // back where this walk went through
            }
            mark[i] = Mark::OnWalk;
            walk.push_back(i);
            const auto parent = at.find(h.generations[i].parent);
            if (parent == at.end()) {
                break;
            }
            i = parent->second;
        }
        for (std::size_t w : walk) {
            mark[w] = Mark::Ends;
        }
    }
    return true;
}

} // namespace

bool parseHistory(std::string_view text, PairHistory& h) {
    h = {};
    bool titled = false;
    bool ok = true;
    forEachTextLine(text, [&](std::string_view line) {
        if (!titled) {
            titled = line == indexTitle;
            return ok = titled;
        }
        const std::vector<std::string_view> f = tabFields(line);
        if (line.empty() || f[0] == "files") {
            return true;
        }
        if (f[0] == "keep" && f.size() == 2) {
            return ok = parseNumber(f[1], h.keep) && h.keep >= 1 && h.keep <= maxHistoryKeep;
        }
        if (f[0] == "changes" && f.size() == 2) {
            return ok = parseNumber(f[1], h.changes);
        }
        Generation g;
        if (f[0] != "generation" || f.size() != 14 || !parseNumber(f[1], g.number) ||
            !parseNumber(f[2], g.parent) || !parseNumber(f[4], g.order) ||
            !parseNumber(f[7], g.firstSize) || !parseNumber(f[8], g.firstModified) ||
            !parseNumber(f[9], g.secondSize) || !parseNumber(f[10], g.secondModified) ||
            !parseNumber(f[11], g.firstHash) || !parseNumber(f[12], g.secondHash) ||
            g.number <= 0 || g.order > h.changes ||
            (!h.generations.empty() && g.number <= h.generations.back().number)) {
            return ok = false;
        }
        if (f[3] == "current") {
            g.where = Generation::Where::Current;
        } else if (f[3] == "pruned") {
            g.where = Generation::Where::Pruned;
        } else if (f[3] != "kept") {
            return ok = false;
        }
        g.made = std::string(f[5]);
        g.stored = f[6] == "-" ? std::string() : std::string(f[6]);
        g.what = std::string(f[13]);
        h.generations.push_back(g);
        return true;
    });
    const auto currents = std::count_if(h.generations.begin(), h.generations.end(), [](auto& g) {
        return g.where == Generation::Where::Current;
    });
    return ok && titled && (h.generations.empty() || currents == 1) && parentsEndAtTheFirst(h);
}

bool readPairHistory(const fs::path& first, PairHistory& history, std::string& error) {
    history = {};
    const fs::path folder = historyFolderFor(first);
    if (namePresent(folder) &&
        (isSymbolicLink(folder) || examinePath(folder).kind != FileKind::Folder)) {
        error = fromFsPath(folder) + " is not the history folder of the program's (it is " +
                (isSymbolicLink(folder) ? "a link" : "no folder") +
                "): move it away, and the next write-back starts a new history";
        return false;
    }
    const fs::path index = historyIndexFor(first);
    if (!namePresent(index)) {
        return true;
    }
    std::string text;
    if (!readTextFile(index, text, error, InputUse::Own)) {
        error = "the history index " + fromFsPath(index) + " cannot be read: " + error;
        return false;
    }
    if (!parseHistory(text, history)) {
        error = "the history index " + fromFsPath(index) +
                " is damaged; nothing was changed. Move the folder " +
                fromFsPath(historyFolderFor(first)) + " away to start a new history";
        return false;
    }
    return true;
}

HistoryStep undoStep(const PairHistory& h, int steps) {
    const Generation* at = h.current();
    if (at == nullptr) {
        return {0, "the terrain has no history yet: nothing was written back to it"};
    }
    for (int i = 0; i < steps; ++i) {
        // Back along what each replaced, over the generations no longer kept.
        const Generation* back = h.find(at->parent);
        while (back != nullptr && back->where != Generation::Where::Kept) {
            back = h.find(back->parent);
        }
        if (back == nullptr) {
            if (i > 0) {
                return {0, "only " + std::to_string(i) + " step" + (i == 1 ? "" : "s") +
                               " back can be taken"};
            }
            return {0, at->parent == 0 ? "generation " + std::to_string(at->number) +
                                             " is the first one: there is nothing before it"
                                       : "no generation before generation " +
                                             std::to_string(at->number) + " is kept any more"};
        }
        at = back;
    }
    return {at->number, {}};
}

HistoryStep redoStep(const PairHistory& h, int steps) {
    const Generation* at = h.current();
    if (at == nullptr) {
        return {0, "the terrain has no history yet"};
    }
    // The newest generation that replaced this one.
    const auto newestChild = [&h](const Generation* of) {
        const Generation* child = nullptr;
        for (const Generation& g : h.generations) {
            if (g.parent == of->number && g.where != Generation::Where::Current) {
                child = &g;
            }
        }
        return child;
    };
    for (int i = 0; i < steps; ++i) {
        const Generation* next = newestChild(at);
        while (next != nullptr && next->where != Generation::Where::Kept) {
            next = newestChild(next);
        }
        if (next == nullptr) {
            return {0, i == 0 ? std::string("nothing was undone: there is nothing to redo")
                              : "only " + std::to_string(i) + " step" + (i == 1 ? "" : "s") +
                                    " forward can be taken"};
        }
        at = next;
    }
    return {at->number, {}};
}

PairVersion versionOf(const fs::path& first, const fs::path& second) {
    return {examinePath(first), examinePath(second)};
}

bool sameVersion(const PairVersion& a, const PairVersion& b) {
    const auto same = [](const FileFacts& x, const FileFacts& y) {
        return x.kind == y.kind && x.identity == y.identity && x.size == y.size &&
               x.modified == y.modified;
    };
    return same(a.first, b.first) && same(a.second, b.second);
}

bool resolvePair(const fs::path& first, const fs::path& second, fs::path& realFirst,
                 fs::path& realSecond, std::string& error) {
    realFirst = realPathOf(first);
    realSecond = realPathOf(second);
    if (realFirst.parent_path() != realSecond.parent_path()) {
        error = fromFsPath(first) + " and " + fromFsPath(second) +
                " lie in different folders once their links are followed (" +
                fromFsPath(realFirst) + ", " + fromFsPath(realSecond) +
                "); the pair is written only where both files lie in one folder";
        return false;
    }
    if (realFirst == realSecond) {
        error = fromFsPath(first) + " and " + fromFsPath(second) + " are the same file";
        return false;
    }
    return true;
}

PairChange writePairWithHistory(const PairWrite& w) {
    PairChange change;
    Prepared p;
    if (!prepare(w.first, w.second, p, change)) {
        releaseNewFiles(w);
        return change;
    }
    if (w.expected && !sameVersion(*w.expected, {p.first, p.second})) {
        releaseNewFiles(w);
        change.error = fromFsPath(w.first) + " or " + fromFsPath(w.second) +
                       " was changed by another run or program since it was read; nothing was "
                       "written. Open the terrain again and repeat the work on what it is now";
        return change;
    }
    std::vector<CommitSlot> entries;
    takeStock(w.first, w.second, p, entries);
    PairHistory& h = p.history;
    const int stored = numberToKeepAs(w.first, w.second, h, h.current()->number);
    keepReplaced(h, *h.find(stored));
    Generation g;
    g.number = freeNumber(w.first, h);
    g.parent = stored;
    g.where = Generation::Where::Current;
    g.made = nowText();
    g.what = w.what;
    describeFiles(g, w.newFirst, w.newSecond, w.newFirstHash, w.newSecondHash);
    h.generations.push_back(g);
    PairChange made = commitChange(w.first, w.second, p, std::move(entries), w.newFirst,
                                   w.newSecond, true, stored, w.what);
    if (made.state == SetState::Old && !made.error.empty() && namePresent(w.newFirst)) {
        releaseNewFiles(w); // never reached the journal
    }
    made.recovery = change.recovery;
    return made;
}

namespace {

// Puts generation `target` of a prepared history back in place.
PairChange restoreTo(const fs::path& first, const fs::path& second, Prepared& p,
                     std::vector<CommitSlot> entries, int target, const std::string& what) {
    PairChange change;
    PairHistory& h = p.history;
    Generation* back = h.find(target);
    if (back == nullptr || back->where != Generation::Where::Kept) {
        change.error = "generation " + std::to_string(target) + " is not kept in the history";
        return change;
    }
    if (!sameBytes(*back, generationFileFor(first, target, first),
                   generationFileFor(first, target, second))) {
        change.error = "the files of generation " + std::to_string(target) + " in " +
                       fromFsPath(historyFolderFor(first)) +
                       " are missing or were changed since they were kept (a backup name such "
                       "as " +
                       nameOf(backupPathFor(first)) +
                       " is the same file: was it written to?), so it cannot be put back as it "
                       "was";
        return change;
    }
    const std::string restoredWhat = back->what;
    const std::string restoredMade = back->made;
    const int stored = numberToKeepAs(first, second, h, h.current()->number);
    keepReplaced(h, *h.find(stored));
    back = h.find(target);
    back->where = Generation::Where::Current;
    back->stored.clear();
    change =
        commitChange(first, second, p, std::move(entries), generationFileFor(first, target, first),
                     generationFileFor(first, target, second), false, stored, what);
    change.restoredGeneration = target;
    change.restoredWhat = restoredWhat;
    change.restoredMade = restoredMade;
    return change;
}

} // namespace

PairChange restoreGeneration(const fs::path& first, const fs::path& second, int target,
                             const std::string& what) {
    PairChange change;
    Prepared p;
    if (!prepare(first, second, p, change)) {
        return change;
    }
    std::vector<CommitSlot> entries;
    takeStock(first, second, p, entries);
    PairChange made = restoreTo(first, second, p, std::move(entries), target, what);
    made.recovery = change.recovery;
    return made;
}

PairChange moveGenerations(const fs::path& first, const fs::path& second, int steps, bool redo) {
    PairChange change;
    Prepared p;
    if (!prepare(first, second, p, change)) {
        return change;
    }
    std::vector<CommitSlot> entries;
    takeStock(first, second, p, entries);
    const PairHistory& h = p.history;
    const HistoryStep step = redo ? redoStep(h, steps) : undoStep(h, steps);
    if (step.target == 0) {
        change.nothingToDo = step.why;
        return change;
    }
    const std::string what = std::string(redo ? "Redo of " : "Undo of ") +
                             (redo ? h.find(step.target)->what : h.current()->what);
    PairChange made = restoreTo(first, second, p, std::move(entries), step.target, what);
    made.recovery = change.recovery;
    return made;
}

bool generationIntact(const fs::path& first, const fs::path& second, const Generation& g) {
    Generation copy = g;
    return sameBytes(copy, generationFileFor(first, g.number, first),
                     generationFileFor(first, g.number, second));
}

bool inPlaceIsCurrent(const fs::path& first, const fs::path& second, const PairHistory& h) {
    if (h.current() == nullptr) {
        return false;
    }
    Generation copy = *h.current();
    return sameBytes(copy, first, second);
}

Recovery recoverPairWrite(const fs::path& first) {
    if (!namePresent(journalPathFor(first)) && !namePresent(legacyRecordPathFor(first))) {
        return {};
    }
    CommitLock lock;
    Recovery r;
    std::string error;
    if (takeHistoryLock(first, lock, error) != CommitLock::Result::Taken) {
        r.outcome = RecoveryOutcome::Failed;
        r.error = error;
        return r;
    }
    return recoverCommit(first, false);
}

bool setHistoryKeep(const fs::path& first, const fs::path& second, int keep, std::string& error) {
    if (keep < 1 || keep > maxHistoryKeep) {
        error = "the history keeps 1 to " + std::to_string(maxHistoryKeep) + " generations";
        return false;
    }
    CommitLock lock;
    if (takeHistoryLock(first, lock, error) != CommitLock::Result::Taken) {
        return false;
    }
    if (const Recovery r = recoverCommit(first, false); r.outcome == RecoveryOutcome::Failed) {
        error = r.error;
        return false;
    }
    PairHistory h;
    if (!readPairHistory(first, h, error)) {
        return false;
    }
    h.keep = keep;
    fs::path temporary;
    if (!writeSynced(historyIndexFor(first), historyText(first, second, h), temporary, error)) {
        return false;
    }
    if (!renameOver(temporary, historyIndexFor(first), error)) {
        removeTemporary(temporary);
        return false;
    }
    return true;
}

} // namespace vantor
