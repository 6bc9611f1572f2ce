# Cross-compiling for 64-bit Windows with MinGW-w64; this build also runs under Wine.
#   cmake -S . -B build-win-x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
# The -posix compilers carry the C++ threading support; everything is linked
# statically so that the .exe needs no DLL beyond Windows' own.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(CARPEX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CARPEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CARPEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CARPEX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CARPEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread in the executable rather than beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Lets CTest and gtest_discover_tests run the .exe files under Wine when it is there.
find_program(CARPEX_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT CARPEX_WINE64)
  find_program(CARPEX_WINE64 NAMES wine64 wine)
endif()
if(CARPEX_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CARPEX_WINE64})
endif()
