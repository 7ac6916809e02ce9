# CMake toolchain for 64-bit Windows with Debian's mingw-w64 (tools/windows/build.sh uses it).
# Give the SDL 1.2 built for Windows as CMAKE_FIND_ROOT_PATH: libraries, headers and packages
# are looked up only there and in mingw-w64's own tree, never in the host's, so the host's SDL
# can never be picked up (an empty root path would let CMake search the host).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The exe then needs no DLL of the compiler's beside it, only SDL.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
# No link time in the PE header, so rebuilds are identical.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")
