#include "terrain/l2_reader.h"

#include "base/byte_order.h"
#include "base/file_lookup.h"
#include "base/memory.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

using namespace terrain_texts;

std::int32_t integerSquareRoot(std::uint64_t n) {
    auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(n)));
    while (root * root > n) {
        --root;
    }
    while ((root + 1) * (root + 1) <= n) {
        ++root;
    }
    return root > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<std::int32_t>(root);
}

// A failed seek has the suite's own message; any other failed read names the system's reason.
TerrainResult readFailure(ReadStatus status, const BinaryReader& file, const char* title,
                          const char* second) {
    TerrainResult result;
    if (status == ReadStatus::SeekFailed) {
        addError(result, seekFailed, l2ReadError);
    } else {
        addError(result, "Read error: " + file.error, title);
    }
    addError(result, second, title);
    return result;
}

std::string unknownLayoutText(const std::string& l2Name, std::uint64_t l2Size,
                              const std::string& o2Name) {
    return l2Name + " holds " + std::to_string(l2Size) +
           " bytes, which is no whole number of the 7-byte or 9-byte records that " + o2Name +
           " places its sections at: the record layout cannot be told. The file may be cut "
           "short or have stray bytes at its end; nothing was read.";
}

} // namespace

std::int32_t sectionsFromO2Size(std::uint64_t o2Size) {
    return integerSquareRoot(o2Size / 4);
}

std::optional<std::string> o2SizeRefusal(const std::string& o2Name, std::uint64_t o2Size) {
    if (o2Size % 4 != 0) {
        return o2Name + " holds " + std::to_string(o2Size) +
               " bytes, which is no whole number of 4-byte block offsets: the file is cut short "
               "or has stray bytes. Nothing was read.";
    }
    const std::uint64_t entries = o2Size / 4;
    const auto side = static_cast<std::uint64_t>(sectionsFromO2Size(o2Size));
    if (entries != 0 && side * side != entries) {
        return o2Name + " holds " + std::to_string(entries) +
               " block offsets, which is no square map of sections (" + std::to_string(side) +
               " x " + std::to_string(side) + " takes " + std::to_string(side * side) + ", " +
               std::to_string(side + 1) + " x " + std::to_string(side + 1) + " takes " +
               std::to_string((side + 1) * (side + 1)) +
               "): the file is cut short or has stray entries. Nothing was read.";
    }
    return std::nullopt;
}

RecordLayout recordLayoutFor(std::uint64_t l2Size, std::span<const std::uint32_t> usedOffsets) {
    constexpr std::uint64_t section7 = postsPerSection * 7;
    constexpr std::uint64_t section9 = postsPerSection * 9;
    bool sevenAligned = true;
    bool nineAligned = true;
    for (std::uint32_t offset : usedOffsets) {
        sevenAligned = sevenAligned && offset % section7 == 0;
        nineAligned = nineAligned && offset % section9 == 0;
    }
    const bool sizeFitsSeven = l2Size % 7 == 0;
    const bool sizeFitsNine = l2Size % 9 == 0;
    RecordLayout layout;
    if (sevenAligned != nineAligned) {
        // The offsets name one layout; the size must agree with it.
        layout.format = sevenAligned ? SevenByteRecords : NineByteRecords;
        layout.known = sevenAligned ? sizeFitsSeven : sizeFitsNine;
    } else {
        layout.format = sizeFitsSeven ? SevenByteRecords : NineByteRecords;
        layout.known = sizeFitsSeven || sizeFitsNine;
    }
    layout.certain = layout.known && (sevenAligned != nineAligned || sizeFitsSeven != sizeFitsNine);
    // A file cut short is no riddle: a section runs past its end, and the read says so.
    const std::uint32_t last =
        usedOffsets.empty() ? 0 : *std::max_element(usedOffsets.begin(), usedOffsets.end());
    if (!layout.known &&
        std::uint64_t{last} + postsPerSection * recordSize(layout.format) > l2Size) {
        layout.known = true;
    }
    return layout;
}

std::string o2PathFor(const std::string& l2Path) {
    std::string o2 = l2Path;
    if (o2.size() >= 2) {
        o2.replace(o2.size() - 2, 2, "O2");
    }
    return o2;
}

std::filesystem::path findBeside(const std::string& path) {
    const std::string folder = folderPart(path);
    const std::string name = path.substr(folder.size());
    if (folder.empty()) {
        return findInFolder(".", name);
    }
    return findInFolder(folder, name);
}

