#include "map/png_encoder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <exception>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantor {

namespace {

// ---- Checksums -------------------------------------------------------------------------------

constexpr std::uint32_t adlerBase = 65521;

// CRC-32 (polynomial 0xEDB88320) eight bytes at a time: table k holds the CRC of a byte followed
// by k zero bytes.
const std::array<std::array<std::uint32_t, 256>, 8>& crcTables() {
    static const auto tables = [] {
        std::array<std::array<std::uint32_t, 256>, 8> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[0][n] = c;
        }
        for (std::uint32_t n = 0; n < 256; ++n) {
            for (std::size_t k = 1; k < 8; ++k) {
                t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
            }
        }
        return t;
    }();
    return tables;
}

// ---- Bits ------------------------------------------------------------------------------------

// Deflate's bit order, values from their lowest bit up (codes are stored reversed), into memory
// the caller has made room for.
class BitWriter {
  public:
    explicit BitWriter(unsigned char* out) : out_(out) {}

    void put(std::uint32_t value, unsigned count) {
        buffer_ |= std::uint64_t{value} << filled_;
        filled_ += count;
        if (filled_ >= 32) {
            const auto word = static_cast<std::uint32_t>(buffer_);
            std::memcpy(out_, &word, 4);
            out_ += 4;
            buffer_ >>= 32;
            filled_ -= 32;
        }
    }

    void alignToByte() {
        for (; filled_ > 0; filled_ = filled_ > 8 ? filled_ - 8 : 0) {
            *out_++ = static_cast<unsigned char>(buffer_ & 0xFF);
            buffer_ >>= 8;
        }
        buffer_ = 0;
    }

    unsigned char* end() const { return out_; }

  private:
    unsigned char* out_;
    std::uint64_t buffer_ = 0;
    unsigned filled_ = 0;
};

std::uint32_t reversedBits(std::uint32_t code, unsigned length) {
    std::uint32_t r = 0;
    for (unsigned k = 0; k < length; ++k) {
        r = (r << 1) | ((code >> k) & 1);
    }
    return r;
}

// Canonical codes for the lengths, bit-reversed for the writer.
template <std::size_t N>
std::array<std::uint16_t, N> canonicalCodes(const std::array<std::uint8_t, N>& lengths) {
    std::array<std::uint32_t, 16> perLength{};
    for (const std::uint8_t length : lengths) {
        ++perLength[length];
    }
    perLength[0] = 0;
    std::array<std::uint32_t, 16> next{};
    std::uint32_t code = 0;
    for (std::size_t bits = 1; bits < 16; ++bits) {
        code = (code + perLength[bits - 1]) << 1;
        next[bits] = code;
    }
    std::array<std::uint16_t, N> codes{};
    for (std::size_t s = 0; s < N; ++s) {
        if (lengths[s] != 0) {
            codes[s] = static_cast<std::uint16_t>(reversedBits(next[lengths[s]]++, lengths[s]));
        }
    }
    return codes;
}

template <std::size_t N>
std::array<std::uint8_t, N> lengthsFor(const std::array<std::uint32_t, N>& frequencies, int limit) {
    std::array<std::uint8_t, N> lengths{};
    huffmanLengths(frequencies.data(), static_cast<int>(N), limit, lengths.data());
    return lengths;
}

// ---- Deflate ---------------------------------------------------------------------------------

constexpr std::size_t literalLengthSymbols = 286;
constexpr std::size_t distanceSymbols = 30;
constexpr std::size_t codeLengthSymbols = 19;
constexpr unsigned minimumMatch = 3;
// The shortest match looked for: shorter repeats cost more bits than their literals here.
constexpr std::size_t shortestRepeat = 5;
constexpr unsigned maximumMatch = 258;
// Matches repeat the pixel to the left: four bytes back, distance code 3.
constexpr std::size_t pixelBytes = 4;
constexpr std::size_t pixelDistanceSymbol = 3;
// The most a block's header takes: 17 bits, 19 x 3 bits and 316 lengths of at most 7 + 7 bits.
constexpr std::size_t blockHeaderBytes = 1024;

