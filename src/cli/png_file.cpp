#include "cli/png_file.h"

#include "base/file_lookup.h"
#include "base/safe_writer.h"
#include "map/png_encoder.h"

#ifndef VANTOR_PNG_WITHOUT_READER
#include <png.h>
#endif

namespace vantor::cli {

bool encodePng(const MapImage& image, std::string& bytes, std::string& error) {
    return encodeMapPng(image, bytes, error);
}

bool writePng(const MapImage& image, const std::string& path, std::string& error) {
    PngBytes file;
    return encodeMapPng(image, file, error) && writePngFile(file, path, error);
}

bool writePngFile(const PngBytes& file, const std::string& path, std::string& error) {
    SafeWriter out;
    if (!beginSafeWrite(out, toFsPath(path)) || !safeWrite(out, file.data(), file.size()) ||
        !commitSafeWrite(out)) {
        error = out.error;
        abandonSafeWrite(out);
        return false;
    }
    return true;
}

#ifdef VANTOR_PNG_WITHOUT_READER

bool readPng(const std::string&, MapImage&) {
    return false; // only the libpng build reads pictures back
}

#else

bool readPng(const std::string& path, MapImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    const std::string native = fromFsPath(toFsPath(path));
    if (png_image_begin_read_from_file(&png, native.c_str()) == 0) {
        return false;
    }
    png.format = PNG_FORMAT_BGRA; // little-endian 0xAARRGGBB words
    image.resize(static_cast<std::int32_t>(png.width), static_cast<std::int32_t>(png.height));
    if (png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr) == 0) {
        png_image_free(&png);
        return false;
    }
    return true;
}

#endif

} // namespace vantor::cli
