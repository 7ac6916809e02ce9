#ifndef NOUGHTS_FRAME_WEB_BMP_NAMES_H
#define NOUGHTS_FRAME_WEB_BMP_NAMES_H

// Included before SDL 1.2's bitmap loader in the web build (web/CMakeLists.txt): it runs on
// frame/web_bmp.cpp's streams, surfaces and errors, not on Emscripten's SDL, whose streams C
// cannot read, whose surfaces are always 32-bit and whose error is never empty.
#define SDL_LoadBMP_RW WebLoadBMP_RW
#define SDL_CreateRGBSurface WebCreateRGBSurface
#define SDL_FreeSurface WebFreeSurface
#define SDL_SetError WebSetError
#define SDL_Error WebError
#define SDL_ClearError WebClearError
#define SDL_GetError WebGetError
#define SDL_ReadLE16 WebReadLE16
#define SDL_ReadLE32 WebReadLE32
// Emscripten's SDL declares these without defining them.
#define SDL_strcmp strcmp
#define SDL_strncmp strncmp

// The loader names SDL 1.2's flags, which Emscripten's SDL keeps in SDL_compat.h.
#include <SDL.h>

#endif
