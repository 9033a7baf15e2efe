#include "sample/sample_theater.h"

#include "app/file_lookup.h"
#include "terrain/theater.h"

#include <cstdio>
#include <fstream>
#include <system_error>

namespace vantor {

std::vector<SampleTheater> sampleTheaters() {
    return {
        {"Quillon Sample", 32, 24.0F, 40.0F, 28.0F, 44.0F},
        {"Quillon Full", 64, 11.0F, 36.625F, 21.0F, 46.625F},
        {"Quillon Wide", 128, 120.0F, 30.0F, 140.0F, 50.0F},
    };
}

std::string sampleIniText() {
    const std::vector<SampleTheater> theaters = sampleTheaters();
    std::string text = "; Theaters of the Vantor sample\r\n[Location]\r\n";
    text += "Theaters=" + std::to_string(theaters.size()) + "\r\n";
    for (std::size_t i = 0; i < theaters.size(); ++i) {
        text += std::to_string(i + 1) + "=" + theaters[i].name + "\r\n";
    }
    for (const SampleTheater& t : theaters) {
        char corners[160];
        std::snprintf(corners, sizeof corners,
                      "SW Long=%.3f\r\nSW Lat=%.3f\r\nNE Long=%.3f\r\nNE Lat=%.3f\r\n",
                      static_cast<double>(t.swLongitude), static_cast<double>(t.swLatitude),
                      static_cast<double>(t.neLongitude), static_cast<double>(t.neLatitude));
        const std::string extent = std::to_string(t.sections * 16);
        const std::string sections = std::to_string(t.sections);
        text += "\r\n[" + t.name + "]\r\n" + corners;
        text += "X Map Extent=" + extent + "\r\nY Map Extent=" + extent + "\r\n";
        text += "X Sections=" + sections + "\r\nY Sections=" + sections + "\r\n";
        text += "X Tiles=16\r\nY Tiles=16\r\n";
    }
    return text;
}

bool writeSampleTheater(const std::string& folder, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(toFsPath(folder), ec);
    if (ec) {
        error = "Cannot create folder " + folder + ": " + ec.message();
        return false;
    }
    const std::filesystem::path target = toFsPath(folder) / theaterIniName;
    std::filesystem::path temporary = target;
    temporary += ".partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << sampleIniText();
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            error = "Cannot write " + fromFsPath(target);
            return false;
        }
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        error = "Cannot write " + fromFsPath(target);
        return false;
    }
    return true;
}

} // namespace vantor
