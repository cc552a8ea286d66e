# Makes the Debian packages and checks what dpkg users see: each package's
# name, version, architecture and dependencies, exactly the files it holds (and
# where its links point) and its control members (the runtime's ldconfig
# trigger, no maintainer scripts); libzuc.pc for the prefix /usr; stripped
# libraries; lintian without errors or warnings.
# Usage: cmake -DCPACK=... -DBUILD_DIR=... -DPROJECT_DIR=... -DWORK_DIR=...
#        -DDPKG_DEB=... -DLINTIAN=... -DREADELF=... -DARCH=<Debian architecture>
#        -DLIBDIR=usr/lib/<triplet> -DVERSION=<x.y.z> -DDEBIAN_VERSION=<x.y.z-n> -P <this>
include(${CMAKE_CURRENT_LIST_DIR}/../check_script.cmake)
require_vars(CPACK BUILD_DIR PROJECT_DIR WORK_DIR DPKG_DEB LINTIAN READELF ARCH LIBDIR VERSION
             DEBIAN_VERSION)
file(REMOVE_RECURSE ${WORK_DIR})
run_tool(out ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR})
string(REGEX MATCH "^[0-9]+" major ${VERSION})
set(runtime libzuc${major})
set(soname libzuc.so.${major})

# check_deb(<package> <Depends regex> <files and control members>...), beside
# those every package holds.
function(check_deb package depends)
    set(deb ${WORK_DIR}/${package}_${DEBIAN_VERSION}_${ARCH}.deb)
    run_tool(fields ${DPKG_DEB} --field ${deb} Package Version Architecture Depends)
    if(NOT fields MATCHES "^Package: ${package}\nVersion: ${DEBIAN_VERSION}\n\
Architecture: ${ARCH}\nDepends: ${depends}\n$")
        message(FATAL_ERROR "${deb} has\n${fields}")
    endif()
    # Lines "<mode> <owner> <size> <date> <time> ./<path>[ -> <target>]".
    run_tool(listing ${DPKG_DEB} --contents ${deb})
    string(REGEX MATCHALL "[^\n]+" files "${listing}")
    list(FILTER files EXCLUDE REGEX "^d")
    list(TRANSFORM files REPLACE "^[^ ]+ [^ ]+ +[0-9]+ [^ ]+ [^ ]+ \\./" "")
    run_tool(out ${DPKG_DEB} --raw-extract ${deb} ${WORK_DIR}/${package})
    file(GLOB members RELATIVE ${WORK_DIR}/${package} ${WORK_DIR}/${package}/DEBIAN/*)
    set(doc usr/share/doc/${package})
    set(expected ${ARGN} ${doc}/copyright ${doc}/changelog.Debian.gz DEBIAN/control
                 DEBIAN/md5sums usr/share/lintian/overrides/${package})
    list(APPEND files ${members})
    set(extra ${files})
    list(REMOVE_ITEM extra ${expected})
    list(REMOVE_ITEM expected ${files})
    if(extra OR expected)
        message(FATAL_ERROR "${deb} holds also: ${extra}\nbut not: ${expected}")
    endif()
endfunction()

check_deb(${runtime} "libc6 \\(>= [0-9.]+\\)" DEBIAN/shlibs DEBIAN/triggers
          ${LIBDIR}/libzuc.so.${VERSION} "${LIBDIR}/${soname} -> libzuc.so.${VERSION}")
set(include ${PROJECT_DIR}/platform/libzuc/include)
file(GLOB headers RELATIVE ${include} ${include}/libzuc/*.h ${include}/libzuc/*.hpp)
list(TRANSFORM headers PREPEND usr/include/)
set(cmake_files Config ConfigVersion Targets Targets-release)
list(TRANSFORM cmake_files REPLACE ".+" "${LIBDIR}/cmake/libzuc/libzuc\\0.cmake")
check_deb(libzuc-dev "${runtime} \\(= ${DEBIAN_VERSION}\\)" ${headers} ${cmake_files}
          ${LIBDIR}/libzuc.a "${LIBDIR}/libzuc.so -> ${soname}" ${LIBDIR}/pkgconfig/libzuc.pc
          usr/share/gdb/auto-load/${LIBDIR}/libzuc.so.${VERSION}-gdb.py)

file(STRINGS ${WORK_DIR}/libzuc-dev/${LIBDIR}/pkgconfig/libzuc.pc prefix REGEX "^prefix=")
if(NOT prefix STREQUAL "prefix=/usr")
    message(FATAL_ERROR "the packaged libzuc.pc has ${prefix}, not prefix=/usr")
endif()
foreach(binary ${runtime}/${LIBDIR}/libzuc.so.${VERSION} libzuc-dev/${LIBDIR}/libzuc.a)
    run_tool(sections ${READELF} --section-headers ${WORK_DIR}/${binary})
    if(sections MATCHES "\\.debug_info")
        message(FATAL_ERROR "the packaged ${binary} carries debug information")
    endif()
endforeach()
file(GLOB debs ${WORK_DIR}/*.deb)
run_tool(report ${LINTIAN} --fail-on error,warning ${debs})
message(STATUS "${runtime} and libzuc-dev ${DEBIAN_VERSION} for ${ARCH} as expected, lintian "
               "without errors or warnings\n${report}")
