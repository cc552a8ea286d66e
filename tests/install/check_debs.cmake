# Makes the Debian packages from a configured build and checks what a user
# of dpkg would see: names, version, architecture, dependencies, exactly the
# files each package holds (libzuc.pc written for the prefix /usr, the
# libraries stripped) and the control members (the ldconfig trigger instead
# of maintainer scripts); then lintian, whose errors and warnings fail.
# Usage: cmake -DCPACK=... -DCPACK_CONFIG=... -DWORK_DIR=... -DDPKG_DEB=... -DLINTIAN=...
#        -DREADELF=... -DARCH=... -DLIBDIR=usr/lib/<triplet> -DVERSION=<Debian version>
#        -DRUNTIME=<runtime package> -DSONAME=libzuc.so.N -DLIBRARY=libzuc.so.N.M.P
#        -DHEADERS=a.h|b.h|... -P check_debs.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../check_script.cmake)
string(REPLACE "|" ";" HEADERS "${HEADERS}")

file(REMOVE_RECURSE ${WORK_DIR})
run_tool(out ${CPACK} --config ${CPACK_CONFIG} -B ${WORK_DIR})

set(failures "")
# check_deb(<package> <expected Depends> <expected files...>)
function(check_deb package depends)
    set(deb ${WORK_DIR}/${package}_${VERSION}_${ARCH}.deb)
    if(NOT EXISTS ${deb})
        set(failures "${failures}  ${deb} was not made\n" PARENT_SCOPE)
        return()
    endif()
    foreach(field Package Version Architecture Depends)
        run_tool(value ${DPKG_DEB} --field ${deb} ${field})
        string(STRIP "${value}" value)
        set(${field} "${value}")
    endforeach()
    if(NOT "${Package}|${Version}|${Architecture}" STREQUAL "${package}|${VERSION}|${ARCH}")
        string(APPEND failures "  ${deb}: ${Package} ${Version} ${Architecture}\n")
    endif()
    if(NOT Depends MATCHES "^${depends}$")
        string(APPEND failures "  ${deb}: Depends: ${Depends}\n")
    endif()

    # Lines of dpkg-deb --contents end in "./path" or "./path -> target";
    # folders are left out.
    run_tool(listing ${DPKG_DEB} --contents ${deb})
    string(REPLACE "\n" ";" lines "${listing}")
    set(files "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^[^d].* \\./([^ ]+( -> [^ ]+)?)$")
            list(APPEND files "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    list(SORT files)
    set(expected ${ARGN} usr/share/doc/${package}/copyright
                 usr/share/doc/${package}/changelog.Debian.gz
                 usr/share/lintian/overrides/${package})
    list(SORT expected)
    if(NOT files STREQUAL expected)
        string(REPLACE ";" "\n    " files "${files}")
        string(REPLACE ";" "\n    " expected "${expected}")
        string(APPEND failures "  ${deb} holds\n    ${files}\n  instead of\n    ${expected}\n")
    endif()
    run_tool(out ${DPKG_DEB} --extract ${deb} ${WORK_DIR}/root)
    file(MAKE_DIRECTORY ${WORK_DIR}/control)
    run_tool(out ${DPKG_DEB} --control ${deb} ${WORK_DIR}/control/${package})
    file(GLOB control RELATIVE ${WORK_DIR}/control/${package} ${WORK_DIR}/control/${package}/*)
    list(SORT control)
    if(NOT "${control}" STREQUAL "${control_expected}")
        string(APPEND failures "  ${deb} has the control members ${control}\n")
    endif()
    set(failures "${failures}" PARENT_SCOPE)
endfunction()

set(control_expected control md5sums shlibs triggers)
check_deb(${RUNTIME} "libc6 \\(>= [0-9.]+\\)"
          ${LIBDIR}/${LIBRARY} "${LIBDIR}/${SONAME} -> ${LIBRARY}")
set(dev_files "")
foreach(header IN LISTS HEADERS)
    list(APPEND dev_files usr/include/libzuc/${header})
endforeach()
foreach(file libzucConfig.cmake libzucConfigVersion.cmake libzucTargets.cmake
             libzucTargets-release.cmake)
    list(APPEND dev_files ${LIBDIR}/cmake/libzuc/${file})
endforeach()
set(control_expected control md5sums)
check_deb(libzuc-dev "${RUNTIME} \\(= ${VERSION}\\)"
          ${dev_files} ${LIBDIR}/libzuc.a "${LIBDIR}/libzuc.so -> ${SONAME}"
          ${LIBDIR}/pkgconfig/libzuc.pc)

if(EXISTS ${WORK_DIR}/root/${LIBDIR}/pkgconfig/libzuc.pc)
    file(STRINGS ${WORK_DIR}/root/${LIBDIR}/pkgconfig/libzuc.pc prefix REGEX "^prefix=")
    if(NOT prefix STREQUAL "prefix=/usr")
        string(APPEND failures "  libzuc.pc has ${prefix}, not prefix=/usr\n")
    endif()
endif()
foreach(binary ${LIBRARY} libzuc.a)
    if(EXISTS ${WORK_DIR}/root/${LIBDIR}/${binary})
        run_tool(sections ${READELF} --section-headers ${WORK_DIR}/root/${LIBDIR}/${binary})
        if(sections MATCHES "\\.debug_info")
            string(APPEND failures "  the packaged ${binary} carries debug information\n")
        endif()
    endif()
endforeach()

file(GLOB debs ${WORK_DIR}/*.deb)
execute_process(COMMAND ${LINTIAN} --fail-on error,warning ${debs}
                OUTPUT_VARIABLE lintian_report ERROR_VARIABLE lintian_errors RESULT_VARIABLE rc)
message(STATUS "lintian:\n${lintian_report}")
if(NOT rc EQUAL 0)
    string(APPEND failures "  lintian reports errors or warnings (status ${rc}):\n${lintian_errors}")
endif()

if(failures)
    message(FATAL_ERROR "Debian packages:\n${failures}")
endif()
message(STATUS "${RUNTIME} and libzuc-dev ${VERSION} for ${ARCH}: fields and contents as expected")
