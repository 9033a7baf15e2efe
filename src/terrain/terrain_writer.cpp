#include "terrain/terrain_writer.h"

#include "base/byte_order.h"
#include "base/file_lookup.h"
#include "base/memory.h"
#include "base/safe_writer.h"
#include "base/text_util.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vantor {

namespace {

using namespace terrain_texts;

bool isEmptySection(const TerrainMatrix& m, std::int32_t column, std::int32_t row) {
    for (int y = 0; y < postsPerSectionSide; ++y) {
        const TerrainPost* post =
            &m.at(column * postsPerSectionSide, row * postsPerSectionSide + y);
        for (int x = 0; x < postsPerSectionSide; ++x) {
            if (post[x].tileId != 0 || post[x].elevation != 0) {
                return false;
            }
        }
    }
    return true;
}

void encodeSection(const TerrainMatrix& m, std::int32_t column, std::int32_t row,
                   std::vector<unsigned char>& out) {
    const std::size_t rs = recordSize(m.recordFormat);
    out.resize(postsPerSection * rs);
    unsigned char* record = out.data();
    for (int y = 0; y < postsPerSectionSide; ++y) {
        const TerrainPost* post =
            &m.at(column * postsPerSectionSide, row * postsPerSectionSide + y);
        record = m.recordFormat == SevenByteRecords
                     ? encodeRecords<SevenByteRecords>(post, postsPerSectionSide, record)
                     : encodeRecords<NineByteRecords>(post, postsPerSectionSide, record);
    }
}

// Where a write failed, in the system's words, after the suite's own message.
std::string failure(const SafeWriter& writer) {
    return fromFsPath(writer.target) + ": " + writer.error;
}

TerrainResult l2WriteFailure(const SafeWriter& l2) {
    return failed(withReason(l2EndOfFile, failure(l2)), "Error", l2Error, l2WriteError);
}

TerrainResult o2WriteFailure(const SafeWriter& o2) {
    return failed(withReason(o2WriteFailed, failure(o2)), o2WriteError, o2Error, o2WriteError);
}

} // namespace

