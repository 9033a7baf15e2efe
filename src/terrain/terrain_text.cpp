#include "terrain/terrain_text.h"

#include <charconv>
#include <string_view>

namespace vantor {

namespace {

void appendNumber(std::string& out, std::uint32_t value) {
    char digits[16];
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

bool put(const std::string& line, std::FILE* out) {
    return std::fwrite(line.data(), 1, line.size(), out) == line.size();
}

} // namespace

bool writeLoneL2Text(const std::vector<unsigned char>& l2, std::FILE* out) {
    const std::size_t seven = postsPerSection * recordSize(SevenByteRecords);
    const std::size_t nine = postsPerSection * recordSize(NineByteRecords);
    const bool nineBytes = l2.size() % seven != 0 && l2.size() % nine == 0;
    const std::size_t block = nineBytes ? nine : seven;
    if (!put("L2 " + std::to_string(l2.size()) + " bytes, " + (nineBytes ? "9" : "7") +
                 "-byte records\n",
             out)) {
        return false;
    }
    std::vector<TerrainPost> posts(postsPerSection);
    for (std::size_t b = 0; b * block + block <= l2.size(); ++b) {
        const unsigned char* bytes = l2.data() + b * block;
        if (nineBytes) {
            decodeRecords<NineByteRecords>(bytes, posts.size(), posts.data());
        } else {
            decodeRecords<SevenByteRecords>(bytes, posts.size(), posts.data());
        }
        for (int row = 0; row < postsPerSectionSide; ++row) {
            std::string line = "block " + std::to_string(b) + " row " + std::to_string(row) + ":";
            for (int col = 0; col < postsPerSectionSide; ++col) {
                appendPost(line, posts[static_cast<std::size_t>(row * postsPerSectionSide + col)]);
            }
            line += '\n';
            if (!put(line, out)) {
                return false;
            }
        }
    }
    if (l2.size() % block != 0 &&
        !put("and " + std::to_string(l2.size() % block) + " bytes that make no block\n", out)) {
        return false;
    }
    return std::fflush(out) == 0;
}

bool writeO2Text(const std::vector<unsigned char>& o2, std::FILE* out) {
    if (!put("O2 " + std::to_string(o2.size() / 4) + " block offsets\n", out)) {
        return false;
    }
    for (std::size_t i = 0; i + 4 <= o2.size(); i += 4) {
        const std::uint32_t offset = std::uint32_t{o2[i]} | (std::uint32_t{o2[i + 1]} << 8) |
                                     (std::uint32_t{o2[i + 2]} << 16) |
                                     (std::uint32_t{o2[i + 3]} << 24);
        if (!put("entry " + std::to_string(i / 4) + ": " + std::to_string(offset) + "\n", out)) {
            return false;
        }
    }
    return std::fflush(out) == 0;
}

bool writeTerrainText(const TerrainMatrix& m, std::FILE* out) {
    std::string line = "terrain " + std::to_string(m.width) + " x " + std::to_string(m.height) +
                       " posts, " + (m.recordFormat == NineByteRecords ? "9" : "7") +
                       "-byte records\n";
    if (std::fputs(line.c_str(), out) == EOF) {
        return false;
    }
    for (std::int32_t sy = 0; sy < m.sectionsY(); ++sy) {
        for (std::int32_t sx = 0; sx < m.sectionsX(); ++sx) {
            for (std::int32_t row = 0; row < postsPerSectionSide; ++row) {
                line = "sect " + std::to_string(sx) + "," + std::to_string(sy) + " row " +
                       std::to_string(row) + ":";
                const std::int32_t y = sy * postsPerSectionSide + row;
                for (std::int32_t col = 0; col < postsPerSectionSide; ++col) {
                    appendPost(line, m.at(sx * postsPerSectionSide + col, y));
                }
                line += '\n';
                if (std::fwrite(line.data(), 1, line.size(), out) != line.size()) {
                    return false;
                }
            }
        }
    }
    return std::fflush(out) == 0;
}

} // namespace vantor
