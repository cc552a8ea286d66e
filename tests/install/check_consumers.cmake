# libzuc as a new user gets it, with a program of examples/ (which checks its own results) built and
# run against it, cross and under the emulator when the build is: the library alone installed by the
# README's recipe with an empty GoogleTest folder (a configure that wanted the tests would fail);
# the README's pkg-config line; find_package/, both targets, via CMAKE_PREFIX_PATH and libzuc_DIR
# (the build tree).
include(${CMAKE_CURRENT_LIST_DIR}/../check_script.cmake)
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
if(TOOLCHAIN)
    set(TOOLCHAIN --toolchain ${TOOLCHAIN})
endif()
set(stage ${WORK_DIR}/stage)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/no_googletest)
run_tool(out ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/../.. -B ${WORK_DIR}/library ${TOOLCHAIN}
             --no-warn-unused-cli -DZUC_GTEST_SOURCE_DIR=${WORK_DIR}/no_googletest)
run_tool(out ${CMAKE_COMMAND} --build ${WORK_DIR}/library --parallel)
run_tool(out ${CMAKE_COMMAND} --install ${WORK_DIR}/library --prefix ${stage})

# run(<program> <libzuc it needs, if any> [<environment>...])
function(run program needs)
    run_tool(headers ${OBJDUMP} -p ${program})
    string(REGEX MATCH "NEEDED +(libzuc[^\n]*)" found "${headers}")
    if(NOT "${CMAKE_MATCH_1}" STREQUAL needs)
        message(SEND_ERROR "${program} needs '${CMAKE_MATCH_1}', not '${needs}'")
    endif()
    run_tool(out ${CMAKE_COMMAND} -E env ${ARGN} ${EMULATOR} ${program})
    message(STATUS "${program}: ${out}")
endfunction()
# Outside /usr the libraries go to lib/, the README says.
run_tool(out ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${stage}/lib/pkgconfig sh -c "${CC} \
-std=c99 -Wall -Wextra -Wpedantic -Werror -o ${WORK_DIR}/consumer \
${CMAKE_CURRENT_LIST_DIR}/../../examples/zuqueue_handoff.c $(pkg-config --cflags --libs libzuc)")
run(${WORK_DIR}/consumer libzuc.so.1 LD_LIBRARY_PATH=${stage}/lib)
foreach(package CMAKE_PREFIX_PATH=${stage} libzuc_DIR=${BUILD_DIR})
    string(REGEX REPLACE "=.*" "" dir ${WORK_DIR}/${package})
    run_tool(out ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/find_package -B ${dir}
                 ${TOOLCHAIN} -D${package})
    run_tool(out ${CMAKE_COMMAND} --build ${dir})
    run(${dir}/consumer_zuc libzuc.so.1)
    run(${dir}/consumer_zuc_static "")
endforeach()
