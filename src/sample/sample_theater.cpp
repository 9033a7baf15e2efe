#include "sample/sample_theater.h"

#include "base/file_lookup.h"
#include "base/safe_writer.h"
#include "reference/ocd_list.h"
#include "terrain/terrain_writer.h"
#include "terrain/theater.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <system_error>

namespace vantor {

namespace {

std::uint64_t mix(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t hash(std::int64_t x, std::int64_t y, std::uint64_t seed) {
    return mix(static_cast<std::uint64_t>(x) * 0x100000001B3ULL ^
               mix(static_cast<std::uint64_t>(y) + seed * 0x9E3779B97F4A7C15ULL));
}

double lattice(std::int64_t x, std::int64_t y, std::uint64_t seed) {
    return static_cast<double>(hash(x, y, seed) >> 11) / 9007199254740992.0; // [0, 1)
}

double smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}

// Value noise: lattice values every `cell` posts, blended smoothly in between.
double valueNoise(double x, double y, double cell, std::uint64_t seed) {
    const double gx = x / cell;
    const double gy = y / cell;
    const auto x0 = static_cast<std::int64_t>(std::floor(gx));
    const auto y0 = static_cast<std::int64_t>(std::floor(gy));
    const double tx = smooth(gx - static_cast<double>(x0));
    const double ty = smooth(gy - static_cast<double>(y0));
    const double a = lattice(x0, y0, seed);
    const double b = lattice(x0 + 1, y0, seed);
    const double c = lattice(x0, y0 + 1, seed);
    const double d = lattice(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Octaves from a quarter of the map down to a few posts; 0 to 1.
double fractalNoise(double x, double y, double extent, std::uint64_t seed) {
    double sum = 0.0;
    double weight = 0.0;
    double amplitude = 1.0;
    for (double cell = std::max(extent / 4.0, 8.0); cell >= 4.0; cell /= 2.0) {
        sum += amplitude * valueNoise(x, y, cell, seed + static_cast<std::uint64_t>(cell));
        weight += amplitude;
        amplitude *= 0.5;
    }
    return sum / weight;
}

TerrainPost landPost(double feet, double wetness, std::uint64_t variantBits) {
    TerrainPost post;
    std::uint32_t base = sample_tiles::snow;
    std::uint8_t klass = 6;
    if (feet < 60.0) {
        base = sample_tiles::coast;
        klass = 1;
    } else if (feet < 1500.0) {
        base = wetness > 0.55 ? sample_tiles::forest : sample_tiles::lowland;
        klass = wetness > 0.55 ? 3 : 2;
    } else if (feet < 4000.0) {
        base = sample_tiles::highland;
        klass = 4;
    } else if (feet < 7500.0) {
        base = sample_tiles::mountain;
        klass = 5;
    }
    const auto variant = static_cast<std::uint32_t>(variantBits % sample_tiles::variants);
    post.tileId = base + variant;
    post.elevation = static_cast<std::uint16_t>(std::clamp(feet, 1.0, 12000.0));
    post.attribute1 = klass;
    post.attribute2 = static_cast<std::uint8_t>(variant);
    post.attribute3 = static_cast<std::uint8_t>((variantBits >> 8) & 0x3u);
    return post;
}

} // namespace

SampleFeatures laySampleFeatures(TerrainMatrix& m, SampleFaults faults);
void laySampleTowns(TerrainMatrix& m, SampleFaults faults);
void levelSampleAirbases(TerrainMatrix& m);

TerrainMatrix generateSampleTerrain(const SampleOptions& options, SampleFeatures* features) {
    TerrainMatrix matrix;
    const std::int32_t extent = options.sections * postsPerSectionSide;
    if (!allocateMatrix(matrix, extent, extent, options.layout)) {
        return matrix;
    }
    const std::uint64_t seed = mix(options.seed);
    const double size = extent;
    for (std::int32_t y = 0; y < extent; ++y) {
        for (std::int32_t x = 0; x < extent; ++x) {
            const double u = (x + 0.5) / size * 2.0 - 1.0;
            const double v = (y + 0.5) / size * 2.0 - 1.0;
            // An island: land in the middle, sea towards every edge.
            const double falloff = std::max(std::abs(u), std::abs(v));
            const double relief = fractalNoise(x, y, size, seed);
            const double height = relief - 0.3 - 0.8 * falloff * falloff * falloff * falloff;
            if (height <= 0.0) {
                continue; // open sea: tile 0, elevation 0
            }
            const double ridge =
                1.0 -
                std::abs(2.0 * valueNoise(x, y, std::max(size / 8.0, 8.0), seed ^ 0xA5A5u) - 1.0);
            const double feet = height * 5000.0 + height * ridge * ridge * ridge * 22000.0;
            const double wetness = valueNoise(x, y, std::max(size / 16.0, 6.0), seed ^ 0x5A5Au);
            matrix.at(x, y) = landPost(feet, wetness, hash(x, y, seed ^ 0x77u));
        }
    }
    const SampleFeatures laid = laySampleFeatures(matrix, options.faults);
    laySampleTowns(matrix, options.faults);
    if (options.faults == SampleFaults::None) {
        levelSampleAirbases(matrix);
    }
    if (features != nullptr) {
        *features = laid;
    }
    return matrix;
}

std::string sampleIniText(const SampleOptions& options) {
    struct Listed {
        std::string name;
        std::int32_t sections;
        const char* corners;
    };
    const Listed theaters[] = {
        {sampleTheaterName, options.sections,
         "SW Long=24.000\r\nSW Lat=40.000\r\nNE Long=28.000\r\nNE Lat=44.000\r\n"},
        {"Quillon Full", 64,
         "SW Long=11.000\r\nSW Lat=36.625\r\nNE Long=21.000\r\nNE Lat=46.625\r\n"},
        {"Quillon Wide", 128,
         "SW Long=120.000\r\nSW Lat=30.000\r\nNE Long=140.000\r\nNE Lat=50.000\r\n"},
    };
    std::string text = "; Theaters of the Vantor sample\r\n[Location]\r\nTheaters=3\r\n";
    for (std::size_t i = 0; i < std::size(theaters); ++i) {
        text += std::to_string(i + 1) + "=" + theaters[i].name + "\r\n";
    }
    for (const Listed& t : theaters) {
        const std::string extent = std::to_string(t.sections * 16);
        const std::string sections = std::to_string(t.sections);
        text += "\r\n[" + t.name + "]\r\n" + t.corners;
        text += "X Map Extent=" + extent + "\r\nY Map Extent=" + extent + "\r\n";
        text += "X Sections=" + sections + "\r\nY Sections=" + sections + "\r\n";
        text += "X Tiles=16\r\nY Tiles=16\r\n";
    }
    return text;
}

namespace {

constexpr const char* scriptAndListNames[] = {"Object-BridgeScript.dat",
                                              "Object-RoadScript.dat",
                                              "Object-RiverScript.dat",
                                              "Object-TransitionScript.dat",
                                              "Object-CheckerScript.dat",
                                              "Airbase-Leveler-Script.dat",
                                              "Falcon4.ocd",
                                              "TileInfo.dat"};

} // namespace

const std::vector<std::string>& sampleFileNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all = {theaterIniName, sampleL2Name, sampleO2Name,
                                        sampleExportName};
        all.insert(all.end(), std::begin(scriptAndListNames), std::end(scriptAndListNames));
        all.insert(all.end(), {ocdListName, ocdCsvName});
        return all;
    }();
    return names;
}

bool writeSampleTheater(const std::string& folder, const SampleOptions& options, std::string& error,
                        SampleFeatures* features) {
    if (options.sections < 1 || options.sections > 256) {
        error = "The sample theater has 1 to 256 sections per side, not " +
                std::to_string(options.sections);
        return false;
    }
    std::error_code ec;
    const std::filesystem::path dir = toFsPath(folder);
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        error = "Cannot create folder " + folder + ": " + ec.message();
        return false;
    }
    const std::string texts[] = {sampleScript(1),   sampleScript(2),       sampleScript(3),
                                 sampleScript(5),   sampleCheckerScript(), sampleAirbaseScript(),
                                 sampleClassFile(), sampleTileInfoFile()};
    const auto write = [&dir, &error](const char* name, const std::string& text) {
        std::string why;
        if (!writeFileAside(dir / name, text, why)) {
            error = "Cannot write " + fromFsPath(dir / name) + ": " + why;
            return false;
        }
        return true;
    };
    if (!write(theaterIniName, sampleIniText(options))) {
        return false;
    }
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        if (!write(scriptAndListNames[i], texts[i])) {
            return false;
        }
    }
    // The class list, derived from the class file as Help > How to ... derives it, so that the
    // checks that need it run on a new sample at once.
    const OcdGeneration classes = generateOcdList(folder);
    if (!classes.ok) {
        error = "Cannot derive " + std::string(ocdListName) + " in " + folder +
                (classes.messages.empty() ? std::string() : ": " + classes.messages[0].text);
        return false;
    }
    const TerrainMatrix matrix = generateSampleTerrain(options, features);
    if (matrix.empty()) {
        error = "Not enough memory for the sample terrain";
        return false;
    }
    const TerrainResult written =
        writeTerrainFiles(matrix, dir / sampleL2Name, dir / sampleO2Name, TerrainProgress{});
    if (!written.ok()) {
        error = "Cannot write the terrain files in " + folder + ": " + written.messages[0].text;
        return false;
    }
    return write(sampleExportName, sampleObjectiveExport(matrix, options.faults));
}

} // namespace vantor
