# Warning flags for the library, its tests and examples. CI builds with
# ZUC_WERROR=ON, so every warning stops the build there.
set(ZUC_WARNINGS
    -Wall -Wextra -Wpedantic
    -Wshadow -Wconversion -Wsign-conversion -Wcast-qual -Wcast-align=strict
    -Wformat=2 -Wundef -Wnull-dereference -Wdouble-promotion -Wmissing-declarations)
# For test code: gtest's macros do not survive the conversion warnings.
set(ZUC_TEST_WARNINGS -Wall -Wextra -Wpedantic -Wshadow)
if(ZUC_WERROR)
    list(APPEND ZUC_WARNINGS -Werror)
    list(APPEND ZUC_TEST_WARNINGS -Werror)
endif()
