# noughts_sdl12: the parts of SDL 1.2 that the page draws its pictures with (frame/web_picture.h
# says why): streams, the bitmap loader, surfaces, pixel formats and the blitters, from Debian's
# libsdl1.2 source, which tools/sdl-source.sh fetches and NOUGHTS_SDL_SOURCE names. Built into
# the page (web/CMakeLists.txt) and into the native tests that hold it to the system's SDL 1.2.
set(NOUGHTS_SDL_SOURCE "" CACHE PATH "Debian's libsdl1.2 source tree")
set(sdl12_sources
  src/SDL_error.c src/file/SDL_rwops.c src/stdlib/SDL_string.c src/cpuinfo/SDL_cpuinfo.c
  src/video/SDL_bmp.c src/video/SDL_surface.c src/video/SDL_pixels.c src/video/SDL_RLEaccel.c
  src/video/SDL_blit.c src/video/SDL_blit_0.c src/video/SDL_blit_1.c src/video/SDL_blit_N.c
  src/video/SDL_blit_A.c)
list(TRANSFORM sdl12_sources PREPEND "${NOUGHTS_SDL_SOURCE}/")
foreach(source IN LISTS sdl12_sources)
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "No ${source} in NOUGHTS_SDL_SOURCE (${NOUGHTS_SDL_SOURCE}); "
                        "bash tools/sdl-source.sh fetches it")
  endif()
endforeach()
enable_language(C)
add_library(noughts_sdl12 STATIC ${sdl12_sources} ${PROJECT_SOURCE_DIR}/frame/web_picture.c)
# SDL 1.2's own headers only, never the SDL the game is built against.
target_include_directories(noughts_sdl12 PRIVATE ${PROJECT_SOURCE_DIR}
  "${NOUGHTS_SDL_SOURCE}/include" "${NOUGHTS_SDL_SOURCE}/src"
  "${NOUGHTS_SDL_SOURCE}/src/video" "${NOUGHTS_SDL_SOURCE}/src/events")
target_compile_options(noughts_sdl12 PRIVATE
  "-include${PROJECT_SOURCE_DIR}/frame/web_bmp_names.h"
  "-ffile-prefix-map=${NOUGHTS_SDL_SOURCE}=sdl" "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.")
# SDL's code as it is: its warnings are not the game's. The game's side of it gets them all.
set_source_files_properties(${sdl12_sources} PROPERTIES COMPILE_OPTIONS -w)
set_source_files_properties(${PROJECT_SOURCE_DIR}/frame/web_picture.c PROPERTIES
  COMPILE_OPTIONS "-Wall;-Wextra;-Werror")
