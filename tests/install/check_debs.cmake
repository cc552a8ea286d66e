# The Debian packages as dpkg shows them: name, version, architecture and dependencies; exactly the
# files (and links' targets) and control members (the runtime's ldconfig trigger, no maintainer
# scripts); libzuc.pc for the prefix /usr; stripped libraries; lintian without errors or warnings.
include(${CMAKE_CURRENT_LIST_DIR}/../check_script.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
run_tool(out ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR})
string(REGEX MATCH "^[0-9]+" major ${VERSION})
set(runtime libzuc${major})
set(lib ${LIBDIR}/libzuc)

# check_deb(<package> <Depends regex> <its files and control members>...)
function(check_deb package depends)
    set(deb ${WORK_DIR}/${package}_${DEBIAN_VERSION}_${ARCH}.deb)
    run_tool(fields dpkg-deb --field ${deb} Package Version Architecture Depends)
    if(NOT fields MATCHES "^Package: ${package}\nVersion: ${DEBIAN_VERSION}\n\
Architecture: ${ARCH}\nDepends: ${depends}\n$")
        message(SEND_ERROR "${deb} has\n${fields}")
    endif()
    # Lines "<mode> <owner> <size> <date> <time> ./<path>[ -> <target>]".
    run_tool(listing dpkg-deb --contents ${deb})
    string(REGEX MATCHALL "\n[^d][^\n]+" files "\n${listing}")
    list(TRANSFORM files REPLACE "^\n[^ ]+ [^ ]+ +[0-9]+ [^ ]+ [^ ]+ \\./" "")
    run_tool(out dpkg-deb --raw-extract ${deb} ${WORK_DIR}/${package})
    file(GLOB members RELATIVE ${WORK_DIR}/${package} ${WORK_DIR}/${package}/DEBIAN/*)
    set(doc usr/share/doc/${package})
    set(expected ${ARGN} ${doc}/copyright ${doc}/changelog.Debian.gz DEBIAN/control
                 DEBIAN/md5sums usr/share/lintian/overrides/${package})
    list(APPEND files ${members})
    expect_same(${deb} files expected)
endfunction()
check_deb(${runtime} "libc6 \\(>= [0-9.]+\\)" DEBIAN/shlibs DEBIAN/triggers ${lib}.so.${VERSION}
          "${lib}.so.${major} -> libzuc.so.${VERSION}")
set(include ${CMAKE_CURRENT_LIST_DIR}/../../platform/libzuc/include)
file(GLOB headers RELATIVE ${include} ${include}/libzuc/*.h ${include}/libzuc/*.hpp)
list(TRANSFORM headers PREPEND usr/include/)
set(cmake Config ConfigVersion Targets Targets-release)
list(TRANSFORM cmake REPLACE ".+" "${LIBDIR}/cmake/libzuc/libzuc\\0.cmake")
check_deb(libzuc-dev "${runtime} \\(= ${DEBIAN_VERSION}\\)" ${headers} ${cmake} ${lib}.a
          "${lib}.so -> libzuc.so.${major}" ${LIBDIR}/pkgconfig/libzuc.pc
          usr/share/gdb/auto-load/${lib}.so.${VERSION}-gdb.py)

file(STRINGS ${WORK_DIR}/libzuc-dev/${LIBDIR}/pkgconfig/libzuc.pc prefix REGEX "^prefix=")
if(NOT prefix STREQUAL "prefix=/usr")
    message(SEND_ERROR "libzuc.pc has ${prefix}")
endif()
foreach(binary ${runtime}/${lib}.so.${VERSION} libzuc-dev/${lib}.a)
    run_tool(sections ${OBJDUMP} -h ${WORK_DIR}/${binary})
    if(sections MATCHES " \\.debug_info ")
        message(SEND_ERROR "the packaged ${binary} carries debug information")
    endif()
endforeach()
file(GLOB debs ${WORK_DIR}/*.deb)
run_tool(report lintian --fail-on error,warning ${debs})
message(STATUS "lintian: no errors or warnings\n${report}")
