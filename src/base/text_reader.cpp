#include "base/text_reader.h"

#include <algorithm>

namespace vantor {

namespace {

constexpr std::size_t bufferSize = std::size_t{1} << 16;

// More bytes into the buffer; false at the end of the file or on a failed read.
bool refill(TextReader& r) {
    r.start = 0;
    r.end = 0;
    if (r.buffer.size() != bufferSize) {
        r.buffer.resize(bufferSize);
    }
    std::size_t got = 0;
    const ReadStatus status = readAt(r.file, r.offset, r.buffer.data(), r.buffer.size(), got);
    if (status == ReadStatus::Error || status == ReadStatus::SeekFailed) {
        r.failed = true;
        r.error = r.file.error;
        return false;
    }
    r.end = got;
    r.offset += got;
    return got > 0;
}

bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

} // namespace

void TextReader::close() {
    file.close();
    buffer.clear();
    buffer.shrink_to_fit();
    start = end = 0;
    offset = 0;
}

bool openTextReader(TextReader& reader, const std::filesystem::path& path) {
    reader.close();
    reader.failed = false;
    reader.error.clear();
    if (!openInput(reader.file, path)) {
        reader.error = reader.file.error;
        return false;
    }
    return true;
}

bool readLine(TextReader& r, std::string& line) {
    line.clear();
    if (!r.isOpen() || r.failed) {
        return false;
    }
    for (;;) {
        if (r.start == r.end && !refill(r)) {
            return !line.empty() && !r.failed;
        }
        // A CR that ended the last buffer: an LF at the start of this one belongs to it.
        if (!line.empty() && line.back() == '\r') {
            if (r.buffer[r.start] == '\n') {
                line.push_back('\n');
                ++r.start;
            }
            return true;
        }
        const char* first = r.buffer.data() + r.start;
        const char* last = r.buffer.data() + r.end;
        const char* stop = std::find_if(first, last, isLineEnd);
        if (stop == last) {
            line.append(first, last);
            r.start = r.end;
            if (line.size() > maxLineLength) {
                r.failed = true;
                r.error =
                    "it has a line longer than " + std::to_string(maxLineLength >> 20) + " MB";
                line.clear();
                return false;
            }
            continue;
        }
        line.append(first, stop + 1);
        r.start = static_cast<std::size_t>(stop + 1 - r.buffer.data());
        if (*stop == '\n') {
            return true;
        }
        if (r.start < r.end) {
            if (r.buffer[r.start] == '\n') {
                line.push_back('\n');
                ++r.start;
            }
            return true;
        }
        // The CR ended the buffer; the next one says whether an LF follows.
    }
}

void rewindReader(TextReader& reader) {
    reader.start = reader.end = 0;
    reader.offset = 0;
    reader.failed = false;
    reader.error.clear();
}

std::int64_t countLinesAndRewind(TextReader& reader) {
    std::int64_t lines = 0;
    std::string line;
    while (readLine(reader, line)) {
        ++lines;
    }
    rewindReader(reader);
    return lines;
}

} // namespace vantor
