# What both MinGW-w64 toolchains share; each sets CARPEX_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first. The -posix compilers carry the C++ threading
# support; everything is linked statically so that the .exe needs no DLL beyond
# Windows' own.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${CARPEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CARPEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CARPEX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CARPEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread in the executable rather than beside it; no
# link time in the header, so that the same sources give the same .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
