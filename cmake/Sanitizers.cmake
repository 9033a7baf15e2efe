# Opt-in AddressSanitizer and UndefinedBehaviorSanitizer for every target of the build.
option(VANTOR_SANITIZE "Build with AddressSanitizer and UBSan" OFF)

if(VANTOR_SANITIZE)
    if(MSVC)
        message(FATAL_ERROR "VANTOR_SANITIZE is for GCC and Clang builds")
    endif()
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
