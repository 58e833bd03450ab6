# Cross-compiles the Windows build with Debian's mingw-w64 (POSIX thread model, which std::thread
# needs) and runs its programs under wine.
#
#   scripts/build-windows-deps.sh
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
#
# Libraries come from the mingw sysroot (zlib) and from build/windows-deps/prefix (libpng,
# libjpeg-turbo, giflib, GoogleTest); SB_WINDOWS_DEPS names another prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SB_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SB_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SB_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SB_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${SB_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${SB_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT SB_WINDOWS_DEPS)
  if(DEFINED ENV{SB_WINDOWS_DEPS})
    set(SB_WINDOWS_DEPS $ENV{SB_WINDOWS_DEPS})
  else()
    get_filename_component(SB_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps/prefix" ABSOLUTE)
  endif()
endif()
# try_compile projects read the toolchain file again; hand them the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SB_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${SB_MINGW_TRIPLE} ${SB_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The static zlib, so that every program stands alone (no zlib1.dll next to it).
set(ZLIB_USE_STATIC_LIBS ON)

# The C and C++ runtimes and winpthread linked in as well.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(SB_WINE NAMES wine wine64)
if(SB_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SB_WINE})
endif()
