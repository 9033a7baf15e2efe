#include "app/command_line.h"
#include "app/shell_texts.h"
#include "app/version.h"
#include "base/safe_writer.h"
#include "win32/main_window.h"

#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <objbase.h>
#include <shellapi.h>

namespace {

using vantor::win32::narrow;
using vantor::win32::widen;

// Said where the program's output goes (a file or pipe it was given, the console it was
// started from), else in a message box.
void say(const std::string& text, const wchar_t* title) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || GetFileType(out) == FILE_TYPE_UNKNOWN) {
        out = AttachConsole(ATTACH_PARENT_PROCESS) ? GetStdHandle(STD_OUTPUT_HANDLE) : nullptr;
    }
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        MessageBoxW(nullptr, widen(text).c_str(), title, MB_OK | MB_ICONINFORMATION);
        return;
    }
    DWORD written = 0;
    if (GetFileType(out) == FILE_TYPE_CHAR) {
        const std::wstring wide = widen(text);
        if (WriteConsoleW(out, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
            return;
        }
    }
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string absolute(const std::string& path) {
    std::wstring full(32768, L'\0');
    const DWORD n = GetFullPathNameW(widen(path).c_str(), static_cast<DWORD>(full.size()),
                                     full.data(), nullptr);
    if (n == 0 || n >= full.size()) {
        return path;
    }
    full.resize(n);
    return narrow(full);
}

// The manual beside the program (the package's README.txt), else the source tree's.
std::string findManual() {
    std::wstring exe(32768, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
    const std::filesystem::path folder = std::filesystem::path(exe).parent_path();
    for (const wchar_t* name : {L"README.txt", L"README.md"}) {
        std::error_code error;
        if (std::filesystem::exists(folder / name, error)) {
            return narrow((folder / name).wstring());
        }
    }
    return {};
}

// The scripted run's options, taken out of the arguments: --script ID,ID,... runs the commands
// in turn; --shot FILE saves a picture of the window after each step beside FILE (NN-step.png)
// and the last one as FILE; --answer ROLE=PATH answers a file dialog for that role (terrain,
// source, output, version, folder, baseline, script); --log FILE says what happened.
bool takeScriptOptions(std::vector<std::string>& args, vantor::win32::MainWindowOptions& options,
                       std::string& error) {
    static const std::pair<const char*, vantor::FileRequestRole> roles[] = {
        {"terrain", vantor::FileRequestRole::Terrain},  {"source", vantor::FileRequestRole::Source},
        {"output", vantor::FileRequestRole::Output},    {"script", vantor::FileRequestRole::Script},
        {"version", vantor::FileRequestRole::Version},  {"folder", vantor::FileRequestRole::Folder},
        {"baseline", vantor::FileRequestRole::Baseline}};
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--script" || a == "--shot" || a == "--answer" || a == "--log";
        if (!takesValue) {
            rest.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        const std::string value = args[++i];
        if (a == "--script") {
            std::size_t start = 0;
            while (start <= value.size()) {
                const std::size_t comma = value.find(',', start);
                const std::string step = value.substr(start, comma - start);
                if (!step.empty()) {
                    options.script.push_back(step);
                }
                if (comma == std::string::npos) {
                    break;
                }
                start = comma + 1;
            }
        } else if (a == "--shot") {
            options.finalShot = absolute(value);
            options.shots =
                narrow(std::filesystem::path(widen(options.finalShot)).parent_path().wstring());
        } else if (a == "--log") {
            options.log = absolute(value);
        } else {
            const std::size_t equals = value.find('=');
            bool known = false;
            for (const auto& [name, role] : roles) {
                if (equals != std::string::npos && value.compare(0, equals, name) == 0) {
                    options.answers[role].push_back(value.substr(equals + 1));
                    known = true;
                }
            }
            if (!known) {
                error = "--answer takes ROLE=PATH, the role one of terrain, source, output, "
                        "script, version, folder, baseline; not " +
                        value;
                return false;
            }
        }
    }
    args = std::move(rest);
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        args.push_back(narrow(wide[i]));
    }
    LocalFree(wide);
    const vantor::InfoRequest info = vantor::infoRequest(args);
    if (info == vantor::InfoRequest::Help) {
        say(vantor::desktopUsage() +
                "\nA scripted run (for tests): --script ID,ID,... [--shot FILE] [--answer "
                "ROLE=PATH]... [--log FILE]\n",
            L"vantor");
        return 0;
    }
    if (info == vantor::InfoRequest::Version) {
        say(std::string("vantor ") + vantor::vantorVersion() + "\n", L"vantor");
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                        ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                        ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    vantor::removeTemporariesOnSignal();

    vantor::win32::MainWindowOptions options;
    std::string error;
    std::string startFolder;
    if (takeScriptOptions(args, options, error) &&
        vantor::takeStartFolderArgument(args, startFolder, error) && !startFolder.empty() &&
        !isFolder(startFolder)) {
        error = "Cannot use " + startFolder + " as the start folder: it is no folder";
    }
    if (!error.empty()) {
        std::fprintf(stderr, "vantor: %s\n", error.c_str()); // for a script that started it
        MessageBoxW(nullptr, widen(error).c_str(), L"Error", MB_OK | MB_ICONERROR);
        return 2; // a usage error, told apart from both the normal end (1) and a failed start (0)
    }
    std::string commandLine;
    for (const std::string& a : args) {
        commandLine += (commandLine.empty() ? "" : " ") + a;
    }
    options.mode = vantor::parseCommandLine(commandLine);
    std::wstring current(32768, L'\0');
    current.resize(GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data()));
    options.startDirectory = narrow(current);
    if (!startFolder.empty()) {
        options.startFolderArgument = absolute(startFolder);
    }
    options.manualPath = findManual();
    std::unique_ptr<vantor::win32::MainWindow> window;
    try {
        window = std::make_unique<vantor::win32::MainWindow>(options);
    } catch (const std::exception&) {
        MessageBoxW(nullptr, widen(vantor::texts::couldNotStart).c_str(), L"Error",
                    MB_OK | MB_ICONERROR);
        return 0;
    }
    window->startUp();
    window->run();
    // The suite's programs end with status 1 after a normal run; batch scripts rely on it.
    return 1;
}
