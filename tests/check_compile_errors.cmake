# Compiles cpp_misuse.cpp once per misuse (-DMISUSE=CASE<n>), which the compiler must stop with
# one error whose line names the misuse (so neither a broken command line nor a cascade passes for
# a refusal), and last as C++17, which <libzuc/zuc.hpp> must stop with one error naming C++20.
# Usage: cmake -DCXX=... -DSOURCE=... -DINCLUDE=... -P check_compile_errors.cmake
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)

# The error expected for CASE1, CASE2, ...; the last case is compiled as C++17.
set(expected searchmap_65535_is_the_sentinel searchmap_null_name_is_the_sentinel
    "deleted function[^\n]*insert" "without padding" "no matching function[^\n]*insert_sorted"
    "must be three-way" "no matching function[^\n]*sort" "needs C\\+\\+20")
list(LENGTH expected last)
foreach(case RANGE 1 ${last})
    list(POP_FRONT expected regex)
    math(EXPR std "20 - 3 * (${case} / ${last})") # 20, and 17 for the last
    execute_process(COMMAND ${CXX} -std=c++${std} -fno-exceptions -fno-rtti -fsyntax-only
                            -I${INCLUDE} -DMISUSE=CASE${case} ${SOURCE} ERROR_VARIABLE err)
    if(err MATCHES "error:.*error:" OR NOT err MATCHES "error:[^\n]*${regex}")
        message(SEND_ERROR "C++${std}, case ${case}: not the one error '${regex}':\n${err}")
    endif()
endforeach()
