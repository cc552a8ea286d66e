# Helpers of the check scripts (cmake -P); their inputs come with -D.
cmake_minimum_required(VERSION 3.25)

# require_vars(<name>...): stops unless every variable is set.
function(require_vars)
    foreach(var IN LISTS ARGN)
        if(NOT DEFINED ${var})
            message(FATAL_ERROR "${var} is not set")
        endif()
    endforeach()
endfunction()

# run_tool(<out> <command>...): the command's standard output; any failure stops.
function(run_tool out)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${rc}):\n${text}${err}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# exported_names(<out> <version script>): its lines "name;", in order (libzuc.map
# has one per line under global:, and only "*;" under local:).
function(exported_names out file)
    file(STRINGS "${file}" names REGEX "^[ \t]*[A-Za-z_][A-Za-z0-9_]*;[ \t]*$")
    list(TRANSFORM names REPLACE "[ \t;]" "")
    if(NOT names)
        message(FATAL_ERROR "${file} exports no name")
    endif()
    set(${out} "${names}" PARENT_SCOPE)
endfunction()
