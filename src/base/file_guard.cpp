#include "base/file_guard.h"

#include "base/file_lookup.h"
#include "base/pair_commit.h"
#include "base/text_util.h"

namespace vantor {

namespace {

// Commands run one at a time on the thread that dispatches them; each thread has its own.
thread_local InputFiles* inForce = nullptr;

} // namespace

InputScope::InputScope(InputFiles& files) : previous_(inForce) {
    inForce = &files;
}

InputScope::~InputScope() {
    inForce = previous_;
}

void noteInput(const FileIdentity& identity, const std::filesystem::path& path) {
    if (inForce == nullptr || findInput(identity) != nullptr) {
        return;
    }
    inForce->read.push_back({identity, path});
}

const InputFiles::Entry* findInput(const FileIdentity& identity) {
    if (inForce == nullptr) {
        return nullptr;
    }
    for (const auto* list : {&inForce->held, &inForce->read}) {
        for (const InputFiles::Entry& entry : *list) {
            if (entry.identity == identity) {
                return &entry;
            }
        }
    }
    return nullptr;
}

std::optional<std::string> storeFileRefusal(const std::filesystem::path& path) {
    std::string error;
    const FileFacts facts = examinePath(path, &error);
    if (!error.empty()) {
        return fromFsPath(path) + " cannot be examined: " + error;
    }
    if (facts.kind == FileKind::Missing || facts.kind == FileKind::Regular) {
        return std::nullopt;
    }
    return fromFsPath(path) + (facts.kind == FileKind::Folder
                                   ? " is a folder"
                                   : " is not a regular file (a FIFO or a device)");
}

bool isWorkingPath(const std::filesystem::path& path) {
    for (const std::filesystem::path& part : realPathOf(path)) {
        if (isWorkingFileName(fromFsPath(part))) {
            return true;
        }
    }
    return false;
}

namespace {

// The same file, as far as the disk can tell: one real path (letter case aside on Windows), or
// one file under two names.
bool sameFileOnDisk(const std::filesystem::path& a, const std::filesystem::path& b) {
    const std::filesystem::path realA = realPathOf(a);
    const std::filesystem::path realB = realPathOf(b);
#ifdef _WIN32
    if (equalsIgnoreCase(fromFsPath(realA), fromFsPath(realB))) {
        return true;
    }
#else
    if (realA == realB) {
        return true;
    }
#endif
    const FileFacts x = examinePath(a);
    const FileFacts y = examinePath(b);
    return x.kind != FileKind::Missing && y.kind != FileKind::Missing && x.identity == y.identity;
}

} // namespace

std::optional<std::string> outputClash(const std::vector<FileRole>& files) {
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FileRole& out = files[i];
        if (!out.output || out.path.empty()) {
            continue;
        }
        if (isWorkingPath(out.path)) {
            return out.role + " would be written over " + fromFsPath(out.path) +
                   ", one of the files Vantor keeps for its commits (a journal, a lock, a file "
                   "being written or the terrain's history); nothing was written";
        }
        for (std::size_t j = 0; j < files.size(); ++j) {
            const FileRole& other = files[j];
            if (j == i || other.path.empty() || !sameFileOnDisk(out.path, other.path)) {
                continue;
            }
            return out.role + " would be written over " + fromFsPath(out.path) + ", which is " +
                   other.role + "; nothing was written";
        }
    }
    return std::nullopt;
}

std::optional<std::string> outputRefusal(const std::filesystem::path& target, bool replacesInput) {
    if (isWorkingPath(target)) {
        return "it is one of the files Vantor keeps for its commits (a journal, a lock, a file "
               "being written or the terrain's history)";
    }
    if (inForce != nullptr) {
        for (const InputFiles::Kept& kept : inForce->kept) {
            if (sameFileOnDisk(target, kept.path)) {
                return "it is " + kept.role;
            }
        }
    }
    std::string error;
    const FileFacts facts = examinePath(target, &error);
    if (!error.empty()) {
        return error;
    }
    switch (facts.kind) {
    case FileKind::Missing:
        return std::nullopt;
    case FileKind::Folder:
        return "it is a folder";
    case FileKind::Other:
        return "it is not a regular file";
    case FileKind::Regular:
        break;
    }
    if (const InputFiles::Entry* input = findInput(facts.identity); input && !replacesInput) {
        const std::string name = fromFsPath(input->path);
        return input->path == target
                   ? "it is an input of this command"
                   : "it is the same file as " + name + ", an input of this command";
    }
    if (!mayWrite(target, facts)) {
        return facts.readOnly ? "it is read-only" : "permission denied";
    }
    return std::nullopt;
}

} // namespace vantor
