// The files the pair commit reads back: a journal (which decides what the next open renames) and
// the history's index. The first byte picks which.

#include "base/pair_commit.h"
#include "base/pair_history.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    if (size == 0) {
        return 0;
    }
    const std::string_view text = fuzz::text({data + 1, size - 1});
    if (data[0] % 2 == 0) {
        CommitJournal journal;
        const std::filesystem::path first = "/nowhere/T.L2";
        if (parseJournal(first, text, journal)) {
            // What is read back names only files of the folder and of its history.
            for (const CommitSlot& slot : journal.entries) {
                for (const std::filesystem::path* p : {&slot.target, &slot.incoming}) {
                    const std::filesystem::path relative =
                        p->lexically_relative(first.parent_path());
                    if (relative.empty() || *relative.begin() == ".." ||
                        p->native().find('\0') != std::string::npos) {
                        __builtin_trap();
                    }
                }
            }
            journalText(first, journal);
        }
    } else {
        PairHistory history;
        if (parseHistory(text, history)) {
            undoStep(history, 3);
            redoStep(history, 3);
            history.keptBytes();
            historyText("/nowhere/T.L2", "/nowhere/T.O2", history);
        }
    }
    return 0;
}
