#ifndef NOUGHTS_FRAME_PICTURE_H
#define NOUGHTS_FRAME_PICTURE_H

#include <SDL.h>

// Loads a Windows bitmap by bare name, so from the working directory. Returns null when the
// file is missing or unreadable; nothing is reported. An alpha channel that is opaque
// throughout is dropped (the bytes stay as loaded), so the picture blits as a plain copy on
// every SDL 1.2; one whose alpha varies is returned as SDL loaded it.
SDL_Surface* LoadPicture(const char* name);

#endif
