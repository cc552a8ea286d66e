# Compiles cpp_misuse.cpp once per misuse case and checks that the compiler
# refuses each with the diagnostic that names it, and that the file without a
# case compiles (so a broken command line cannot pass for a refusal); and that
# <libzuc/zuc.hpp> under C++17 gives exactly one error, which names C++20.
# Usage: cmake -DCXX=... -DSOURCE=... -DINCLUDE=... -P check_compile_errors.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)
require_vars(CXX SOURCE INCLUDE)

# The diagnostic expected for CASE 1, 2, ...
set(expected
    "searchmap_65535_is_the_sentinel"
    "searchmap_null_name_is_the_sentinel"
    "use of deleted function[^\n]*insert"
    "needs a key type without padding"
    "no matching function for call to[^\n]*insert_sorted"
    "the comparison must be three-way"
    "no matching function for call to[^\n]*sort")
set(flags -std=c++20 -fno-exceptions -fno-rtti -fsyntax-only -I${INCLUDE})

set(failures "")
execute_process(COMMAND ${CXX} ${flags} ${SOURCE} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    string(APPEND failures "the correct uses do not compile:\n${err}\n")
endif()
set(case 0)
foreach(regex IN LISTS expected)
    math(EXPR case "${case} + 1")
    execute_process(COMMAND ${CXX} ${flags} -DCASE=${case} ${SOURCE}
                    RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(rc EQUAL 0)
        string(APPEND failures "case ${case} compiles\n")
    elseif(NOT err MATCHES "${regex}")
        string(APPEND failures "case ${case} is refused without '${regex}':\n${err}\n")
    endif()
endforeach()
# Before C++20 the layer stops with its one error, not a cascade.
set(cxx17_source ${CMAKE_CURRENT_BINARY_DIR}/zuc_hpp_cxx17.cpp)
file(WRITE ${cxx17_source} "#include <libzuc/zuc.hpp>\n")
execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only -I${INCLUDE} ${cxx17_source}
                RESULT_VARIABLE rc ERROR_VARIABLE err)
string(REGEX MATCHALL "error:" errors "${err}")
list(LENGTH errors count)
if(rc EQUAL 0 OR NOT count EQUAL 1 OR NOT err MATCHES "needs C\\+\\+20")
    string(APPEND failures "zuc.hpp under C++17 does not stop with one error naming C++20:\n${err}\n")
endif()

if(failures)
    message(FATAL_ERROR "${failures}")
endif()
