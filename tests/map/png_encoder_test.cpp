#include "map/png_encoder.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

#ifdef VANTOR_TEST_WITH_ZLIB
#include <zlib.h>
#endif

namespace vantor {
namespace {

MapImage imageOf(std::int32_t width, std::int32_t height,
                 const std::function<Argb(std::int32_t, std::int32_t)>& pixel) {
    MapImage image;
    image.resize(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            image.at(x, y) = pixel(x, y);
        }
    }
    return image;
}

// Pictures that reach every path of the compressor: single pixels, transparency, runs longer than
// one match, noise that uses every byte value, gradients, and enough rows for several bands.
struct Picture {
    const char* name;
    std::int32_t width;
    std::int32_t height;
    std::function<Argb(std::int32_t, std::int32_t)> pixel;
};

std::vector<Picture> pictures() {
    const auto noise = [](std::int32_t x, std::int32_t y) {
        std::uint32_t v = static_cast<std::uint32_t>(x) * 2654435761u ^
                          static_cast<std::uint32_t>(y) * 2246822519u;
        v ^= v >> 15;
        v *= 2246822519u;
        return static_cast<Argb>(v ^ (v >> 13));
    };
    return {
        {"one opaque pixel", 1, 1, [](auto, auto) { return argb(12, 34, 56); }},
        {"one clear pixel", 1, 1, [](auto, auto) { return Argb{0}; }},
        {"two pixels", 2, 1,
         [](auto x, auto) { return x == 0 ? argb(1, 2, 3) : argb(1, 2, 3, 4); }},
        {"a tall column", 1, 3000, [](auto, auto y) { return argb(y & 0xFF, 7, 7); }},
        {"one colour, long runs", 700, 9, [](auto, auto) { return argb(86, 150, 82); }},
        {"noise", 67, 45, noise},
        {"gradients", 300, 200,
         [](auto x, auto y) { return argb(x & 0xFF, y & 0xFF, (x + y) & 0xFF, (x * y) & 0xFF); }},
        {"several bands", 1024, 1100,
         [&](auto x, auto y) {
             return (x / 64 + y / 64) % 3 == 0 ? noise(x, y) : argb(9, 9, y & 3);
         }},
    };
}

#ifdef VANTOR_TEST_WITH_ZLIB

std::uint32_t bigEndianAt(const PngBytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// The PNG read back by zlib and the format's rules: signature, chunk CRCs, header, the rows
// unfiltered.
MapImage decoded(const PngBytes& png) {
    MapImage image;
    EXPECT_EQ(0, std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));
    std::string idat;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = bigEndianAt(png, at);
        const std::string type(reinterpret_cast<const char*>(png.data() + at + 4), 4);
        const uLong crc = crc32(0, png.data() + at + 4, length + 4);
        EXPECT_EQ(crc, bigEndianAt(png, at + 8 + length)) << type;
        if (type == "IHDR") {
            image.width = static_cast<std::int32_t>(bigEndianAt(png, at + 8));
            image.height = static_cast<std::int32_t>(bigEndianAt(png, at + 12));
            EXPECT_EQ(0, std::memcmp(png.data() + at + 16, "\x08\x06\x00\x00\x00", 5));
        } else if (type == "IDAT") {
            idat.append(reinterpret_cast<const char*>(png.data() + at + 8), length);
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    std::vector<unsigned char> raw(static_cast<std::size_t>(image.height) * (stride + 1));
    uLongf rawLength = static_cast<uLongf>(raw.size());
    EXPECT_EQ(Z_OK, uncompress(raw.data(), &rawLength, reinterpret_cast<const Bytef*>(idat.data()),
                               static_cast<uLong>(idat.size())));
    EXPECT_EQ(rawLength, raw.size());
    image.pixels.resize(static_cast<std::size_t>(image.width) *
                        static_cast<std::size_t>(image.height));
    std::vector<unsigned char> above(stride, 0);
    for (std::int32_t y = 0; y < image.height; ++y) {
        const unsigned char* row = raw.data() + static_cast<std::size_t>(y) * (stride + 1);
        EXPECT_EQ(row[0], 2); // Up
        for (std::size_t i = 0; i < stride; ++i) {
            above[i] = static_cast<unsigned char>(above[i] + row[1 + i]);
        }
        for (std::int32_t x = 0; x < image.width; ++x) {
            const unsigned char* p = &above[static_cast<std::size_t>(x) * 4];
            image.at(x, y) = argb(p[0], p[1], p[2], p[3]);
        }
    }
    return image;
}

TEST(PngEncoder, EveryPictureReadsBackPixelForPixel) {
    for (const Picture& p : pictures()) {
        SCOPED_TRACE(p.name);
        const MapImage image = imageOf(p.width, p.height, p.pixel);
        PngBytes png;
        std::string error;
        ASSERT_TRUE(encodeMapPng(image, png, error)) << error;
        const MapImage back = decoded(png);
        EXPECT_EQ(back.width, image.width);
        EXPECT_EQ(back.height, image.height);
        EXPECT_TRUE(back.pixels == image.pixels);
    }
}

TEST(PngEncoder, ChecksumsAgreeWithZlib) {
    std::mt19937 random(7);
    std::vector<unsigned char> data(200000);
    for (unsigned char& b : data) {
        b = static_cast<unsigned char>(random() % 3 == 0 ? 255 : random());
    }
    for (const std::size_t length : {0u, 1u, 15u, 16u, 17u, 5551u, 5552u, 5553u, 70001u, 200000u}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(zlibAdler32(1, data.data(), length),
                  adler32(1, data.data(), static_cast<uInt>(length)));
        EXPECT_EQ(pngCrc32(0, data.data(), length),
                  crc32(0, data.data(), static_cast<uInt>(length)));
        const std::size_t half = length / 3;
        EXPECT_EQ(combineAdler32(zlibAdler32(1, data.data(), half),
                                 zlibAdler32(1, data.data() + half, length - half), length - half),
                  adler32(1, data.data(), static_cast<uInt>(length)));
    }
}

#endif

TEST(PngEncoder, TheBytesDoNotDependOnTheThreads) {
    for (const Picture& p : pictures()) {
        SCOPED_TRACE(p.name);
        const MapImage image = imageOf(p.width, p.height, p.pixel);
        PngBytes one;
        PngBytes three;
        std::string error;
        ASSERT_TRUE(encodeMapPng(image, one, error, 1));
        ASSERT_TRUE(encodeMapPng(image, three, error, 3));
        EXPECT_TRUE(one == three);
    }
}

TEST(PngEncoder, RefusesAPictureWithoutPixels) {
    PngBytes png;
    std::string error;
    MapImage empty;
    EXPECT_FALSE(encodeMapPng(empty, png, error));
    EXPECT_FALSE(error.empty());
    MapImage wrong;
    wrong.width = 3;
    wrong.height = 3;
    EXPECT_FALSE(encodeMapPng(wrong, png, error));
    EXPECT_TRUE(png.empty());
}

// Code lengths within the limit and a code that is exactly complete (the sum of 2^-length is
// one), however skewed the counts: Fibonacci counts would make a Huffman tree as deep as there
// are symbols.
TEST(PngEncoder, HuffmanLengthsStayWithinTheLimitAndComplete) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> counts;
        int limit;
    };
    std::vector<std::uint32_t> fibonacci(30);
    fibonacci[0] = fibonacci[1] = 1;
    for (std::size_t i = 2; i < fibonacci.size(); ++i) {
        fibonacci[i] = fibonacci[i - 1] + fibonacci[i - 2];
    }
    std::vector<std::uint32_t> lengthCodes(19, 0);
    std::copy(fibonacci.begin(), fibonacci.begin() + 19, lengthCodes.begin());
    std::vector<std::uint32_t> lone(286, 0);
    lone[65] = 1000;
    const Case cases[] = {
        {"Fibonacci, 15 bits", fibonacci, 15},
        {"Fibonacci, 7 bits", lengthCodes, 7},
        {"one symbol", lone, 15},
        {"none", std::vector<std::uint32_t>(30, 0), 15},
        {"even", std::vector<std::uint32_t>(286, 5), 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> lengths(c.counts.size());
        huffmanLengths(c.counts.data(), static_cast<int>(c.counts.size()), c.limit, lengths.data());
        std::uint64_t kraft = 0;
        int coded = 0;
        for (std::size_t s = 0; s < lengths.size(); ++s) {
            EXPECT_LE(lengths[s], c.limit);
            if (c.counts[s] != 0) {
                EXPECT_GT(lengths[s], 0) << s;
            }
            if (lengths[s] != 0) {
                kraft += std::uint64_t{1} << (c.limit - lengths[s]);
                ++coded;
            }
        }
        EXPECT_GE(coded, 2);
        EXPECT_EQ(kraft, std::uint64_t{1} << c.limit);
    }
}

// A terrain encoded as it is drawn gives the same file as the picture drawn whole and encoded,
// at every zoom (with section lines from 4 on) and for windows partly off the map, with markers
// over each other and over the edges.
TEST(PngEncoder, TerrainDrawnRowByRowIsThePictureDrawnWhole) {
    TerrainMatrix m;
    allocateMatrix(m, 64, 48, SevenByteRecords);
    for (std::int32_t y = 0; y < m.height; ++y) {
        for (std::int32_t x = 0; x < m.width; ++x) {
            if ((x - 30) * (x - 30) + (y - 20) * (y - 20) < 300) {
                m.at(x, y).tileId = 1000 + static_cast<std::uint32_t>(x % 3);
                m.at(x, y).elevation = static_cast<std::uint16_t>(40 * (x + 2 * y));
            }
        }
    }
    TileClassifier classes;
    classes.classes[1001] = TileClass::Road;
    classes.index();
    struct Window {
        std::int32_t left, top, width, height, scale;
    };
    const Window windows[] = {
        {0, 47, 64, 48, 1},  {0, 47, 32, 24, -2}, {0, 47, 192, 144, 3},
        {-5, 52, 80, 70, 1}, {40, 10, 60, 30, 2}, {10, 40, 200, 120, 5},
    };
    const std::vector<MapMarker> markers = {
        {0, 0, MarkerKind::City, MarkNone, false, 0},
        {30, 20, MarkerKind::Bridge, MarkSelected, false, 1},
        {31, 20, MarkerKind::RoadBreak, MarkNone, true, 2},
        {32, 21, MarkerKind::Airbase, MarkDeleted, false, 3},
        {63, 47, MarkerKind::Other, MarkNone, false, 4},
        {-3, 50, MarkerKind::City, MarkNone, false, 5},
        {45, 5, MarkerKind::RiverBreak, MarkNone, false, 6},
    };
    for (const MapMode mode : {MapMode::Relief, MapMode::Tiles}) {
        for (const Window& w : windows) {
            SCOPED_TRACE(testing::Message() << "scale " << w.scale << " left " << w.left);
            const MapWindow window{w.left, w.top, w.width, w.height, w.scale};
            MapImage image;
            renderTerrain(m, classes, mode, window, image);
            drawSectionGrid(window, image);
            drawMarkers(image, transformOf(window), markers);
            PngBytes whole;
            PngBytes rows;
            std::string error;
            ASSERT_TRUE(encodeMapPng(image, whole, error));
            ASSERT_TRUE(encodeTerrainPng(m, classes, mode, window, markers, rows, error));
            EXPECT_TRUE(whole == rows);
        }
    }
}

} // namespace
} // namespace vantor
