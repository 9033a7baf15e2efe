#include "base/file_guard.h"

#include "base/file_lookup.h"

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

std::string outputRefusal(const std::filesystem::path& target, bool replacesInput) {
    std::string error;
    const FileFacts facts = examinePath(target, &error);
    if (!error.empty()) {
        return error;
    }
    switch (facts.kind) {
    case FileKind::Missing:
        return {};
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
    return {};
}

} // namespace vantor
