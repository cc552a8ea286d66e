# Compares the built libzuc.so.1 with the checked-in ABI baseline of its
# architecture and fails on any change a caller built against the baseline
# could notice: a removed or changed function, a changed record layout, a
# changed exported set. Added functions are compatible and pass.
# Usage: cmake -DABIDIFF=... -DBASELINE=... -DLIB=... -P check_abi.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${BASELINE}")
    message(FATAL_ERROR "no ABI baseline ${BASELINE}: make it with the target abi_baseline")
endif()
# --fail-no-debug-info: without DWARF only the symbol names could be compared.
# The exported functions' signatures reach only types of the public headers,
# so the comparison needs no header filter (which would also hide changes, as
# the baseline carries no source locations).
execute_process(COMMAND ${ABIDIFF} --fail-no-debug-info --no-added-syms ${BASELINE} ${LIB}
                OUTPUT_VARIABLE report ERROR_VARIABLE errors RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    # abidiff's status bits: 1 error, 2 usage error, 4 ABI change, 8 incompatible change
    message(FATAL_ERROR "${LIB} differs from ${BASELINE} (abidiff status ${rc}):\n"
                        "${report}${errors}\n"
                        "If the change is intended (a new major version), refresh the baseline: "
                        "cmake --build <build dir> --target abi_baseline")
endif()
message(STATUS "${LIB}: ABI as in ${BASELINE}")
