// Reading and saving terrain against the raw cost of moving the same bytes, in one run:
// each terrain benchmark has a "Raw" twin that reads (or writes) the same files whole.

#include "base/input_file.h"
#include "sample/sample_theater.h"
#include "terrain/l2_reader.h"
#include "terrain/l2m_file.h"
#include "terrain/terrain_writer.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using namespace vantor;
namespace fs = std::filesystem;

struct Theater {
    fs::path l2;
    fs::path o2;
    fs::path l2m;
};

fs::path benchFolder() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / "vantor-bench";
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// The sample theaters, generated once per run: sections per side x layout.
const Theater& theater(std::int32_t sections, RecordFormat layout) {
    static std::map<std::pair<std::int32_t, int>, Theater> made;
    const auto key = std::make_pair(sections, static_cast<int>(layout));
    if (auto it = made.find(key); it != made.end()) {
        return it->second;
    }
    static std::map<std::int32_t, TerrainMatrix> matrices;
    if (!matrices.contains(sections)) {
        SampleOptions options;
        options.sections = sections;
        matrices[sections] = generateSampleTerrain(options);
    }
    TerrainMatrix& m = matrices[sections];
    m.recordFormat = layout;
    const std::string stem =
        "T" + std::to_string(sections) + "_" + std::to_string(recordSize(layout));
    Theater t{benchFolder() / (stem + ".L2"), benchFolder() / (stem + ".O2"),
              benchFolder() / (stem + ".L2M")};
    writeTerrainFiles(m, t.l2, t.o2, {});
    saveL2m(m, t.l2m, {});
    return made[key] = t;
}

// The raw cost: one read of the whole file into freshly allocated memory, as any program that
// loads a file pays it (the memory comes from the system, like the matrix's does).
std::size_t readWhole(const fs::path& path, std::unique_ptr<unsigned char[]>& buffer) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    const auto size = static_cast<std::size_t>(fs::file_size(path));
    buffer.reset(new unsigned char[size]);
    const std::size_t got = std::fread(buffer.get(), 1, size, f);
    std::fclose(f);
    return got;
}

RecordFormat layoutOf(const benchmark::State& state) {
    return state.range(1) == 7 ? SevenByteRecords : NineByteRecords;
}

void BM_ReadTerrain(benchmark::State& state) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    TerrainMatrix matrix;
    for (auto _ : state) {
        BinaryReader l2;
        BinaryReader o2;
        openForReading(l2, t.l2);
        openForReading(o2, t.o2);
        const TerrainResult result = readTerrain(l2, o2, matrix, {});
        benchmark::DoNotOptimize(result.status);
        benchmark::DoNotOptimize(matrix.posts.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(t.l2) + fs::file_size(t.o2)));
}

void BM_ReadTerrainRaw(benchmark::State& state) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    std::unique_ptr<unsigned char[]> l2;
    std::unique_ptr<unsigned char[]> o2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readWhole(t.l2, l2) + readWhole(t.o2, o2));
        l2.reset();
        o2.reset();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(t.l2) + fs::file_size(t.o2)));
}

// The floor under any read: a fresh matrix of the theater's size, every post written once. The
// matrix is 12 bytes a post whatever the files hold, so where empty sections share storage the
// files are far smaller than the memory a read must fill.
void BM_FillFreshMatrix(benchmark::State& state) {
    const auto extent = static_cast<std::int32_t>(state.range(0)) * 16;
    TerrainMatrix matrix;
    for (auto _ : state) {
        allocateMatrixForOverwrite(matrix, extent, extent, layoutOf(state));
        std::memset(static_cast<void*>(matrix.posts.data()), 0,
                    matrix.posts.size() * sizeof(TerrainPost));
        benchmark::DoNotOptimize(matrix.posts.data());
        releaseMatrix(matrix);
    }
}

void BM_LoadL2m(benchmark::State& state) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    TerrainMatrix matrix;
    for (auto _ : state) {
        BinaryReader file;
        openForReading(file, t.l2m);
        TheaterDefinition theaterDef;
        theaterDef.xMapExtent = theaterDef.yMapExtent =
            static_cast<std::int32_t>(state.range(0)) * 16;
        benchmark::DoNotOptimize(loadL2m(file, theaterDef, matrix, {}).status);
    }
}

