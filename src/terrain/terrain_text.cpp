#include "terrain/terrain_text.h"

#include "terrain/terrain_matrix.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace vantor {

namespace {

void appendNumber(std::string& out, std::uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

// " 10005/120" or " 10005/120/1.0.3" for a post.
void appendPost(std::string& line, const TerrainPost& p) {
    line += ' ';
    appendNumber(line, p.tileId);
    line += '/';
    appendNumber(line, p.elevation);
    if (p.attribute1 != 0 || p.attribute2 != 0 || p.attribute3 != 0) {
        line += '/';
        appendNumber(line, p.attribute1);
        line += '.';
        appendNumber(line, p.attribute2);
        line += '.';
        appendNumber(line, p.attribute3);
    }
}

bool put(const std::string& text, std::FILE* out) {
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

} // namespace

bool writeL2Text(std::span<const unsigned char> l2, std::FILE* out) {
    const std::size_t seven = postsPerSection * recordSize(SevenByteRecords);
    const std::size_t nine = postsPerSection * recordSize(NineByteRecords);
    const bool nineBytes = l2.size() % seven != 0 && l2.size() % nine == 0;
    const std::size_t block = nineBytes ? nine : seven;
    std::string text = "L2 " + std::to_string(l2.size()) + " bytes, " + (nineBytes ? "9" : "7") +
                       "-byte records\n";
    std::vector<TerrainPost> posts(postsPerSection);
    constexpr std::size_t flushAt = 1 << 20;
    for (std::size_t at = 0; at + block <= l2.size(); at += block) {
        if (nineBytes) {
            decodeRecords<NineByteRecords>(l2.data() + at, posts.size(), posts.data());
        } else {
            decodeRecords<SevenByteRecords>(l2.data() + at, posts.size(), posts.data());
        }
        for (int row = 0; row < postsPerSectionSide; ++row) {
            text += 'r';
            appendNumber(text, static_cast<std::uint64_t>(row));
            text += ':';
            for (int col = 0; col < postsPerSectionSide; ++col) {
                appendPost(text, posts[static_cast<std::size_t>(row * postsPerSectionSide + col)]);
            }
            text += '\n';
        }
        if (text.size() >= flushAt) {
            if (!put(text, out)) {
                return false;
            }
            text.clear();
        }
    }
    if (l2.size() % block != 0) {
        text += "and " + std::to_string(l2.size() % block) + " bytes that make no block\n";
    }
    return put(text, out) && std::fflush(out) == 0;
}

bool writeO2Text(std::span<const unsigned char> o2, std::FILE* out) {
    const std::size_t entries = o2.size() / 4;
    auto side = static_cast<std::size_t>(std::llround(std::sqrt(static_cast<double>(entries))));
    const bool square = side * side == entries;
    std::string text = "O2 " + std::to_string(entries) + " block offsets";
    text +=
        square ? ", " + std::to_string(side) + " x " + std::to_string(side) + " sections\n" : "\n";
    for (std::size_t i = 0; i < entries; ++i) {
        const unsigned char* b = o2.data() + i * 4;
        const std::uint32_t offset = std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) |
                                     (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24);
        if (square) {
            // Sect Y counts section rows from the north edge, as the reports do.
            text += "Sect X ";
            appendNumber(text, i % side);
            text += ", Sect Y ";
            appendNumber(text, side - 1 - i / side);
        } else {
            text += "entry ";
            appendNumber(text, i);
        }
        text += ": ";
        appendNumber(text, offset);
        text += '\n';
    }
    if (o2.size() % 4 != 0) {
        text += "and " + std::to_string(o2.size() % 4) + " bytes that make no offset\n";
    }
    return put(text, out) && std::fflush(out) == 0;
}

} // namespace vantor
