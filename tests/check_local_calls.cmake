# Calls between the library's own exported functions (HashTab_store ->
# HashTab_lookup, list_free -> list_clear, ...) bind inside the library: no
# dynamic relocation names an exported function, so no PLT slot or GOT entry
# exists for one, and no instruction branches to "<name@plt>". A call through
# the PLT would cost an indirect jump and let another object's definition
# take the library's place.
# Usage: cmake -DLIB=... -DOBJDUMP=... -DVERSION_SCRIPT=... -P <this>
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)
require_vars(LIB OBJDUMP VERSION_SCRIPT)
exported_names(names "${VERSION_SCRIPT}")
list(JOIN names "|" names)
run_tool(relocations "${OBJDUMP}" -R "${LIB}")
run_tool(code "${OBJDUMP}" -d "${LIB}")
# The C library is called through the PLT; seeing that shows the check reads it.
if(NOT code MATCHES "<malloc@plt>" OR NOT relocations MATCHES " malloc@")
    message(FATAL_ERROR "${LIB}: no call of malloc through the PLT seen")
elseif(relocations MATCHES "[ \n](${names})[@+\n]")
    message(FATAL_ERROR "${LIB}: ${CMAKE_MATCH_1} has a dynamic relocation")
elseif(code MATCHES "<(${names})@plt")
    message(FATAL_ERROR "${LIB}: ${CMAKE_MATCH_1} is called through the PLT")
endif()
message(STATUS "${LIB}: no exported function is relocated or called through the PLT")
