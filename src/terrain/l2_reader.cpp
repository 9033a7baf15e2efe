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

TerrainResult readTerrain(BinaryReader& l2, BinaryReader& o2, TerrainMatrix& matrix,
                          const TerrainProgress& progress) {
    releaseMatrix(matrix);
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
    const std::int32_t extent = sections * postsPerSectionSide;

    // The offsets of every section the map uses, read at once (4 bytes per section).
    const auto blocks = static_cast<std::size_t>(sections) * static_cast<std::size_t>(sections);
    std::vector<unsigned char> o2Bytes(blocks * 4);
    std::size_t got = 0;
    const ReadStatus o2Status = readAt(o2, 0, o2Bytes.data(), o2Bytes.size(), got);
    if (o2Status == ReadStatus::Error || o2Status == ReadStatus::SeekFailed) {
        return readFailure(o2Status, o2, o2ReadError, o2Error);
    }
    if (got != o2Bytes.size()) {
        return failed(o2EndOfFile, o2ReadError, o2Error, o2ReadError);
    }
    std::vector<std::uint32_t> offsets(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        offsets[b] = loadU32(o2Bytes.data() + 4 * b);
    }
    const RecordLayout layout = recordLayoutFor(l2.size, offsets);
    if (!layout.known) {
        return failed(unknownLayoutText(fromFsPath(l2.path.filename()), l2.size,
                                        fromFsPath(o2.path.filename())),
                      l2ReadError);
    }
    const RecordFormat format = layout.format;
    const std::size_t rs = recordSize(format);
    const std::size_t sectionBytes = postsPerSection * rs;

    if (!allocateMatrixForOverwrite(matrix, extent, extent, format)) {
        return failed(noMemoryText(extent, extent), "Error");
    }
    matrix.layoutCertain = layout.certain;

    // One row of sections at a time. The row's distinct offsets, in file order, are merged into
    // runs of sections stored one after another, and each run is fetched with a single read; a
    // section stored once and used many times (empty sea) is read once per row. How much of each
    // section arrived decides where the end of the file is met.
    const auto perRow = static_cast<std::size_t>(sections);
    std::vector<unsigned char> rowBytes(perRow * sectionBytes);
    std::vector<std::size_t> available(perRow); // per slot
    std::vector<std::size_t> slotOf(perRow);    // per section column
    std::vector<std::pair<std::uint32_t, std::size_t>> sorted(perRow);
    TerrainPost* cell = matrix.posts.data();
    for (std::int32_t sectionRow = 0; sectionRow < sections; ++sectionRow) {
        const std::uint32_t* rowOffsets =
            offsets.data() + static_cast<std::size_t>(sectionRow) * perRow;
        for (std::size_t s = 0; s < perRow; ++s) {
            sorted[s] = {rowOffsets[s], s};
        }
        std::sort(sorted.begin(), sorted.end());
        std::vector<std::uint32_t> slotOffsets;
        slotOffsets.reserve(perRow);
        for (const auto& [offset, column] : sorted) {
            if (slotOffsets.empty() || slotOffsets.back() != offset) {
                slotOffsets.push_back(offset);
            }
            slotOf[column] = slotOffsets.size() - 1;
        }
        for (std::size_t first = 0; first < slotOffsets.size();) {
            std::size_t last = first;
            while (last + 1 < slotOffsets.size() &&
                   std::uint64_t{slotOffsets[last + 1]} ==
                       std::uint64_t{slotOffsets[last]} + sectionBytes) {
                ++last;
            }
            const std::size_t count = (last - first + 1) * sectionBytes;
            const ReadStatus status =
                readAt(l2, slotOffsets[first], rowBytes.data() + first * sectionBytes, count, got);
            if (status == ReadStatus::Error || status == ReadStatus::SeekFailed) {
                releaseMatrix(matrix);
                return readFailure(status, l2, l2ReadError, l2Error);
            }
            for (std::size_t slot = first; slot <= last; ++slot) {
                const std::size_t start = (slot - first) * sectionBytes;
                available[slot] = got > start ? std::min(got - start, sectionBytes) : 0;
            }
            first = last + 1;
        }

        for (int rowInSection = 0; rowInSection < postsPerSectionSide; ++rowInSection) {
            const std::size_t rowEnd =
                static_cast<std::size_t>(rowInSection + 1) * postsPerSectionSide * rs;
            for (std::size_t s = 0; s < perRow; ++s) {
                const std::size_t slot = slotOf[s];
                if (available[slot] < rowEnd) {
                    releaseMatrix(matrix);
                    return l2EndOfFileOnRead();
                }
                const unsigned char* record =
                    rowBytes.data() + slot * sectionBytes +
                    static_cast<std::size_t>(rowInSection) * postsPerSectionSide * rs;
                // The layout is fixed at compile time, so the loop has no branch.
                if (format == SevenByteRecords) {
                    cell = decodeRecords<SevenByteRecords>(record, postsPerSectionSide, cell);
                } else {
                    cell = decodeRecords<NineByteRecords>(record, postsPerSectionSide, cell);
                }
            }
            if (progress.abortRequested && progress.abortRequested()) {
                releaseMatrix(matrix);
                return aborted();
            }
        }
        if (progress.report) {
            const std::int32_t lastBlock = sectionRow * sections + sections - 1;
            progress.report(lastBlock, lastBlock);
        }
    }
    return {};
}

} // namespace vantor
