# Checks that the CRC-16 table of the built library is constant data: its
# object lies in a read-only, allocated section (.rodata), so it was computed
# by the compiler and nothing writes it at run time. Prints where it lies and
# the sizes of the table and of its section.
# Usage: cmake -DLIB=... -DREADELF=... -P check_crc16_table.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/check_script.cmake)
require_vars(LIB READELF)

# Runs `readelf <option> LIB` and returns the three groups of the first line
# that matches regex; fails the check, naming what, when none does.
function(readelf_match out option regex what)
    run_tool(text "${READELF}" ${option} "${LIB}")
    if(NOT text MATCHES "${regex}")
        message(FATAL_ERROR "${LIB}: ${what} not found")
    endif()
    set(${out} "${CMAKE_MATCH_1};${CMAKE_MATCH_2};${CMAKE_MATCH_3}" PARENT_SCOPE)
endfunction()

# Symbol line "Num: Value Size Type Bind Vis Ndx Name": size and section index.
readelf_match(symbol -sW
    "\n *[0-9]+: [0-9a-f]+ +([0-9]+) OBJECT +[A-Z]+ +[A-Z]+ +([0-9]+) [^\n]*crc16_table"
    "crc16_table object in the symbol table")
list(GET symbol 0 table_size)
list(GET symbol 1 index)
if(NOT table_size EQUAL 512)
    message(FATAL_ERROR "${LIB}: crc16_table is ${table_size} bytes, expected 256 16-bit entries")
endif()

# Section line "[Nr] Name Type Address Off Size ES Flg Lk Inf Al": name, size, flags.
readelf_match(section -SW
    "\\[ *${index}\\] ([^ ]+) +[A-Z_]+ +[0-9a-f]+ [0-9a-f]+ ([0-9a-f]+) [0-9a-f]+ +([A-Z]+) "
    "section ${index} of crc16_table")
list(GET section 0 name)
list(GET section 1 size)
list(GET section 2 flags)
math(EXPR size "0x${size}")
if(NOT name MATCHES "^\\.rodata" OR flags MATCHES "W" OR NOT flags MATCHES "A")
    message(FATAL_ERROR "${LIB}: crc16_table lies in ${name} (flags ${flags}), not in read-only data")
endif()
message(STATUS "${LIB}: crc16_table (${table_size} bytes) in ${name}, flags ${flags}, "
               "section size ${size} bytes")
