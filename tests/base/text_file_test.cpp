#include "base/text_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

namespace fs = std::filesystem;

// A report written aside changes its target only by whole replacements.
TEST(ReportAside, TheTargetChangesOnlyAtCheckpointsAndClose) {
    struct Case {
        const char* name;
        bool keepContent;
        bool checkpoint;
        bool abandon;
        const char* afterWriting; // the target once "new" is written (and checkpointed)
        const char* afterClosing;
    };
    const Case cases[] = {
        {"fresh, closed", false, false, false, "old\n", "new\n"},
        {"fresh, checkpointed", false, true, false, "new\n", "new\n"},
        {"fresh, abandoned", false, false, true, "old\n", "old\n"},
        {"appending, closed", true, false, false, "old\n", "old\nnew\n"},
        {"appending, checkpointed then abandoned", true, true, true, "old\nnew\n", "old\nnew\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const fs::path target = dir.write("r.csv", "old\n");
        TextFile file;
        std::string error;
        ASSERT_TRUE(openTextFileAside(file, target.string(), c.keepContent, error)) << error;
        ASSERT_TRUE(writeText(file.handle.get(), "new\n"));
        if (c.checkpoint) {
            ASSERT_TRUE(checkpointTextFile(file, error)) << error;
        }
        EXPECT_EQ(testing::readFile(target), c.afterWriting);
        if (c.abandon) {
            abandonTextFile(file);
        } else {
            file.close();
        }
        EXPECT_EQ(testing::readFile(target), c.afterClosing);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1)
            << "only the report is left";
    }
}

TEST(ReportAside, AppendingToAMissingFileStartsEmpty) {
    testing::TempDir dir;
    TextFile file;
    std::string error;
    ASSERT_TRUE(openTextFileAside(file, (dir.path / "new.csv").string(), true, error));
    writeText(file.handle.get(), "line\n");
    ASSERT_TRUE(checkpointTextFile(file, error));
    EXPECT_EQ(testing::readFile(dir.path / "new.csv"), "line\n");
}

TEST(ReportAside, AFolderIsNoReport) {
    testing::TempDir dir;
    fs::create_directory(dir.path / "r.csv");
    TextFile file;
    std::string error;
    EXPECT_FALSE(openTextFileAside(file, (dir.path / "r.csv").string(), false, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(file.isOpen());
}

#ifdef __linux__
// A disk that is full under the report being written: the checkpoint fails with the system's
// words, the target keeps every byte, and closing afterwards puts nothing in place and leaves
// no temporary file.
TEST(ReportAside, AFullDiskLeavesTheTargetAsItWas) {
    testing::TempDir dir;
    const fs::path target = dir.write("r.csv", "good report\n");
    TextFile file;
    std::string error;
    ASSERT_TRUE(openTextFileAside(file, target.string(), false, error)) << error;
    file.handle.reset(std::fopen("/dev/full", "wb"));
    writeText(file.handle.get(), std::string(100000, 'x'));
    EXPECT_FALSE(checkpointTextFile(file, error));
    EXPECT_EQ(error, "No space left on device");
    file.close();
    EXPECT_EQ(testing::readFile(target), "good report\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}
#endif

} // namespace
} // namespace vantor
