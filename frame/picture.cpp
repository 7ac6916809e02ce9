#include "frame/picture.h"

#include "draw/pixel.h"
#include "draw/surface_check.h"

#include <cstddef>
#include <cstdint>
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
// Windows has no SDL_RWFromFP, and no FIFOs to swap in.
#ifdef _WIN32
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

static bool IsSaneSize(Sint64 width, Sint64 height)
{
    return width > 0 && height > 0 && width <= MAX_PICTURE_SIDE && height <= MAX_PICTURE_SIDE &&
           width * height <= MAX_PICTURE_PIXELS;
}

static bool HasSaneSize(const SDL_Surface* picture)
{
    return IsSaneSize(picture->w, picture->h);
}

// The file header and as much of the info header as holds the sides, the bits per pixel and
// the compression, for every kind of info header.
static const int HEADER_BYTES = 34;
static const int FILE_HEADER_BYTES = 14;
// The compression, the last field read, ends 20 bytes into the info header.
static_assert(HEADER_BYTES >= FILE_HEADER_BYTES + 20, "the header read holds every field used");
// An OS/2 info header, with 16-bit sides; every other kind has 32-bit ones.
static const Uint32 CORE_INFO_BYTES = 12;
static const Uint32 UNCOMPRESSED = 0;
static const Uint32 RUN_LENGTH_8 = 1;
static const Uint32 RUN_LENGTH_4 = 2;
// No bitmap has more. SDL 1.2 keeps a surface's bits and bytes per pixel in a byte each, so a
// larger count wraps into a surface of up to 255 bytes a pixel, allocated whole before a pixel
// is read (or into a plausible 8-bit one).
static const int MOST_BITS_PER_PIXEL = 32;

// The fewest bytes from the pixels' offset on that any loader reads from a bitmap stored row by
// row: every row but the last with its padding, and the last up to its final pixel. SDL2 reads
// every compression but the run-length ones so; SDL 1.2 reads an odd bit count (2, 12) as
// whole bytes a pixel, so no less, after making the whole surface. Zero for run-length ones.
static Sint64 LeastPixelBytes(Uint32 compression, int bits, Sint64 width, Sint64 height)
{
    if (compression == RUN_LENGTH_8 || compression == RUN_LENGTH_4)
    {
        return 0;
    }
    const Sint64 rowBits = width * bits;
    return (height - 1) * ((rowBits + 31) / 32 * 4) + (rowBits + 7) / 8;
}

// Whether a bitmap's headers claim a picture within the limits that its file can hold, from
// the file's first HEADER_BYTES (bytes past the end read as zero, as SDL reads them) and its
// length, negative when unknown. Checked before the loader decodes, so what it decodes costs
// only what the headers admit: SDL2 allocates and clears the whole surface a header claims
// before it reads a pixel.
static bool HeaderFitsLimits(const Uint8 (&header)[HEADER_BYTES], Sint64 length)
{
    if (header[0] != 'B' || header[1] != 'M')
    {
        return false;
    }
    const Uint8* const info = header + FILE_HEADER_BYTES;
    Sint64 width = 0;
    Sint64 height = 0;
    int bits = 0;
    Uint32 compression = UNCOMPRESSED;
    if (ReadLittleEndian(info, 4) == CORE_INFO_BYTES)
    {
        width = ReadLittleEndian(info + 4, 2);
        height = ReadLittleEndian(info + 6, 2);
        bits = static_cast<int>(ReadLittleEndian(info + 10, 2));
    }
    else
    {
        width = static_cast<Sint32>(ReadLittleEndian(info + 4, 4));
        // A negative height is a picture stored top row first.
        height = static_cast<Sint32>(ReadLittleEndian(info + 8, 4));
        height = height < 0 ? -height : height;
        bits = static_cast<int>(ReadLittleEndian(info + 14, 2));
        compression = ReadLittleEndian(info + 16, 4);
    }
    if (!IsSaneSize(width, height) || bits > MOST_BITS_PER_PIXEL)
    {
        return false;
    }
    // A file shorter than its pixels fails to load anyway, but only after the whole surface.
    const Sint64 offset = ReadLittleEndian(header + 10, 4);
    const Sint64 least = LeastPixelBytes(compression, bits, width, height);
    return length < 0 || least == 0 || offset + least <= length;
}

bool StreamHeaderFitsLimits(SDL_RWops* stream)
{
    const int start = SDL_RWseek(stream, 0, RW_SEEK_CUR);
    Uint8 header[HEADER_BYTES] = {};
    const int got = SDL_RWread(stream, header, 1, HEADER_BYTES);
    const int end = SDL_RWseek(stream, 0, RW_SEEK_END);
    if (start < 0 || got < 0 || SDL_RWseek(stream, start, RW_SEEK_SET) != start)
    {
        return false;
    }
    return HeaderFitsLimits(header, end < 0 ? -1 : end - start);
}

