#pragma once

#include "base/file_system.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Files that must change together (the terrain's L2 and O2, two reports of one check) are
// replaced the way a database commits. The new files are written aside and synced; then a
// journal, synced, names every rename to be made; then the renames are made; then the folders
// are synced, and the journal goes last. A run that stops anywhere (a failure, a signal, a
// killed process, a lost machine) leaves either no journal (nothing was replaced) or one that
// alone tells how to finish the commit or to undo it: the next open does one or the other,
// always ending with all of the old files or all of the new ones in place.

namespace vantor {

// The journal of a set is kept beside its first file; so is its lock, unless the set keeps a
// history (whose folder then holds the lock).
std::filesystem::path journalPathFor(const std::filesystem::path& first);
std::filesystem::path lockPathFor(const std::filesystem::path& first);
// The commit record of earlier versions, still finished when found.
std::filesystem::path legacyRecordPathFor(const std::filesystem::path& first);

// Whether a file name is one of the program's own working files (a journal, a lock, a file
// being written, a commit record): never an input or an output of a command.
bool isWorkingFileName(std::string_view name);

// The real file a path names: symbolic links followed to the end. A path that names nothing
// (yet) has its folder resolved instead.
std::filesystem::path realPathOf(const std::filesystem::path& path);

// An exclusive lock on a set of files, held while it lives. Writers take it before their
// journal; readers take it while they open the files, so that they never see a half-done commit.
class CommitLock {
  public:
    enum class Result { Taken, Busy, Unavailable };

    CommitLock() = default;
    CommitLock(const CommitLock&) = delete;
    CommitLock& operator=(const CommitLock&) = delete;

    // Takes the lock held through the file `lockFile`, waiting up to `wait` while another run
    // holds it. Unavailable when no lock file can be made (a read-only folder): such a folder
    // cannot be written, so nothing there can change.
    Result take(const std::filesystem::path& lockFile, std::chrono::milliseconds wait,
                std::string& error);
    // The lock file goes when the lock is given up (taking the lock checks that the file locked
    // still has the name, so removing it is safe), for a lock beside the user's own files.
    void removeWhenReleased() { remove_ = true; }
    void release();
    bool held() const { return file_.valid(); }
    ~CommitLock() { release(); }

  private:
    FileDescriptor file_;
    std::filesystem::path path_;
    bool remove_ = false;
};

// How long a run waits for another one's commit before it gives up.
inline constexpr std::chrono::milliseconds commitLockWait{3000};

// The message for a lock another run holds.
std::string lockBusyText(const std::filesystem::path& lockFile);

// One file of a commit: what is at `target` goes `aside` (unless nothing is there), and
// `incoming` takes its place.
struct CommitSlot {
    std::filesystem::path target;
    std::filesystem::path incoming;
    std::filesystem::path aside; // empty: no file stood at target
    // Written for this commit (not kept anywhere else): removed when the commit is undone.
    bool incomingIsTemporary = true;
};

struct CommitJournal {
    std::string what; // the work, as messages name it ("Mend of 24 tiles")
    std::vector<CommitSlot> entries;
    // Removed once every slot is in place (the old files that are not kept).
    std::vector<std::filesystem::path> removeAfter;
    // Made afresh once every slot is in place: {existing file, second name for it}.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> linksAfter;
};

// What the disk holds after a commit or a recovery.
enum class SetState { Old, New, Unfinished };

struct CommitOutcome {
    SetState state = SetState::Old;
    std::string error; // why the new files are not (all) in place
    std::string notes; // what went wrong once they were, each sentence ending with '.'
};

// Makes the commit the journal describes, in the folder of `first`, whose lock the caller holds.
// Every incoming file is complete and synced. A failure before the journal is durable changes
// nothing; one during the renames undoes those made. Signals wait until the commit has ended.
CommitOutcome runCommit(const std::filesystem::path& first, const CommitJournal& journal);

enum class RecoveryOutcome { NothingToDo, Finished, RolledBack, Failed };

struct Recovery {
    RecoveryOutcome outcome = RecoveryOutcome::NothingToDo;
    std::string what;  // the interrupted work, as its journal names it
    std::string error; // why it could be neither finished nor undone
    // Where each target's content is once recovered: {target, file that holds it now}. A dry
    // run reads from there, leaving everything as it is.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> contentAt;
};

// Finishes (when every new file is still there) or undoes a commit that a run left behind in
// the folder of `first`, whose lock the caller holds. A dry run only says what it would do.
Recovery recoverCommit(const std::filesystem::path& first, bool dryRun);

// "finished: ... are the new files" / "undone: ... are as they were", for the messages.
std::string recoveryText(const Recovery& recovery, std::string_view files, bool dryRun);

// Test support: the journal's text, and a journal read back from it (false when it is not one
// of ours or names files it may not touch).
std::string journalText(const std::filesystem::path& first, const CommitJournal& journal);
bool parseJournal(const std::filesystem::path& first, std::string_view text,
                  CommitJournal& journal);

} // namespace vantor
