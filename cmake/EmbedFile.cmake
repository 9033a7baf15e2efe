# Writes the bytes of the file IN as the header OUT, for vantor_embed (Embed.cmake):
#   cmake -DIN=FILE -DOUT=HEADER -DNAME=IDENTIFIER -DSHOWN=NAME_IN_COMMENT -P EmbedFile.cmake
# Every byte is a character constant of its own: no character of the file can end anything
# early, and no compiler's limit on the length of a string literal applies.

file(READ "${IN}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1', " bytes "${hex}")
# Carriage returns would differ between checkouts; the pages are written with LF line ends.
string(FIND "${bytes}" "'\\x0d'" at)
if(NOT at EQUAL -1)
    message(FATAL_ERROR "${IN} holds a carriage return: embedded files keep LF line ends")
endif()
# Sixteen bytes to a line.
string(REPEAT "'\\\\x..', " 16 line)
string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
string(REPLACE ", \n" ",\n" bytes "${bytes}")

file(WRITE "${OUT}" "// ${SHOWN}, embedded by cmake/EmbedFile.cmake: edit that file, not this one.
#pragma once

#include <string_view>

namespace vantor::embedded {

inline constexpr char ${NAME}Bytes[] = {
    ${bytes}'\\0'};
inline constexpr std::string_view ${NAME}{${NAME}Bytes, sizeof ${NAME}Bytes - 1};

} // namespace vantor::embedded
")
