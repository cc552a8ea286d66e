# Warning flags for the library, its tests and examples. CI builds with
# ZUC_WERROR=ON, so every warning stops the build there.
set(ZUC_WARNINGS
    -Wall -Wextra -Wpedantic
    -Wshadow -Wconversion -Wsign-conversion -Wcast-qual
    -Wformat=2 -Wundef -Wnull-dereference -Wdouble-promotion -Wmissing-declarations)
# Clang (used for the fuzzers) knows only the plain form, which is always strict.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND ZUC_WARNINGS -Wcast-align=strict)
else()
    list(APPEND ZUC_WARNINGS -Wcast-align)
endif()
# For test code: gtest's macros do not survive the conversion warnings.
set(ZUC_TEST_WARNINGS -Wall -Wextra -Wpedantic -Wshadow)
if(ZUC_WERROR)
    list(APPEND ZUC_WARNINGS -Werror)
    list(APPEND ZUC_TEST_WARNINGS -Werror)
endif()
