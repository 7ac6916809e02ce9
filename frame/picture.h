#ifndef NOUGHTS_FRAME_PICTURE_H
#define NOUGHTS_FRAME_PICTURE_H

#include <SDL.h>

// Loads a Windows bitmap by bare name, so from the working directory. Returns null when the
// file is missing or unreadable; nothing is reported.
SDL_Surface* LoadPicture(const char* name);

#endif
