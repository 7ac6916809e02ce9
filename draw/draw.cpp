#include "draw/draw.h"

// Placeholder until the primitives land.
void ClearSurface(SDL_Surface*) {}
void DrawPanel(SDL_Surface*, int, int) {}
void DrawLine(SDL_Surface*, int, int, int, int, Uint8, Uint8, Uint8) {}
void DrawCircle(SDL_Surface*, int, int, int) {}
