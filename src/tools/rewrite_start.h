#pragma once

#include "base/safe_writer.h"
#include "base/text_reader.h"
#include "objectives/export_format.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace vantor {

// The header of a tool's rewrite, recorded in its result (headerRead, writeFailed); true when the
// object lines follow.
template <class Result>
bool startRewrite(TextReader& source, SafeWriter& out, std::time_t now, Result& result) {
    const HeaderCopy header = copyExportHeader(source, out, now);
    result.writeFailed = header == HeaderCopy::WriteFailed;
    result.headerRead = header == HeaderCopy::Copied;
    return result.headerRead;
}

// Every line after the header, changed in place by `change` and written; a failed write ends
// the rewrite and is recorded in the result.
template <class Result, class Change>
void rewriteEachLine(TextReader& source, SafeWriter& out, Result& result, Change change) {
    std::string line;
    while (readLine(source, line)) {
        change(line);
        if (!safeWrite(out, line)) {
            result.writeFailed = true;
            return;
        }
    }
}

} // namespace vantor
