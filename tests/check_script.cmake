# Helpers shared by the check scripts (cmake -P) of the tests.

# require_vars(<name>...): stops the script unless every variable is set
# (they come from -D on the command line).
function(require_vars)
    foreach(var IN LISTS ARGN)
        if(NOT DEFINED ${var})
            message(FATAL_ERROR "${var} is not set")
        endif()
    endforeach()
endfunction()

# run_tool(<out> <command> [args...]): runs a tool (binutils, cmake, ...) for a check
# script and returns its standard output; any failure stops the script.
function(run_tool out)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${rc}):\n${text}${err}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# regex_captures(<out> <regex> <text>): the first capture group of every match
# of regex in text, in order (string(REGEX MATCHALL) keeps whole matches only).
function(regex_captures out regex text)
    string(REGEX MATCHALL "${regex}" matches "${text}")
    set(captures "")
    foreach(match IN LISTS matches)
        string(REGEX REPLACE "${regex}" "\\1" capture "${match}")
        list(APPEND captures "${capture}")
    endforeach()
    set(${out} "${captures}" PARENT_SCOPE)
endfunction()

# version_script_names(<out> <file>): the names a linker version script
# exports, in order: its lines "name;" (libzuc.map lists one per line, under
# global:, and only "*;" under local:).
function(version_script_names out file)
    file(STRINGS "${file}" lines REGEX "^[ \t]*[A-Za-z_][A-Za-z0-9_]*;[ \t]*$")
    list(TRANSFORM lines REPLACE "[ \t;]" "")
    if(NOT lines)
        message(FATAL_ERROR "${file} exports no name")
    endif()
    set(${out} "${lines}" PARENT_SCOPE)
endfunction()
