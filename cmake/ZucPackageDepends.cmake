# Read by cpack (CPACK_PROJECT_CONFIG_FILE) before it makes the packages: the
# runtime package depends on libc6 of at least the newest GLIBC_x.y version
# node that libzuc.so.1 imports from, which is what its loader will demand.
# Read from the ELF file, so it holds for the cross-built library as well.
include(${CPACK_ZUC_LIBRARY_FILE})
execute_process(COMMAND ${CPACK_ZUC_READELF} --version-info ${CPACK_ZUC_LIBRARY}
                OUTPUT_VARIABLE version_info RESULT_VARIABLE rc)
string(REGEX MATCHALL "Name: GLIBC_[0-9.]+" nodes "${version_info}")
set(glibc 0)
foreach(node IN LISTS nodes)
    string(REGEX REPLACE "Name: GLIBC_" "" version "${node}")
    if(version VERSION_GREATER glibc)
        set(glibc ${version})
    endif()
endforeach()
if(NOT rc EQUAL 0 OR glibc EQUAL 0)
    message(FATAL_ERROR "cannot read the C library versions that ${CPACK_ZUC_LIBRARY} needs")
endif()
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6 (>= ${glibc})")