bool findOneBeside(const std::string& path, std::filesystem::path& found, std::string& error) {
    const std::string folder = folderPart(path);
    const std::string name = path.substr(folder.size());
    std::string ambiguity;
    found = findOneInFolder(folder.empty() ? "." : folder, name, ambiguity);
    if (!ambiguity.empty()) {
        error = "both " + ambiguity + " lie beside it, and which is meant as " + name +
                " cannot be told: rename one of them";
        return false;
    }
    return true;
}

namespace {

// The block offsets of every section the map uses, read at once (4 bytes a section).
TerrainResult readBlockOffsets(BinaryReader& o2, std::int32_t sections,
                               std::vector<std::uint32_t>& offsets) {
    const auto blocks = static_cast<std::size_t>(sections) * static_cast<std::size_t>(sections);
    std::vector<unsigned char> bytes(blocks * 4);
    std::size_t got = 0;
    const ReadStatus status = readAt(o2, 0, bytes.data(), bytes.size(), got);
    if (status == ReadStatus::Error || status == ReadStatus::SeekFailed) {
        return readFailure(status, o2, o2ReadError, o2Error);
    }
    if (got != bytes.size()) {
        return failed(o2EndOfFile, o2ReadError, o2Error, o2ReadError);
    }
    offsets.resize(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        offsets[b] = loadU32(bytes.data() + 4 * b);
    }
    return {};
}

// One row of sections as stored. The row's distinct offsets, in file order, are merged into runs
// of sections stored one after another, and each run is fetched with a single read; a section
// stored once and used many times (empty sea) is read once per row. How much of each section
// arrived decides where the end of the file is met.
struct SectionRow {
    std::size_t sectionBytes = 0;
    std::vector<unsigned char> bytes;   // one slot per distinct offset
    std::vector<std::size_t> available; // the bytes that arrived, per slot
    std::vector<std::size_t> slotOf;    // the slot of each section column
    std::vector<std::uint32_t> slotOffsets;
    std::vector<std::pair<std::uint32_t, std::size_t>> sorted;

    SectionRow(std::size_t perRow, std::size_t sectionSize)
        : sectionBytes(sectionSize), bytes(perRow * sectionSize), available(perRow), slotOf(perRow),
          sorted(perRow) {
        slotOffsets.reserve(perRow);
    }
};

TerrainResult fetchSectionRow(BinaryReader& l2, std::span<const std::uint32_t> rowOffsets,
                              SectionRow& row) {
    for (std::size_t s = 0; s < rowOffsets.size(); ++s) {
        row.sorted[s] = {rowOffsets[s], s};
    }
    std::sort(row.sorted.begin(), row.sorted.end());
    row.slotOffsets.clear();
    for (const auto& [offset, column] : row.sorted) {
        if (row.slotOffsets.empty() || row.slotOffsets.back() != offset) {
            row.slotOffsets.push_back(offset);
        }
        row.slotOf[column] = row.slotOffsets.size() - 1;
    }
    const std::size_t sectionBytes = row.sectionBytes;
    for (std::size_t first = 0; first < row.slotOffsets.size();) {
        std::size_t last = first;
        while (last + 1 < row.slotOffsets.size() &&
               std::uint64_t{row.slotOffsets[last + 1]} ==
                   std::uint64_t{row.slotOffsets[last]} + sectionBytes) {
            ++last;
        }
        std::size_t got = 0;
        const ReadStatus status =
            readAt(l2, row.slotOffsets[first], row.bytes.data() + first * sectionBytes,
                   (last - first + 1) * sectionBytes, got);
        if (status == ReadStatus::Error || status == ReadStatus::SeekFailed) {
            return readFailure(status, l2, l2ReadError, l2Error);
        }
        for (std::size_t slot = first; slot <= last; ++slot) {
            const std::size_t start = (slot - first) * sectionBytes;
            row.available[slot] = got > start ? std::min(got - start, sectionBytes) : 0;
        }
        first = last + 1;
    }
    return {};
}

// The row's sixteen map rows into the matrix, from cell on; the abort flag is polled after each.
template <RecordFormat format>
TerrainResult decodeSectionRow(const SectionRow& row, TerrainPost*& cell,
                               const TerrainProgress& progress) {
    constexpr std::size_t rowBytes = postsPerSectionSide * recordSize(format);
    for (int rowInSection = 0; rowInSection < postsPerSectionSide; ++rowInSection) {
        const std::size_t begin = static_cast<std::size_t>(rowInSection) * rowBytes;
        for (const std::size_t slot : row.slotOf) {
            if (row.available[slot] < begin + rowBytes) {
                return l2EndOfFileOnRead();
            }
            cell = decodeRecords<format>(row.bytes.data() + slot * row.sectionBytes + begin,
                                         postsPerSectionSide, cell);
        }
        if (progress.abortRequested && progress.abortRequested()) {
            return aborted();
        }
    }
    return {};
}

} // namespace

