#include "frame/web_bmp.h"

#include "draw/pixel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// The loader only asks whether an error was set since it cleared it.
static bool errorSet = false;

void WebSetError(const char*, ...)
{
    errorSet = true;
}

void WebError(SDL_errorcode)
{
    errorSet = true;
}

void WebClearError(void)
{
    errorSet = false;
}

const char* WebGetError(void)
{
    return errorSet ? "error" : "";
}

static FILE* FileOf(SDL_RWops* stream)
{
    return static_cast<FILE*>(stream->hidden.unknown.data1);
}

static long SeekFile(SDL_RWops* stream, long offset, int whence)
{
    if (std::fseek(FileOf(stream), offset, whence) != 0)
    {
        WebError(SDL_EFSEEK);
        return -1;
    }
    return std::ftell(FileOf(stream));
}

static size_t ReadFile(SDL_RWops* stream, void* to, size_t size, size_t count)
{
    const size_t got = std::fread(to, size, count, FileOf(stream));
    if (got == 0 && std::ferror(FileOf(stream)))
    {
        WebError(SDL_EFREAD);
    }
    return got;
}

static size_t RefuseWrite(SDL_RWops*, const void*, size_t, size_t)
{
    return 0;
}

static int CloseFile(SDL_RWops* stream)
{
    std::fclose(FileOf(stream));
    std::free(stream);
    return 0;
}

SDL_RWops* WebOpenFile(const char* name)
{
    FILE* const file = std::fopen(name, "rb");
    SDL_RWops* const stream =
        file != nullptr ? static_cast<SDL_RWops*>(std::calloc(1, sizeof(SDL_RWops))) : nullptr;
    if (stream == nullptr)
    {
        if (file != nullptr)
        {
            std::fclose(file);
        }
        return nullptr;
    }
    stream->seek = SeekFile;
    stream->read = ReadFile;
    stream->write = RefuseWrite;
    stream->close = CloseFile;
    stream->hidden.unknown.data1 = file;
    return stream;
}

// A short read leaves zeros, so a truncated header reads the same on every run.
Uint16 WebReadLE16(SDL_RWops* src)
{
    Uint8 bytes[2] = {};
    SDL_RWread(src, bytes, sizeof bytes, 1);
    return static_cast<Uint16>(bytes[0] | bytes[1] << 8);
}

Uint32 WebReadLE32(SDL_RWops* src)
{
    Uint8 bytes[4] = {};
    SDL_RWread(src, bytes, sizeof bytes, 1);
    return static_cast<Uint32>(bytes[0]) | static_cast<Uint32>(bytes[1]) << 8 |
           static_cast<Uint32>(bytes[2]) << 16 | static_cast<Uint32>(bytes[3]) << 24;
}

// SDL 1.2's shift and loss of a channel: the mask's lowest bit, and 8 less its width, kept in a
// byte even where the mask is wider.
static void SetChannel(Uint32 mask, Uint8& shift, Uint8& loss)
{
    shift = 0;
    loss = 8;
    if (mask == 0)
    {
        return;
    }
    for (; (mask & 1) == 0; mask >>= 1)
    {
        ++shift;
    }
    for (; (mask & 1) != 0; mask >>= 1)
    {
        --loss;
    }
}

// SDL 1.2's SDL_AllocFormat for what the loader asks: masks from the file, the standard R-G-B
// ones where it has none and the pixels are packed, and a palette of 2^depth black entries
// (the loader fills it) where they are indexes.
static SDL_PixelFormat* MakeFormat(int depth, Uint32 red, Uint32 green, Uint32 blue)
{
    SDL_PixelFormat* const format =
        static_cast<SDL_PixelFormat*>(std::calloc(1, sizeof(SDL_PixelFormat)));
    if (format == nullptr)
    {
        return nullptr;
    }
    format->BitsPerPixel = static_cast<Uint8>(depth);
    format->BytesPerPixel = static_cast<Uint8>((depth + 7) / 8);
    if (red == 0 && green == 0 && blue == 0 && depth > 8)
    {
        const int bits = depth > 24 ? 24 : depth;
        const int third = bits / 3;
        red = (0xFFu >> (8 - third)) << (2 * third + bits % 3);
        green = (0xFFu >> (8 - third - bits % 3)) << third;
        blue = 0xFFu >> (8 - third);
    }
    format->Rmask = red;
    format->Gmask = green;
    format->Bmask = blue;
    SetChannel(red, format->Rshift, format->Rloss);
    SetChannel(green, format->Gshift, format->Gloss);
    SetChannel(blue, format->Bshift, format->Bloss);
    SetChannel(0, format->Ashift, format->Aloss);
    if (depth <= 8)
    {
        const int colours = 1 << depth;
        format->palette = static_cast<SDL_Palette*>(std::calloc(1, sizeof(SDL_Palette)));
        if (format->palette != nullptr)
        {
            format->palette->ncolors = colours;
            format->palette->colors =
                static_cast<SDL_Color*>(std::calloc(colours, sizeof(SDL_Color)));
        }
        if (format->palette == nullptr || format->palette->colors == nullptr)
        {
            std::free(format->palette);
            std::free(format);
            return nullptr;
        }
    }
    return format;
}