// Whether a row holds a byte of `limit` or more. Up to a limit of 128, eight bytes are taken at a
// time: adding 128 - limit to a byte below 128 sets its top bit exactly when the byte reaches the
// limit, and a byte of 128 or more has that bit already (its carry can only mark a word that is
// marked anyway).
static bool HasByteAtLeast(const Uint8* row, int count, int limit)
{
    int x = 0;
    if (limit <= 128)
    {
        const std::uint64_t ones = 0x0101010101010101;
        const std::uint64_t add = ones * static_cast<std::uint64_t>(128 - limit);
        for (; x + 8 <= count; x += 8)
        {
            std::uint64_t word = 0;
            std::memcpy(&word, row + x, sizeof word);
            if (((word + add) | word) & (ones * 0x80))
            {
                return true;
            }
        }
    }
    for (; x < count; ++x)
    {
        if (row[x] >= limit)
        {
            return true;
        }
    }
    return false;
}

// SDL's blit looks every palettised pixel up in the palette without a bound check.
static bool IndexesOnlyItsPalette(const SDL_Surface* picture)
{
    if (picture->format->BytesPerPixel != 1)
    {
        return true;
    }
    const int colours = picture->format->palette->ncolors;
    if (colours >= 256)
    {
        return true;
    }
    for (int y = 0; y < picture->h; ++y)
    {
        const Uint8* const row = static_cast<const Uint8*>(picture->pixels) +
                                 static_cast<std::ptrdiff_t>(y) * picture->pitch;
        if (HasByteAtLeast(row, picture->w, colours))
        {
            return false;
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
            if ((LoadPixel(row + x * bpp, bpp) & alpha) != alpha)
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

// Whether pixels are 32 bits of three whole 8-bit colour channels.
static bool HasByteChannels(const SDL_PixelFormat* format)
{
    return format->BitsPerPixel == 32 && format->Rloss == 0 && format->Gloss == 0 &&
           format->Bloss == 0;
}

// The picture's pixels with their channels moved to where the display keeps them, opaque where
// the display has alpha. Done here, not by SDL_DisplayFormat: ppc64el's classic SDL 1.2 converts
// such rows with AltiVec code written for big-endian PowerPC and loses channels.
static SDL_Surface* Reordered(const SDL_Surface* picture, const SDL_PixelFormat* display)
{
    SDL_Surface* const ordered =
        SDL_CreateRGBSurface(SDL_SWSURFACE, picture->w, picture->h, 32, display->Rmask,
                             display->Gmask, display->Bmask, display->Amask);
    if (ordered == nullptr)
    {
        return nullptr;
    }
    const SDL_PixelFormat* const from = picture->format;
    for (int y = 0; y < picture->h; ++y)
    {
        const Uint8* const in = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch;
        Uint8* const out = static_cast<Uint8*>(ordered->pixels) + y * ordered->pitch;
        for (int x = 0; x < picture->w; ++x)
        {
            const Uint32 pixel = LoadPixel(in + 4 * x, 4);
            StorePixel<4>(out + 4 * x,
                          ((pixel & from->Rmask) >> from->Rshift) << display->Rshift |
                              ((pixel & from->Gmask) >> from->Gshift) << display->Gshift |
                              ((pixel & from->Bmask) >> from->Bshift) << display->Bshift |
                              display->Amask);
        }
    }
    return ordered;
}

// A 32-bit picture whose 8-bit channels only lie in another order than the display's is put in
// the display's order once: every colour shows and draws as before, each channel keeping its 8
// bits, and each pass then copies the picture's rows instead of converting each pixel. A page's
// display is red first; a desktop's is usually ordered as bitmaps are, and nothing changes there.
static SDL_Surface* InDisplayOrder(SDL_Surface* picture)
{
    const SDL_Surface* const display = SDL_GetVideoSurface();
    const SDL_PixelFormat* const format = picture->format;
    if (display == nullptr || format->Amask != 0 || !HasByteChannels(format) ||
        !HasByteChannels(display->format) ||
        (format->Rmask == display->format->Rmask && format->Gmask == display->format->Gmask &&
         format->Bmask == display->format->Bmask))
    {
        return picture;
    }
    SDL_Surface* const ordered = Reordered(picture, display->format);
    if (ordered == nullptr)
    {
        return picture;
    }
    SDL_FreeSurface(picture);
    // A display with alpha gives the picture its alpha, all opaque, which SDL would then blend:
    // it is copied instead.
    SDL_SetAlpha(ordered, 0, SDL_ALPHA_OPAQUE);
    return ordered;
}

// What the loader gave, if the screens can draw it safely; with opaque alpha dropped.
static SDL_Surface* CheckedPicture(SDL_Surface* picture)
{
    if (picture == nullptr)
    {
        return nullptr;
    }
    if (!IsSoundPicture(picture))
    {
        SDL_FreeSurface(picture);
        return nullptr;
    }
    return InDisplayOrder(DropOpaqueAlpha(picture));
}

SDL_Surface* LoadPicture(const char* name)
{
    SDL_RWops* const stream = OpenRegularFile(name);
    if (stream == nullptr)
    {
        return nullptr;
    }
    if (!StreamHeaderFitsLimits(stream))
    {
        SDL_RWclose(stream);
        return nullptr;
    }
    // The loader closes the stream.
    return CheckedPicture(SDL_LoadBMP_RW(stream, 1));
}
