#pragma once

#include "app/binary_file.h"
#include "objectives/export_format.h"

#include <cstdio>
#include <ctime>

namespace vantor {

// The header of a tool's rewrite, recorded in its result (headerRead, writeFailed); true when the
// object lines follow.
template <class Result>
bool startRewrite(std::FILE* source, SafeWriter& out, std::time_t now, Result& result) {
    const HeaderCopy header = copyExportHeader(source, out, now);
    result.writeFailed = header == HeaderCopy::WriteFailed;
    result.headerRead = header == HeaderCopy::Copied;
    return result.headerRead;
}

} // namespace vantor