// SDL 1.2's SDL_CalculatePitch for 8 bits or more: rows padded to 4 bytes, and 0 (with an
// error) past 65535.
static int RowPitch(int width, int bytesPerPixel)
{
    const long long pitch = (static_cast<long long>(width) * bytesPerPixel + 3) & ~3LL;
    if (pitch > 0xFFFF)
    {
        WebSetError("A scanline is too wide");
        return 0;
    }
    return static_cast<int>(pitch);
}

// Only what the loader asks: a software surface with no alpha (SDL 1.2 loads none), its
// pixels cleared.
SDL_Surface* WebCreateRGBSurface(Uint32, int width, int height, int depth, Uint32 Rmask,
                                 Uint32 Gmask, Uint32 Bmask, Uint32)
{
    if (width >= 16384 || height >= 65536)
    {
        WebSetError("Width or height is too large");
        return nullptr;
    }
    SDL_Surface* const surface = static_cast<SDL_Surface*>(std::calloc(1, sizeof(SDL_Surface)));
    if (surface == nullptr)
    {
        return nullptr;
    }
    surface->format = MakeFormat(depth, Rmask, Gmask, Bmask);
    surface->w = width;
    surface->h = height;
    surface->refcount = 1;
    surface->clip_rect = {0, 0, width, height};
    if (surface->format != nullptr)
    {
        surface->pitch = RowPitch(width, surface->format->BytesPerPixel);
        surface->pixels = std::calloc(static_cast<size_t>(height) * surface->pitch + 1, 1);
    }
    if (surface->format == nullptr || surface->pixels == nullptr)
    {
        WebFreeSurface(surface);
        return nullptr;
    }
    return surface;
}

void WebFreeSurface(SDL_Surface* surface)
{
    if (surface == nullptr)
    {
        return;
    }
    SDL_PixelFormat* const format = surface->format;
    if (format != nullptr && format->palette != nullptr)
    {
        std::free(format->palette->colors);
        std::free(format->palette);
    }
    std::free(format);
    std::free(surface->pixels);
    std::free(surface);
}

// A channel widened to 8 bits by shifting, as SDL 1.2's RGB_FROM_PIXEL does (a shift past 31
// wraps, as it does on the machines SDL runs on).
static Uint32 Widened(Uint32 pixel, Uint32 mask, int shift, int loss)
{
    return (((pixel & mask) >> shift) << (loss & 31)) & 0xFF;
}

// How SDL 1.2's SDL_MapRGB packs a colour into a format. Emscripten's SDL leaves a format's
// shifts and losses unset, so they are worked out from its masks.
struct Packing
{
    Uint8 shift[3];
    Uint8 loss[3];
    Uint32 alpha;
};

static Packing PackingOf(const SDL_PixelFormat* format)
{
    Packing packing = {};
    const Uint32 masks[3] = {format->Rmask, format->Gmask, format->Bmask};
    for (int i = 0; i < 3; ++i)
    {
        SetChannel(masks[i], packing.shift[i], packing.loss[i]);
    }
    packing.alpha = format->Amask;
    return packing;
}

static Uint32 Pack(const Packing& packing, const Uint32 (&rgb)[3])
{
    Uint32 value = packing.alpha;
    for (int i = 0; i < 3; ++i)
    {
        value |= (rgb[i] >> (packing.loss[i] & 31)) << packing.shift[i];
    }
    return value;
}

static Uint32 ToDisplay(const SDL_PixelFormat* from, const Packing& to, Uint32 pixel)
{
    if (from->palette != nullptr)
    {
        const SDL_Color& colour = from->palette->colors[pixel];
        return Pack(to, {colour.r, colour.g, colour.b});
    }
    return Pack(to, {Widened(pixel, from->Rmask, from->Rshift, from->Rloss),
                     Widened(pixel, from->Gmask, from->Gshift, from->Gloss),
                     Widened(pixel, from->Bmask, from->Bshift, from->Bloss)});
}

SDL_Surface* WebShownPicture(const SDL_Surface* loaded)
{
    const SDL_Surface* const display = SDL_GetVideoSurface();
    if (display == nullptr || display->format->BytesPerPixel != 4)
    {
        return nullptr;
    }
    const SDL_PixelFormat* const to = display->format;
    SDL_Surface* const shown =
        SDL_CreateRGBSurface(SDL_SWSURFACE, loaded->w, loaded->h, to->BitsPerPixel, to->Rmask,
                             to->Gmask, to->Bmask, to->Amask);
    if (shown == nullptr)
    {
        return nullptr;
    }
    const Packing packing = PackingOf(to);
    const SDL_PixelFormat* const from = loaded->format;
    const int bytes = from->BytesPerPixel;
    for (int y = 0; y < loaded->h; ++y)
    {
        const Uint8* const in = static_cast<const Uint8*>(loaded->pixels) + y * loaded->pitch;
        Uint8* const out = static_cast<Uint8*>(shown->pixels) + y * shown->pitch;
        for (int x = 0; x < loaded->w; ++x)
        {
            const Uint32 value = ToDisplay(from, packing, LoadPixel(in + x * bytes, bytes));
            std::memcpy(out + x * 4, &value, sizeof value);
        }
    }
    return shown;
}
