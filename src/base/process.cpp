#include "base/process.h"

#include "base/file_lookup.h"
#include "base/file_system.h"
#include "base/input_file.h"
#include "base/safe_writer.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace vantor {

namespace {

namespace fs = std::filesystem;

// A file for what the program writes, in the system's temporary folder.
struct Capture {
    fs::path path;
    std::string error;

    bool make() {
        std::error_code ec;
        const fs::path folder = fs::temp_directory_path(ec);
        if (ec) {
            error = ec.message();
            return false;
        }
        std::FILE* stream = createTemporaryBeside(folder / "vantor-run", path, error);
        if (stream == nullptr) {
            return false;
        }
        std::fclose(stream);
        return true;
    }
    std::string read() const {
        std::string text;
        std::string ignored;
        readTextFile(path, text, ignored, InputUse::Own);
        return text;
    }
    ~Capture() {
        if (!path.empty()) {
            removeTemporary(path);
        }
    }
};

#ifdef _WIN32

// One argument as the C runtime's command-line parser reads it back.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring text = L"\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t backslashes = 0;
        while (i < argument.size() && argument[i] == L'\\') {
            ++i;
            ++backslashes;
        }
        if (i == argument.size()) {
            text.append(backslashes * 2, L'\\');
            break;
        }
        if (argument[i] == L'"') {
            text.append(backslashes * 2 + 1, L'\\');
        } else {
            text.append(backslashes, L'\\');
        }
        text += argument[i];
    }
    return text + L"\"";
}

HANDLE openInheritable(const fs::path& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool start(const std::vector<std::string>& arguments, const fs::path& out, const fs::path& err,
           const ProgramEnvironment&, ProgramRun& run) {
    std::wstring line;
    for (const std::string& argument : arguments) {
        line += (line.empty() ? L"" : L" ") + quoted(toFsPath(argument).wstring());
    }
    const HANDLE input = openInheritable(L"NUL", false);
    const HANDLE output = openInheritable(out, true);
    const HANDLE errors = openInheritable(err, true);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process{};
    const bool started = input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE &&
                         errors != INVALID_HANDLE_VALUE &&
                         CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    if (!started) {
        run.error = "cannot run " + arguments.front() + ": " + lastSystemError();
    }
    for (HANDLE h : {input, output, errors}) {
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
    if (!started) {
        return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.status = static_cast<int>(status);
    return true;
}

#else

// The environment of this process with the changes made.
std::vector<std::string> environmentWith(const ProgramEnvironment& changes) {
    std::vector<std::string> entries;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        const std::string_view name = entry.substr(0, entry.find('='));
        const auto named = [name](const std::string& n) { return n == name; };
        const bool replaced = std::any_of(changes.unset.begin(), changes.unset.end(), named) ||
                              std::any_of(changes.set.begin(), changes.set.end(),
                                          [&named](const auto& s) { return named(s.first); });
        if (!replaced) {
            entries.emplace_back(entry);
        }
    }
    for (const auto& [name, value] : changes.set) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

bool start(const std::vector<std::string>& arguments, const fs::path& out, const fs::path& err,
           const ProgramEnvironment& environment, ProgramRun& run) {
    std::vector<std::string> entries = environmentWith(environment);
    std::vector<char*> envp;
    for (std::string& entry : entries) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_TRUNC | O_CREAT, 0666);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_TRUNC, 0);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        run.error = "cannot run " + arguments.front() + " (or write what it prints to " +
                    fromFsPath(out) + "): " + std::strerror(failed);
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            run.error = "cannot wait for " + arguments.front() + ": " + lastSystemError();
            return false;
        }
    }
    if (!WIFEXITED(status)) {
        run.error = arguments.front() + " was stopped by signal " +
                    std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        return false;
    }
    run.status = WEXITSTATUS(status);
    return true;
}

#endif

} // namespace

ProgramRun runProgram(const std::vector<std::string>& arguments, const fs::path& outputFile,
                      const ProgramEnvironment& environment) {
    ProgramRun run;
    if (arguments.empty()) {
        run.error = "no program to run";
        return run;
    }
    Capture output;
    Capture errors;
    if ((outputFile.empty() && !output.make()) || !errors.make()) {
        run.error = "cannot make a temporary file: " + output.error + errors.error;
        return run;
    }
    run.ran = start(arguments, outputFile.empty() ? output.path : outputFile, errors.path,
                    environment, run);
    if (outputFile.empty()) {
        run.output = output.read();
    }
    run.errors = errors.read();
    return run;
}

fs::path runningProgramPath() {
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
#else
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self;
#endif
}

TemporaryFolder::~TemporaryFolder() {
    if (!path_.empty()) {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
}

bool TemporaryFolder::make(std::string& error) {
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    for (int attempt = 0; !ec && attempt < 100; ++attempt) {
        const fs::path candidate = unusedNameBeside(folder / "vantor", "-run-");
        if (fs::create_directory(candidate, ec) && !ec) {
            path_ = candidate;
            return true;
        }
    }
    error = "cannot make a temporary folder: " + (ec ? ec.message() : std::string("no free name"));
    return false;
}

} // namespace vantor
