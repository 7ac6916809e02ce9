# CMake toolchain for Debian's cross compilers (g++-<triplet>). Give the Debian architecture as
# NOUGHTS_ARCH (one of tools/arch/arches.txt) and a sysroot of tools/arch/sysroot.sh as
# NOUGHTS_SYSROOT: SDL, Xlib and GoogleTest are looked up only there, never on the host, and
# the tests run under the emulator tools/arch/run.sh picks. tools/arch/build.sh passes both.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES NOUGHTS_ARCH NOUGHTS_SYSROOT)
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/arches.txt" arch_lines REGEX "^[^#]")
set(known_arches "")
foreach(line IN LISTS arch_lines)
  string(REGEX REPLACE " +" ";" fields "${line}")
  list(GET fields 0 name)
  list(APPEND known_arches ${name})
  if(name STREQUAL "${NOUGHTS_ARCH}")
    list(GET fields 1 triplet)
    list(GET fields 2 multiarch)
  endif()
endforeach()
if(NOT triplet)
  list(JOIN known_arches " " known_arches)
  message(FATAL_ERROR "unknown architecture '${NOUGHTS_ARCH}' (NOUGHTS_ARCH); known: ${known_arches}")
endif()
if(NOT IS_DIRECTORY "${NOUGHTS_SYSROOT}/usr/lib/${multiarch}")
  message(FATAL_ERROR "NOUGHTS_SYSROOT '${NOUGHTS_SYSROOT}' is no sysroot for ${NOUGHTS_ARCH} "
                      "(tools/arch/sysroot.sh ${NOUGHTS_ARCH} makes one)")
endif()

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${triplet}")
set(CMAKE_C_COMPILER ${triplet}-gcc)
set(CMAKE_CXX_COMPILER ${triplet}-g++)
set(CMAKE_STRIP ${triplet}-strip)
set(CMAKE_LIBRARY_ARCHITECTURE ${multiarch})
set(CMAKE_FIND_ROOT_PATH "${NOUGHTS_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The linker follows the libraries SDL needs into the sysroot, libpulse's private one included;
# no run path into the sysroot reaches a binary, in the build tree or installed.
foreach(dir "${NOUGHTS_SYSROOT}/lib/${multiarch}" "${NOUGHTS_SYSROOT}/usr/lib/${multiarch}"
            "${NOUGHTS_SYSROOT}/usr/lib/${multiarch}/pulseaudio")
  foreach(kind EXE SHARED MODULE)
    string(APPEND CMAKE_${kind}_LINKER_FLAGS_INIT " \"-Wl,-rpath-link,${dir}\"")
  endforeach()
endforeach()
set(CMAKE_SKIP_BUILD_RPATH ON)
# A sysroot of a newer release than the cross compiler's (Debian 13's for riscv64) has libraries
# that need a newer C library than the one the game links with; they find it when the game runs,
# under the emulator in every test, and are not checked against the older one here.
foreach(kind EXE SHARED MODULE)
  string(APPEND CMAKE_${kind}_LINKER_FLAGS_INIT " -Wl,--allow-shlib-undefined")
endforeach()
# The sysroot's headers are named by their installed paths in the debugging data, so where the
# sysroot lies never changes a binary.
string(APPEND CMAKE_CXX_FLAGS_INIT " \"-ffile-prefix-map=${NOUGHTS_SYSROOT}=\"")
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/run.sh;${NOUGHTS_ARCH};${NOUGHTS_SYSROOT}")
