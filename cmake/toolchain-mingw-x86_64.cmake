# Cross-compiling for 64-bit Windows with MinGW-w64; this build also runs under Wine.
#   cmake -S . -B build-win-x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CARPEX_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Lets CTest and gtest_discover_tests run the .exe files under Wine when it is there.
find_program(CARPEX_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT CARPEX_WINE64)
  find_program(CARPEX_WINE64 NAMES wine64 wine)
endif()
if(CARPEX_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CARPEX_WINE64})
endif()
