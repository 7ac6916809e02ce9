#include "frame/picture.h"

SDL_Surface* LoadPicture(const char* name)
{
    // A null stream (missing file) is refused by the loader, which also closes the stream.
    return SDL_LoadBMP_RW(SDL_RWFromFile(name, "rb"), 1);
}
