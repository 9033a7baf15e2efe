#include "base/safe_writer.h"

#include "base/file_guard.h"
#include "base/file_lookup.h"
#include "base/input_file.h"
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

// Fixed slots, so that the signal handler reads nothing that is being reallocated.
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

extern "C" void removeTemporariesAndStop(int signal) {
#ifndef _WIN32
    for (TemporarySlot& slot : liveTemporaries) {
        if (slot.used.load()) {
            ::unlink(slot.path);
        }
    }
#endif
    std::signal(signal, SIG_DFL);
    std::raise(signal);
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

std::filesystem::path withSuffix(const std::filesystem::path& path, std::string_view suffix) {
    std::filesystem::path result = path;
    result += toFsPath(suffix);
    return result;
}

std::filesystem::path backupPath(const std::filesystem::path& target) {
    return withSuffix(target, ".bak");
}

// --- Commit steps -----------------------------------------------------------------------------

bool renameStep(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string& error) {
    crashPoint();
    return renameOver(from, to, error);
}

bool pathExists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// Why the target may not be written now: checked when writing begins and again just before the
// rename, since the command may have read it as an input in between.
bool targetRefused(SafeWriter& writer) {
    const std::string refusal = outputRefusal(writer.target, writer.replacesInput);
    if (refusal.empty()) {
        return false;
    }
    writer.error = refusal;
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

// What a commit record says: for each file, where the new one waits and where the old one goes.
struct CommitEntry {
    std::filesystem::path target;
    std::filesystem::path temporary;
    std::filesystem::path old;
    bool keepOld = false;
};

constexpr std::string_view recordTitle = "Vantor pair commit 1";

std::string recordText(const std::vector<CommitEntry>& entries) {
    std::string text = std::string(recordTitle) + "\n";
    for (const CommitEntry& e : entries) {
        text += fromFsPath(e.target.filename()) + "\t" + fromFsPath(e.temporary.filename()) + "\t" +
                fromFsPath(e.old.filename()) + "\t" + (e.keepOld ? "1" : "0") + "\n";
    }
    return text;
}

bool parseRecord(const std::string& text, const std::filesystem::path& folder,
                 std::vector<CommitEntry>& entries) {
    bool titled = false;
    bool ok = true;
    forEachTextLine(text, [&](std::string_view line) {
        if (!titled) {
            titled = line == recordTitle;
            ok = titled;
            return ok;
        }
        if (line.empty()) {
            return true;
        }
        std::vector<std::string_view> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string_view::npos) {
                break;
            }
            start = tab + 1;
        }
        const auto plainName = [](std::string_view name) {
            return !name.empty() && name.find_first_of("/\\") == std::string_view::npos &&
                   name != "." && name != "..";
        };
        if (fields.size() != 4 || !plainName(fields[0]) || !plainName(fields[1]) ||
            !plainName(fields[2]) || (fields[3] != "0" && fields[3] != "1")) {
            ok = false;
            return false;
        }
        entries.push_back({folder / toFsPath(fields[0]), folder / toFsPath(fields[1]),
                           folder / toFsPath(fields[2]), fields[3] == "1"});
        return true;
    });
    return ok && titled && !entries.empty();
}