struct LengthCode {
    std::uint16_t symbol = 0;
    std::uint8_t extraBits = 0;
    std::uint16_t extraValue = 0;
};

const std::array<LengthCode, maximumMatch + 1>& lengthCodes() {
    static const auto table = [] {
        constexpr std::uint16_t base[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                          15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                          67, 83, 99, 115, 131, 163, 195, 227, 258};
        constexpr std::uint8_t extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                          2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        std::array<LengthCode, maximumMatch + 1> t{};
        std::size_t k = 0;
        for (unsigned length = minimumMatch; length <= maximumMatch; ++length) {
            while (k + 1 < std::size(base) && base[k + 1] <= length) {
                ++k;
            }
            t[length] = {static_cast<std::uint16_t>(257 + k), extra[k],
                         static_cast<std::uint16_t>(length - base[k])};
        }
        return t;
    }();
    return table;
}

std::uint64_t load64(const unsigned char* p) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, 8);
    return v;
}

// How far the bytes from `i` on repeat those one pixel back (the shortest repeat is known to).
std::size_t matchLength(const unsigned char* data, std::size_t i, std::size_t longest) {
    std::size_t length = shortestRepeat;
    while (length + 8 <= longest) {
        const std::uint64_t differ =
            load64(data + i + length) ^ load64(data + i + length - pixelBytes);
        if (differ != 0) {
            return length + static_cast<std::size_t>(std::countr_zero(differ)) / 8;
        }
        length += 8;
    }
    while (length < longest && data[i + length] == data[i + length - pixelBytes]) {
        ++length;
    }
    return length;
}

// A block as runs: each some literal bytes, then (unless the block ends) a match one pixel back.
struct Tokens {
    const unsigned char* data = nullptr;
    std::vector<std::uint64_t> runs; // literal count << 9 | match length (0: none)
    std::array<std::uint32_t, literalLengthSymbols> frequencies{};
    std::uint32_t matches = 0;
};

constexpr std::uint64_t lowBits = 0x7F7F7F7F7F7F7F7Full;

// A bit at the top of each byte of `x` that is zero.
std::uint64_t zeroBytes(std::uint64_t x) {
    return ~(((x & lowBits) + lowBits) | x | lowBits);
}

// The block's bytes as literals and matches one pixel back, the longest match wherever five
// bytes repeat.
void tokenize(const unsigned char* data, std::size_t size, Tokens& out) {
    const auto& lengthTable = lengthCodes();
    out.data = data;
    out.runs.clear();
    out.matches = 0;
    // Two tables, so that a byte counted right after the same byte does not wait for it.
    std::array<std::array<std::uint32_t, 256>, 2> counts{};
    std::array<std::uint32_t, literalLengthSymbols>& frequencies = out.frequencies;
    frequencies.fill(0);
    std::size_t i = std::min(size, pixelBytes);
    std::size_t literalsFrom = 0;
    const auto match = [&](std::size_t at, std::size_t length) {
        out.runs.push_back(std::uint64_t{at - literalsFrom} << 9 | length);
        ++frequencies[lengthTable[length].symbol];
        ++out.matches;
        literalsFrom = at + length;
    };
    while (i + 8 <= size) {
        // Where a match may start among the next four bytes: five bytes equal to those one
        // pixel back.
        const std::uint64_t same = zeroBytes(load64(data + i) ^ load64(data + i - pixelBytes));
        const std::uint64_t starts =
            same & (same >> 8) & (same >> 16) & (same >> 24) & (same >> 32) & 0x80808080ull;
        if (starts == 0) {
            i += 4;
            continue;
        }
        const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(starts)) / 8;
        const std::size_t length =
            matchLength(data, at, std::min<std::size_t>(maximumMatch, size - at));
        match(at, length);
        i = at + length;
    }
    for (; i + shortestRepeat <= size; ++i) {
        if (i >= pixelBytes &&
            std::equal(data + i, data + i + shortestRepeat, data + i - pixelBytes)) {
            const std::size_t length = matchLength(data, i, size - i);
            match(i, length);
            i += length - 1;
        }
    }
    // Count the literals: every byte outside the matches.
    std::size_t at = 0;
    const auto countLiterals = [&](std::size_t from, std::size_t to) {
        std::size_t k = from;
        for (; k + 2 <= to; k += 2) {
            ++counts[0][data[k]];
            ++counts[1][data[k + 1]];
        }
        if (k < to) {
            ++counts[0][data[k]];
        }
    };
    for (const std::uint64_t run : out.runs) {
        const std::size_t literals = run >> 9;
        countLiterals(at, at + literals);
        at += literals + (run & 0x1FF);
    }
    if (literalsFrom < size) {
        out.runs.push_back(std::uint64_t{size - literalsFrom} << 9);
    }
    countLiterals(at, size);
    for (std::size_t b = 0; b < 256; ++b) {
        frequencies[b] = counts[0][b] + counts[1][b];
    }
    frequencies[256] = 1; // the end of the block
}

