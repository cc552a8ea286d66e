# libzuc.so.1 against its ABI baseline: abidiff fails on any change that a
# caller built against the baseline could notice; added functions pass.
# Usage: cmake -DABIDIFF=... -DREADELF=... -DBASELINE=... -DLIB=... -P <this>
include(${CMAKE_CURRENT_LIST_DIR}/../check_script.cmake)
require_vars(ABIDIFF READELF BASELINE LIB)
# Without DWARF abidiff compares only the exported names, and says nothing
# of it even with --fail-no-debug-info.
run_tool(sections ${READELF} -S ${LIB})
if(NOT sections MATCHES "\\.debug_info")
    message(FATAL_ERROR "${LIB} has no debug information: its types cannot be compared")
endif()
run_tool(report ${ABIDIFF} --fail-no-debug-info --no-added-syms ${BASELINE} ${LIB})
message(STATUS "${LIB}: ABI as in ${BASELINE}")
