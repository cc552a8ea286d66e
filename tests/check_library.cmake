# The built shared library, read with the binutils of its target.
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../platform/libzuc/libzuc.map names
     REGEX "^[ \t]*[A-Za-z0-9_]+;$") # one "name;" a line, and local: "*;"
list(TRANSFORM names REPLACE "[ \t;]" "")
run_tool(symbols ${OBJDUMP} -t ${LIB})

# The interface (not with the sanitizers' runtimes): exactly the version
# script's names, in LIBZUC_1; imports from the C library's GLIBC_ nodes or
# the C runtime's weak hooks, not the C++ runtime's or the unwinder's; needs
# libc.so.6 alone; the SONAME; no static constructor (_GLOBAL__sub_I_*).
if(NOT SANITIZE)
    run_tool(dynamic ${NM} -D ${LIB}) # "<value> <type> <name>", no value if undefined
    string(REGEX MATCHALL "\n[0-9a-f]+ . [^\n]+" defined "\n${dynamic}")
    list(TRANSFORM defined REPLACE "^\n[^ ]+ . " "")
    list(REMOVE_ITEM defined LIBZUC_1) # the node's own symbol
    list(TRANSFORM names APPEND @@LIBZUC_1 OUTPUT_VARIABLE expected)
    expect_same("exported" defined expected)
    string(REGEX REPLACE " U [^@\n]+@GLIBC_[^\n]*" "" foreign "${dynamic}")
    if(foreign MATCHES " U [^\n]*| (_Z|__gxx_|_Unwind_|__aeabi_unwind)[^\n]*")
        message(SEND_ERROR "imports ${CMAKE_MATCH_0}")
    endif()
    run_tool(dynamic ${OBJDUMP} -p ${LIB})
    string(REGEX MATCHALL "(NEEDED|SONAME) +[^\n]+" dynamic "${dynamic}")
    string(REGEX REPLACE " +" " " dynamic "${dynamic}")
    if(NOT dynamic STREQUAL "NEEDED libc.so.6;SONAME libzuc.so.1")
        message(SEND_ERROR "${dynamic}, not NEEDED libc.so.6;SONAME libzuc.so.1")
    endif()
    if(symbols MATCHES "[^\n]*_GLOBAL__sub_I[^\n]*")
        message(SEND_ERROR "a static constructor: ${CMAKE_MATCH_0}")
    endif()
endif()

# Calls between our exported functions bind locally: no dynamic relocation
# names one, so none is called through the PLT (an indirect jump, and another
# object's definition could replace ours). malloc's shows the check reads them.
list(JOIN names "|" names)
run_tool(relocations ${OBJDUMP} -R ${LIB})
if(NOT relocations MATCHES " malloc@" OR relocations MATCHES "[ \n](${names})[@+\n]")
    message(SEND_ERROR "no relocation of malloc, or one of ${CMAKE_MATCH_1}")
endif()

# The CRC-16 table is data the compiler built: 256 16-bit entries, read-only.
run_tool(sections ${OBJDUMP} -h ${LIB})
if(NOT symbols MATCHES " O (\\.rodata[^ \t]*)\t0*200 [^\n]*crc16_table")
    message(SEND_ERROR "no 512-byte crc16_table in .rodata")
elseif(NOT sections MATCHES " ${CMAKE_MATCH_1} [^\n]*\n[^\n]*ALLOC, LOAD, READONLY")
    message(SEND_ERROR "crc16_table's section is not read-only")
endif()