// The code lengths of both alphabets as one sequence, run-length coded with symbols 16 (repeat the
// previous 3-6 times), 17 (3-10 zeros) and 18 (11-138 zeros); each run as symbol | extra << 8.
std::vector<std::uint16_t> lengthRuns(const std::vector<std::uint8_t>& sequence,
                                      std::array<std::uint32_t, codeLengthSymbols>& frequencies) {
    std::vector<std::uint16_t> runs;
    const auto add = [&](std::size_t symbol, std::size_t extra) {
        runs.push_back(static_cast<std::uint16_t>(symbol | (extra << 8)));
        ++frequencies[symbol];
    };
    for (std::size_t i = 0; i < sequence.size();) {
        const std::uint8_t value = sequence[i];
        std::size_t run = 1;
        while (i + run < sequence.size() && sequence[i + run] == value) {
            ++run;
        }
        i += run;
        if (value == 0) {
            for (; run >= 11; run -= std::min<std::size_t>(run, 138)) {
                add(18, std::min<std::size_t>(run, 138) - 11);
            }
            if (run >= 3) {
                add(17, run - 3);
                run = 0;
            }
        } else {
            add(value, 0);
            for (--run; run >= 3; run -= std::min<std::size_t>(run, 6)) {
                add(16, std::min<std::size_t>(run, 6) - 3);
            }
        }
        for (; run > 0; --run) {
            add(value, 0);
        }
    }
    return runs;
}

