# run_tool(<out> <command> [args...]): runs a tool (binutils, cmake, ...) for a check
# script and returns its standard output; any failure stops the script.
function(run_tool out)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${rc}):\n${text}${err}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()
