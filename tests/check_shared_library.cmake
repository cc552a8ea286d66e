# Checks the built shared library's interface with the binutils of its target:
#   - the dynamic symbols it defines are exactly the functions that the
#     linker version script VERSION_SCRIPT (libzuc.map) exports, all in the
#     LIBZUC_1 version node;
#   - it imports nothing from the C++ runtime or the unwinder;
#   - it needs only the C library at run time, and its SONAME is libzuc.so.1;
#   - it has no static constructors.
# Usage: cmake -DLIB=... -DNM=... -DREADELF=... -DVERSION_SCRIPT=... -P check_shared_library.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)
require_vars(LIB NM READELF VERSION_SCRIPT)

set(failures "")


# Lines "<value> <type> <name>[@[@]version]" of nm, as "type|name|version".
function(symbol_entries text out)
    string(REPLACE "\n" ";" lines "${text}")
    set(entries "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^[0-9a-fA-F ]* ([A-Za-z]) ([^ @]+)(@@?([^ ]+))?$")
            list(APPEND entries "${CMAKE_MATCH_1}|${CMAKE_MATCH_2}|${CMAKE_MATCH_4}|")
        endif()
    endforeach()
    set(${out} "${entries}" PARENT_SCOPE)
endfunction()

# Splits "type|name|version|" into the three variables.
macro(split_entry entry)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 type)
    list(GET parts 1 name)
    list(GET parts 2 version)
endmacro()

# Exported set.
version_script_names(expected "${VERSION_SCRIPT}")
list(SORT expected)
run_tool(defined "${NM}" -D --defined-only "${LIB}")
symbol_entries("${defined}" entries)
set(exported "")
foreach(entry IN LISTS entries)
    split_entry("${entry}")
    if(name STREQUAL "LIBZUC_1")
        continue() # the version node itself
    endif()
    if(NOT version STREQUAL "LIBZUC_1")
        string(APPEND failures "  ${name} is not in the LIBZUC_1 version node ('${version}')\n")
    endif()
    list(APPEND exported "${name}")
endforeach()
list(SORT exported)
set(missing ${expected})
list(REMOVE_ITEM missing ${exported})
set(extra ${exported})
list(REMOVE_ITEM extra ${expected})
if(missing)
    string(APPEND failures "  not exported: ${missing}\n")
endif()
if(extra)
    string(APPEND failures "  exported but not part of the interface: ${extra}\n")
endif()
list(LENGTH exported exported_count)

# Imports: every symbol the library needs comes from the C library (a GLIBC
# version); unversioned weak references are the C runtime's optional hooks.
run_tool(undefined "${NM}" -D --undefined-only "${LIB}")
symbol_entries("${undefined}" imports)
foreach(entry IN LISTS imports)
    split_entry("${entry}")
    if(name MATCHES "^(_Z|__gxx_|_Unwind_|__aeabi_unwind)")
        string(APPEND failures "  imports ${name} from the C++ runtime\n")
    elseif(type STREQUAL "U" AND NOT version MATCHES "^GLIBC_")
        string(APPEND failures "  imports ${name} (version '${version}') from outside the C library\n")
    endif()
endforeach()

# Dynamic section.
run_tool(dynamic "${READELF}" -d "${LIB}")
regex_captures(needed "\\(NEEDED\\)[^\n]*\\[([^]]+)\\]" "${dynamic}")
if(NOT needed STREQUAL "libc.so.6")
    string(APPEND failures "  needs '${needed}', expected only libc.so.6\n")
endif()
if(NOT dynamic MATCHES "\\(SONAME\\)[^\n]*\\[libzuc\\.so\\.1\\]")
    string(APPEND failures "  SONAME is not libzuc.so.1\n")
endif()

# Static constructors would show as _GLOBAL__sub_I_* in the full symbol table.
run_tool(all_symbols "${NM}" "${LIB}")
if(all_symbols MATCHES "_GLOBAL__sub_I")
    string(APPEND failures "  has static constructors\n")
endif()

if(failures)
    message(FATAL_ERROR "${LIB}:\n${failures}")
endif()
message(STATUS "${LIB}: ${exported_count} functions exported, needs ${needed}")