// One block with Huffman codes made for its tokens: the header, the tokens, the end of block.
void writeBlock(BitWriter& bits, const Tokens& block, bool last) {
    const auto& lengthTable = lengthCodes();
    const auto literalLengths = lengthsFor(block.frequencies, 15);
    const auto literalCodes = canonicalCodes(literalLengths);
    std::array<std::uint32_t, distanceSymbols> distanceFrequencies{};
    distanceFrequencies[pixelDistanceSymbol] = block.matches;
    const auto distanceLengths = lengthsFor(distanceFrequencies, 15);
    const auto distanceCodes = canonicalCodes(distanceLengths);

    std::size_t literalCount = literalLengthSymbols;
    while (literalCount > 257 && literalLengths[literalCount - 1] == 0) {
        --literalCount;
    }
    std::size_t distanceCount = distanceSymbols;
    while (distanceCount > 1 && distanceLengths[distanceCount - 1] == 0) {
        --distanceCount;
    }
    std::vector<std::uint8_t> sequence(
        literalLengths.begin(), literalLengths.begin() + static_cast<std::ptrdiff_t>(literalCount));
    sequence.insert(sequence.end(), distanceLengths.begin(),
                    distanceLengths.begin() + static_cast<std::ptrdiff_t>(distanceCount));
    std::array<std::uint32_t, codeLengthSymbols> runFrequencies{};
    const std::vector<std::uint16_t> runs = lengthRuns(sequence, runFrequencies);
    const auto runLengths = lengthsFor(runFrequencies, 7);
    const auto runCodes = canonicalCodes(runLengths);
    static constexpr std::uint8_t order[codeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                              11, 4,  12, 3, 13, 2, 14, 1, 15};
    std::size_t orderCount = codeLengthSymbols;
    while (orderCount > 4 && runLengths[order[orderCount - 1]] == 0) {
        --orderCount;
    }

    bits.put(last ? 1 : 0, 1);
    bits.put(2, 2); // dynamic Huffman codes
    bits.put(static_cast<std::uint32_t>(literalCount - 257), 5);
    bits.put(static_cast<std::uint32_t>(distanceCount - 1), 5);
    bits.put(static_cast<std::uint32_t>(orderCount - 4), 4);
    for (std::size_t k = 0; k < orderCount; ++k) {
        bits.put(runLengths[order[k]], 3);
    }
    static constexpr std::uint8_t runExtraBits[3] = {2, 3, 7};
    for (const std::uint16_t run : runs) {
        const std::size_t symbol = run & 0xFF;
        bits.put(runCodes[symbol], runLengths[symbol]);
        if (symbol >= 16) {
            bits.put(run >> 8, runExtraBits[symbol - 16]);
        }
    }
    // A match's bits at once: its length's code and extra bits and the distance's code (at most
    // 15 + 5 + 15 bits).
    std::array<std::uint64_t, maximumMatch + 1> matchBits{};
    std::array<std::uint8_t, maximumMatch + 1> matchCounts{};
    for (std::size_t length = minimumMatch; length <= maximumMatch; ++length) {
        const LengthCode& lc = lengthTable[length];
        const unsigned codeLength = literalLengths[lc.symbol];
        matchBits[length] =
            literalCodes[lc.symbol] | (std::uint64_t{lc.extraValue} << codeLength) |
            (std::uint64_t{distanceCodes[pixelDistanceSymbol]} << (codeLength + lc.extraBits));
        matchCounts[length] = static_cast<std::uint8_t>(codeLength + lc.extraBits +
                                                        distanceLengths[pixelDistanceSymbol]);
    }
    const unsigned char* data = block.data;
    for (const std::uint64_t run : block.runs) {
        const unsigned char* end = data + (run >> 9);
        // Two literals of at most 15 bits each at a time.
        for (; data + 2 <= end; data += 2) {
            const unsigned first = literalLengths[data[0]];
            bits.put(literalCodes[data[0]] | (std::uint32_t{literalCodes[data[1]]} << first),
                     first + literalLengths[data[1]]);
        }
        if (data < end) {
            bits.put(literalCodes[*data], literalLengths[*data]);
            ++data;
        }
        const std::size_t length = run & 0x1FF;
        if (length != 0) {
            const std::uint64_t value = matchBits[length];
            const unsigned count = matchCounts[length];
            if (count > 32) {
                bits.put(static_cast<std::uint32_t>(value & 0xFFFF), 16);
                bits.put(static_cast<std::uint32_t>(value >> 16), count - 16);
            } else {
                bits.put(static_cast<std::uint32_t>(value), count);
            }
            data += length;
        }
    }
    bits.put(literalCodes[256], literalLengths[256]);
}

// ---- PNG -------------------------------------------------------------------------------------

constexpr std::size_t blockTarget = std::size_t{1} << 18; // filtered bytes per deflate block
constexpr std::size_t bandTarget = std::size_t{4} << 20;  // filtered bytes per band of rows

static_assert(std::endian::native == std::endian::little, "rows are built as little-endian words");