void BM_LoadL2mRaw(benchmark::State& state) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    std::unique_ptr<unsigned char[]> bytes;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readWhole(t.l2m, bytes));
        bytes.reset();
    }
}

// The theater's matrix as the program reads it.
TerrainMatrix matrixOf(const Theater& t) {
    BinaryReader l2;
    BinaryReader o2;
    openForReading(l2, t.l2);
    openForReading(o2, t.o2);
    TerrainMatrix matrix;
    readTerrain(l2, o2, matrix, {});
    return matrix;
}

void BM_SaveL2m(benchmark::State& state) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    const TerrainMatrix matrix = matrixOf(t);
    const fs::path out = benchFolder() / "save.L2M";
    for (auto _ : state) {
        benchmark::DoNotOptimize(saveL2m(matrix, out, {}).status);
    }
}

void BM_SaveL2mRaw(benchmark::State& state) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    std::unique_ptr<unsigned char[]> bytes;
    const std::size_t size = readWhole(t.l2m, bytes);
    const fs::path out = benchFolder() / "raw.L2M";
    for (auto _ : state) {
        std::FILE* f = std::fopen(out.c_str(), "wb");
        benchmark::DoNotOptimize(std::fwrite(bytes.get(), 1, size, f));
        std::fclose(f);
    }
}

// The same bytes written the way every save is: beside the file, then renamed over it, so a
// failure part way never leaves half a file. The file system's own cost of that (ext4 writes the
// new data out before such a rename) is in this baseline too.
void BM_SaveL2mRawAside(benchmark::State& state) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    std::unique_ptr<unsigned char[]> bytes;
    const std::size_t size = readWhole(t.l2m, bytes);
    const fs::path out = benchFolder() / "raw-aside.L2M";
    fs::path partial = out;
    partial += ".partial";
    for (auto _ : state) {
        std::FILE* f = std::fopen(partial.c_str(), "wb");
        benchmark::DoNotOptimize(std::fwrite(bytes.get(), 1, size, f));
        std::fclose(f);
        fs::rename(partial, out);
    }
}

// The levelling's write-back, as a commit: both files written aside and synced, the history's
// index and the journal written and synced, the old pair renamed into the history and the new
// one into place, the folders synced, the backup names made, the journal removed (and, once
// the history holds more than it keeps, the oldest generation removed).
void BM_WriteTerrainBack(benchmark::State& state) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    const TerrainMatrix matrix = matrixOf(t);
    const fs::path outL2 = benchFolder() / "back.L2";
    const fs::path outO2 = benchFolder() / "back.O2";
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeTerrainFiles(matrix, outL2, outO2, {}).status);
    }
}

// Its raw twins: the same bytes written beside both files and renamed over them, without and
// with flushing them to disk first (the floor under any pair that must survive a crash).
void writePairRaw(benchmark::State& state, bool durable) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    std::unique_ptr<unsigned char[]> bytes[2];
    const std::size_t sizes[2] = {readWhole(t.l2, bytes[0]), readWhole(t.o2, bytes[1])};
    const fs::path outs[2] = {benchFolder() / "raw.L2", benchFolder() / "raw.O2"};
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) {
            fs::path partial = outs[i];
            partial += ".partial";
            std::FILE* f = std::fopen(partial.c_str(), "wb");
            benchmark::DoNotOptimize(std::fwrite(bytes[i].get(), 1, sizes[i], f));
            if (durable) {
                std::fflush(f);
                fsync(fileno(f));
            }
            std::fclose(f);
            fs::rename(partial, outs[i]);
        }
    }
}

