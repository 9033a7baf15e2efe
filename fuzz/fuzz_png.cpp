// The picture compressor: any small picture, compressed and inflated again by zlib, gives back
// exactly the rows as the format filters them, on one thread or several.

#include "map/png_encoder.h"

#include <cstdlib>
#include <span>
#include <string>
#include <vector>
#include <zlib.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantor;
    if (size < 2) {
        return 0;
    }
    // The first byte is the width, the rest the pixels' bytes, used again from the start
    // (cycled) up to a second picture's worth so that runs and repeats come easily.
    const std::int32_t width = 1 + data[0] % 96;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    const std::int32_t height =
        1 + static_cast<std::int32_t>(bytes.size() / 4 / static_cast<std::size_t>(width)) * 2;
    MapImage image;
    image.resize(width, height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        Argb p = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            p = p << 8 | bytes[(i * 4 + k) % bytes.size()];
        }
        image.pixels[i] = p;
    }
    PngBytes one;
    PngBytes two;
    std::string error;
    if (!encodeMapPng(image, one, error, 1) || !encodeMapPng(image, two, error, 2) || one != two) {
        std::abort();
    }
    // Signature and header take 33 bytes; the IDAT data follows its length and type.
    const std::size_t idatLength = (std::size_t{one[33]} << 24) | (std::size_t{one[34]} << 16) |
                                   (std::size_t{one[35]} << 8) | one[36];
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    std::vector<unsigned char> raw(static_cast<std::size_t>(height) * (stride + 1) + 1);
    uLongf rawLength = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawLength, one.data() + 41, static_cast<uLong>(idatLength)) !=
            Z_OK ||
        rawLength != raw.size() - 1) {
        std::abort();
    }
    for (std::int32_t y = 0; y < height; ++y) {
        const unsigned char* row = raw.data() + static_cast<std::size_t>(y) * (stride + 1);
        if (row[0] != 2) {
            std::abort();
        }
        for (std::int32_t x = 0; x < width; ++x) {
            const Argb p = image.at(x, y);
            const Argb up = y > 0 ? image.at(x, y - 1) : 0;
            for (int k = 0; k < 4; ++k) {
                const int shift = k == 3 ? 24 : 16 - 8 * k; // R, G, B, A
                const auto expected =
                    static_cast<unsigned char>(((p >> shift) & 0xFF) - ((up >> shift) & 0xFF));
                if (row[1 + static_cast<std::size_t>(x) * 4 + static_cast<std::size_t>(k)] !=
                    expected) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
