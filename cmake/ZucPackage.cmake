# Debian packages (cpack -G DEB, or the package-* presets), one pair per
# architecture:
#   libzuc1     the runtime: libzuc.so.1 and the file it points to; the name
#               follows the SONAME, so an incompatible libzuc.so.2 would come
#               as libzuc2 and install beside it;
#   libzuc-dev  headers, static library, the libzuc.so link, the CMake
#               package and libzuc.pc; depends on exactly the same libzuc1.
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
set(CPACK_PACKAGE_CONTACT "libzuc maintainers <libzuc@localhost>")
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

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libzuc-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${ZUC_RUNTIME_PACKAGE} (= ${ZUC_DEBIAN_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Development files of libzuc: the C and C++ headers, the static library,
the CMake package (find_package(libzuc)) and the pkg-config file libzuc.pc.")

# The runtime package's libc6 version is read from the built library when
# the packages are made (ZucPackageDepends.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/ZucPackageDepends.cmake)
set(CPACK_ZUC_READELF ${CMAKE_READELF})
set(CPACK_ZUC_LIBRARY_FILE ${PROJECT_BINARY_DIR}/zuc_library.cmake)
file(GENERATE OUTPUT ${CPACK_ZUC_LIBRARY_FILE}
     CONTENT "set(CPACK_ZUC_LIBRARY \"$<TARGET_FILE:zuc>\")\n")

include(CPack)
