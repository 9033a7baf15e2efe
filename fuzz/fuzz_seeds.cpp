// Writes the seed corpus of every fuzz target from a small sample theater: fuzz_seeds DIR.

#include "base/byte_order.h"
#include "base/pair_commit.h"
#include "base/pair_history.h"
#include "objectives/object_table.h"
#include "sample/sample_theater.h"
#include "terrain/l2m_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace vantor;
namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void put(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path theater = out / "theater";
    std::string error;
    SampleOptions small;
    small.sections = 2;
    if (!writeSampleTheater(theater.string(), small, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    for (const RecordFormat layout : {SevenByteRecords, NineByteRecords}) {
        SampleOptions o = small;
        o.layout = layout;
        const fs::path dir = out / (layout == SevenByteRecords ? "seven" : "nine");
        writeSampleTheater(dir.string(), o, error);
        const std::string l2 = slurp(dir / sampleL2Name);
        std::string pair(4, '\0');
        storeU32(reinterpret_cast<unsigned char*>(pair.data()),
                 static_cast<std::uint32_t>(l2.size()));
        put(out / "fuzz_terrain", dir.filename().string(), pair + l2 + slurp(dir / sampleO2Name));
    }
    SampleOptions one = small;
    one.sections = 1;
    const TerrainMatrix m = generateSampleTerrain(one);
    saveL2m(m, theater / "One.L2M", {});
    put(out / "fuzz_l2m", "one", slurp(theater / "One.L2M"));

    put(out / "fuzz_csv", "export", slurp(theater / sampleExportName));
    const std::string report =
        "2 Bad Roads Report\r\nSectX, SectY\r\n0, 1, 3, 4, 10005, 3, 28, 2,\r\n";
    put(out / "fuzz_csv", "report", report);

    const char* scripts[] = {"Object-BridgeScript.dat",     "Object-RoadScript.dat",
                             "Object-RiverScript.dat",      "Object-ObjectScript.dat",
                             "Object-TransitionScript.dat", "Object-CheckerScript.dat",
                             "Object-CheckerScript.dat"};
    for (int kind = 0; kind < 7; ++kind) {
        put(out / "fuzz_scripts", "kind" + std::to_string(kind + 1),
            std::string(1, static_cast<char>(kind)) + slurp(theater / scripts[kind]));
    }
    put(out / "fuzz_scripts", "city", std::string(1, '\7') + sampleCheckerScript());
    put(out / "fuzz_scripts", "airbase", std::string(1, '\10') + sampleAirbaseScript());

    put(out / "fuzz_reference", "ocd", std::string(1, '\0') + sampleClassFile());
    put(out / "fuzz_reference", "tileinfo", std::string(1, '\2') + sampleTileInfoFile());
    std::string list(36 * 3, '\0');
    storeU32(reinterpret_cast<unsigned char*>(list.data()), 2);
    put(out / "fuzz_reference", "ocdlist", std::string(1, '\1') + list);

    put(out / "fuzz_ini", "quillon", slurp(theater / "Quillon.ini"));

    const std::filesystem::path first = theater / "T.L2";
    const std::filesystem::path history = theater / "T.L2.vantor-history";
    CommitJournal journal;
    journal.what = "Mend of 2 tiles";
    journal.entries = {
        {first, theater / "T.L2.vantor-partial-a", history / "g0001-T.L2", true},
        {theater / "T.O2", theater / "T.O2.vantor-partial-b", history / "g0001-T.O2", true},
        {history / "history.txt", history / "history.txt.vantor-partial-c", {}, true}};
    journal.linksAfter = {{history / "g0001-T.L2", theater / "T.L2.bak"}};
    put(out / "fuzz_commit", "journal", std::string(1, '\0') + journalText(first, journal));
    PairHistory h;
    h.changes = 1;
    h.generations = {{1, 0, Generation::Where::Kept, "2026-01-01 00:00:00", "2026-01-02 00:00:00",
                      1, 5, 5, 1, 1, 7, 8, "the original pair"},
                     {2, 1, Generation::Where::Current, "2026-01-02 00:00:00", "", 0, 5, 5, 2, 2, 9,
                      10, "Mend of 2 tiles"}};
    put(out / "fuzz_commit", "history",
        std::string(1, '\1') + historyText(first, theater / "T.O2", h));
    // Pictures: a width byte, then pixel bytes with runs, repeats and noise.
    put(out / "fuzz_png", "runs", std::string("\x07") + std::string(64, '\x10') + "abcdefgh");
    put(out / "fuzz_png", "noise",
        std::string("\x21") + slurp(theater / sampleExportName).substr(0, 4000));
    return 0;
}
