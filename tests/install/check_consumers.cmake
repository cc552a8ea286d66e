# libzuc as a new user gets it, and consumers built and run against it (in
# cross builds through the toolchain file, as the README says, and under the
# emulator): the library alone, configured, built and installed by the
# README's recipe, with an empty folder for the GoogleTest sources (so a
# configure that wanted the tests would fail); find_package/ with both imported
# targets, against that install through CMAKE_PREFIX_PATH and against the
# package build tree through libzuc_DIR; the README's pkg-config command.
# Usage: cmake -DPROJECT_DIR=... -DBUILD_DIR=... -DWORK_DIR=... [-DTOOLCHAIN=...]
#        -DCC=... -DREADELF=... -DPKG_CONFIG=... [-DEMULATOR=cmd|arg|...] -P <this>
include(${CMAKE_CURRENT_LIST_DIR}/../check_script.cmake)
require_vars(PROJECT_DIR BUILD_DIR WORK_DIR CC READELF PKG_CONFIG)
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
if(TOOLCHAIN)
    set(TOOLCHAIN --toolchain ${TOOLCHAIN})
endif()
set(stage ${WORK_DIR}/stage)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/no_googletest)
run_tool(out ${CMAKE_COMMAND} -S ${PROJECT_DIR} -B ${WORK_DIR}/library ${TOOLCHAIN}
             --no-warn-unused-cli -DZUC_GTEST_SOURCE_DIR=${WORK_DIR}/no_googletest)
run_tool(out ${CMAKE_COMMAND} --build ${WORK_DIR}/library --parallel)
run_tool(out ${CMAKE_COMMAND} --install ${WORK_DIR}/library --prefix ${stage})

# run(<program> <links libzuc.so.1>): runs a consumer, with the environment
# ${env}; each imported target links what its name says.
function(run program shared)
    run_tool(dynamic ${READELF} -d ${program})
    string(REGEX MATCH "\\(NEEDED\\)[^\n]*libzuc[^\n]*" needs "${dynamic}")
    if(shared AND NOT needs MATCHES "\\[libzuc\\.so\\.1\\]" OR NOT shared AND needs)
        message(FATAL_ERROR "${program} needs '${needs}', which its target does not say")
    endif()
    run_tool(out ${CMAKE_COMMAND} -E env ${env} ${EMULATOR} ${program})
    message(STATUS "${program}: ${out}")
endfunction()
foreach(package CMAKE_PREFIX_PATH=${stage} libzuc_DIR=${BUILD_DIR})
    string(REGEX REPLACE "=.*" "" dir ${WORK_DIR}/${package})
    run_tool(out ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/find_package -B ${dir}
                 ${TOOLCHAIN} -D${package})
    run_tool(out ${CMAKE_COMMAND} --build ${dir})
    run(${dir}/consumer_zuc ON)
    run(${dir}/consumer_zuc_static OFF)
endforeach()
# Outside /usr the libraries go to lib/, the README says.
set(compile "${CC} -std=c99 -Wall -Wextra -Wpedantic -Werror -o ${WORK_DIR}/consumer"
            "${CMAKE_CURRENT_LIST_DIR}/consumer.c $(${PKG_CONFIG} --cflags --libs libzuc)")
list(JOIN compile " " compile)
run_tool(out ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${stage}/lib/pkgconfig sh -c "${compile}")
set(env LD_LIBRARY_PATH=${stage}/lib)
run(${WORK_DIR}/consumer ON)
