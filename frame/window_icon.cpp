#include "frame/window_icon.h"

#include "window_icon_bmp.inc"

SDL_Surface* LoadWindowIcon()
{
#ifdef __EMSCRIPTEN__
    // A page's icons come from its manifest, and Emscripten's SDL reads pictures only from files.
    return nullptr;
#else
    return SDL_LoadBMP_RW(SDL_RWFromConstMem(WINDOW_ICON_BMP, sizeof WINDOW_ICON_BMP), 1);
#endif
}
