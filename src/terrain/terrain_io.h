#pragma once

#include "base/message.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace vantor {

// How a terrain read or write reports back. The operations themselves show nothing: they hand
// their messages to the flow, which shows them in order.
struct TerrainProgress {
    // After each row of work: the counter and bar position to show.
    std::function<void(std::int32_t counter, std::int32_t position)> report;
    // Polled after each map row; true stops the operation.
    std::function<bool()> abortRequested;
};

enum class TerrainStatus { Ok, Aborted, Failed };

struct TerrainResult {
    TerrainStatus status = TerrainStatus::Ok;
    std::vector<MessageBoxRequest> messages;

    bool ok() const { return status == TerrainStatus::Ok; }
};

// Messages of the terrain files, as users of the suite know them.
namespace terrain_texts {
inline constexpr const char* dataFileOpenFailed = "Data File Open Failed. ";
inline constexpr const char* seekFailed = " L2 Record Seek Failed";
inline constexpr const char* l2EndOfFile = "L2 end of file reached";
inline constexpr const char* o2EndOfFile = "O2 end of file reached";
inline constexpr const char* l2Error = "L2 error";
inline constexpr const char* o2Error = "O2 error";
inline constexpr const char* l2ReadError = "L2 Read Error";
inline constexpr const char* o2ReadError = "O2 Read Error";
inline constexpr const char* l2WriteError = "L2 Write Error";
inline constexpr const char* o2WriteError = "O2 Write Error";
inline constexpr const char* l2mEndOfFile = "L2M end of file reached";
inline constexpr const char* o2WriteFailed = "O2 file write error";
inline constexpr const char* l2mSizeMismatch =
    "This L2M matrix is not the same size as the current theater.";
inline constexpr const char* l2mMatrixError = "L2M Matrix Error";
inline constexpr const char* noMemory = "Not enough memory for a terrain matrix of %d x %d posts.";
inline constexpr const char* layoutInDoubtText =
    "The terrain was not written back: the size of its L2 file and the offsets of its O2 file "
    "fit both the 7-byte and the 9-byte record layout, so the layout it was read in is not "
    "certain. The files were left as they were.";
} // namespace terrain_texts

// Adds a message box with an error icon.
void addError(TerrainResult& result, std::string text, std::string title);
TerrainResult failed(std::string text, std::string title);
// The low-level message first, then the one that ends the operation.
TerrainResult failed(std::string text, std::string title, std::string then, std::string thenTitle);
TerrainResult aborted();

// The failures several terrain files share.
TerrainResult l2EndOfFileOnRead(); // "L2 end of file reached", then "L2 error" (read)

// The largest map the program reads: theaters in use are at most a few hundred sections a side,
// and a map of this size already takes 3 GB of memory.
inline constexpr std::int32_t maxSectionsPerSide = 1024;

std::string noMemoryText(std::int64_t width, std::int64_t height);
// The map an O2 file asks for is larger than the program reads or the machine's memory holds.
std::string mapTooLargeText(const std::string& o2Name, std::int64_t sections);

} // namespace vantor
