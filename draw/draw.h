#ifndef NOUGHTS_DRAW_DRAW_H
#define NOUGHTS_DRAW_DRAW_H

#include <SDL.h>

// Software drawing straight into a surface's pixels, for 1, 2, 3 and 4 bytes per pixel.
// Each call maps its colour once with SDL_MapRGB, locks only when SDL_MUSTLOCK says so (and
// draws nothing if the lock is refused), never writes outside 0 <= x < w, 0 <= y < h nor the
// padding after a row, and ignores the clip rectangle. A null surface, or one that fails the
// checks of draw/surface_check.h (no pixels, no rows, a short pitch, a missing palette, an
// unsupported pixel size), is left untouched.

// Sampling constants. The steps are single-precision values widened to double and the
// parameters accumulate them: that exact rounding decides which pixels the marks and frames
// light, so neither may be "tidied" into 0.001, 0.005 or k * step.
constexpr double LINE_STEP = static_cast<double>(0.001f);
constexpr double CIRCLE_STEP = static_cast<double>(0.005f);
// Deliberately short of 2 * pi: the last few hundredths of the circle are never sampled.
constexpr double CIRCLE_END_ANGLE = 6.263184;

// Paints every pixel black.
void ClearSurface(SDL_Surface* surface);

// Paints gray (128, 128, 128) the width x height rectangle at (0, 0), as far as it lies inside
// the surface, and every other pixel black, writing each pixel once. Zero or negative sizes
// paint nothing gray. The covered x covered square at (0, 0), as far as it lies inside the
// panel, is left as it is: for a caller that paints all of it next.
void DrawPanel(SDL_Surface* surface, int width, int height, int covered = 0);

// 1000 samples from (x1, y1) towards (x2, y2) at t = 0, LINE_STEP, ... (t = 1 never), each
// truncated toward zero; samples outside the surface are skipped. Going forward along an
// axis the line stops one pixel short of the end; going backward it reaches it.
void DrawLine(SDL_Surface* surface, int x1, int y1, int x2, int y2, Uint8 red, Uint8 green,
              Uint8 blue);

// Clears to black, then draws a white outline around (cx, cy) by angle sampling. A computed
// point (x, y) with 0 < x < w and 0 < y < h lights pixel (x - 1, y). Finally asks SDL to
// update the square (cx - radius, cy - radius, 2 * radius, 2 * radius), but only while SDL's
// video is running: SDL 1.2 crashes on an update request without it, and an off-screen
// picture can be drawn before or after that. Nothing is updated if the lock was refused.
void DrawCircle(SDL_Surface* surface, int cx, int cy, int radius);

#endif
