#include "base/safe_writer.h"

#include "base/file_guard.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
#include "base/pair_commit.h"
#include "base/text_util.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vantor {

namespace {

// --- Fault injection -------------------------------------------------------------------------

std::uint64_t environmentNumber(const char* name) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return UINT64_MAX;
    }
    return static_cast<std::uint64_t>(std::strtoull(text, nullptr, 10));
}

// A disk that fills up, for the fault-injection tests of the command line: with
// VANTOR_FAIL_WRITES_AFTER=N in the environment, every file written aside fails after N bytes.
std::uint64_t injectedWriteLimit() {
    static const std::uint64_t limit = environmentNumber("VANTOR_FAIL_WRITES_AFTER");
    return limit;
}

// --- Temporaries a signal must not leave behind ----------------------------------------------

// Fixed entries, so that the signal handler reads nothing that is being reallocated.
struct TemporarySlot {
    std::atomic<bool> used{false};
    char path[4096] = {};
};
std::array<TemporarySlot, 32> liveTemporaries;

void rememberTemporary(const std::filesystem::path& temporary) {
#ifndef _WIN32
    const std::string& native = temporary.native();
    if (native.size() >= sizeof TemporarySlot::path) {
        return;
    }
    for (TemporarySlot& slot : liveTemporaries) {
        if (!slot.used.load()) {
            std::memcpy(slot.path, native.c_str(), native.size() + 1);
            slot.used.store(true);
            return;
        }
    }
#else
    (void)temporary;
#endif
}

void removeLiveTemporaries() {
#ifndef _WIN32
    for (TemporarySlot& slot : liveTemporaries) {
        if (slot.used.load()) {
            ::unlink(slot.path);
        }
    }
#endif
}

// --- Stops that wait for a commit ---------------------------------------------------------------

std::atomic<int> deferralDepth{0};
std::atomic<int> waitingSignal{0};
void (*stopNotice)(const std::string&) = nullptr;
std::string deferredOutcome;

[[noreturn]] void stopNow(int signal) {
    removeLiveTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal); // a signal the system would not deliver again
}

extern "C" void removeTemporariesAndStop(int signal) {
    if (deferralDepth.load() > 0) {
        waitingSignal.store(signal);
        return;
    }
    stopNow(signal);
}

// --- Names ------------------------------------------------------------------------------------

std::string randomSuffix() {
    static thread_local std::mt19937_64 random([] {
        std::random_device device;
        const auto now =
            static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        return (static_cast<std::uint64_t>(device()) << 32) ^ device() ^ now;
    }());
    constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix(8, '0');
    for (char& c : suffix) {
        c = digits[random() % 36];
    }
    return suffix;
}

// --- Commit steps -----------------------------------------------------------------------------

bool renameStep(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string& error) {
    crashPoint();
    return renameOver(from, to, error);
}

// Why the target may not be written now: checked when writing begins and again just before the
// rename, since the command may have read it as an input in between.
bool targetRefused(SafeWriter& writer) {
    std::optional<std::string> refusal = outputRefusal(writer.target, writer.replacesInput);
    if (!refusal) {
        return false;
    }
    writer.error = std::move(*refusal);
    return true;
}

// Flushes and closes the temporary file with the target's permissions; durable when asked.
bool finish(SafeWriter& writer, bool durable) {
    if (writer.handle == nullptr) {
        if (writer.error.empty()) {
            writer.error = "the file is not open";
        }
        return false;
    }
    crashPoint();
    bool ok = std::fflush(writer.handle.get()) == 0 && (!durable || syncFile(writer.handle.get()));
    if (!ok) {
        writer.error = lastSystemError();
    }
    if (ok) {
        copyPermissions(writer.handle.get(), examinePath(writer.target));
    }
    std::FILE* f = writer.handle.release();
    if (std::fclose(f) != 0 && ok) {
        writer.error = lastSystemError();
        ok = false;
    }
    return ok;
}

} // namespace