TerrainResult writeTerrainFiles(const TerrainMatrix& matrix, const std::filesystem::path& l2Path,
                                const std::filesystem::path& o2Path,
                                const TerrainProgress& progress,
                                const TerrainWriteOptions& options) {
    if (!matrix.layoutCertain) {
        return failed(layoutInDoubtText, l2WriteError);
    }
    const std::int32_t sectionsX = matrix.sectionsX();
    const std::int32_t sectionsY = matrix.sectionsY();
    const std::size_t sectionBytes = postsPerSection * recordSize(matrix.recordFormat);

    // The pair is written where its files really are: a link stays a link to the new file.
    std::filesystem::path realL2;
    std::filesystem::path realO2;
    std::string error;
    if (!resolvePair(l2Path, o2Path, realL2, realO2, error)) {
        return failed(withReason(dataFileOpenFailed, error), fromFsPath(l2Path));
    }
    const bool l2There = namePresent(realL2);
    if (l2There != namePresent(realO2)) {
        return failed(withReason(dataFileOpenFailed,
                                 fromFsPath(l2There ? realL2 : realO2) +
                                     " is there without the other file of its pair; a pair is "
                                     "written only where both files are, or neither"),
                      fromFsPath(l2There ? l2Path : o2Path));
    }

    SafeWriter l2;
    SafeWriter o2;
    l2.failAfterBytes = options.faults.l2FailAfterBytes;
    o2.failAfterBytes = options.faults.o2FailAfterBytes;
    // The pair the matrix was read from is replaced on purpose.
    for (SafeWriter* w : {&l2, &o2}) {
        w->replacesInput = true;
    }
    if (!beginSafeWrite(l2, realL2)) {
        return failed(withReason(dataFileOpenFailed, l2.error), fromFsPath(l2Path));
    }
    if (!beginSafeWrite(o2, realO2)) {
        abandonSafeWrite(l2);
        return failed(withReason(dataFileOpenFailed, o2.error), fromFsPath(o2Path));
    }
    auto abandonBoth = [&] {
        abandonSafeWrite(l2);
        abandonSafeWrite(o2);
    };

    // The shared empty copy takes offset 0, so it is found and written before any other section.
    std::vector<unsigned char> shared;
    for (std::int32_t row = 0; row < sectionsY && shared.empty(); ++row) {
        for (std::int32_t column = 0; column < sectionsX; ++column) {
            if (isEmptySection(matrix, column, row)) {
                encodeSection(matrix, column, row, shared);
                break;
            }
        }
    }
    std::uint64_t nextOffset = 0;
    if (!shared.empty()) {
        if (!safeWrite(l2, shared.data(), shared.size())) {
            abandonBoth();
            return l2WriteFailure(l2);
        }
        nextOffset = sectionBytes;
    }

    std::vector<unsigned char> records;
    std::vector<unsigned char> entries(static_cast<std::size_t>(sectionsX) * 4);
    for (std::int32_t row = 0; row < sectionsY; ++row) {
        for (std::int32_t column = 0; column < sectionsX; ++column) {
            encodeSection(matrix, column, row, records);
            std::uint32_t offset = 0;
            const bool sharesEmptyCopy =
                !shared.empty() && records == shared && isEmptySection(matrix, column, row);
            if (!sharesEmptyCopy) {
                if (nextOffset > UINT32_MAX) {
                    l2.error = "the file would pass the 4 GB its offsets can reach";
                    abandonBoth();
                    return l2WriteFailure(l2);
                }
                offset = static_cast<std::uint32_t>(nextOffset);
                if (!safeWrite(l2, records.data(), records.size())) {
                    abandonBoth();
                    return l2WriteFailure(l2);
                }
                nextOffset += sectionBytes;
            }
            storeU32(entries.data() + 4 * static_cast<std::size_t>(column), offset);
        }
        if (!safeWrite(o2, entries.data(), entries.size())) {
            abandonBoth();
            return o2WriteFailure(o2);
        }
        if (progress.abortRequested && progress.abortRequested()) {
            abandonBoth();
            return aborted();
        }
        if (progress.report) {
            const std::int32_t lastBlock = row * sectionsX + sectionsX - 1;
            progress.report(lastBlock, lastBlock);
        }
    }
    if (!finishSafeWrite(l2)) {
        abandonBoth();
        return l2WriteFailure(l2);
    }
    if (!finishSafeWrite(o2)) {
        abandonBoth();
        return o2WriteFailure(o2);
    }
    PairChange change;
    {
        // From here the commit answers for the new files; a stop waits for it.
        StopDeferral deferral;
        const std::filesystem::path newL2 = handOverSafeWrite(l2);
        const std::filesystem::path newO2 = handOverSafeWrite(o2);
        if (l2There) {
            change = writePairWithHistory({realL2, realO2, newL2, newO2, options.what,
                                           options.expected, l2.hash.value(), o2.hash.value()});
        } else {
            const CommitOutcome outcome = runCommit(
                realL2,
                {options.what, {{realL2, newL2, {}, true}, {realO2, newO2, {}, true}}, {}, {}});
            change.state = outcome.state;
            change.error = outcome.error;
            change.notes = outcome.notes;
        }
    }
    if (options.change != nullptr) {
        *options.change = change;
    }
    if (change.state != SetState::New) {
        return failed(pairChangeText(change, realL2, realO2), change.state == SetState::Old
                                                                  ? "Terrain Not Written"
                                                                  : "Terrain Write Unfinished");
    }
    return {};
}

std::string pairChangeText(const PairChange& change, const std::filesystem::path& l2,
                           const std::filesystem::path& o2) {
    const std::string pair = fromFsPath(l2) + " and " + fromFsPath(o2);
    std::string text;
    if (change.recovery.outcome != RecoveryOutcome::NothingToDo) {
        text = recoveryText(change.recovery, pair, false) + "\r\n ";
    }
    switch (change.state) {
    case SetState::Old:
        return text + "The terrain files were not replaced: " + change.error + ".\r\n " + pair +
               " are as they were." + change.notes;
    case SetState::Unfinished:
        return text + "The terrain files were not replaced completely: " + change.error +
               ".\r\n Leave " + fromFsPath(journalPathFor(l2)) +
               " and the files it names as they are: the next open of " + fromFsPath(l2) +
               " makes them the old pair or the new one again." + change.notes;
    case SetState::New:
        break;
    }
    if (change.replacedGeneration == 0) {
        return text + trimBlanks(change.notes);
    }
    text += "The previous pair is kept as generation " + std::to_string(change.replacedGeneration) +
            " of the history " + fromFsPath(historyFolderFor(l2)) + " (" +
            byteSizeText(change.replacedBytes) + ")";
    if (change.backupNamed) {
        text += ", also named " + fromFsPath(backupPathFor(l2).filename()) + " and " +
                fromFsPath(backupPathFor(o2).filename());
    }
    text += "; the history keeps " + std::to_string(change.keptGenerations) + " generation" +
            (change.keptGenerations == 1 ? "" : "s") + " (" + byteSizeText(change.keptBytes) + ")";
    if (change.pruned > 0) {
        text += ", " + std::to_string(change.pruned) + " older one" +
                (change.pruned == 1 ? " was" : "s were") + " given up";
    }
    return text + "." + change.notes;
}

} // namespace vantor
