#include "draw/blit.h"

#include "tests/sdl_test_env.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace
{
// Every pixel a different colour, so a copy from the wrong row or column shows.
SDL_Surface* MakePattern(int w, int h, int bitsPerPixel)
{
    SDL_Surface* const surface = MakeSurface(w, h, bitsPerPixel);
    for (int y = 0; y < h; ++y)
    {
        for (int x = 0; x < w; ++x)
        {
            SDL_Rect pixel = {static_cast<Sint16>(x), static_cast<Sint16>(y), 1, 1};
            const Uint32 value = SDL_MapRGB(surface->format, static_cast<Uint8>(x * 7 + y),
                                            static_cast<Uint8>(y * 5), static_cast<Uint8>(x ^ y));
            SDL_FillRect(surface, &pixel, value);
        }
    }
    return surface;
}

// Blits source at (x, y) both ways onto equal copies of a background; "" when they agree.
std::string CompareWithSdl(SDL_Surface* source, int targetBits, Sint16 x, Sint16 y,
                           const SDL_Rect* clip)
{
    SDL_Surface* const ours = MakePattern(61, 47, targetBits);
    SDL_Surface* const sdls = MakePattern(61, 47, targetBits);
    SDL_SetClipRect(ours, clip);
    SDL_SetClipRect(sdls, clip);
    BlitWhole(source, ours, x, y);
    SDL_Rect destination = {x, y, 0, 0};
    SDL_BlitSurface(source, nullptr, sdls, &destination);
    const std::string difference =
        CompareSurfaces(ours, sdls, "blit-at-" + std::to_string(x) + "-" + std::to_string(y));
    SDL_FreeSurface(ours);
    SDL_FreeSurface(sdls);
    return difference;
}
} // namespace

// The copy must land exactly where SDL's own blit would, clipped the same way at every edge
// and by a clip rectangle, for same-format copies and for the conversions left to SDL.
TEST(BlitWhole, GivesTheSamePixelsAsSdlsBlit)
{
    struct Pair
    {
        int sourceBits, targetBits;
    };
    const Pair pairs[] = {{32, 32}, {16, 16}, {24, 24}, {24, 32}, {32, 16}};
    const Sint16 positions[] = {-40, -25, -1, 0, 1, 7, 30, 46, 60, 61, 100};
    const SDL_Rect window = {5, 3, 40, 30};
    int mismatches = 0;
    for (const Pair& pair : pairs)
    {
        SDL_Surface* const source = MakePattern(25, 19, pair.sourceBits);
        for (const SDL_Rect* clip : {static_cast<const SDL_Rect*>(nullptr), &window})
        {
            for (const Sint16 x : positions)
            {
                for (const Sint16 y : positions)
                {
                    const std::string difference =
                        CompareWithSdl(source, pair.targetBits, x, y, clip);
                    if (!difference.empty() && ++mismatches <= 5)
                    {
                        ADD_FAILURE() << pair.sourceBits << " onto " << pair.targetBits
                                      << (clip ? " clipped: " : ": ") << difference;
                    }
                }
            }
        }
        SDL_FreeSurface(source);
    }
    EXPECT_EQ(0, mismatches);
    // A picture wider than the window it fills: its rows are longer than the window's.
    SDL_Surface* const wide = MakePattern(64, 19, 32);
    for (const Sint16 x : {-3, 0})
    {
        EXPECT_EQ("", CompareWithSdl(wide, 32, x, 5, nullptr)) << "wide picture at " << x;
    }
    SDL_FreeSurface(wide);
    // As wide as the window, as the full-window pictures are: rows back to back on both sides.
    SDL_Surface* const full = MakePattern(61, 19, 32);
    for (const Sint16 y : {-3, 0, 5})
    {
        EXPECT_EQ("", CompareWithSdl(full, 32, 0, y, nullptr)) << "full-width picture at " << y;
    }
    SDL_FreeSurface(full);
}

TEST(BlitWhole, HonoursColourKeysAndAlphaAndIgnoresNull)
{
    SDL_Surface* const source = MakePattern(20, 20, 32);
    SDL_SetColorKey(source, SDL_SRCCOLORKEY, SDL_MapRGB(source->format, 0, 0, 0));
    EXPECT_EQ("", CompareWithSdl(source, 32, 3, 4, nullptr));
    SDL_Surface* const translucent = MakePattern(20, 20, 32);
    SDL_SetAlpha(translucent, SDL_SRCALPHA, 128);
    EXPECT_EQ("", CompareWithSdl(translucent, 32, 3, 4, nullptr));
    SDL_FreeSurface(translucent);
    // Once classic SDL 1.2 has run-length encoded a keyed picture on its first blit, the picture
    // must be locked to be read; a single row or column as well.
    for (const auto& [w, h] : {std::pair{20, 1}, {1, 20}})
    {
        SDL_Surface* const thin = MakePattern(w, h, 32);
        SDL_SetColorKey(thin, SDL_SRCCOLORKEY | SDL_RLEACCEL, SDL_MapRGB(thin->format, 0, 0, 0));
        for (const char* blit : {"first", "second"})
        {
            EXPECT_EQ("", CompareWithSdl(thin, 32, 3, 4, nullptr))
                << blit << " blit of " << w << " x " << h;
        }
        SDL_FreeSurface(thin);
    }
    SDL_Surface* const target = MakeSurface(10, 10, 32);
    BlitWhole(nullptr, target, 0, 0);
    BlitWhole(source, nullptr, 0, 0);
    EXPECT_EQ(0u, ReadPixel(target, 0, 0));
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}
