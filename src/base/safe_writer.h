#pragma once

#include "base/content_hash.h"
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
    ContentHash hash; // of the bytes written so far
    // Fault injection for tests: writes fail once this many bytes have been written.
    std::uint64_t failAfterBytes = UINT64_MAX;
    // The target is the input this output updates (the terrain written back, a list refreshed).
    bool replacesInput = false;
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

// Flushes, syncs and closes the temporary file with the target's permissions, without putting
// it in place: a commit of several files does that (see pair_commit.h).
bool finishSafeWrite(SafeWriter& writer);
// The finished temporary, which the caller now answers for: neither the writer nor a stop
// signal removes it any more.
std::filesystem::path handOverSafeWrite(SafeWriter& writer);

// A whole file written aside and renamed over target; false with the reason in error.
bool writeFileAside(const std::filesystem::path& target, std::string_view bytes,
                    std::string& error);

// Commits two files as a pair, so that no reader ever sees one new and the other old: both are
// complete and durable on disk, then a journal beside the first target names what goes where,
// then both are renamed into place and the journal is removed (see pair_commit.h). The files
// they replace are not kept. A commit that a run left unfinished is finished or undone first.
bool commitSafeWritePair(SafeWriter& first, SafeWriter& second);

// A name beside target that nothing has yet: target, the tag and eight random characters.
std::filesystem::path unusedNameBeside(const std::filesystem::path& target, std::string_view tag);

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
// SIGTERM or SIGHUP, then ends it as the signal would. While a commit is under way (see
// StopDeferral) the signal waits for it to end instead: a commit is finished or undone, never
// cut short, and nothing its journal names is removed.
void removeTemporariesOnSignal();

// While one lives, a stop signal waits. When the last one goes and a signal came meanwhile, the
// stop notice is given what the commit came to, and the program ends as the signal would.
class StopDeferral {
  public:
    StopDeferral();
    ~StopDeferral();
    StopDeferral(const StopDeferral&) = delete;
    StopDeferral& operator=(const StopDeferral&) = delete;
    // What the files came to, for the stop notice should a signal have waited.
    static void setOutcome(std::string text);
};

// Where the front end says what a deferred stop left on disk (standard error for the command
// line). Called on the thread that ran the commit, just before the program ends.
void setStopNotice(void (*notice)(const std::string& text));

// The signal that waits for the commit under way, or 0.
int pendingStopSignal();

// Test support: with VANTOR_CRASH_AT_STEP=N in the environment, the program is killed at the
// N-th step of writing files (each write, flush, rename or removal).
void crashPoint();

} // namespace vantor
