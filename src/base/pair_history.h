#pragma once

#include "base/file_system.h"
#include "base/pair_commit.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A pair of files that the program rewrites in place (the terrain's L2 and O2) keeps every pair
// it replaced: the generations. They live in NAME.vantor-history beside the first file, with an
// index of when each was made and by what. The first generation (the pair as the builder had it)
// is always kept, and of the others the last few replaced; undo and redo put a kept generation
// back in place through the same commit, so that the pair it replaces is kept in turn. The
// generation the last write replaced also has the names NAME.bak, as earlier versions kept it.

namespace vantor {

inline constexpr int defaultHistoryKeep = 10;
inline constexpr int maxHistoryKeep = 1000;

struct Generation {
    enum class Where { Current, Kept, Pruned };

    int number = 0;
    int parent = 0; // the generation it replaced; 0 for the first
    Where where = Where::Kept;
    std::string made;   // local time, "2026-12-09 11:05:12"
    std::string stored; // when it last left its place; empty while it is in place
    // The history's count of changes when it last left its place: the order of replacement,
    // which no clock set back can upset.
    std::uint64_t order = 0;
    std::uint64_t firstSize = 0;
    std::uint64_t secondSize = 0;
    // The content's change times, which rename keeps: a pair in place that no longer has them
    // was changed by something else.
    std::int64_t firstModified = 0;
    std::int64_t secondModified = 0;
    // Fingerprints of the two files' bytes (see ContentHash); 0 where not known.
    std::uint64_t firstHash = 0;
    std::uint64_t secondHash = 0;
    std::string what; // the work that made it
};

struct PairHistory {
    int keep = defaultHistoryKeep; // generations kept besides the first
    std::uint64_t changes = 0;     // generations replaced so far
    std::vector<Generation> generations;

    const Generation* find(int number) const;
    Generation* find(int number);
    const Generation* current() const;
    // The first generation still kept (the builder's original, unless it was lost): never given up.
    const Generation* first() const;
    std::uint64_t keptBytes() const;
    int keptCount() const;
};

std::filesystem::path historyFolderFor(const std::filesystem::path& first);
std::filesystem::path historyIndexFor(const std::filesystem::path& first);
// The lock every change of the pair takes, and every reader that meets an interrupted write.
std::filesystem::path historyLockFor(const std::filesystem::path& first);
// Takes that lock, making the history folder for it when there is none yet.
CommitLock::Result takeHistoryLock(const std::filesystem::path& first, CommitLock& lock,
                                   std::string& error);
// A generation's copy of one file of the pair: NAME.vantor-history/g0003-NAME.
std::filesystem::path generationFileFor(const std::filesystem::path& first, int number,
                                        const std::filesystem::path& file);
// Where earlier versions kept the previous pair; now a second name of the last one replaced.
std::filesystem::path backupPathFor(const std::filesystem::path& file);

// The history of the pair whose first file is `first`: empty when it has none yet.
bool readPairHistory(const std::filesystem::path& first, PairHistory& history, std::string& error);
std::string historyText(const std::filesystem::path& first, const std::filesystem::path& second,
                        const PairHistory& history);
bool parseHistory(std::string_view text, PairHistory& history);

// Where undo (back along the generations each replaced) and redo (forward to the newest that
// replaced the one in place) lead after `steps`; 0 with the reason when they lead nowhere.
struct HistoryStep {
    int target = 0;
    std::string why;
};
HistoryStep undoStep(const PairHistory& history, int steps);
HistoryStep redoStep(const PairHistory& history, int steps);

// The two files as a reader found them: a write refuses when they have changed since.
struct PairVersion {
    FileFacts first;
    FileFacts second;
};
PairVersion versionOf(const std::filesystem::path& first, const std::filesystem::path& second);
bool sameVersion(const PairVersion& a, const PairVersion& b);

// What a write or a restore came to.
struct PairChange {
    SetState state = SetState::Old;
    std::string error;          // why the pair is not the new one (or not whole)
    std::string notes;          // what went wrong once it was
    Recovery recovery;          // an interrupted write met first, finished or undone
    int replacedGeneration = 0; // the generation the replaced pair is kept as
    int currentGeneration = 0;
    std::uint64_t replacedBytes = 0;
    int keptGenerations = 0; // in the history, after the change
    std::uint64_t keptBytes = 0;
    int pruned = 0;           // generations given up to keep the last `keep`
    bool backupNamed = false; // NAME.bak names the replaced pair
    // An undo or redo: the generation put back, or why there was none to put back.
    int restoredGeneration = 0;
    std::string restoredWhat;
    std::string restoredMade;
    std::string nothingToDo;
};

// The real files of a pair (links followed), in one folder; false with the reason otherwise.
bool resolvePair(const std::filesystem::path& first, const std::filesystem::path& second,
                 std::filesystem::path& realFirst, std::filesystem::path& realSecond,
                 std::string& error);

struct PairWrite {
    std::filesystem::path first; // the real files
    std::filesystem::path second;
    // The new files, complete and synced beside them: the write owns them from the call on.
    std::filesystem::path newFirst;
    std::filesystem::path newSecond;
    std::string what;                    // "Mend of 24 tiles"
    std::optional<PairVersion> expected; // the pair as read: refused when changed since
    // The new files' fingerprints, as their writer took them; read from the files when none.
    std::optional<std::uint64_t> newFirstHash;
    std::optional<std::uint64_t> newSecondHash;
};

// Replaces the pair by the new files, keeping the replaced pair as a generation.
PairChange writePairWithHistory(const PairWrite& write);

// Puts generation `target` back in place, keeping the pair it replaces.
PairChange restoreGeneration(const std::filesystem::path& first,
                             const std::filesystem::path& second, int target,
                             const std::string& what);

// Undo (or redo) `steps` generations: where that leads is decided under the lock, once an
// interrupted write has been finished or undone. Nothing to do is said in `nothingToDo`.
PairChange moveGenerations(const std::filesystem::path& first, const std::filesystem::path& second,
                           int steps, bool redo);

// Whether a kept generation's files are still as they were kept (a second name such as
// NAME.bak may have been written to). Their times are checked first; where those differ (the
// folder was copied) their bytes are.
bool generationIntact(const std::filesystem::path& first, const std::filesystem::path& second,
                      const Generation& g);

// Whether the pair in place is the generation the history put there (by times, else by bytes).
bool inPlaceIsCurrent(const std::filesystem::path& first, const std::filesystem::path& second,
                      const PairHistory& history);

// Finishes or undoes a write of the pair that a run left unfinished (under the pair's lock),
// before the history is read; NothingToDo when there is none.
Recovery recoverPairWrite(const std::filesystem::path& first);

// How many generations besides the first the history keeps from the next write on.
bool setHistoryKeep(const std::filesystem::path& first, const std::filesystem::path& second,
                    int keep, std::string& error);

} // namespace vantor
