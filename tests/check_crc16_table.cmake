# The CRC-16 table (256 16-bit entries) is constant data: the compiler built
# it, and it lies in an allocated, read-only .rodata section.
# Usage: cmake -DLIB=... -DREADELF=... -P <this>
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)
require_vars(LIB READELF)
run_tool(symbols "${READELF}" -sW "${LIB}")
run_tool(sections "${READELF}" -SW "${LIB}")
# Symbol "Num: Value Size Type Bind Vis Ndx Name": the size and section index.
if(NOT symbols MATCHES "\n *[0-9]+: [0-9a-f]+ +([0-9]+) OBJECT +[A-Z]+ +[A-Z]+ +([0-9]+) \
[^\n]*crc16_table")
    message(FATAL_ERROR "${LIB}: no crc16_table object in the symbol table")
endif()
set(size ${CMAKE_MATCH_1})
set(index ${CMAKE_MATCH_2})
# Section "[Nr] Name Type Address Off Size ES Flg Lk Inf Al": the name and flags.
if(NOT sections MATCHES "\\[ *${index}\\] ([^ ]+) +[A-Z_]+ +[0-9a-f]+ [0-9a-f]+ \
[0-9a-f]+ [0-9a-f]+ +([A-Z]+) ")
    message(FATAL_ERROR "${LIB}: section ${index} of crc16_table not found")
endif()
set(where "${CMAKE_MATCH_1}, flags ${CMAKE_MATCH_2}")
if(NOT size EQUAL 512 OR NOT where MATCHES "^\\.rodata[^ ]*, flags [^W]*A[^W]*$")
    message(FATAL_ERROR "${LIB}: crc16_table, ${size} bytes (512 expected), in ${where}")
endif()
message(STATUS "${LIB}: crc16_table, ${size} bytes, in ${where}")
