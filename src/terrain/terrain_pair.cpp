#include "terrain/terrain_pair.h"

#include "base/file_lookup.h"
#include "base/text_util.h"
#include "terrain/l2_reader.h"
#include "terrain/terrain_file.h"

namespace vantor {

namespace {

namespace fs = std::filesystem;

bool interruptedWriteAt(const fs::path& realL2) {
    return namePresent(journalPathFor(realL2)) || namePresent(legacyRecordPathFor(realL2));
}

} // namespace

bool openTerrainPair(const std::string& l2Path, bool dryRun, TerrainPairFiles& f) {
    const fs::path namedL2 = toFsPath(l2Path);
    f.o2Path = o2PathFor(l2Path);
    fs::path namedO2;
    if (!findOneBeside(f.o2Path, namedO2, f.error)) {
        f.failedPath = f.o2Path;
        return false;
    }
    // The journal and the history lie beside the real files, wherever links lead.
    const fs::path realL2 = realPathOf(namedL2);
    const fs::path realO2 = realPathOf(namedO2);
    const std::string pair = l2Path + " and " + fromFsPath(namedO2);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool interrupted = interruptedWriteAt(realL2);
        CommitLock lock;
        fs::path l2From = namedL2;
        fs::path o2From = namedO2;
        // A dry run writes nothing, not even the lock's file: what it reads is fixed by the
        // interrupted write's own files, which no one changes in place.
        if ((interrupted || attempt > 0) && !dryRun) {
            std::string error;
            const CommitLock::Result taken = takeHistoryLock(realL2, lock, error);
            if (taken == CommitLock::Result::Busy ||
                (taken == CommitLock::Result::Unavailable && interrupted)) {
                f.error = interrupted ? "an interrupted write of the terrain files was found, "
                                        "and it cannot be finished or undone now: " +
                                            error
                                      : error;
                f.failedPath = l2Path;
                return false;
            }
        }
        if (interrupted) {
            f.recovery = recoverCommit(realL2, dryRun);
            f.recoveryText = recoveryText(f.recovery, pair, dryRun);
            if (f.recovery.outcome == RecoveryOutcome::Failed) {
                f.error = f.recoveryText;
                f.failedPath = l2Path;
                return false;
            }
            // A dry run leaves the files where the interrupted write left them.
            for (const auto& [target, at] : f.recovery.contentAt) {
                if (dryRun && target == realL2) {
                    l2From = at;
                } else if (dryRun && target == realO2) {
                    o2From = at;
                }
            }
        }
        if (!openForReading(f.l2, l2From)) {
            f.error = f.l2.error;
            f.failedPath = l2Path;
            return false;
        }
        if (!openForReading(f.o2, o2From)) {
            f.error = f.o2.error;
            f.failedPath = f.o2Path;
            return false;
        }
        f.version = {examineOpenFile(f.l2.descriptor), examineOpenFile(f.o2.descriptor)};
        if (lock.held() || interrupted || attempt > 0) {
            return true;
        }
        // Opened without the lock: the two are one version unless a commit began meanwhile,
        // which its journal or a changed file tells.
        if (!interruptedWriteAt(realL2) &&
            examinePath(namedL2).identity == f.version.first.identity &&
            examinePath(namedO2).identity == f.version.second.identity) {
            return true;
        }
        f.l2.close();
        f.o2.close();
    }
    return false;
}

bool terrainPairNames(const std::string& terrainPath, fs::path& realL2, fs::path& realO2,
                      std::string& error) {
    if (isMatrixFile(terrainPath)) {
        error = "the terrain was loaded from the matrix file " + terrainPath +
                ", which has no L2 and O2 files to write into";
        return false;
    }
    // The terrain path names the O2 once the pair is open, as the suite's tools keep it.
    const std::string extension = fromFsPath(toFsPath(terrainPath).extension());
    if (!equalsIgnoreCase(extension, ".L2") && !equalsIgnoreCase(extension, ".O2")) {
        error = terrainPath + " is no .L2 terrain file";
        return false;
    }
    std::string l2Name = terrainPath;
    if (l2Name.size() >= 2) {
        l2Name.replace(l2Name.size() - 2, 2, "L2");
    }
    fs::path l2;
    fs::path o2;
    return findOneBeside(l2Name, l2, error) && findOneBeside(o2PathFor(terrainPath), o2, error) &&
           resolvePair(l2, o2, realL2, realO2, error);
}

bool terrainPairFor(const std::string& terrainPath, fs::path& realL2, fs::path& realO2,
                    std::string& error) {
    if (!terrainPairNames(terrainPath, realL2, realO2, error)) {
        return false;
    }
    for (const fs::path& path : {realL2, realO2}) {
        if (examinePath(path).kind != FileKind::Regular) {
            error = fromFsPath(path) + " is not there as a regular file";
            return false;
        }
    }
    return true;
}

std::vector<InputFiles::Kept> terrainKeptFiles(const fs::path& l2, const fs::path& o2) {
    std::vector<InputFiles::Kept> kept;
    for (const fs::path& file : {l2, o2}) {
        const fs::path real = realPathOf(file);
        kept.push_back({backupPathFor(real), "the backup name of the pair the last write-back of " +
                                                 fromFsPath(realPathOf(l2)) + " replaced"});
    }
    return kept;
}

} // namespace vantor