// The floor of any write-back that must survive a crash, from the matrix: the sections encoded
// into records as the writer lays them out (empty ones sharing one copy), both files written
// beside their targets, synced and renamed over them (no journal, no history, no fingerprints).
void BM_WriteTerrainBackEncodedDurable(benchmark::State& state) {
    const Theater& t = theater(static_cast<std::int32_t>(state.range(0)), layoutOf(state));
    const TerrainMatrix matrix = matrixOf(t);
    const fs::path outs[2] = {benchFolder() / "encoded.L2", benchFolder() / "encoded.O2"};
    const std::size_t rs = recordSize(matrix.recordFormat);
    std::vector<unsigned char> section(postsPerSection * rs);
    std::vector<unsigned char> offsets;
    constexpr std::size_t bufferSize = std::size_t{1} << 20;
    const auto buffer = std::make_unique<char[]>(bufferSize);
    for (auto _ : state) {
        fs::path partial[2] = {outs[0], outs[1]};
        partial[0] += ".partial";
        partial[1] += ".partial";
        std::FILE* l2 = std::fopen(partial[0].c_str(), "wb");
        std::setvbuf(l2, buffer.get(), _IOFBF, bufferSize); // as the writer buffers
        offsets.clear();
        std::uint32_t next = 0;
        bool sharedWritten = false;
        for (std::int32_t row = 0; row < matrix.sectionsY(); ++row) {
            for (std::int32_t column = 0; column < matrix.sectionsX(); ++column) {
                bool empty = true;
                for (int y = 0; y < postsPerSectionSide && empty; ++y) {
                    const TerrainPost* post = &matrix.at(column * postsPerSectionSide,
                                                         row * postsPerSectionSide + y);
                    for (int x = 0; x < postsPerSectionSide; ++x) {
                        empty = empty && post[x].tileId == 0 && post[x].elevation == 0;
                    }
                }
                if (empty && sharedWritten) {
                    offsets.insert(offsets.end(), 4, 0);
                    continue;
                }
                sharedWritten = sharedWritten || empty;
                unsigned char* record = section.data();
                for (int y = 0; y < postsPerSectionSide; ++y) {
                    const TerrainPost* post = &matrix.at(column * postsPerSectionSide,
                                                         row * postsPerSectionSide + y);
                    record = matrix.recordFormat == SevenByteRecords
                                 ? encodeRecords<SevenByteRecords>(post, postsPerSectionSide, record)
                                 : encodeRecords<NineByteRecords>(post, postsPerSectionSide, record);
                }
                std::fwrite(section.data(), 1, section.size(), l2);
                for (int b = 0; b < 4; ++b) {
                    offsets.push_back(static_cast<unsigned char>(next >> (8 * b)));
                }
                next += static_cast<std::uint32_t>(section.size());
            }
        }
        std::FILE* o2 = std::fopen(partial[1].c_str(), "wb");
        std::fwrite(offsets.data(), 1, offsets.size(), o2);
        for (std::FILE* f : {l2, o2}) {
            std::fflush(f);
            fsync(fileno(f));
            std::fclose(f);
        }
        fs::rename(partial[0], outs[0]);
        fs::rename(partial[1], outs[1]);
    }
}

void BM_WriteTerrainBackRaw(benchmark::State& state) {
    writePairRaw(state, false);
}

void BM_WriteTerrainBackRawDurable(benchmark::State& state) {
    writePairRaw(state, true);
}

void sizes(benchmark::internal::Benchmark* b) {
    for (std::int64_t sections : {64, 256}) {
        for (std::int64_t layout : {7, 9}) {
            b->Args({sections, layout});
        }
    }
    b->ArgNames({"sections", "layout"})->Unit(benchmark::kMillisecond)->MinTime(1.0);
}

BENCHMARK(BM_ReadTerrain)->Apply(sizes);
BENCHMARK(BM_ReadTerrainRaw)->Apply(sizes);
BENCHMARK(BM_FillFreshMatrix)->Apply(sizes);
BENCHMARK(BM_LoadL2m)->Apply(sizes);
BENCHMARK(BM_LoadL2mRaw)->Apply(sizes);
BENCHMARK(BM_SaveL2m)->Apply(sizes);
BENCHMARK(BM_SaveL2mRaw)->Apply(sizes);
BENCHMARK(BM_SaveL2mRawAside)->Apply(sizes);
BENCHMARK(BM_WriteTerrainBack)->Apply(sizes);
BENCHMARK(BM_WriteTerrainBackRaw)->Apply(sizes);
BENCHMARK(BM_WriteTerrainBackRawDurable)->Apply(sizes);
BENCHMARK(BM_WriteTerrainBackEncodedDurable)->Apply(sizes);

} // namespace

BENCHMARK_MAIN();
