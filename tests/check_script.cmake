# Helpers of the check scripts (cmake -P, inputs with -D). A check reports a failure with
# message(SEND_ERROR): the script fails after every check ran.
cmake_minimum_required(VERSION 3.25)

# run_tool(<out> <command>...): the command's standard output; a failure stops.
function(run_tool out)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${rc}):\n${text}${err}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# expect_same(<what> <list> <list>): fails unless the lists named hold the same items.
function(expect_same what _got _expected)
    set(_extra ${${_got}})
    set(_missing ${${_expected}})
    list(REMOVE_ITEM _extra ${${_expected}})
    list(REMOVE_ITEM _missing ${${_got}})
    if(_extra OR _missing)
        message(SEND_ERROR "${what}: unexpected ${_extra}; missing ${_missing}")
    endif()
endfunction()
