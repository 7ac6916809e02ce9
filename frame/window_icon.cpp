#include "frame/window_icon.h"

#include "window_icon_bmp.inc"

SDL_Surface* LoadWindowIcon()
{
    return SDL_LoadBMP_RW(SDL_RWFromConstMem(WINDOW_ICON_BMP, sizeof WINDOW_ICON_BMP), 1);
}
