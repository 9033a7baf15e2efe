# One interface target carries the project's warning set; every target of ours links it.
option(VANTOR_WERROR "Treat warnings as errors" OFF)

add_library(vantor_warnings INTERFACE)
if(MSVC)
    target_compile_options(vantor_warnings INTERFACE /W4 /permissive-)
    if(VANTOR_WERROR)
        target_compile_options(vantor_warnings INTERFACE /WX)
    endif()
else()
    target_compile_options(vantor_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
        -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
        -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
    if(VANTOR_WERROR)
        target_compile_options(vantor_warnings INTERFACE -Werror)
    endif()
endif()
