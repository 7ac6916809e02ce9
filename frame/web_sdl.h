#ifndef NOUGHTS_FRAME_WEB_SDL_H
#define NOUGHTS_FRAME_WEB_SDL_H

// Included before every source file of the web build (CMakeLists.txt).
//
// Emscripten's SDL keeps each software surface's pixels in memory from its creation on, but
// its header says every surface must be locked, and each lock copies the surface's canvas into
// memory and back out. The game instead treats the memory as the surface: nothing locks,
// pictures are copied row by row and drawn pixel by pixel, and the display is shown from
// memory once per frame (frame/web_loop.cpp). No canvas but the page's is ever drawn on.
#include <SDL.h>

#undef SDL_MUSTLOCK
#define SDL_MUSTLOCK(surface) ((void)(surface), 0)

// Pictures are SDL 1.2's own (frame/web_bmp.h says why).
#include "frame/web_bmp.h"

#define SDL_RWFromFile(name, mode) PageRWFromFile(name, mode)
#define SDL_LoadBMP_RW(stream, freesrc) PageLoadBMP_RW(stream, freesrc)
#define SDL_MapRGB(format, red, green, blue) PageMapRGB(format, red, green, blue)
#undef SDL_BlitSurface
#define SDL_BlitSurface(source, sourceRect, target, targetRect)                                    \
    PageBlitSurface(source, sourceRect, target, targetRect)
#define SDL_FreeSurface(surface) PageFreeSurface(surface)

#endif
