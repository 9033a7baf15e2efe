#include "base/text_util.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace vantor {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    return i;
}

} // namespace

char toLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = toLowerAscii(c);
    }
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLowerAscii(a[i]) != toLowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::optional<std::int32_t> parseLeadingInt(std::string_view text) {
    std::size_t i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || !isDigit(text[i])) {
        return std::nullopt;
    }
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (value < limit) {
            value = value * 10 + (text[i] - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

std::optional<float> parseLeadingFloat(std::string_view text) {
    std::size_t i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Only plain decimal notation counts as a number here; from_chars would also take
    // "inf" and "nan", which no theater file means as a coordinate.
    const bool digitFirst = i < text.size() && isDigit(text[i]);
    const bool pointFirst = i + 1 < text.size() && text[i] == '.' && isDigit(text[i + 1]);
    if (!digitFirst && !pointFirst) {
        return std::nullopt;
    }
    float value = 0.0F;
    const char* begin = text.data() + i;
    const auto result =
        std::from_chars(begin, text.data() + text.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = std::numeric_limits<float>::max();
    } else if (result.ec != std::errc{}) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<double> parseDecimal(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const std::string_view digits = text.substr(i);
    if (digits.empty() || digits.find_first_not_of("0123456789.") != std::string_view::npos ||
        digits.find_first_of("0123456789") == std::string_view::npos ||
        std::count(digits.begin(), digits.end(), '.') > 1) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                        std::chars_format::fixed);
    if (result.ec != std::errc{} || result.ptr != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return text[0] == '-' ? -value : value;
}

std::string trimBlanks(std::string_view text) {
    std::size_t begin = skipBlanks(text);
    std::size_t end = text.size();
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string formatWithInt(std::string_view format, std::int64_t value) {
    std::string out(format);
    const std::size_t at = out.find("%d");
    if (at != std::string::npos) {
        out.replace(at, 2, std::to_string(value));
    }
    return out;
}

std::string withReason(std::string_view text, std::string_view reason) {
    std::string out(text);
    if (reason.empty()) {
        return out;
    }
    if (!out.empty() && out.back() != ' ') {
        out += ' ';
    }
    return out + "(" + std::string(reason) + ")";
}

std::vector<std::string_view> tabFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

std::string asOneField(std::string_view text) {
    std::string field(text);
    for (char& c : field) {
        c = c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
    }
    return field;
}

std::string countText(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

} // namespace vantor
