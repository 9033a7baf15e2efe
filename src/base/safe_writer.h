#pragma once

#include "base/file_system.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vantor {

// A file produced whole: written beside its target under a name of its own and renamed over it
// only when complete, so that a failure part way never leaves a half-written file where a good
// one was. The target is never an input of the running command (unless it replaces that very
// input on purpose), never a FIFO, device or folder, and keeps its permissions.
struct SafeWriter {
    std::filesystem::path target;
    std::filesystem::path temporary;
    // The stream's buffer: declared before the stream, so it outlives the stream's last flush.
    std::unique_ptr<char[]> buffer;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> handle{nullptr, &std::fclose};
    std::uint64_t written = 0;
    // Fault injection for tests: writes fail once this many bytes have been written.
    std::uint64_t failAfterBytes = UINT64_MAX;
    // The target is the input this output updates (the terrain written back, a list refreshed).
    bool replacesInput = false;
    // The target's previous content stays beside it as NAME.bak (one generation).
    bool keepBackup = false;
    std::string error;

    SafeWriter() = default;
    SafeWriter(const SafeWriter&) = delete;
    SafeWriter& operator=(const SafeWriter&) = delete;
    // A writer that goes before its commit (a failure, an exception) leaves no temporary file.
    ~SafeWriter();
};

bool beginSafeWrite(SafeWriter& writer, const std::filesystem::path& target);
bool safeWrite(SafeWriter& writer, const void* data, std::size_t count);
inline bool safeWrite(SafeWriter& writer, std::string_view text) {
    return safeWrite(writer, text.data(), text.size());
}
// Flushes and renames over the target. On failure the target is left as it was.
bool commitSafeWrite(SafeWriter& writer);
// Removes the temporary file; the target is untouched.
void abandonSafeWrite(SafeWriter& writer);

// A whole file written aside and renamed over target; false with the reason in error.
bool writeFileAside(const std::filesystem::path& target, std::string_view bytes,
                    std::string& error);

// Commits two files of one folder as a pair, so that no reader ever sees one new and the other
// old: both are complete and durable on disk, then a commit record beside the first target names
// what goes where, then both are renamed into place and the record is removed. A run that ends
// between those steps leaves the record, and finishInterruptedCommit completes the pair.
bool commitSafeWritePair(SafeWriter& first, SafeWriter& second);

// The commit record of a pair whose first file is target.
std::filesystem::path commitRecordPath(const std::filesystem::path& firstTarget);

enum class CommitRecovery { NothingToDo, Finished, Failed };
// Completes a pair commit that a run left unfinished: every file the record names is put in
// place. Failed (error set) when that cannot be done; the files are then left as they are.
CommitRecovery finishInterruptedCommit(const std::filesystem::path& firstTarget,
                                       std::string& error);

// The path an output is written to: a symbolic link is written through, to the file it names.
std::filesystem::path outputTargetFor(const std::filesystem::path& target);

// Creates an empty file beside target under a name no other run uses, never through a link, and
// opens it for writing. It is removed if the program is stopped by a signal before it is given
// up or renamed (see removeTemporariesOnSignal).
std::FILE* createTemporaryBeside(const std::filesystem::path& target,
                                 std::filesystem::path& temporary, std::string& error);
// The temporary is gone (renamed into place or removed): it is no longer cleaned up.
void forgetTemporary(const std::filesystem::path& temporary);
void removeTemporary(const std::filesystem::path& temporary);

// Removes every temporary file still being written when the program is stopped by SIGINT,
// SIGTERM or SIGHUP, then ends it as the signal would.
void removeTemporariesOnSignal();

// Test support: with VANTOR_CRASH_AT_STEP=N in the environment, the program is killed at the
// N-th step of writing files (each write, flush, rename or removal).
void crashPoint();

} // namespace vantor
