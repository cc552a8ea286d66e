# Installs the built library into a staging prefix and builds and runs the
# consumer projects against it, as another team would:
#   find_package/  through find_package(libzuc), linking libzuc::zuc and
#                  libzuc::zuc_static; once against the staged install and
#                  once against the build tree (libzuc_DIR=<build dir>);
#   pkg_config/    through pkg-config and make.
# Cross builds use the same toolchain file and run the programs under the
# emulator.
# Usage: cmake -DBUILD_DIR=... -DWORK_DIR=... -DSOURCE_DIR=... -DGENERATOR=...
#        [-DTOOLCHAIN=...] -DCC=... -DREADELF=... -DMAKE=... -DPKG_CONFIG=...
#        [-DEMULATOR=cmd|arg|...] -DLIBDIR=<lib folder below the prefix>
#        -P check_consumers.cmake
cmake_minimum_required(VERSION 3.25)
include(${SOURCE_DIR}/../check_script.cmake)
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")

file(REMOVE_RECURSE ${WORK_DIR})
set(stage ${WORK_DIR}/stage)
set(stage_libdir ${stage}/${LIBDIR})
run_tool(out ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage})

# The find_package project, against the staged install and the build tree.
set(toolchain_option "")
if(TOOLCHAIN)
    set(toolchain_option -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
endif()
foreach(tree stage build_tree)
    if(tree STREQUAL "stage")
        set(package_dir ${stage_libdir}/cmake/libzuc)
    else()
        set(package_dir ${BUILD_DIR})
    endif()
    set(dir ${WORK_DIR}/find_package_${tree})
    run_tool(out ${CMAKE_COMMAND} -S ${SOURCE_DIR}/find_package -B ${dir} -G ${GENERATOR}
                 -DCMAKE_BUILD_TYPE=Release ${toolchain_option} -Dlibzuc_DIR=${package_dir})
    run_tool(out ${CMAKE_COMMAND} --build ${dir})
    run_tool(out ${CMAKE_CTEST_COMMAND} --test-dir ${dir} --output-on-failure)
    message(STATUS "find_package (${tree}):\n${out}")

    # Each imported target is what its name says.
    run_tool(shared_needs ${READELF} -d ${dir}/consumer_zuc)
    run_tool(static_needs ${READELF} -d ${dir}/consumer_zuc_static)
    if(NOT shared_needs MATCHES "\\[libzuc\\.so\\.1\\]" OR static_needs MATCHES "libzuc")
        message(FATAL_ERROR "libzuc::zuc must link libzuc.so.1 and libzuc::zuc_static must not")
    endif()
endforeach()

# The pkg-config project, seeing only the staged libzuc.pc.
set(dir ${WORK_DIR}/pkg_config)
file(MAKE_DIRECTORY ${dir})
run_tool(out ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${stage_libdir}/pkgconfig
             ${MAKE} -C ${dir} -f ${SOURCE_DIR}/pkg_config/Makefile CC=${CC} PKG_CONFIG=${PKG_CONFIG})
message(STATUS "pkg-config build:\n${out}")
run_tool(out ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${stage_libdir} ${EMULATOR} ${dir}/consumer)
message(STATUS "pkg-config consumer: ${out}")
