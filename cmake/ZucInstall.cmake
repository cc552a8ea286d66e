# Install rules: the shared library with its SONAME link chain, the static
# library, the public headers under include/libzuc/, a CMake package
# (find_package(libzuc) -> libzuc::zuc, libzuc::zuc_static) and libzuc.pc.
#
# Two components, which become the two Debian packages: "runtime" holds only
# libzuc.so.1 and the file it points to; "development" holds everything a
# build against the library needs.

# GNUInstallDirs picks Debian's multiarch library folder (lib/<triplet>) for
# the prefix /usr only in a native build; the cross build gets the same layout
# so that the armhf packages install where the target's loader looks.
if(NOT DEFINED CMAKE_INSTALL_LIBDIR AND CMAKE_CROSSCOMPILING AND CMAKE_LIBRARY_ARCHITECTURE
   AND CMAKE_INSTALL_PREFIX MATCHES "^/usr/?$")
    set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The same names for a project that builds libzuc as a subdirectory.
add_library(libzuc::zuc ALIAS zuc)
add_library(libzuc::zuc_static ALIAS zuc_static)

set(ZUC_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/libzuc)

install(TARGETS zuc zuc_static EXPORT libzucTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT runtime NAMELINK_COMPONENT development
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# A stripped install (cmake --install --strip, and the Debian packages) strips
# only the shared library; the archive loses its debug information here.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:zuc_static>\")
endif()" COMPONENT development)
# Every public header, C and C++, in the layout the build tree has, so that
# #include <libzuc/llist.h> means the same in both.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/libzuc/include/libzuc
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development
    FILES_MATCHING PATTERN "*.h" PATTERN "*.hpp")

# GDB's pretty-printers, where GDB's auto-load looks for the installed
# library's: <datadir>/gdb/auto-load, then the library's real path (prefix
# included, so known only at install time), then -gdb.py. For the prefix /usr
# that is under GDB's default auto-load safe-path.
install(CODE "get_filename_component(zuc_gdb_prefix \"\${CMAKE_INSTALL_PREFIX}\" ABSOLUTE)
file(INSTALL DESTINATION \"\${zuc_gdb_prefix}/${CMAKE_INSTALL_DATAROOTDIR}/gdb/auto-load\${zuc_gdb_prefix}/${CMAKE_INSTALL_LIBDIR}\"
     TYPE FILE RENAME \"$<TARGET_FILE_NAME:zuc>-gdb.py\"
     FILES \"${PROJECT_SOURCE_DIR}/platform/libzuc/libzuc-gdb.py\")" COMPONENT development)

# The CMake package. The config file finds its targets next to itself, so the
# same file serves the install tree and the build tree (libzuc_DIR=<build>).
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/libzucConfig.cmake.in
    ${PROJECT_BINARY_DIR}/libzucConfig.cmake INSTALL_DESTINATION ${ZUC_PACKAGE_DIR})
# One SONAME per major version: any 1.x satisfies a request for 1.y, y <= x.
# The file also rejects a library built for another pointer width.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/libzucConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(EXPORT libzucTargets NAMESPACE libzuc:: DESTINATION ${ZUC_PACKAGE_DIR}
    COMPONENT development)
install(FILES ${PROJECT_BINARY_DIR}/libzucConfig.cmake ${PROJECT_BINARY_DIR}/libzucConfigVersion.cmake
    DESTINATION ${ZUC_PACKAGE_DIR} COMPONENT development)
export(EXPORT libzucTargets NAMESPACE libzuc:: FILE ${PROJECT_BINARY_DIR}/libzucTargets.cmake)

# libzuc.pc names the prefix the files are installed under, which is known
# only at install time (cmake --install --prefix, or the packager's /usr):
# the template gets everything else now and the prefix when it is installed.
set(ZUC_PC_PREFIX @ZUC_PC_PREFIX@)
configure_file(${PROJECT_SOURCE_DIR}/cmake/libzuc.pc.in ${PROJECT_BINARY_DIR}/libzuc.pc.in @ONLY)
install(CODE "set(ZUC_PC_TEMPLATE \"${PROJECT_BINARY_DIR}/libzuc.pc.in\")
set(ZUC_PC_DESTINATION \"${CMAKE_INSTALL_LIBDIR}/pkgconfig\")" COMPONENT development)
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallPkgConfig.cmake COMPONENT development)
