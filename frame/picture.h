#ifndef NOUGHTS_FRAME_PICTURE_H
#define NOUGHTS_FRAME_PICTURE_H

#include <SDL.h>

// Loads a Windows bitmap by bare name, so from the working directory. Returns null when the
// file is missing, unreadable, not a regular file (a FIFO or a device is never opened in a way
// that could block), or describes a surface the screens could not draw safely: no pixels, a
// side of zero, a negative one or one over 65535, more than 4096 x 4096 pixels, a pitch short
// of a row, an unsupported pixel size, or palettised pixels without a palette or outside it.
// Sides and pixel count are checked in the file's headers before anything is decoded, and so
// is whether an uncompressed picture's file is long enough for its pixels, so a refused picture
// costs no more than reading its headers. Nothing is reported. An alpha channel that is opaque
// throughout is dropped (the bytes stay as loaded), so the picture blits as a plain copy on
// every SDL 1.2; one whose alpha varies is returned as SDL loaded it.
SDL_Surface* LoadPicture(const char* name);

// The check of the headers above for the bitmap at the stream's position, which is put back
// there: SDL's loaders are handed no file it refuses.
bool StreamHeaderFitsLimits(SDL_RWops* stream);

#endif
