#ifndef NOUGHTS_FRAME_WINDOW_ICON_H
#define NOUGHTS_FRAME_WINDOW_ICON_H

#include <SDL.h>

// The window's icon, a 32x32 picture built into the game (from assets/icons/32.bmp) so the
// game reads no file for it. Returns a new surface, or null when SDL cannot make one (and in a
// page, which has no window icon).
SDL_Surface* LoadWindowIcon();

#endif
