# Builds libzuc as a new user does and builds and runs the consumer projects
# against it, as another team would:
#   - the library alone, configured, built and installed by the README's
#     recipe (cmake -B, cmake --build, cmake --install --prefix), with the
#     GoogleTest sources out of reach: an empty folder stands in for them, so
#     a configure that wanted the test suite would fail;
#   - find_package/ through find_package(libzuc), linking libzuc::zuc and
#     libzuc::zuc_static, found through CMAKE_PREFIX_PATH in that install and
#     through libzuc_DIR in the build tree of the package preset;
#   - pkg_config/ through pkg-config and make, against that install.
# Cross builds use the toolchain file for the library and the consumers alike,
# as the README says, and run the programs under the emulator.
# Usage: cmake -DPROJECT_DIR=... -DBUILD_DIR=... -DWORK_DIR=... -DSOURCE_DIR=...
#        [-DTOOLCHAIN=...] -DCC=... -DREADELF=... -DMAKE=... -DPKG_CONFIG=...
#        [-DEMULATOR=cmd|arg|...] -P check_consumers.cmake
cmake_minimum_required(VERSION 3.25)
include(${SOURCE_DIR}/../check_script.cmake)
require_vars(PROJECT_DIR BUILD_DIR WORK_DIR SOURCE_DIR CC READELF MAKE PKG_CONFIG)
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")

set(toolchain_option "")
if(TOOLCHAIN)
    set(toolchain_option --toolchain ${TOOLCHAIN})
endif()

# timed(<step> <command>...): runs a step of the recipe and appends its wall
# time to the variable times.
function(timed step)
    string(TIMESTAMP start "%s%f")
    run_tool(out ${ARGN})
    string(TIMESTAMP end "%s%f")
    math(EXPR ms "(${end} - ${start}) / 1000")
    math(EXPR tenths "${ms} % 1000 / 100")
    math(EXPR seconds "${ms} / 1000")
    set(times "${times} ${step} ${seconds}.${tenths} s," PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(library ${WORK_DIR}/library)
set(stage ${WORK_DIR}/stage)
set(no_googletest ${WORK_DIR}/no_googletest)
file(MAKE_DIRECTORY ${no_googletest})
set(times "")
timed(configure ${CMAKE_COMMAND} -S ${PROJECT_DIR} -B ${library} ${toolchain_option}
                --no-warn-unused-cli -DZUC_GTEST_SOURCE_DIR=${no_googletest})
timed(build ${CMAKE_COMMAND} --build ${library} --parallel)
timed(install ${CMAKE_COMMAND} --install ${library} --prefix ${stage})
message(STATUS "library alone, without GoogleTest:${times} installed in ${stage}")
# Outside /usr the libraries go to lib/, the README says.
set(stage_libdir ${stage}/lib)

# The find_package project, against the install and the package build tree.
foreach(tree install build_tree)
    if(tree STREQUAL "install")
        set(find_option -DCMAKE_PREFIX_PATH=${stage})
    else()
        set(find_option -Dlibzuc_DIR=${BUILD_DIR})
    endif()
    set(dir ${WORK_DIR}/find_package_${tree})
    run_tool(out ${CMAKE_COMMAND} -S ${SOURCE_DIR}/find_package -B ${dir} ${toolchain_option}
                 -DCMAKE_BUILD_TYPE=Release ${find_option})
    run_tool(out ${CMAKE_COMMAND} --build ${dir})
    run_tool(out ${CMAKE_CTEST_COMMAND} --test-dir ${dir} --output-on-failure)
    message(STATUS "find_package (${tree}, ${find_option}):\n${out}")

    # Each imported target is what its name says.
    run_tool(shared_needs ${READELF} -d ${dir}/consumer_zuc)
    run_tool(static_needs ${READELF} -d ${dir}/consumer_zuc_static)
    if(NOT shared_needs MATCHES "\\[libzuc\\.so\\.1\\]" OR static_needs MATCHES "libzuc")
        message(FATAL_ERROR "libzuc::zuc must link libzuc.so.1 and libzuc::zuc_static must not")
    endif()
endforeach()

# The pkg-config project, seeing only the installed libzuc.pc.
set(dir ${WORK_DIR}/pkg_config)
file(MAKE_DIRECTORY ${dir})
run_tool(out ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${stage_libdir}/pkgconfig
             ${MAKE} -C ${dir} -f ${SOURCE_DIR}/pkg_config/Makefile CC=${CC} PKG_CONFIG=${PKG_CONFIG})
message(STATUS "pkg-config build:\n${out}")
run_tool(out ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${stage_libdir} ${EMULATOR} ${dir}/consumer)
message(STATUS "pkg-config consumer: ${out}")
