# Every target of the project compiles with the same strict warnings, treated as errors.
function(polyvane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
        -Woverloaded-virtual -Wimplicit-fallthrough -Werror)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # g++ 12 reports false overlaps inside std::string at -O3 (its bug 105329).
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
