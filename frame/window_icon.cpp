#include "frame/window_icon.h"

#include "window_icon_bmp.inc"

SDL_Surface* LoadWindowIcon()
{
#ifdef __EMSCRIPTEN__
    // A page has no window to give an icon: its icons are the site's. Nor does every visit
    // download this one.
    return nullptr;
#else
    return SDL_LoadBMP_RW(SDL_RWFromConstMem(WINDOW_ICON_BMP, sizeof WINDOW_ICON_BMP), 1);
#endif
}
