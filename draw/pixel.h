#ifndef NOUGHTS_DRAW_PIXEL_H
#define NOUGHTS_DRAW_PIXEL_H

#include <SDL.h>

#include <cstring>

// A surface's pixel is its mapped value in 1, 2, 3 or 4 bytes in the machine's own byte order,
// as SDL 1.2 stores and reads it. A 3-byte pixel is the value's three low bytes: low byte first
// on a little-endian machine, high byte first on a big-endian one. 2- and 4-byte values go
// through memcpy, so a pitch that leaves rows unaligned stays defined; each still compiles to
// one load or store.

// The byte of a 4-byte value at which its three low bytes start in memory.
constexpr int LOW_BYTES_OFFSET = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 1 : 0;

// Writes value as one Bpp-byte pixel at `at`; the bytes above a pixel's size are dropped.
template <int Bpp> inline void StorePixel(Uint8* at, Uint32 value)
{
    if constexpr (Bpp == 1)
    {
        *at = static_cast<Uint8>(value);
    }
    else if constexpr (Bpp == 2)
    {
        const Uint16 low = static_cast<Uint16>(value);
        std::memcpy(at, &low, sizeof low);
    }
    else if constexpr (Bpp == 3)
    {
        std::memcpy(at, reinterpret_cast<const Uint8*>(&value) + LOW_BYTES_OFFSET, 3);
    }
    else
    {
        std::memcpy(at, &value, sizeof value);
    }
}

// The value of the pixel of `bytesPerPixel` bytes (1 to 4) at `at`.
inline Uint32 LoadPixel(const Uint8* at, int bytesPerPixel)
{
    if (bytesPerPixel == 1)
    {
        return *at;
    }
    if (bytesPerPixel == 2)
    {
        Uint16 low = 0;
        std::memcpy(&low, at, sizeof low);
        return low;
    }
    Uint32 value = 0;
    const int offset = bytesPerPixel == 3 ? LOW_BYTES_OFFSET : 0;
    std::memcpy(reinterpret_cast<Uint8*>(&value) + offset, at, bytesPerPixel);
    return value;
}

// The unsigned value of `count` (1 to 4) bytes stored lowest first, as a bitmap file stores
// its numbers, on a machine of either byte order.
inline Uint32 ReadLittleEndian(const Uint8* bytes, int count)
{
    Uint32 value = 0;
    for (int i = count - 1; i >= 0; --i)
    {
        value = value << 8 | bytes[i];
    }
    return value;
}

#endif
