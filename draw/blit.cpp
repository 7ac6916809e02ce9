#include "draw/blit.h"

#include "draw/surface_check.h"
#include "draw/vector_row.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

// SDL 1.2 copies same-format pictures with non-temporal MMX stores that bypass the cache:
// several times slower than memcpy for the small pictures the board redraws on every pass.
bool IsPlainCopy(const SDL_Surface* source, const SDL_Surface* target)
{
    const SDL_PixelFormat* const from = source->format;
    const SDL_PixelFormat* const to = target->format;
    const Uint32 special = SDL_SRCCOLORKEY | SDL_SRCALPHA | SDL_RLEACCEL | SDL_HWSURFACE;
    // Palettised surfaces would need equal palettes too; they are rare enough to leave to SDL.
    return from->BytesPerPixel > 1 && from->BytesPerPixel == to->BytesPerPixel &&
           from->BitsPerPixel == to->BitsPerPixel && from->Rmask == to->Rmask &&
           from->Gmask == to->Gmask && from->Bmask == to->Bmask && from->Amask == to->Amask &&
           (source->flags & special) == 0 && (target->flags & special) == 0 &&
           !SDL_MUSTLOCK(source) && !SDL_MUSTLOCK(target);
}

// SDL's blitters trust a surface's description as far as the row copy does. The pixels of a
// surface that must be locked are only there while it is, so SDL checks those rows itself.
static bool IsBlittable(const SDL_Surface* surface)
{
    if (surface == nullptr)
    {
        return false;
    }
    if (SDL_MUSTLOCK(surface))
    {
        return IsDrawableFormat(surface->format) && surface->w > 0 && surface->h > 0;
    }
    return HasWholeRows(surface);
}

// One row of a cell or of the pointer's picture: in WebAssembly with inline vector stores
// (draw/vector_row.h says why); elsewhere memcpy is already the fastest.
static void CopyRow(Uint8* to, const Uint8* from, size_t bytes)
{
#ifdef __wasm_simd128__
    if (bytes >= VECTOR_BYTES)
    {
        StoreRow(to, bytes, ToVectorBoundary(to),
                 [from](size_t at) { return wasm_v128_load(from + at); });
        return;
    }
#endif
    std::memcpy(to, from, bytes);
}

static void CopyClipped(SDL_Surface* source, SDL_Surface* target, int x, int y)
{
    const SDL_Rect& clip = target->clip_rect;
    const int left = std::max(x, static_cast<int>(clip.x));
    const int top = std::max(y, static_cast<int>(clip.y));
    const int right = std::min(x + source->w, clip.x + static_cast<int>(clip.w));
    const int bottom = std::min(y + source->h, clip.y + static_cast<int>(clip.h));
    if (left >= right || top >= bottom)
    {
        return;
    }
    const int bpp = source->format->BytesPerPixel;
    const size_t rowBytes = static_cast<size_t>(right - left) * bpp;
    const Uint8* from = static_cast<const Uint8*>(source->pixels) +
                        static_cast<ptrdiff_t>(top - y) * source->pitch + (left - x) * bpp;
    Uint8* to = static_cast<Uint8*>(target->pixels) + static_cast<ptrdiff_t>(top) * target->pitch +
                left * bpp;
    // Whole rows back to back on both sides, as a full-window picture is: one copy.
    if (rowBytes == static_cast<size_t>(source->pitch) &&
        rowBytes == static_cast<size_t>(target->pitch))
    {
        std::memcpy(to, from, rowBytes * static_cast<size_t>(bottom - top));
        return;
    }
    for (int row = top; row < bottom; ++row)
    {
        CopyRow(to, from, rowBytes);
        from += source->pitch;
        to += target->pitch;
    }
}

void BlitWhole(SDL_Surface* source, SDL_Surface* target, Sint16 x, Sint16 y)
{
    if (!IsBlittable(source) || !IsBlittable(target))
    {
        return;
    }
    if (IsPlainCopy(source, target))
    {
        CopyClipped(source, target, x, y);
        return;
    }
    SDL_Rect destination = {x, y, 0, 0};
    SDL_BlitSurface(source, nullptr, target, &destination);
}
