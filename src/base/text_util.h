#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Letter case is compared the way the simulation's file system and its tools compare names:
// ASCII letters only, every other byte as it is.
char toLowerAscii(char c);
std::string toLowerAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);

// A leading decimal integer after optional blanks and sign, as the suite's tools read numbers
// from text. Empty when the text does not begin with a number. Values beyond 32 bits saturate.
std::optional<std::int32_t> parseLeadingInt(std::string_view text);

// A leading decimal real (digits, point, exponent) after optional blanks and sign.
std::optional<float> parseLeadingFloat(std::string_view text);

// The whole text as a plain decimal number ("-1.25", "0.019", "7"): digits with at most one
// point, an optional sign, nothing else; none otherwise.
std::optional<double> parseDecimal(std::string_view text);

std::string trimBlanks(std::string_view text);

// The tab-separated fields of a line of the program's own files (journals, indexes).
std::vector<std::string_view> tabFields(std::string_view line);
// A text as one field of such a line: its tabs and line ends become blanks.
std::string asOneField(std::string_view text);

// A message of the program's own followed by the reason the system (or a check) gave, in
// brackets: "Data File Open Failed. (it is a folder)". The text itself stays as it is.
std::string withReason(std::string_view text, std::string_view reason);

// The message text with its first "%d" replaced by the number.
std::string formatWithInt(std::string_view format, std::int64_t value);

// "1 tile", "3 tiles": the count with the word it takes.
std::string countText(std::size_t count, std::string_view one, std::string_view many);

// Calls f with each line of a script text, its line end ("\n", "\r\n" or a lone "\r") removed.
template <class F> void forEachTextLine(std::string_view text, F&& f) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') {
            ++pos;
        }
        if (!f(line)) {
            return; // f returns false to stop
        }
    }
}

} // namespace vantor
