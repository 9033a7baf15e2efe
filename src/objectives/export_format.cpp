#include "objectives/export_format.h"

#include "base/safe_writer.h"
#include "base/text_file.h"
#include "base/text_reader.h"
#include "base/text_util.h"

#include <algorithm>
#include <array>

namespace vantor {

std::optional<std::size_t> fieldAfterCommas(int k, std::string_view line) {
    std::size_t pos = 0;
    for (int i = 0; i < k; ++i) {
        const std::size_t comma = line.find(',', pos);
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        pos = comma + 1;
    }
    return pos;
}

std::string_view fieldText(int k, std::string_view line) {
    const std::optional<std::size_t> start = fieldAfterCommas(k, line);
    if (!start) {
        return {};
    }
    const std::size_t end = line.find(',', *start);
    return line.substr(*start,
                       end == std::string_view::npos ? std::string_view::npos : end - *start);
}

std::int32_t readIntField(int k, std::string_view line) {
    if (!fieldAfterCommas(k, line)) {
        return 0;
    }
    return parseLeadingInt(fieldText(k, line)).value_or(0);
}

void forEachLinkTarget(std::string_view line,
                       const std::function<void(std::int32_t link, std::int32_t target)>& f) {
    const std::int32_t links = readIntField(LCountField, line);
    std::optional<std::size_t> at = fieldAfterCommas(firstLinkTargetField, line);
    for (std::int32_t i = 0; i < links && at; ++i) {
        const std::string_view field = line.substr(*at);
        f(i, parseLeadingInt(field.substr(0, field.find(','))).value_or(0));
        at = fieldAfterCommas(fieldsPerLink, field);
        if (at) {
            *at += line.size() - field.size();
        }
    }
}

bool replaceIntField(int k, std::string& line, std::int64_t value) {
    const std::optional<std::size_t> start = fieldAfterCommas(k, line);
    if (!start) {
        return false;
    }
    const std::size_t end = line.find(',', *start);
    if (end == std::string::npos) {
        line.replace(*start, std::string::npos, std::to_string(value) + "\r\n");
    } else {
        line.replace(*start, end - *start, std::to_string(value));
    }
    return true;
}

std::string titleTime(std::time_t when) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    static constexpr std::array<const char*, 7> days{"Sun", "Mon", "Tue", "Wed",
                                                     "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[32];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d",
                  days[static_cast<std::size_t>(local.tm_wday % 7)],
                  months[static_cast<std::size_t>(local.tm_mon % 12)], local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, local.tm_year + 1900);
    return text;
}

std::optional<std::time_t> parseTitleTime(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (line.size() < 24) {
        return std::nullopt;
    }
    const std::string_view t = line.substr(line.size() - 24);
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto number = [&](std::size_t at, std::size_t n) -> int {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (t[i] < '0' || t[i] > '9') {
                return -1;
            }
            v = v * 10 + (t[i] - '0');
        }
        return v;
    };
    // "Www Mmm dd hh:mm:ss yyyy"
    if (t[3] != ' ' || t[7] != ' ' || t[10] != ' ' || t[13] != ':' || t[16] != ':' ||
        t[19] != ' ') {
        return std::nullopt;
    }
    int month = -1;
    for (std::size_t m = 0; m < months.size(); ++m) {
        if (t.substr(4, 3) == months[m]) {
            month = static_cast<int>(m);
        }
    }
    const int day = number(8, 2);
    const int hour = number(11, 2);
    const int minute = number(14, 2);
    const int second = number(17, 2);
    const int year = number(20, 4);
    if (month < 0 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 60 || year < 1900) {
        return std::nullopt;
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    if (when == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return when;
}

std::optional<std::string> exportShapeProblem(std::size_t lineCount, std::string_view firstLine) {
    if (lineCount == 0) {
        return "the file is empty";
    }
    if (!firstLine.starts_with('1')) {
        return "it is no objective export: its first line does not begin with \"1\"";
    }
    if (lineCount == 1) {
        return "it holds a title line and no objects";
    }
    if (lineCount == 2) {
        return "it holds its two header lines and no objects";
    }
    return std::nullopt;
}

std::string exportText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool title = true;
    forEachTextLine(text, [&](std::string_view line) {
        if (title) {
            // "1.0 Objective Export  Mon Dec 07 12:19:30 2026": the date goes.
            const std::size_t export_ = line.find("Export");
            out.append(export_ == std::string_view::npos
                           ? trimBlanks(line)
                           : std::string(line.substr(0, export_ + 6)));
            out += '\n';
            title = false;
            return true;
        }
        std::size_t at = 0;
        bool first = true;
        while (at <= line.size()) {
            const std::size_t comma = std::min(line.find(',', at), line.size());
            if (!first) {
                out += ", ";
            }
            out += trimBlanks(line.substr(at, comma - at));
            first = false;
            at = comma + 1;
        }
        out += '\n';
        return true;
    });
    return out;
}

std::string exportTitleLine(std::time_t when) {
    return std::string(exportTitle) + "  " + titleTime(when) + platformLineEnd;
}

HeaderCopy copyExportHeader(TextReader& source, SafeWriter& out, std::time_t now) {
    std::string line;
    if (!readLine(source, line)) {
        return HeaderCopy::SourceEnded;
    }
    if (!safeWrite(out, exportTitleLine(now))) {
        return HeaderCopy::WriteFailed;
    }
    if (!readLine(source, line)) {
        return HeaderCopy::SourceEnded;
    }
    return safeWrite(out, line) ? HeaderCopy::Copied : HeaderCopy::WriteFailed;
}

} // namespace vantor
