#include "cli/png_file.h"

#include "base/file_lookup.h"
#include "base/safe_writer.h"

#include <cstdio>
#include <memory>
#include <vector>

#ifdef VANTOR_PNG_WITH_ZLIB
#include <zlib.h>
#else
#include <png.h>
#include <zlib.h>
#endif

namespace vantor::cli {

#ifdef VANTOR_PNG_WITH_ZLIB

namespace {

void bigEndian(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
}

void chunk(std::string& out, const char* type, const std::string& data) {
    bigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    bigEndian(out, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                    static_cast<uInt>(body.size()))));
}

} // namespace

// The PNG layout written by hand over zlib's deflate: signature, IHDR, one IDAT, IEND.
bool encodePng(const MapImage& image, std::string& file, std::string& error) {
    // Each row as the difference from the one above (filter Up), run-length deflated at the
    // fastest level: as the libpng build writes them.
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    std::string raw;
    raw.reserve(static_cast<std::size_t>(image.height) * (1 + stride));
    std::vector<unsigned char> above(stride, 0);
    std::vector<unsigned char> row(stride);
    for (std::int32_t y = 0; y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            const Argb p = image.at(x, y);
            unsigned char* o = &row[static_cast<std::size_t>(x) * 4];
            o[0] = static_cast<unsigned char>((p >> 16) & 0xFF);
            o[1] = static_cast<unsigned char>((p >> 8) & 0xFF);
            o[2] = static_cast<unsigned char>(p & 0xFF);
            o[3] = static_cast<unsigned char>(p >> 24);
        }
        raw.push_back('\2'); // filter Up
        for (std::size_t i = 0; i < stride; ++i) {
            raw.push_back(static_cast<char>(static_cast<unsigned char>(row[i] - above[i])));
        }
        above.swap(row);
    }
    z_stream zs{};
    if (deflateInit2(&zs, 1, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) {
        error = "PNG compression failed";
        return false;
    }
    std::string packed(deflateBound(&zs, static_cast<uLong>(raw.size())), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(raw.data());
    zs.avail_in = static_cast<uInt>(raw.size());
    zs.next_out = reinterpret_cast<Bytef*>(packed.data());
    zs.avail_out = static_cast<uInt>(packed.size());
    const int done = deflate(&zs, Z_FINISH);
    packed.resize(zs.total_out);
    deflateEnd(&zs);
    if (done != Z_STREAM_END) {
        error = "PNG compression failed";
        return false;
    }
    std::string header;
    bigEndian(header, static_cast<std::uint32_t>(image.width));
    bigEndian(header, static_cast<std::uint32_t>(image.height));
    header += std::string("\x08\x06\x00\x00\x00", 5); // 8-bit RGBA, deflate, no interlace
    file = "\x89PNG\r\n\x1a\n";
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", packed);
    chunk(file, "IEND", "");
    return true;
}

bool writePng(const MapImage& image, const std::string& path, std::string& error) {
    std::string file;
    if (!encodePng(image, file, error)) {
        return false;
    }
    SafeWriter out;
    if (!beginSafeWrite(out, toFsPath(path)) || !safeWrite(out, file) || !commitSafeWrite(out)) {
        error = out.error;
        abandonSafeWrite(out);
        return false;
    }
    return true;
}

bool readPng(const std::string&, MapImage&) {
    return false; // only the libpng build reads pictures back
}

#else

namespace {

void writeToSafe(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<SafeWriter*>(png_get_io_ptr(png));
    if (!safeWrite(*out, data, length)) {
        png_error(png, "write failed");
    }
}

void writeToString(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) {}

// The picture through libpng, row by row, into whatever `write` puts the bytes.
bool writePngTo(const MapImage& image, void* sink, png_rw_ptr write, std::string& error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, &info);
        error = "not enough memory for the PNG writer";
        return false;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(image.width) * 4);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "PNG write error";
        return false;
    }
    png_set_write_fn(png, sink, write, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Maps are large (4096 x 4096 posts) and made of runs and gradients: each row as the
    // difference from the one above, run-length deflated at the fastest level, writes about
    // five times faster than libpng's defaults for files about a tenth larger.
    png_set_filter(png, 0, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    for (std::int32_t y = 0; y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            const Argb p = image.at(x, y);
            png_byte* o = &row[static_cast<std::size_t>(x) * 4];
            o[0] = static_cast<png_byte>((p >> 16) & 0xFF);
            o[1] = static_cast<png_byte>((p >> 8) & 0xFF);
            o[2] = static_cast<png_byte>(p & 0xFF);
            o[3] = static_cast<png_byte>(p >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool encodePng(const MapImage& image, std::string& bytes, std::string& error) {
    bytes.clear();
    return writePngTo(image, &bytes, writeToString, error);
}

bool writePng(const MapImage& image, const std::string& path, std::string& error) {
    SafeWriter out;
    if (!beginSafeWrite(out, toFsPath(path))) {
        error = out.error;
        return false;
    }
    if (!writePngTo(image, &out, writeToSafe, error)) {
        if (!out.error.empty()) {
            error = out.error;
        }
        abandonSafeWrite(out);
        return false;
    }
    if (!commitSafeWrite(out)) {
        abandonSafeWrite(out);
        error = out.error;
        return false;
    }
    return true;
}

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