// Puts every file of a written record in place: the old file aside, the new one in its place,
// then the old ones that are not kept removed and the record with them.
bool completeCommit(const std::vector<CommitEntry>& entries, const std::filesystem::path& record,
                    std::string& error) {
    for (const CommitEntry& e : entries) {
        if (!pathExists(e.temporary)) {
            continue; // already in place
        }
        if (pathExists(e.target) && !renameStep(e.target, e.old, error)) {
            error = "cannot move " + fromFsPath(e.target) + " aside: " + error;
            return false;
        }
        if (!renameStep(e.temporary, e.target, error)) {
            error = "cannot put " + fromFsPath(e.target) + " in place: " + error;
            return false;
        }
        forgetTemporary(e.temporary);
    }
    for (const CommitEntry& e : entries) {
        if (!e.keepOld) {
            removeTemporary(e.old);
        }
    }
    crashPoint();
    std::error_code ec;
    std::filesystem::remove(record, ec);
    if (ec) {
        error = "cannot remove " + fromFsPath(record) + ": " + ec.message();
        return false;
    }
    syncFolder(record.parent_path());
    return true;
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
    std::error_code ec;
    std::filesystem::remove(temporary, ec);
    forgetTemporary(temporary);
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
    const bool backedUp = writer.keepBackup && pathExists(writer.target);
    if (backedUp && !renameStep(writer.target, backupPath(writer.target), writer.error)) {
        abandonSafeWrite(writer);
        return false;
    }
    if (!renameStep(writer.temporary, writer.target, writer.error)) {
        if (backedUp) {
            std::string ignored;
            renameOver(backupPath(writer.target), writer.target, ignored);
        }
        abandonSafeWrite(writer);
        return false;
    }
    forgetTemporary(writer.temporary);
    writer.temporary.clear();
    return true;
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

std::filesystem::path commitRecordPath(const std::filesystem::path& firstTarget) {
    return withSuffix(firstTarget, ".vantor-commit");
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
    const std::filesystem::path record = commitRecordPath(first.target);
    std::string error;
    if (finishInterruptedCommit(first.target, error) == CommitRecovery::Failed) {
        return fail(first, error);
    }
    for (SafeWriter* w : writers) {
        if (targetRefused(*w)) {
            return fail(*w, w->error);
        }
        // Once the record is written the renames must go through; what would stop one is
        // found before.
        if (const FileKind kind = examinePath(backupPath(w->target)).kind;
            w->keepBackup && kind != FileKind::Missing && kind != FileKind::Regular) {
            return fail(*w, "its backup " + fromFsPath(backupPath(w->target)) +
                                " is not a regular file");
        }
    }
    for (SafeWriter* w : writers) {
        if (!finish(*w, true)) {
            return fail(*w, w->error);
        }
    }
    std::vector<CommitEntry> entries;
    for (SafeWriter* w : writers) {
        entries.push_back({w->target, w->temporary,
                           w->keepBackup ? backupPath(w->target) : withSuffix(w->temporary, "-old"),
                           w->keepBackup});
    }

    // The record is complete and durable before it appears under its name.
    std::filesystem::path recordTemporary;
    std::FILE* stream = createTemporaryBeside(record, recordTemporary, error);
    if (stream == nullptr) {
        return fail(first, "cannot write " + fromFsPath(record) + ": " + error);
    }
    const std::string text = recordText(entries);
    crashPoint();
    const bool written =
        std::fwrite(text.data(), 1, text.size(), stream) == text.size() && syncFile(stream);
    if (!written) {
        error = lastSystemError();
    }
    const bool closed = std::fclose(stream) == 0;
    if (!written || !closed || !renameStep(recordTemporary, record, error)) {
        removeTemporary(recordTemporary);
        return fail(first, "cannot write " + fromFsPath(record) + ": " + error);
    }
    forgetTemporary(recordTemporary);
    syncFolder(record.parent_path());

    if (!completeCommit(entries, record, error)) {
        // The record stays: the next open finishes the pair, and refuses it until then.
        first.error = error;
        return false;
    }
    first.temporary.clear();
    second.temporary.clear();
    return true;
}

CommitRecovery finishInterruptedCommit(const std::filesystem::path& firstTarget,
                                       std::string& error) {
    const std::filesystem::path record = commitRecordPath(firstTarget);
    if (!pathExists(record)) {
        return CommitRecovery::NothingToDo;
    }
    std::string text;
    std::string readError;
    std::vector<CommitEntry> entries;
    if (!readTextFile(record, text, readError, InputUse::Own)) {
        error = "cannot read " + fromFsPath(record) + ": " + readError;
        return CommitRecovery::Failed;
    }
    if (!parseRecord(text, record.parent_path(), entries)) {
        error = fromFsPath(record) + " is no commit record of Vantor";
        return CommitRecovery::Failed;
    }
    for (const CommitEntry& e : entries) {
        if (!pathExists(e.temporary) && !pathExists(e.target)) {
            error = "neither " + fromFsPath(e.target) + " nor its new version " +
                    fromFsPath(e.temporary) + " is there";
            return CommitRecovery::Failed;
        }
    }
    if (!completeCommit(entries, record, error)) {
        return CommitRecovery::Failed;
    }
    return CommitRecovery::Finished;
}

} // namespace vantor