TerrainResult readTerrain(BinaryReader& l2, BinaryReader& o2, TerrainMatrix& matrix,
                          const TerrainProgress& progress) {
    releaseMatrix(matrix);
    if (const std::optional<std::string> refusal =
            o2SizeRefusal(fromFsPath(o2.path.filename()), o2.size)) {
        return failed(*refusal, o2ReadError);
    }
    const std::int32_t sections = sectionsFromO2Size(o2.size);
    if (sections == 0) {
        // Not even one block offset: there is no map to read.
        return failed(o2EndOfFile, o2ReadError, o2Error, o2ReadError);
    }
    // The O2 file says how big the map is, and sections may share one stored copy, so a small
    // pair can ask for any size: the size is checked before anything is allocated.
    const std::uint64_t matrixBytes = std::uint64_t{postsPerSection} *
                                      static_cast<std::uint64_t>(sections) *
                                      static_cast<std::uint64_t>(sections) * sizeof(TerrainPost);
    if (sections > maxSectionsPerSide || !memoryAllows(matrixBytes)) {
        return failed(mapTooLargeText(fromFsPath(o2.path.filename()), sections), "Error");
    }
    std::vector<std::uint32_t> offsets;
    if (TerrainResult read = readBlockOffsets(o2, sections, offsets); !read.ok()) {
        return read;
    }
    const RecordLayout layout = recordLayoutFor(l2.size, offsets);
    if (!layout.known) {
        return failed(unknownLayoutText(fromFsPath(l2.path.filename()), l2.size,
                                        fromFsPath(o2.path.filename())),
                      l2ReadError);
    }
    // Bytes past the last section any offset names belong to no section: a file with stray bytes
    // at its end, or one whose O2 is cut short, is refused instead of read in part.
    const std::uint64_t sectionBytes = postsPerSection * recordSize(layout.format);
    const std::uint64_t used = *std::max_element(offsets.begin(), offsets.end()) + sectionBytes;
    if (l2.size > used) {
        return failed(fromFsPath(l2.path.filename()) + " holds " + std::to_string(l2.size - used) +
                          " bytes beyond the last section " + fromFsPath(o2.path.filename()) +
                          " places (which ends at byte " + std::to_string(used) +
                          "): stray bytes, or an O2 file cut short. Nothing was read.",
                      l2ReadError);
    }
    const std::int32_t extent = sections * postsPerSectionSide;
    if (!allocateMatrixForOverwrite(matrix, extent, extent, layout.format)) {
        return failed(noMemoryText(extent, extent), "Error");
    }
    matrix.layoutCertain = layout.certain;

    const auto perRow = static_cast<std::size_t>(sections);
    SectionRow row(perRow, postsPerSection * recordSize(layout.format));
    TerrainPost* cell = matrix.posts.data();
    for (std::int32_t sectionRow = 0; sectionRow < sections; ++sectionRow) {
        const std::span<const std::uint32_t> rowOffsets(
            offsets.data() + static_cast<std::size_t>(sectionRow) * perRow, perRow);
        // The layout is fixed at compile time, so the decoding loop has no branch.
        TerrainResult result = fetchSectionRow(l2, rowOffsets, row);
        if (result.ok()) {
            result = layout.format == SevenByteRecords
                         ? decodeSectionRow<SevenByteRecords>(row, cell, progress)
                         : decodeSectionRow<NineByteRecords>(row, cell, progress);
        }
        if (!result.ok()) {
            releaseMatrix(matrix);
            return result;
        }
        if (progress.report) {
            const std::int32_t lastBlock = sectionRow * sections + sections - 1;
            progress.report(lastBlock, lastBlock);
        }
    }
    return {};
}

} // namespace vantor
