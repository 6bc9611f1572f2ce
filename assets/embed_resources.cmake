# Writes a C++ source that holds the game's resource files as byte arrays and
# defines soft::kResources and soft::kResourceCount over them.
#
#   cmake -DMANIFEST=resources.txt -DOUTPUT=embedded_resources.cpp -P embed_resources.cmake
#
# Each manifest line is "TYPE NAME SKIP PATH": SKIP bytes are left off the
# front of the file (14 for a .bmp file, whose BITMAPFILEHEADER a bitmap
# resource does not hold).
cmake_minimum_required(VERSION 3.20)

if(NOT MANIFEST OR NOT OUTPUT)
  message(FATAL_ERROR "embed_resources.cmake needs MANIFEST and OUTPUT")
endif()

file(STRINGS "${MANIFEST}" entries)
string(REPEAT "0x..," 16 row_pattern)

set(arrays "")
set(table "")
set(index 0)
foreach(entry IN LISTS entries)
  if(NOT entry MATCHES "^([A-Z]+) ([A-Z0-9_]+) ([0-9]+) (.+)$")
    message(FATAL_ERROR "malformed manifest line: ${entry}")
  endif()
  set(type "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  set(skip "${CMAKE_MATCH_3}")
  set(path "${CMAKE_MATCH_4}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "missing resource file: ${path}")
  endif()
  if(type STREQUAL "BITMAP")
    file(READ "${path}" magic LIMIT 2 HEX)
    if(NOT magic STREQUAL "424d")
      message(FATAL_ERROR "not a .bmp file: ${path}")
    endif()
  endif()
  file(READ "${path}" hex OFFSET ${skip} HEX)
  string(LENGTH "${hex}" digits)
  if(digits EQUAL 0)
    message(FATAL_ERROR "empty resource: ${path}")
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(${row_pattern})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "// ${type} ${name}\nalignas(4) const uint8_t kData${index}[] = {\n    ${bytes}\n};\n\n")
  string(APPEND table "    {\"${type}\", \"${name}\", kData${index}, sizeof(kData${index})},\n")
  math(EXPR index "${index} + 1")
endforeach()

file(WRITE "${OUTPUT}"
"// Generated from the files in assets/ by embed_resources.cmake. Do not edit.
#include <cstddef>
#include <cstdint>

#include \"graphics/soft/resources.h\"

namespace soft {
namespace {

${arrays}}  // namespace

const Resource kResources[] = {
${table}};
const std::size_t kResourceCount = sizeof(kResources) / sizeof(kResources[0]);

}  // namespace soft
")
