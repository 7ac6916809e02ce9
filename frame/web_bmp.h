#ifndef NOUGHTS_FRAME_WEB_BMP_H
#define NOUGHTS_FRAME_WEB_BMP_H

// Bitmaps in the page as SDL 1.2 loads them on a desktop. Emscripten's SDL hands every picture
// to the browser's decoder and gets 32 bits a pixel back, whatever the file holds, so a
// palettised picture showed other colours and passed other checks. The web build instead runs
// the loader of Debian's SDL 1.2 source (its src/video/SDL_bmp.c, built in by web/CMakeLists.txt)
// on the streams, surfaces and errors below, which behave as SDL 1.2's own.
#include <SDL.h>

// SDL 1.2's SDL_LoadBMP_RW, C code, as are its calls below: the surface has the
// file's bits per pixel (1 and 4 made 8) and palette, freed with WebFreeSurface.
extern "C" SDL_Surface* WebLoadBMP_RW(SDL_RWops* src, int freesrc);

// A stream over the named file through the C library, as SDL 1.2's SDL_RWFromFile gives (the
// one of Emscripten's SDL is a handle only its JavaScript reads). Null when it cannot be
// opened.
SDL_RWops* WebOpenFile(const char* name);

// What the loader calls; each does what SDL 1.2's function of that name does for it.
extern "C" SDL_Surface* WebCreateRGBSurface(Uint32 flags, int width, int height, int depth,
                                            Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask);
extern "C" void WebFreeSurface(SDL_Surface* surface);
extern "C" void WebSetError(const char* format, ...);
extern "C" void WebError(SDL_errorcode code);
extern "C" void WebClearError(void);
extern "C" const char* WebGetError(void);
extern "C" Uint16 WebReadLE16(SDL_RWops* src);
extern "C" Uint32 WebReadLE32(SDL_RWops* src);

// A copy of a loaded surface in the display's format, with the pixels SDL 1.2's blit gives it
// on a display of 8 bits a channel: palette entries as they are, packed channels widened by
// shifting. Null without a display or memory. Emscripten's SDL blits through canvases, never
// in the memory the game draws in, so a picture is converted here once and then copied.
SDL_Surface* WebShownPicture(const SDL_Surface* loaded);

#endif
