# Checks that the library's calls between its own exported functions
# (HashTab_store -> HashTab_lookup, zuqueue_free -> zuqueue_get, list_free ->
# list_clear, ...) bind inside the library and never go through the PLT:
#   - no dynamic relocation names an exported function, so there is no PLT
#     slot or GOT entry through which such a call could go;
#   - no instruction calls or jumps to "<function@plt>" for one.
# A call through the PLT would cost an indirect jump per call and would let
# a definition in another object take the library's place.
# The exported functions are those of the version script VERSION_SCRIPT.
# Usage: cmake -DLIB=... -DOBJDUMP=... -DVERSION_SCRIPT=... -P check_local_calls.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)
require_vars(LIB OBJDUMP VERSION_SCRIPT)

version_script_names(exported "${VERSION_SCRIPT}")

# Dynamic relocations: "<offset> <type> <symbol>[@version][+addend]".
run_tool(relocations "${OBJDUMP}" -R "${LIB}")
regex_captures(relocated "\n[0-9a-f]+ +[A-Z0-9_]+ +([^@+\n ]+)" "${relocations}")
list(REMOVE_DUPLICATES relocated)

# Branch targets through the PLT: "<name@plt>" or "<name@plt+0x4>".
run_tool(disassembly "${OBJDUMP}" -d "${LIB}")
regex_captures(through_plt "<([A-Za-z0-9_.]+)@plt" "${disassembly}")
list(REMOVE_DUPLICATES through_plt)

set(failures "")
foreach(name IN LISTS exported)
    if(name IN_LIST relocated)
        string(APPEND failures "  ${name} has a dynamic relocation\n")
    endif()
    if(name IN_LIST through_plt)
        string(APPEND failures "  ${name} is called through the PLT\n")
    endif()
endforeach()
if(failures)
    message(FATAL_ERROR "${LIB}:\n${failures}")
endif()
list(SORT through_plt)
message(STATUS "${LIB}: calls through the PLT go only to ${through_plt}")
