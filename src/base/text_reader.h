#pragma once

#include "base/input_file.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantor {

// A text input read line by line, as bytes. Lines end in LF, CR LF or a lone CR; each line is
// handed over with its own line end, so that a line written back unchanged keeps every byte.
// Like every input it is a regular file, read no further than the size it had when opened.
struct TextReader {
    InputFile file;
    std::vector<char> buffer;
    std::size_t start = 0;    // next byte of the buffer to hand over
    std::size_t end = 0;      // bytes in the buffer
    std::uint64_t offset = 0; // file position after the buffer
    bool failed = false;      // a read failed or a line was too long: error says why
    std::string error;

    bool isOpen() const { return file.isOpen(); }
    const std::filesystem::path& path() const { return file.path; }
    void close();
};

// A line longer than this is refused: no file the program reads has one, and a file that never
// ends a line (a sparse file of zeros, say) would otherwise take all the memory there is.
inline constexpr std::size_t maxLineLength = std::size_t{64} << 20;

// False with error set when the path names no regular file that can be opened.
bool openTextReader(TextReader& reader, const std::filesystem::path& path);

// Reads one whole line, its line end included, into line. False at the end of the file, or when
// reading failed (failed set, error says why); nothing is handed over then.
bool readLine(TextReader& reader, std::string& line);

// Back to the first line.
void rewindReader(TextReader& reader);

// The number of line ends from here to the end of the file; the reader is rewound afterwards.
std::int64_t countLinesAndRewind(TextReader& reader);

} // namespace vantor