void crashPoint() {
    static const std::uint64_t crashAt = environmentNumber("VANTOR_CRASH_AT_STEP");
    static std::uint64_t steps = 0;
    if (crashAt == UINT64_MAX || ++steps < crashAt) {
        return;
    }
#ifdef _WIN32
    TerminateProcess(GetCurrentProcess(), 9);
#else
    std::raise(SIGKILL);
#endif
}

std::filesystem::path outputTargetFor(const std::filesystem::path& target) {
    if (!isSymbolicLink(target)) {
        return target;
    }
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(target, ec);
    return ec ? target : resolved;
}

std::FILE* createTemporaryBeside(const std::filesystem::path& target,
                                 std::filesystem::path& temporary, std::string& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            withSuffix(target, ".vantor-partial-" + randomSuffix());
        FileDescriptor fd;
        const CreateResult created = createExclusively(fd, candidate, error);
        if (created == CreateResult::Exists) {
            continue;
        }
        if (created == CreateResult::Failed) {
            return nullptr;
        }
        rememberTemporary(candidate);
        std::FILE* stream = streamFor(fd, "wb");
        if (stream == nullptr) {
            error = lastSystemError();
            removeTemporary(candidate);
            return nullptr;
        }
        temporary = candidate;
        return stream;
    }
    error = "no unused temporary name beside it";
    return nullptr;
}

std::filesystem::path unusedNameBeside(const std::filesystem::path& target, std::string_view tag) {
    std::filesystem::path candidate;
    do {
        candidate = withSuffix(target, std::string(tag) + randomSuffix());
    } while (namePresent(candidate));
    return candidate;
}

void forgetTemporary(const std::filesystem::path& temporary) {
#ifndef _WIN32
    for (TemporarySlot& slot : liveTemporaries) {
        if (slot.used.load() && temporary.native() == slot.path) {
            slot.used.store(false);
        }
    }
#else
    (void)temporary;
#endif
}

void removeTemporary(const std::filesystem::path& temporary) {
    if (temporary.empty()) {
        return;
    }
    std::string ignored; // a temporary that cannot be removed is harmless: it is never read
    removeFile(temporary, ignored);
    forgetTemporary(temporary);
}

StopDeferral::StopDeferral() {
    if (deferralDepth.fetch_add(1) == 0) {
        deferredOutcome = "Stopped before anything was replaced: the files are as they were.";
    }
}

StopDeferral::~StopDeferral() {
    if (deferralDepth.fetch_sub(1) != 1) {
        return;
    }
    const int signal = waitingSignal.exchange(0);
    if (signal == 0) {
        return;
    }
    if (stopNotice != nullptr) {
        stopNotice(deferredOutcome);
    }
    stopNow(signal);
}

void StopDeferral::setOutcome(std::string text) {
    deferredOutcome = std::move(text);
}

void setStopNotice(void (*notice)(const std::string& text)) {
    stopNotice = notice;
}

int pendingStopSignal() {
    return waitingSignal.load();
}

void removeTemporariesOnSignal() {
#ifndef _WIN32
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, removeTemporariesAndStop);
    }
#else
    std::signal(SIGINT, removeTemporariesAndStop);
    std::signal(SIGTERM, removeTemporariesAndStop);
#endif
}

bool beginSafeWrite(SafeWriter& writer, const std::filesystem::path& target) {
    abandonSafeWrite(writer);
    writer.failAfterBytes = std::min(writer.failAfterBytes, injectedWriteLimit());
    // Checked as named first, so that a refusal names the input behind a link.
    writer.target = target;
    writer.temporary.clear();
    writer.written = 0;
    writer.hash = {};
    writer.error.clear();
    if (targetRefused(writer)) {
        return false;
    }
    writer.target = outputTargetFor(target);
    writer.handle.reset(createTemporaryBeside(writer.target, writer.temporary, writer.error));
    if (writer.handle == nullptr) {
        return false;
    }
    // Writers hand over a row or a section at a time; the file system takes a few large writes
    // far faster than many small ones.
    constexpr std::size_t bufferSize = std::size_t{1} << 20;
    writer.buffer = std::make_unique<char[]>(bufferSize);
    std::setvbuf(writer.handle.get(), writer.buffer.get(), _IOFBF, bufferSize);
    return true;
}

