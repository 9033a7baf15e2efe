// The audit of the 256 x 256-section sample theater against the separate commands it stands
// for (report, check-parents, a city check that counts what it would do, radar), each run as
// vantor-cli runs it, in one run: every command is its own process that reads its inputs, as a
// theater builder's script would call them. Each benchmark also reports the largest resident
// memory of its processes, beside that of a process that only reads the terrain (info).

#include "bench_theater.h"
#include "reference/ocd_list.h"
#include "sample/sample_theater.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using namespace vantor;

struct Child {
    int status = -1;
    long peakKiB = 0;
};

// Runs vantor-cli with the arguments, its output thrown away; the exit status and the peak
// resident memory of that one process.
Child runCli(const std::vector<std::string>& args) {
    std::vector<std::string> all{VANTOR_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Child child;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
            child.status = WEXITSTATUS(status);
            child.peakKiB = usage.ru_maxrss;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

struct Sample {
    std::filesystem::path dir;
    std::string terrain;
    std::string source;
    std::string out(const char* name) const { return (dir / "out" / name).string(); }
};

const Sample& sample() {
    static const Sample s = [] {
        Sample made;
        made.dir = bench::writeBenchTheater("vantor-audit-bench");
        if (!generateOcdList(made.dir.string()).ok) {
            std::fprintf(stderr, "Cannot write the class list of the sample theater\n");
            std::exit(1);
        }
        std::filesystem::create_directories(made.dir / "out");
        made.terrain = (made.dir / sampleL2Name).string();
        made.source = (made.dir / sampleExportName).string();
        return made;
    }();
    return s;
}

std::vector<std::string> withInputs(std::vector<std::string> args) {
    const Sample& s = sample();
    std::vector<std::string> all{"--quiet",   "--yes",   "--dir",    s.dir.string(),
                                 "--terrain", s.terrain, "--source", s.source};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

// Runs the commands of one benchmark per iteration; a command that fails stops the benchmark.
void runCommands(benchmark::State& state, const std::vector<std::vector<std::string>>& commands,
                 const std::vector<int>& statuses) {
    long peak = 0;
    for (auto _ : state) {
        // Every output is new: a command never finds the file of the iteration before.
        std::filesystem::remove_all(sample().dir / "out");
        std::filesystem::create_directories(sample().dir / "out");
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const Child c = runCli(withInputs(commands[i]));
            if (c.status != statuses[i]) {
                state.SkipWithError(("vantor-cli " + commands[i][0] + " ended with status " +
                                     std::to_string(c.status))
                                        .c_str());
                return;
            }
            peak = std::max(peak, c.peakKiB);
        }
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
}

void BM_SeparateCommands(benchmark::State& state) {
    const Sample& s = sample();
    runCommands(state,
                {{"report", "--out", s.out("Report.csv")},
                 {"check-parents"},
                 {"check-cities", "--out", s.out("Checked.csv")},
                 {"radar", "--out", s.out("Radar.csv")}},
                {0, 0, 0, 0});
}

void BM_Audit(benchmark::State& state) {
    runCommands(state, {{"audit"}}, {3});
}

void BM_AuditWithJsonAndPage(benchmark::State& state) {
    const Sample& s = sample();
    runCommands(state, {{"audit", "--json", s.out("Audit.json"), "--html", s.out("Audit.html")}},
                {3});
}

// The audit's reports one at a time: the page (the relief map of the whole theater drawn and
// encoded, then the findings) against the JSON alone.
void BM_AuditWithJson(benchmark::State& state) {
    runCommands(state, {{"audit", "--json", sample().out("Audit.json")}}, {3});
}

void BM_AuditWithPage(benchmark::State& state) {
    runCommands(state, {{"audit", "--html", sample().out("Audit.html")}}, {3});
}

// The map of the whole theater as a picture (drawn row by row into the compressor), against
// reading the terrain (info, below).
void BM_Render(benchmark::State& state) {
    runCommands(state, {{"render", "--out", sample().out("Map.png")}}, {0});
}

// The terrain alone: what reading the L2/O2 pair costs and holds.
void BM_ReadTerrainOnly(benchmark::State& state) {
    runCommands(state, {{"info", "0", "0"}}, {0});
}

BENCHMARK(BM_ReadTerrainOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SeparateCommands)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Audit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AuditWithJsonAndPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AuditWithJson)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AuditWithPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Render)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    sample(); // written before the clock starts
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(sample().dir);
    return 0;
}
