#ifndef NOUGHTS_DRAW_SURFACE_CHECK_H
#define NOUGHTS_DRAW_SURFACE_CHECK_H

#include <SDL.h>

// What the drawing code and SDL's blitters rely on in a surface. A loader that is handed a
// hostile file can produce surfaces that break these; such a surface must never be drawn.

// True for a format whose pixels this code can store and SDL can blit: 1 to 4 bytes per pixel,
// 8 or more bits that fit those bytes, colour masks within those bits, and a palette of 1 to
// 256 colours wherever one byte holds a pixel. False for null.
bool IsDrawableFormat(const SDL_PixelFormat* format);

// True when the surface has a drawable format and its pixels can be addressed: a pixel buffer,
// a positive width and height, and a pitch that holds a whole row. Read the pixels of a surface
// that must be locked only while it is locked. False for null.
bool HasWholeRows(const SDL_Surface* surface);

#endif
