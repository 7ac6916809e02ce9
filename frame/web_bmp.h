#ifndef NOUGHTS_FRAME_WEB_BMP_H
#define NOUGHTS_FRAME_WEB_BMP_H

// Pictures in the page as SDL 1.2 gives them on a desktop: the file's depth and palette, what
// the game draws into them mapped to their format, and blits converting as SDL 1.2's blitters
// do. Emscripten's SDL cannot: it hands every picture to the browser's decoder, gets 32 bits a
// pixel back whatever the file holds, and maps and blits for 32-bit canvases only. So the page
// runs SDL 1.2's own code on its pictures (frame/web_picture.h), and frame/web_sdl.h sends the
// game's picture calls here. Each call below does what SDL 1.2's function of that name does;
// on a surface that is not a picture of this file (the display, a stand-in) it hands the call
// to the SDL the game is built against.
#include <SDL.h>

// SDL_RWFromFile for reading.
SDL_RWops* PageRWFromFile(const char* name, const char* mode);

// SDL_LoadBMP_RW. The picture's pixels and palette are SDL 1.2's; the surface the game sees
// describes them in the layout of the SDL it is built against.
SDL_Surface* PageLoadBMP_RW(SDL_RWops* stream, int freesrc);

Uint32 PageMapRGB(const SDL_PixelFormat* format, Uint8 red, Uint8 green, Uint8 blue);

// SDL_BlitSurface; a picture is blitted only onto packed pixels of 2 to 4 bytes.
int PageBlitSurface(SDL_Surface* source, SDL_Rect* sourceRect, SDL_Surface* target,
                    SDL_Rect* targetRect);

void PageFreeSurface(SDL_Surface* surface);

// The picture, loaded and checked, in the display's format where that shows and draws exactly
// the same: 32 bits with 8-bit colour channels and no alpha, a display of 32 bits. Only the
// channels' order changes, so every colour maps and blits as before, and each pass copies the
// picture instead of converting it. Anything else is returned as it is.
SDL_Surface* PageInDisplayFormat(SDL_Surface* picture);

#endif
