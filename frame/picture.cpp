#include "frame/picture.h"

#include "draw/surface_check.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

// SDL 1.2 keeps a rectangle's and a clip rectangle's sides in 16 bits: a longer side could be
// neither clipped nor blitted truthfully.
static const int MAX_PICTURE_SIDE = 65535;
// 4096 x 4096, over a hundred windows: a few bytes of header can make a loader hand back a
// surface of gigabytes, and the play screen holds six pictures.
static const Sint64 MAX_PICTURE_PIXELS = Sint64{1} << 24;

static bool IsRegularFile(const char* name)
{
    struct stat status;
    return stat(name, &status) == 0 && S_ISREG(status.st_mode);
}

// A FIFO, a device or a directory named like a picture is not read: opening a FIFO blocks until
// a writer comes, and a device may never end. The check by name keeps devices from even being
// opened; where FIFOs exist, the file is then opened without blocking and checked again, so one
// swapped in between the two steps is refused as well.
// Windows and Emscripten's SDL have no SDL_RWFromFP; neither has FIFOs to swap in.
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
static SDL_RWops* OpenRegularFile(const char* name)
{
    return IsRegularFile(name) ? SDL_RWFromFile(name, "rb") : nullptr;
}
#else
static SDL_RWops* OpenRegularFile(const char* name)
{
    if (!IsRegularFile(name))
    {
        return nullptr;
    }
    const int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
    {
        return nullptr;
    }
    // O_NONBLOCK stays set: it changes nothing for the regular file this must now be.
    struct stat status;
    FILE* const file =
        fstat(fd, &status) == 0 && S_ISREG(status.st_mode) ? fdopen(fd, "rb") : nullptr;
    if (file == nullptr)
    {
        close(fd);
        return nullptr;
    }
    SDL_RWops* const stream = SDL_RWFromFP(file, 1);
    if (stream == nullptr)
    {
        fclose(file);
    }
    return stream;
}
#endif

static bool HasSaneSize(const SDL_Surface* picture)
{
    return picture->w <= MAX_PICTURE_SIDE && picture->h <= MAX_PICTURE_SIDE &&
           static_cast<Sint64>(picture->w) * picture->h <= MAX_PICTURE_PIXELS;
}

// SDL's blit looks every palettised pixel up in the palette without a bound check.
static bool IndexesOnlyItsPalette(const SDL_Surface* picture)
{
    if (picture->format->BytesPerPixel != 1)
    {
        return true;
    }
    const int colours = picture->format->palette->ncolors;
    for (int y = 0; y < picture->h; ++y)
    {
        const Uint8* const row = static_cast<const Uint8*>(picture->pixels) +
                                 static_cast<std::ptrdiff_t>(y) * picture->pitch;
        for (int x = 0; x < picture->w; ++x)
        {
            if (row[x] >= colours)
            {
                return false;
            }
        }
    }
    return true;
}

// A loaded picture is a plain software surface, whose pixels need no lock to be read.
static bool IsSoundPicture(const SDL_Surface* picture)
{
    return HasWholeRows(picture) && !SDL_MUSTLOCK(picture) && HasSaneSize(picture) &&
           IndexesOnlyItsPalette(picture);
}

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
    // A null stream (no readable regular file) is refused by the loader, which also closes
    // the stream.
    SDL_Surface* const picture = SDL_LoadBMP_RW(OpenRegularFile(name), 1);
    if (picture == nullptr)
    {
        return nullptr;
    }
    if (!IsSoundPicture(picture))
    {
        SDL_FreeSurface(picture);
        return nullptr;
    }
    return DropOpaqueAlpha(picture);
}
