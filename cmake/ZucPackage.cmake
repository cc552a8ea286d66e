# Debian packages (cpack -G DEB, or the package-* presets), one pair per
# architecture:
#   libzuc1     the runtime: libzuc.so.1 and the file it points to; the name
#               follows the SONAME, so an incompatible libzuc.so.2 would come
#               as libzuc2 and install beside it;
#   libzuc-dev  headers, static library, the libzuc.so link, the CMake
#               package and libzuc.pc; depends on exactly the same libzuc1.
# Each also holds what Debian policy asks of every package, its copyright
# file and changelog.Debian.gz under /usr/share/doc/<package>/, and its
# lintian overrides (all from cmake/debian/, installed only into the packages,
# not by cmake --install).
# The architecture comes from the toolchain (armhf in toolchain-armhf.cmake),
# else from the host's dpkg.
if(NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE AND NOT CMAKE_CROSSCOMPILING)
    find_program(ZUC_DPKG dpkg)
    if(ZUC_DPKG)
        execute_process(COMMAND ${ZUC_DPKG} --print-architecture
                        OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                        OUTPUT_STRIP_TRAILING_WHITESPACE)
    endif()
endif()
set(ZUC_DEBIAN_ARCH ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME libzuc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(ZUC_PACKAGE_CONTACT "libzuc maintainers <libzuc@example.org>"
    CACHE STRING "Maintainer of the Debian packages: name <address>")
set(CPACK_PACKAGE_CONTACT "${ZUC_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime development)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(ZUC_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(ZUC_RUNTIME_PACKAGE libzuc${PROJECT_VERSION_MAJOR})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${ZUC_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "The shared library libzuc.so.${PROJECT_VERSION_MAJOR}: generic and intrusive lists, a hash
table, a memory pool, a bounded queue, sliding averages, CRC-16, lookup tables
and aligned allocation, for C and C++ programs.")
# A shlibs control file for packages built against libzuc, and ldconfig runs
# in postinst and postrm.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The loader's cache is refreshed by dpkg's ldconfig trigger, not by
# maintainer scripts. CPack writes postinst and postrm scripts calling
# ldconfig unless the control extras name scripts of their own, and it skips
# extras that do not exist: naming two that do not leaves both scripts out.
set(ZUC_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/cmake/debian)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
    ${ZUC_DEBIAN_DIR}/triggers ${ZUC_DEBIAN_DIR}/no-scripts/postinst
    ${ZUC_DEBIAN_DIR}/no-scripts/postrm)

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libzuc-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${ZUC_RUNTIME_PACKAGE} (= ${ZUC_DEBIAN_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Development files of libzuc: the C and C++ headers, the static library,
the CMake package (find_package(libzuc)) and the pkg-config file libzuc.pc.")

# The changelog's newest entry must be the version being packaged.
file(STRINGS ${ZUC_DEBIAN_DIR}/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^libzuc \\(${ZUC_DEBIAN_VERSION}\\) ")
    message(FATAL_ERROR "cmake/debian/changelog: the newest entry is not ${ZUC_DEBIAN_VERSION}")
endif()
# Compressed as Debian wants it: at the highest level, without the file's
# name and time stamp (so the same changelog always makes the same bytes).
find_program(ZUC_GZIP gzip REQUIRED)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZUC_DEBIAN_DIR}/changelog)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/debian)
execute_process(COMMAND ${ZUC_GZIP} -9nc ${ZUC_DEBIAN_DIR}/changelog
                OUTPUT_FILE ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
# The lintian overrides carry their reasons.
foreach(component IN ITEMS runtime development)
    string(TOUPPER ${component} name)
    set(package ${CPACK_DEBIAN_${name}_PACKAGE_NAME})
    install(FILES ${ZUC_DEBIAN_DIR}/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
            COMPONENT ${component} EXCLUDE_FROM_ALL)
    install(FILES ${ZUC_DEBIAN_DIR}/lintian-overrides RENAME ${package}
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
            COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

# The runtime package's libc6 version is read from the built library when
# the packages are made (ZucPackageDepends.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/ZucPackageDepends.cmake)
set(CPACK_ZUC_READELF ${CMAKE_READELF})
set(CPACK_ZUC_LIBRARY_FILE ${PROJECT_BINARY_DIR}/zuc_library.cmake)
file(GENERATE OUTPUT ${CPACK_ZUC_LIBRARY_FILE}
     CONTENT "set(CPACK_ZUC_LIBRARY \"$<TARGET_FILE:zuc>\")\n")

include(CPack)
