#include "frame/picture.h"

#include <cstddef>
#include <cstring>

// Whether every pixel's alpha is fully opaque; only 2- and 4-byte pixels carry alpha.
static bool IsFullyOpaque(const SDL_Surface* picture)
{
    const Uint32 alpha = picture->format->Amask;
    const int bpp = picture->format->BytesPerPixel;
    for (int y = 0; y < picture->h; ++y)
    {
        const Uint8* const row = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch;
        for (int x = 0; x < picture->w; ++x)
        {
            Uint32 value = 0;
            if (bpp == 2)
            {
                Uint16 narrow = 0;
                std::memcpy(&narrow, row + x * 2, sizeof narrow);
                value = narrow;
            }
            else
            {
                std::memcpy(&value, row + x * 4, sizeof value);
            }
            if ((value & alpha) != alpha)
            {
                return false;
            }
        }
    }
    return true;
}

// sdl12-compat loads 32-bit bitmaps with an alpha channel even when every pixel is opaque,
// and then blends each pixel on every blit. Such a picture gets the same layout without the
// alpha mask (the layout classic SDL 1.2 loads) and its bytes as loaded, so it is copied
// instead: the same colours show, and the display's unused byte gets what the blend gave it.
// Pictures whose alpha varies keep SDL's blending.
static SDL_Surface* DropOpaqueAlpha(SDL_Surface* picture)
{
    const SDL_PixelFormat* const format = picture->format;
    if (format->Amask == 0 || (format->BytesPerPixel != 2 && format->BytesPerPixel != 4) ||
        SDL_MUSTLOCK(picture) || !IsFullyOpaque(picture))
    {
        return picture;
    }
    SDL_Surface* const opaque =
        SDL_CreateRGBSurface(SDL_SWSURFACE, picture->w, picture->h, format->BitsPerPixel,
                             format->Rmask, format->Gmask, format->Bmask, 0);
    if (opaque == nullptr)
    {
        return picture;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(picture->w) * format->BytesPerPixel;
    for (int y = 0; y < picture->h; ++y)
    {
        std::memcpy(static_cast<Uint8*>(opaque->pixels) + y * opaque->pitch,
                    static_cast<const Uint8*>(picture->pixels) + y * picture->pitch, rowBytes);
    }
    SDL_FreeSurface(picture);
    return opaque;
}

SDL_Surface* LoadPicture(const char* name)
{
    // A null stream (missing file) is refused by the loader, which also closes the stream.
    SDL_Surface* const picture = SDL_LoadBMP_RW(SDL_RWFromFile(name, "rb"), 1);
    return picture != nullptr ? DropOpaqueAlpha(picture) : nullptr;
}