// A pixel as the PNG's R, G, B, A bytes (a little-endian word of them).
std::uint32_t rgbaWord(Argb p) {
    return (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
}

// The four bytes of `a` less those of `b`, each modulo 256.
std::uint32_t byteDifferences(std::uint32_t a, std::uint32_t b) {
    constexpr std::uint32_t high = 0x80808080u;
    return ((a | high) - (b & ~high)) ^ ((a ^ ~b) & high);
}

// A row as the filter type Up and each byte less the one above it (none above the first).
void filterRow(const Argb* row, const Argb* above, std::size_t width, unsigned char* out) {
    *out++ = 2;
    if (above == nullptr) {
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t word = rgbaWord(row[x]);
            std::memcpy(out + 4 * x, &word, 4);
        }
        return;
    }
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t word = byteDifferences(rgbaWord(row[x]), rgbaWord(above[x]));
        std::memcpy(out + 4 * x, &word, 4);
    }
}

struct Band {
    std::int32_t firstRow = 0;
    std::int32_t endRow = 0;
    std::size_t worker = 0; // whose output holds the band's bytes
    std::size_t offset = 0;
    std::size_t length = 0;
    std::uint32_t adler = 1;
    std::uint64_t filteredBytes = 0;
};

using ByteBuffer = std::vector<unsigned char, MatrixAllocator<unsigned char>>;

// What one worker uses: the filtered rows of a block, its tokens, and the bytes of the bands it
// deflated, one after the other.
struct Worker {
    std::vector<Argb> rows[2]; // room for the row being filtered and the one above
    ByteBuffer filtered;
    Tokens tokens;
    ByteBuffer output;
    std::size_t used = 0;
};

// The band's rows filtered and deflated; every band but the last ends on a byte boundary with an
// empty stored block, so that the bands' bytes join into one stream.
void deflateBand(std::int32_t width, const PngRows& source, Band& band, std::int32_t rowsPerBlock,
                 bool lastBand, Worker& worker) {
    const std::size_t rowSize = static_cast<std::size_t>(width) * 4 + 1;
    const std::size_t rows = static_cast<std::size_t>(band.endRow - band.firstRow);
    const std::size_t blocks = (rows + static_cast<std::size_t>(rowsPerBlock) - 1) /
                               static_cast<std::size_t>(rowsPerBlock);
    // At most 15 bits for a literal and 35 for a match of three bytes or more, a header for each
    // block and the empty block that ends the band.
    const std::size_t room = worker.used + rows * rowSize * 2 + blocks * blockHeaderBytes + 16;
    if (room > worker.output.capacity()) {
        worker.output.reserve(std::max(room, worker.output.capacity() * 2));
    }
    worker.output.resize(room);
    worker.filtered.resize(static_cast<std::size_t>(rowsPerBlock) * rowSize);
    band.offset = worker.used;
    for (std::vector<Argb>& row : worker.rows) {
        row.resize(static_cast<std::size_t>(width));
    }
    const Argb* above =
        band.firstRow > 0 ? source(band.firstRow - 1, worker.rows[0].data()) : nullptr;
    BitWriter bits(worker.output.data() + worker.used);
    for (std::int32_t y0 = band.firstRow; y0 < band.endRow; y0 += rowsPerBlock) {
        const std::int32_t y1 = std::min(band.endRow, y0 + rowsPerBlock);
        for (std::int32_t y = y0; y < y1; ++y) {
            Argb* free =
                above == worker.rows[0].data() ? worker.rows[1].data() : worker.rows[0].data();
            const Argb* row = source(y, free);
            filterRow(row, above, static_cast<std::size_t>(width),
                      worker.filtered.data() + static_cast<std::size_t>(y - y0) * rowSize);
            above = row;
        }
        const std::size_t size = static_cast<std::size_t>(y1 - y0) * rowSize;
        band.adler = zlibAdler32(band.adler, worker.filtered.data(), size);
        band.filteredBytes += size;
        tokenize(worker.filtered.data(), size, worker.tokens);
        writeBlock(bits, worker.tokens, lastBand && y1 == band.endRow);
    }
    if (!lastBand) {
        bits.put(0, 3); // not the last block; stored, empty
        bits.alignToByte();
        bits.put(0xFFFF0000u, 32);
    }
    bits.alignToByte();
    worker.used = static_cast<std::size_t>(bits.end() - worker.output.data());
    worker.output.resize(worker.used); // what grows it next copies only this
    band.length = worker.used - band.offset;
}

