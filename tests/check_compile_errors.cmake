# Compiles cpp_misuse.cpp once per misuse case, which the compiler must stop
# with the one error that names the case (so neither a broken command line nor
# a cascade passes for a refusal), and last as C++17, which <libzuc/zuc.hpp>
# must stop with the one error that names C++20.
# Usage: cmake -DCXX=... -DSOURCE=... -DINCLUDE=... -P check_compile_errors.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)

# The error expected for CASE 1, 2, ...; the last case is compiled as C++17.
set(expected "searchmap_65535_is_the_sentinel" "searchmap_null_name_is_the_sentinel"
    "use of deleted function[^\n]*insert" "needs a key type without padding"
    "no matching function for call to[^\n]*insert_sorted" "the comparison must be three-way"
    "no matching function for call to[^\n]*sort" "needs C\\+\\+20")
list(LENGTH expected last)
foreach(case RANGE 1 ${last})
    list(POP_FRONT expected regex)
    math(EXPR std "20 - 3 * (${case} / ${last})") # 20, and 17 for the last
    execute_process(COMMAND ${CXX} -std=c++${std} -fno-exceptions -fno-rtti -fsyntax-only
                            -I${INCLUDE} -DCASE=${case} ${SOURCE} ERROR_VARIABLE err)
    string(REGEX MATCHALL "error:" errors "${err}")
    list(LENGTH errors count)
    if(NOT count EQUAL 1 OR NOT err MATCHES "${regex}")
        string(APPEND failures "C++${std}, case ${case}: not the one error '${regex}':\n${err}\n")
    endif()
endforeach()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
