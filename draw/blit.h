#ifndef NOUGHTS_DRAW_BLIT_H
#define NOUGHTS_DRAW_BLIT_H

#include <SDL.h>

// Blits the whole of source onto target with its top-left corner at (x, y), clipped to the
// target's clip rectangle: the same pixels as SDL_BlitSurface with that destination. Opaque
// surfaces of one and the same format are copied row by row with memcpy; everything else
// (conversions, colour keys, alpha, surfaces that must be locked) goes to SDL_BlitSurface.
// The result of SDL's blit is not reported, as nothing acts on it. Nothing is drawn when either
// surface is null or fails the checks of draw/surface_check.h.
void BlitWhole(SDL_Surface* source, SDL_Surface* target, Sint16 x, Sint16 y);

// Whether BlitWhole copies source onto target row by row rather than through SDL's blit.
bool IsPlainCopy(const SDL_Surface* source, const SDL_Surface* target);

#endif
