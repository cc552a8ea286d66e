# Compiles cpp_misuse.cpp once per misuse case and checks that the compiler
# refuses each with the diagnostic that names it, and that the file without a
# case compiles (so a broken command line cannot pass for a refusal).
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
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
