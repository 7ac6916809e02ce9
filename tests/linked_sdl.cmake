# Run by CTest: asks the runtime linker (through ldd) which SDL 1.2 the game binary BINARY loads
# and fails unless it is the library EXPECTED the build was configured with. A cross build's
# binary is asked through its emulator (the environment's NOUGHTS_EMULATOR, a shell-quoted
# command that sets the runtime linker's variables for the program alone with -E, as qemu-user
# does), whose paths lie in one of ROOTS (separated by "|").
if(DEFINED ENV{NOUGHTS_EMULATOR} AND NOT "$ENV{NOUGHTS_EMULATOR}" STREQUAL "")
  separate_arguments(runner UNIX_COMMAND "$ENV{NOUGHTS_EMULATOR}")
  execute_process(COMMAND ${runner} -ELD_TRACE_LOADED_OBJECTS=1 "${BINARY}"
                  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
else()
  execute_process(COMMAND ldd "${BINARY}" OUTPUT_VARIABLE listing RESULT_VARIABLE status)
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ldd ${BINARY} failed:\n${listing}")
endif()
if(NOT listing MATCHES "libSDL-1\\.2\\.so\\.0 => ([^ ]+) ")
  message(FATAL_ERROR "${BINARY} loads no SDL 1.2:\n${listing}")
endif()
set(loaded "${CMAKE_MATCH_1}")
string(REPLACE "|" ";" roots "${ROOTS}")
foreach(root IN LISTS roots)
  string(FIND "${loaded}" "${root}/" at)
  if(NOT at EQUAL 0 AND EXISTS "${root}${loaded}")
    set(loaded "${root}${loaded}")
  endif()
endforeach()
file(REAL_PATH "${loaded}" loaded)
file(REAL_PATH "${EXPECTED}" expected)
if(NOT loaded STREQUAL expected)
  message(FATAL_ERROR "${BINARY} loads ${loaded}, the build was configured with ${expected}")
endif()
message(STATUS "${BINARY} loads ${loaded}")
