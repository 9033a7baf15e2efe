#include "support/run_program.h"

#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace vantor::testing {

namespace {

std::string quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args) {
    TempDir capture;
#ifndef _WIN32
    // A program that waits for ever (on a FIFO, say) fails its test instead of stopping the suite.
    std::string command = "timeout -s KILL 120 " + quote(program);
#else
    std::string command = quote(program);
#endif
    for (const std::string& arg : args) {
        command += " " + quote(arg);
    }
    const auto outFile = capture.path / "out.txt";
    const auto errFile = capture.path / "err.txt";
    command += " </dev/null >" + quote(outFile.string()) + " 2>" + quote(errFile.string());
    const int status = std::system(command.c_str());
    ProgramRun run;
#ifndef _WIN32
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#else
    run.exitCode = status;
#endif
    run.out = readAll(outFile);
    run.err = readAll(errFile);
    return run;
}

} // namespace vantor::testing