void bigEndian(unsigned char* out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) {
        out[k] = static_cast<unsigned char>((v >> (24 - 8 * k)) & 0xFF);
    }
}

class ChunkWriter {
  public:
    explicit ChunkWriter(ByteBuffer& out) : out_(out) {}

    void begin(const char* type, std::size_t length) {
        put32(static_cast<std::uint32_t>(length));
        start_ = used_;
        append(type, 4);
    }
    void append(const void* data, std::size_t length) {
        std::memcpy(out_.data() + used_, data, length);
        used_ += length;
    }
    void put32(std::uint32_t v) {
        bigEndian(out_.data() + used_, v);
        used_ += 4;
    }
    // The CRC of the chunk's type and data.
    void end() { put32(pngCrc32(0, out_.data() + start_, used_ - start_)); }
    std::size_t used() const { return used_; }

  private:
    ByteBuffer& out_;
    std::size_t used_ = 0;
    std::size_t start_ = 0;
};

} // namespace

std::uint32_t pngCrc32(std::uint32_t crc, const unsigned char* data, std::size_t length) {
    const auto& t = crcTables();
    std::uint32_t c = ~crc;
    while (length >= 8) {
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        std::memcpy(&low, data, 4);
        std::memcpy(&high, data + 4, 4);
        low ^= c;
        c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
            t[4][low >> 24] ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^
            t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
        data += 8;
        length -= 8;
    }
    while (length-- > 0) {
        c = t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
    }
    return ~c;
}

std::uint32_t zlibAdler32(std::uint32_t adler, const unsigned char* data, std::size_t length) {
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    while (length > 0) {
        // 5552 bytes are the most that cannot overflow b before the modulo.
        std::size_t n = std::min<std::size_t>(length, 5552);
        length -= n;
#if defined(__SSE2__)
        // Sixteen bytes at a time: their sum, their sum weighted 16 down to 1, and the sum of the
        // sums before each group (each counts sixteen times into b).
        const std::size_t groups = n / 16;
        if (groups > 0) {
            const __m128i zero = _mm_setzero_si128();
            const __m128i firstWeights = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
            const __m128i lastWeights = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
            __m128i sums = zero;
            __m128i sumsBefore = zero;
            __m128i weighted = zero;
            for (std::size_t g = 0; g < groups; ++g, data += 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
                sumsBefore = _mm_add_epi32(sumsBefore, sums);
                sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
                weighted = _mm_add_epi32(
                    weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), firstWeights));
                weighted = _mm_add_epi32(
                    weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), lastWeights));
            }
            const auto total = [](__m128i v) {
                alignas(16) std::uint32_t lanes[4];
                _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
                return std::uint64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
            };
            const std::uint64_t wideB =
                b + std::uint64_t{a} * 16 * groups + 16 * total(sumsBefore) + total(weighted);
            a = static_cast<std::uint32_t>((a + total(sums)) % adlerBase);
            b = static_cast<std::uint32_t>(wideB % adlerBase);
            n -= groups * 16;
        }
#endif
        for (; n > 0; --n) {
            a += *data++;
            b += a;
        }
        a %= adlerBase;
        b %= adlerBase;
    }
    return (b << 16) | a;
}

std::uint32_t combineAdler32(std::uint32_t first, std::uint32_t second,
                             std::uint64_t secondLength) {
    const std::uint64_t a1 = first & 0xFFFF;
    const std::uint64_t b1 = first >> 16;
    const std::uint64_t a2 = second & 0xFFFF;
    const std::uint64_t b2 = second >> 16;
    const std::uint64_t a = (a1 + a2 + adlerBase - 1) % adlerBase;
    const std::uint64_t b =
        (b1 + b2 + (secondLength % adlerBase) * ((a1 + adlerBase - 1) % adlerBase)) % adlerBase;
    return static_cast<std::uint32_t>((b << 16) | a);
}

