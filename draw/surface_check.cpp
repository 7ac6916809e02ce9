#include "draw/surface_check.h"

bool IsDrawableFormat(const SDL_PixelFormat* format)
{
    if (format == nullptr || format->BytesPerPixel < 1 || format->BytesPerPixel > 4)
    {
        return false;
    }
    const int bits = format->BitsPerPixel;
    // Fewer than 8 bits would pack several pixels into a byte, which nothing here addresses.
    if (bits < 8 || bits > 8 * format->BytesPerPixel || bits <= 8 * (format->BytesPerPixel - 1))
    {
        return false;
    }
    const Uint32 masks = format->Rmask | format->Gmask | format->Bmask | format->Amask;
    if (bits < 32 && (masks >> bits) != 0)
    {
        return false;
    }
    if (format->BytesPerPixel > 1)
    {
        return true;
    }
    const SDL_Palette* const palette = format->palette;
    return palette != nullptr && palette->colors != nullptr && palette->ncolors >= 1 &&
           palette->ncolors <= 256;
}

bool HasWholeRows(const SDL_Surface* surface)
{
    if (surface == nullptr || !IsDrawableFormat(surface->format) || surface->pixels == nullptr ||
        surface->w <= 0 || surface->h <= 0)
    {
        return false;
    }
    // In 64 bits: a width near INT_MAX times 4 bytes must not wrap into a small row.
    const Sint64 rowBytes = static_cast<Sint64>(surface->w) * surface->format->BytesPerPixel;
    return surface->pitch >= rowBytes;
}
