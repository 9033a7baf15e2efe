// Writes an audit page for the browser test to open, with the page's self-test in it:
//   page_generator PAGE.html                  the page of a fixed sample audit
//   page_generator --add-self-test PAGE.html  the self-test put into a page written before

#include "report/audit_page.h"
#include "report/page_selftest.js.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

// The sample theater: 128 x 128 posts in 8 x 8 sections, drawn at half a pixel per post so
// the picture is 64 x 64 and a post's centre falls between pixels.
constexpr std::int32_t posts = 128;
constexpr double pixelsPerPost = 0.5;
constexpr std::int32_t side = 64;

// The findings cover a drawn marker per check, an object name holding markup the page must
// show as text, and an offmap finding that is listed but not drawn; the audit was compared with
// a baseline, which holds two of them.
constexpr const char* sampleAudit = R"json({
  "format": "vantor-audit",
  "formatVersion": 1,
  "tool": {"name": "vantor-cli", "version": "1.0.0"},
  "theater": {"name": "Quillon Sample", "mapWidth": 128, "mapHeight": 128, "sectionsX": 8, "sectionsY": 8},
  "inputs": [{"role": "terrain", "path": "/t/Theater.L2", "size": 1234}, {"role": "source", "path": "/t/Theater.csv", "size": 999}],
  "summary": {
    "total": 4,
    "counts": {"roads": 1, "rivers": 0, "bridges": 1, "parents": 1, "offmap": 1},
    "skipped": [{"check": "urban", "reason": "OCDList.dat cannot be read (no such file)"}],
    "baseline": {"path": "/t/Old.json", "known": 2, "new": 2,
                 "newCounts": {"roads": 1, "rivers": 0, "bridges": 0, "parents": 1, "offmap": 0}}
  },
  "findings": [
    {"check": "roads", "mapX": 10, "mapY": 20, "sectX": 0, "sectY": 6, "tileX": 11, "tileY": 5, "detail": "No Road to West", "new": true},
    {"check": "bridges", "mapX": 40, "mapY": 41, "sectX": 2, "sectY": 5, "tileX": 9, "tileY": 10, "detail": "bridge tile 13001 without a bridge objective", "new": false},
    {"check": "offmap", "mapX": 131, "mapY": 64, "sectX": 8, "sectY": 4, "tileX": 3, "tileY": 0, "objectId": 77, "objectName": "Depot 77", "detail": "outside the map", "new": false},
    {"check": "parents", "mapX": 60, "mapY": 70, "sectX": 3, "sectY": 3, "tileX": 13, "tileY": 7, "objectId": 42, "objectName": "Village 42 </script><!--", "detail": "Parent 0", "new": true}
  ]
}
)json";

std::array<std::uint32_t, 256> crcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

std::uint32_t crc32(const std::string& bytes) {
    static const std::array<std::uint32_t, 256> table = crcTable();
    std::uint32_t c = 0xFFFFFFFFU;
    for (const char b : bytes) {
        c = table[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFU;
}

std::uint32_t adler32(const std::string& bytes) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const char byte : bytes) {
        a = (a + static_cast<unsigned char>(byte)) % 65521U;
        b = (b + a) % 65521U;
    }
    return (b << 16) | a;
}

void bigEndian(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((v >> shift) & 0xFF);
    }
}

void chunk(std::string& png, const char* type, const std::string& data) {
    bigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    png += body;
    bigEndian(png, crc32(body));
}

// A zlib stream of stored (uncompressed) deflate blocks: no compressor needed.
std::string zlibStored(const std::string& raw) {
    std::string out = "\x78\x01";
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    bigEndian(out, adler32(raw));
    return out;
}

// Sections in two greens like a chessboard, so the screenshot shows whether the markers sit
// in the right section.
std::string samplePng() {
    std::string raw;
    for (std::int32_t y = 0; y < side; ++y) {
        raw += '\0'; // filter: none
        for (std::int32_t x = 0; x < side; ++x) {
            const bool dark = ((x / 8) + (y / 8)) % 2 != 0;
            raw += static_cast<char>(dark ? 150 : 196);
            raw += static_cast<char>(dark ? 180 : 214);
            raw += static_cast<char>(dark ? 120 : 168);
        }
    }
    std::string header;
    bigEndian(header, side);
    bigEndian(header, side);
    header += "\x08\x02"; // 8 bits per sample, RGB
    header += std::string(3, '\0');

    std::string png = "\x89PNG\r\n\x1a\n";
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", zlibStored(raw));
    chunk(png, "IEND", "");
    return png;
}

std::string samplePage() {
    vantor::report::AuditPageMap map;
    map.png = samplePng();
    map.width = side;
    map.height = side;
    map.originX = 0;
    map.originY = posts;
    map.pixelsPerPost = pixelsPerPost;
    return vantor::report::auditPage("Audit of Quillon Sample", sampleAudit, map);
}

// The self-test goes at the end of the page's head: ahead of the page's script, whose errors it
// listens for. The title is escaped, so the first "</head>" is the head's end.
bool addSelfTest(std::string& page) {
    const std::size_t at = page.find("</head>");
    if (at == std::string::npos) {
        return false;
    }
    page.insert(at, "<script>\n" + std::string(vantor::embedded::pageSelftestJs) + "</script>\n");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool intoPage = argc == 3 && std::string_view(argv[1]) == "--add-self-test";
    if (argc != 2 && !intoPage) {
        std::fprintf(stderr, "usage: %s [--add-self-test] PAGE.html\n", argv[0]);
        return 2;
    }
    const char* path = argv[argc - 1];
    std::string page;
    if (intoPage) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", path);
            return 1;
        }
        page.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        page = samplePage();
    }
    if (!addSelfTest(page)) {
        std::fprintf(stderr, "%s has no </head>\n", path);
        return 1;
    }

    std::ofstream out(path, std::ios::binary);
    out << page;
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}
