# Files built into a program as they are: the pages' HTML, CSS and JavaScript.
#   vantor_embed(TARGET FILE...)
# Each FILE (relative to the current source folder) becomes the header FILE.h under the current
# binary folder's embedded/, which TARGET finds as "FILE.h". The header holds the file's bytes,
# exactly, as a std::string_view in namespace vantor::embedded named after the file in camel
# case: page/audit_body_top.html gives auditBodyTopHtml. A changed file is embedded anew.

set(VANTOR_EMBED_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/EmbedFile.cmake")

function(vantor_embed target)
    set(root "${CMAKE_CURRENT_BINARY_DIR}/embedded")
    foreach(file IN LISTS ARGN)
        get_filename_component(name "${file}" NAME)
        string(REGEX MATCHALL "[A-Za-z0-9]+" words "${name}")
        set(identifier "")
        foreach(word IN LISTS words)
            if(identifier STREQUAL "")
                set(identifier "${word}")
            else()
                string(SUBSTRING "${word}" 0 1 initial)
                string(SUBSTRING "${word}" 1 -1 rest)
                string(TOUPPER "${initial}" initial)
                string(APPEND identifier "${initial}${rest}")
            endif()
        endforeach()
        set(header "${root}/${file}.h")
        add_custom_command(
            OUTPUT "${header}"
            COMMAND ${CMAKE_COMMAND} "-DIN=${CMAKE_CURRENT_SOURCE_DIR}/${file}" "-DOUT=${header}"
                    -DNAME=${identifier} "-DSHOWN=${file}" -P "${VANTOR_EMBED_SCRIPT}"
            DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${file}" "${VANTOR_EMBED_SCRIPT}"
            COMMENT "Embedding ${file}"
            VERBATIM)
        target_sources(${target} PRIVATE "${header}")
    endforeach()
    target_include_directories(${target} PRIVATE "${root}")
endfunction()