void huffmanLengths(const std::uint32_t* frequencies, int count, int limit, std::uint8_t* lengths) {
    std::fill(lengths, lengths + count, std::uint8_t{0});
    struct Leaf {
        std::uint64_t weight;
        int symbol;
    };
    std::vector<Leaf> leaves;
    for (int s = 0; s < count; ++s) {
        if (frequencies[s] != 0) {
            leaves.push_back({frequencies[s], s});
        }
    }
    // A lone symbol, or none, still gets a complete code of two.
    for (int s = 0; leaves.size() < 2 && s < count; ++s) {
        if (frequencies[s] == 0) {
            leaves.push_back({1, s});
        }
    }
    if (leaves.size() < 2) {
        return;
    }
    std::stable_sort(leaves.begin(), leaves.end(),
                     [](const Leaf& a, const Leaf& b) { return a.weight < b.weight; });
    // The Huffman tree by two queues: the sorted leaves, and the inner nodes in the order made
    // (which is also by weight).
    const std::size_t n = leaves.size();
    std::vector<std::uint64_t> weight(2 * n - 1);
    std::vector<std::size_t> parent(2 * n - 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        weight[i] = leaves[i].weight;
    }
    std::size_t nextLeaf = 0;
    std::size_t nextInner = n;
    for (std::size_t made = n; made < 2 * n - 1; ++made) {
        std::size_t pick[2];
        for (std::size_t& p : pick) {
            if (nextLeaf < n && (nextInner >= made || weight[nextLeaf] <= weight[nextInner])) {
                p = nextLeaf++;
            } else {
                p = nextInner++;
            }
        }
        weight[made] = weight[pick[0]] + weight[pick[1]];
        parent[pick[0]] = made;
        parent[pick[1]] = made;
    }
    std::vector<int> depth(2 * n - 1, 0);
    std::array<std::uint32_t, 64> perLength{};
    for (std::size_t i = 2 * n - 1; i-- > 0;) {
        depth[i] = i == 2 * n - 2 ? 0 : depth[parent[i]] + 1;
        if (i < n) {
            ++perLength[static_cast<std::size_t>(std::min(depth[i], limit))];
        }
    }
    // Deeper leaves were cut to the limit, which over-fills the code; take one leaf from the
    // limit and split a shorter one in two until the code is exactly complete.
    const auto slots = [&] {
        std::uint64_t total = 0;
        for (int len = 1; len <= limit; ++len) {
            total += std::uint64_t{perLength[static_cast<std::size_t>(len)]} << (limit - len);
        }
        return total;
    };
    for (std::uint64_t total = slots(); total > (std::uint64_t{1} << limit); --total) {
        --perLength[static_cast<std::size_t>(limit)];
        for (int len = limit - 1; len > 0; --len) {
            if (perLength[static_cast<std::size_t>(len)] != 0) {
                --perLength[static_cast<std::size_t>(len)];
                perLength[static_cast<std::size_t>(len) + 1] += 2;
                break;
            }
        }
    }
    // The rarest leaves take the longest codes.
    std::size_t leaf = 0;
    for (int len = limit; len > 0; --len) {
        for (std::uint32_t k = 0; k < perLength[static_cast<std::size_t>(len)]; ++k) {
            lengths[leaves[leaf++].symbol] = static_cast<std::uint8_t>(len);
        }
    }
}

bool encodeMapPng(const MapImage& image, std::string& bytes, std::string& error) {
    PngBytes file;
    if (!encodeMapPng(image, file, error)) {
        return false;
    }
    bytes.assign(reinterpret_cast<const char*>(file.data()), file.size());
    return true;
}

bool encodeMapPng(const MapImage& image, PngBytes& bytes, std::string& error, unsigned threads) {
    if (image.pixels.size() != static_cast<std::size_t>(std::max(image.width, 0)) *
                                   static_cast<std::size_t>(std::max(image.height, 0))) {
        bytes.clear();
        error = "the picture's pixels do not fill its size";
        return false;
    }
    const std::size_t width = static_cast<std::size_t>(std::max(image.width, 0));
    return encodeMapPng(
        image.width, image.height,
        [&](std::int32_t y, Argb*) {
            return image.pixels.data() + static_cast<std::size_t>(y) * width;
        },
        bytes, error, threads);
}

