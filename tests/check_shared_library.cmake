# The built shared library's interface, read with the binutils of its target:
# it defines exactly the functions of the version script (libzuc.map), all in
# the LIBZUC_1 node; it imports nothing from the C++ runtime or the unwinder,
# and everything else from the C library; it needs only libc.so.6; its
# SONAME is libzuc.so.1; it has no static constructors.
# Usage: cmake -DLIB=... -DNM=... -DREADELF=... -DVERSION_SCRIPT=... -P <this>
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)
require_vars(LIB NM READELF VERSION_SCRIPT)
set(failures "")

# Each defined dynamic symbol as name@@node, less the node's own symbol.
exported_names(expected "${VERSION_SCRIPT}")
list(TRANSFORM expected APPEND "@@LIBZUC_1")
run_tool(defined "${NM}" -D --defined-only --format=just-symbols "${LIB}")
string(REGEX MATCHALL "[^\n]+" defined "${defined}")
list(REMOVE_ITEM defined LIBZUC_1)
set(extra ${defined})
list(REMOVE_ITEM extra ${expected})
list(REMOVE_ITEM expected ${defined})
if(extra OR expected)
    string(APPEND failures "  exported beyond the interface: ${extra}\n  missing: ${expected}\n")
endif()

# Imports: from the C library (GLIBC_ versions), or the C runtime's weak
# hooks; none of the C++ runtime or the unwinder, weak or not.
run_tool(imports "${NM}" -D --undefined-only "${LIB}")
string(REGEX REPLACE " U [^@\n]+@GLIBC_[^\n]*" "" foreign "${imports}")
if(foreign MATCHES " U [^\n]*| (_Z|__gxx_|_Unwind_|__aeabi_unwind)[^\n]*")
    string(APPEND failures "  imports ${CMAKE_MATCH_0}\n")
endif()

run_tool(dynamic "${READELF}" -d "${LIB}")
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}") # "... [libc.so.6]"
list(TRANSFORM needed REPLACE ".*\\[(.*)\\]" "\\1")
if(NOT needed STREQUAL "libc.so.6")
    string(APPEND failures "  needs ${needed}, not libc.so.6 alone\n")
endif()
if(NOT dynamic MATCHES "\\(SONAME\\)[^\n]*\\[libzuc\\.so\\.1\\]")
    string(APPEND failures "  SONAME is not libzuc.so.1\n")
endif()

# A static constructor is a _GLOBAL__sub_I_* function in the full symbol table.
run_tool(symbols "${NM}" "${LIB}")
if(symbols MATCHES "_GLOBAL__sub_I[^\n]*")
    string(APPEND failures "  has a static constructor: ${CMAKE_MATCH_0}\n")
endif()
if(failures)
    message(FATAL_ERROR "${LIB}:\n${failures}")
endif()
list(LENGTH defined count)
message(STATUS "${LIB}: exports ${count} functions, needs ${needed}")
