#ifndef NOUGHTS_GAME_BOARD_RENDER_H
#define NOUGHTS_GAME_BOARD_RENDER_H

#include <SDL.h>

// Blits the nine cells of the board onto target, in index order (a later cell covers an
// earlier one), the cell at column i, row j with its top-left corner at (2r*i, 2r*j). Each
// cell image first gets a white frame drawn into the image itself, so the frame persists and
// shows wherever that image is blitted later. A null image leaves its cells undrawn.
void DrawBoard(SDL_Surface* target, SDL_Surface* ringImage, SDL_Surface* crossImage,
               SDL_Surface* emptyImage, int cellRadius);

#endif