bool encodeMapPng(std::int32_t width, std::int32_t height, const PngRows& source, PngBytes& bytes,
                  std::string& error, unsigned threads) {
    bytes.clear();
    if (width <= 0 || height <= 0) {
        error = "a picture without pixels cannot be written as PNG";
        return false;
    }
    const std::size_t rowSize = static_cast<std::size_t>(width) * 4 + 1;
    const auto rowsPerBlock =
        static_cast<std::int32_t>(std::clamp<std::size_t>(blockTarget / rowSize, 1, 1 << 20));
    const auto blocksPerBand = static_cast<std::int32_t>(std::clamp<std::size_t>(
        bandTarget / (rowSize * static_cast<std::size_t>(rowsPerBlock)), 1, 1 << 20));
    const std::int32_t rowsPerBand = rowsPerBlock * blocksPerBand;
    std::vector<Band> bands;
    for (std::int32_t first = 0; first < height; first += rowsPerBand) {
        Band band;
        band.firstRow = first;
        band.endRow = first + std::min(rowsPerBand, height - first);
        bands.push_back(band);
    }
    unsigned count = threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
    count = std::min<unsigned>(count, static_cast<unsigned>(bands.size()));
    std::vector<Worker> workers(count);
    std::atomic<std::size_t> next{0};
    const auto work = [&](std::size_t w) {
        Worker& worker = workers[w];
        for (std::size_t b = next++; b < bands.size(); b = next++) {
            bands[b].worker = w;
            deflateBand(width, source, bands[b], rowsPerBlock, b + 1 == bands.size(), worker);
        }
    };
    try {
        std::vector<std::jthread> threadsRunning;
        for (unsigned t = 1; t < count; ++t) {
            threadsRunning.emplace_back(work, t);
        }
        work(0);
    } catch (const std::exception&) {
        error = "not enough memory to compress the picture";
        return false;
    }

    std::size_t deflated = 0;
    std::uint32_t adler = 1;
    for (const Band& band : bands) {
        deflated += band.length;
        adler = combineAdler32(adler, band.adler, band.filteredBytes);
    }
    const std::size_t idat = 2 + deflated + 4;
    bytes.resize(8 + (12 + 13) + (12 + idat) + 12);
    ChunkWriter out(bytes);
    out.append("\x89PNG\r\n\x1a\n", 8);
    out.begin("IHDR", 13);
    out.put32(static_cast<std::uint32_t>(width));
    out.put32(static_cast<std::uint32_t>(height));
    out.append("\x08\x06\x00\x00\x00", 5); // 8-bit RGBA, deflate, no interlace
    out.end();
    out.begin("IDAT", idat);
    out.append("\x78\x01", 2); // deflate with a 32 KiB window, fastest level
    for (const Band& band : bands) {
        out.append(workers[band.worker].output.data() + band.offset, band.length);
    }
    out.put32(adler);
    out.end();
    out.begin("IEND", 0);
    out.end();
    return true;
}

bool encodeTerrainPng(const TerrainMatrix& matrix, const TileClassifier& classes, MapMode mode,
                      const MapWindow& window, const std::vector<MapMarker>& markers,
                      PngBytes& bytes, std::string& error) {
    const TerrainPainter painter(matrix, classes, mode, window);
    const SectionGridRows grid(window);
    const MarkerRows markerRows(transformOf(window), window.width, window.height, markers);
    return encodeMapPng(
        window.width, window.height,
        [&](std::int32_t y, Argb* room) {
            painter.drawRow(y, room);
            grid.draw(y, room);
            markerRows.draw(y, room);
            return static_cast<const Argb*>(room);
        },
        bytes, error);
}

} // namespace vantor