bool safeWrite(SafeWriter& writer, const void* data, std::size_t count) {
    if (writer.handle == nullptr) {
        return false;
    }
    crashPoint();
    std::size_t allowed = count;
    if (writer.written + count > writer.failAfterBytes) {
        allowed = static_cast<std::size_t>(writer.failAfterBytes - writer.written);
    }
    const std::size_t put = std::fwrite(data, 1, allowed, writer.handle.get());
    writer.written += put;
    writer.hash.update(data, put);
    if (put != count) {
        writer.error = put != allowed ? lastSystemError() : "No space left on device";
        return false;
    }
    return true;
}

bool commitSafeWrite(SafeWriter& writer) {
    if (targetRefused(writer) || !finish(writer, false)) {
        abandonSafeWrite(writer);
        return false;
    }
    if (!renameStep(writer.temporary, writer.target, writer.error)) {
        abandonSafeWrite(writer);
        return false;
    }
    forgetTemporary(writer.temporary);
    writer.temporary.clear();
    return true;
}

bool finishSafeWrite(SafeWriter& writer) {
    if (targetRefused(writer) || !finish(writer, true)) {
        abandonSafeWrite(writer);
        return false;
    }
    return true;
}

std::filesystem::path handOverSafeWrite(SafeWriter& writer) {
    std::filesystem::path temporary = std::move(writer.temporary);
    writer.temporary.clear();
    forgetTemporary(temporary);
    return temporary;
}

SafeWriter::~SafeWriter() {
    abandonSafeWrite(*this);
}

void abandonSafeWrite(SafeWriter& writer) {
    writer.handle.reset();
    removeTemporary(writer.temporary);
    writer.temporary.clear();
}

bool writeFileAside(const std::filesystem::path& target, std::string_view bytes,
                    std::string& error) {
    SafeWriter out;
    if (!beginSafeWrite(out, target) || !safeWrite(out, bytes) || !commitSafeWrite(out)) {
        error = out.error;
        return false;
    }
    return true;
}

bool commitSafeWritePair(SafeWriter& first, SafeWriter& second) {
    SafeWriter* writers[] = {&first, &second};
    const auto fail = [&](SafeWriter& failed, std::string error) {
        failed.error = std::move(error);
        abandonSafeWrite(first);
        abandonSafeWrite(second);
        return false;
    };
    if (first.target.parent_path() != second.target.parent_path()) {
        return fail(second, "it is not in the folder of " + fromFsPath(first.target));
    }
    CommitLock lock;
    lock.removeWhenReleased();
    std::string error;
    if (lock.take(lockPathFor(first.target), commitLockWait, error) != CommitLock::Result::Taken) {
        return fail(first, error);
    }
    if (const Recovery r = recoverCommit(first.target, false);
        r.outcome == RecoveryOutcome::Failed) {
        return fail(first, r.error);
    }
    for (SafeWriter* w : writers) {
        if (targetRefused(*w)) {
            return fail(*w, w->error);
        }
    }
    for (SafeWriter* w : writers) {
        if (!finish(*w, true)) {
            return fail(*w, w->error);
        }
    }
    CommitJournal journal;
    journal.what = "Writing " + fromFsPath(first.target.filename()) + " and " +
                   fromFsPath(second.target.filename());
    for (SafeWriter* w : writers) {
        CommitSlot slot{w->target, w->temporary, {}, true};
        if (namePresent(w->target)) {
            slot.aside = unusedNameBeside(w->target, ".vantor-old-");
            journal.removeAfter.push_back(slot.aside);
        }
        journal.entries.push_back(slot);
    }
    // From here the commit owns the temporaries: it puts them in place or removes them.
    StopDeferral deferral;
    for (SafeWriter* w : writers) {
        forgetTemporary(w->temporary);
        w->temporary.clear();
    }
    const CommitOutcome outcome = runCommit(first.target, journal);
    if (outcome.state != SetState::New) {
        first.error = outcome.error;
        return false;
    }
    return true;
}

} // namespace vantor
