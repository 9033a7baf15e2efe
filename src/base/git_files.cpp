#include "base/git_files.h"

#include "base/file_lookup.h"
#include "base/file_system.h"
#include "base/input_file.h"
#include "base/process.h"
#include "base/safe_writer.h"
#include "base/text_util.h"

#include <algorithm>

namespace vantor {

namespace {

namespace fs = std::filesystem;

std::string firstLine(const std::string& text) {
    return std::string(trimBlanks(std::string_view(text).substr(0, text.find('\n'))));
}

// git's own account of what went wrong ("fatal: path 'T.L2' does not exist in 'HEAD'").
std::string reasonOf(const ProgramRun& run) {
    if (!run.ran) {
        return run.error;
    }
    std::string reason = firstLine(run.errors);
    if (reason.starts_with("fatal: ")) {
        reason.erase(0, 7);
    }
    return reason.empty() ? "git ended with status " + std::to_string(run.status) : reason;
}

ProgramRun git(const fs::path& top, std::vector<std::string> arguments,
               const fs::path& outputFile = {}) {
    arguments.insert(arguments.begin(), {"git", "-C", fromFsPath(top)});
    // The repository is the one -C names, whatever a hook that runs us has set; and git never
    // waits for an answer at a terminal (credentials of a file store) that nobody sees.
    return runProgram(arguments, outputFile,
                      {{"GIT_DIR", "GIT_WORK_TREE", "GIT_INDEX_FILE", "GIT_COMMON_DIR"},
                       {{"GIT_TERMINAL_PROMPT", "0"}}});
}

} // namespace

bool gitWorkTreeOf(const fs::path& folder, fs::path& top, std::string& error) {
    const ProgramRun run = git(folder, {"rev-parse", "--show-toplevel"});
    if (!run.ran || run.status != 0) {
        error = reasonOf(run);
        return false;
    }
    top = toFsPath(firstLine(run.output));
    return true;
}

bool gitFileAt(const fs::path& top, const std::string& revision, const fs::path& file,
               const fs::path& to, std::string& error) {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(fs::absolute(file, ec), ec);
    const fs::path realTop = fs::weakly_canonical(top, ec);
    const fs::path relative = real.lexically_relative(realTop);
    if (relative.empty() || *relative.begin() == "..") {
        error = fromFsPath(file) + " is not in the git work tree " + fromFsPath(top);
        return false;
    }
    if (revision.empty() || revision.starts_with('-')) {
        error = "\"" + revision + "\" is no revision";
        return false;
    }
    const std::string object = revision + ":" + fromFsPathGeneric(relative);
    const ProgramRun run = git(top, {"cat-file", "--filters", object}, to);
    if (!run.ran || run.status != 0) {
        error = reasonOf(run);
        return false;
    }
    return true;
}

std::optional<std::string> gitConfigValue(const fs::path& top, const std::string& name) {
    const ProgramRun run = git(top, {"config", "--local", "--get", name});
    if (!run.ran || run.status != 0) {
        return std::nullopt;
    }
    std::string value = run.output;
    if (value.ends_with('\n')) {
        value.pop_back();
    }
    return value;
}

bool setGitConfig(const fs::path& top, const std::string& name, const std::string& value,
                  std::string& error) {
    const ProgramRun run = git(top, {"config", "--local", name, value});
    if (!run.ran || run.status != 0) {
        error = reasonOf(run);
        return false;
    }
    return true;
}

bool gitFolderOf(const fs::path& top, fs::path& folder, std::string& error) {
    const ProgramRun run = git(top, {"rev-parse", "--git-common-dir"});
    if (!run.ran || run.status != 0) {
        error = reasonOf(run);
        return false;
    }
    const fs::path named = toFsPath(firstLine(run.output));
    folder = named.is_absolute() ? named : top / named;
    return true;
}

namespace {

// Adds to a text file the lines it lacks, keeping every byte it has.
bool addMissingLines(const std::filesystem::path& path, const std::vector<std::string>& wanted,
                     GitSetup& setup) {
    std::string text;
    std::string error;
    const bool exists = namePresent(path);
    if (exists && !readTextFile(path, text, error, InputUse::Own)) {
        setup.error = "cannot read " + fromFsPath(path) + ": " + error;
        return false;
    }
    std::vector<std::string> have;
    forEachTextLine(text, [&have](std::string_view line) {
        have.emplace_back(trimBlanks(line));
        return true;
    });
    // Lines end as the file's do.
    const char* end = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::string added;
    int count = 0;
    for (const std::string& line : wanted) {
        if (std::find(have.begin(), have.end(), line) == have.end()) {
            added += line + end;
            ++count;
        }
    }
    if (count == 0) {
        setup.lines.push_back(fromFsPath(path) + ": already has its lines");
        return true;
    }
    if (!text.empty() && !text.ends_with('\n')) {
        text += end;
    }
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (!writeFileAside(path, text + added, error)) {
        setup.error = "cannot write " + fromFsPath(path) + ": " + error;
        return false;
    }
    setup.lines.push_back(fromFsPath(path) + ": " + (exists ? "added " : "written with ") +
                          std::to_string(count) + " line" + (count == 1 ? "" : "s"));
    return true;
}

// A word the shell git runs the textconv with reads back as `text`.
std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

} // namespace

GitSetup setUpGitRepository(const std::filesystem::path& folder,
                            const std::filesystem::path& program, int textForm) {
    GitSetup setup;
    std::filesystem::path top;
    if (!gitWorkTreeOf(folder, top, setup.error)) {
        setup.error = fromFsPath(folder) + " is in no git work tree: " + setup.error;
        return setup;
    }
    if (program.empty()) {
        setup.error = "the path of the running program cannot be found";
        return setup;
    }
    if (!addMissingLines(top / ".gitattributes",
                         {"*.L2 diff=vantor", "*.O2 diff=vantor", "*.l2 diff=vantor",
                          "*.o2 diff=vantor", "*.csv diff=vantor"},
                         setup)) {
        return setup;
    }
    // The text form's version is part of the command: git keeps its cache of a file's text by
    // the command, so a new form is never mixed with one cached before.
    const std::string textconv = shellQuoted(fromFsPathGeneric(program)) + " diff --text-form " +
                                 std::to_string(textForm) + " --textconv";
    for (const auto& [name, value] :
         {std::pair<std::string, std::string>{"diff.vantor.textconv", textconv},
          {"diff.vantor.cachetextconv", "true"}}) {
        if (gitConfigValue(top, name) == value) {
            setup.lines.push_back("git config " + name + ": already " + value);
        } else if (!setGitConfig(top, name, value, setup.error)) {
            setup.error = "cannot set git config " + name + ": " + setup.error;
            return setup;
        } else {
            setup.lines.push_back("git config " + name + " set to " + value);
        }
    }
    std::filesystem::path gitFolder;
    if (!gitFolderOf(top, gitFolder, setup.error)) {
        return setup;
    }
    // The history of a write-back and its working files are no part of the theater.
    addMissingLines(gitFolder / "info" / "exclude",
                    {"*.vantor-history/", "*.vantor-journal", "*.vantor-lock", "*.vantor-commit",
                     "*.vantor-partial-*", "*.vantor-old-*", "*.L2.bak", "*.O2.bak"},
                    setup);
    return setup;
}

} // namespace vantor
