#include "game/board_render.h"
#include "game/play_state.h"

void DrawBoard(SDL_Surface*, SDL_Surface*, SDL_Surface*, SDL_Surface*, int) {}
void CPlayState::Draw(CStateEngine*) {}
