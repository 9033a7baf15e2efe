// The whole-theater sample the benchmarks measure on: 256 x 256 sections (4096 x 4096 posts),
// written afresh into a folder of the temporary directory.
#pragma once

#include "sample/sample_theater.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vantor::bench {

inline std::filesystem::path writeBenchTheater(const char* folder) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / folder;
    std::filesystem::remove_all(dir);
    SampleOptions options;
    options.sections = 256;
    std::string error;
    if (!writeSampleTheater(dir.string(), options, error)) {
        std::fprintf(stderr, "Cannot write the sample theater: %s\n", error.c_str());
        std::exit(1);
    }
    return dir;
}

} // namespace vantor::bench
