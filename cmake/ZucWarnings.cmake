# Warning flags for the library, its tests and examples. CI builds with
# ZUC_WERROR=ON, so every warning stops the build there.
set(ZUC_WARNINGS
    -Wall -Wextra -Wpedantic
    -Wshadow -Wconversion -Wsign-conversion -Wcast-qual
    -Wformat=2 -Wundef -Wnull-dereference -Wdouble-promotion -Wmissing-declarations)
# GCC warns about casts that raise alignment on every target only when asked
# for "strict"; clang (the static-analysis build) has no such option and warns
# on every target anyway.
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
