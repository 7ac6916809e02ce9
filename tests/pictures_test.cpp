// The shipped pictures: sizes the screens rely on, and the display's own 32-bit layout so that
// every blit of them is a plain copy rather than a per-pixel conversion.

#include "frame/window_icon.h"
#include "tests/sdl_test_env.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace
{

struct PictureSize
{
    const char* name;
    int minW, maxW, minH, maxH;
};

// The three screens cover the 480x272 window; the cell's 90-pixel side makes drawn cells match
// clicked ones; the result plates sit under the pointer without hiding the board.
const PictureSize kPictures[] = {
    {"intro.bmp", 480, 480, 272, 272}, {"menu.bmp", 480, 480, 272, 272},
    {"item.bmp", 480, 480, 272, 272},  {"NULL.bmp", 90, 90, 90, 90},
    {"win1.bmp", 90, 160, 30, 120},    {"win2.bmp", 90, 160, 30, 120},
    {"DRAW.bmp", 90, 160, 30, 120},
};

std::string AssetPath(const char* name)
{
    return std::string(NOUGHTS_ASSETS_DIR) + "/" + name;
}

} // namespace

TEST(ShippedPictures, LoadAtTheirSizesInTheDisplayFormat)
{
    SDL_Surface* display = OpenDummyDisplay();
    ASSERT_NE(display, nullptr) << SDL_GetError();
    const SDL_PixelFormat* shown = display->format;

    for (const PictureSize& expected : kPictures)
    {
        SCOPED_TRACE(expected.name);
        SDL_Surface* picture = SDL_LoadBMP(AssetPath(expected.name).c_str());
        ASSERT_NE(picture, nullptr) << SDL_GetError();

        EXPECT_GE(picture->w, expected.minW);
        EXPECT_LE(picture->w, expected.maxW);
        EXPECT_GE(picture->h, expected.minH);
        EXPECT_LE(picture->h, expected.maxH);

        const SDL_PixelFormat* format = picture->format;
        EXPECT_EQ(format->BytesPerPixel, 4);
        EXPECT_EQ(format->Rmask, 0x00FF0000u);
        EXPECT_EQ(format->Gmask, 0x0000FF00u);
        EXPECT_EQ(format->Bmask, 0x000000FFu);
        EXPECT_EQ(format->Amask, 0u);
        EXPECT_EQ(picture->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY), 0u);

        EXPECT_EQ(format->BytesPerPixel, shown->BytesPerPixel);
        EXPECT_EQ(format->Rmask, shown->Rmask);
        EXPECT_EQ(format->Gmask, shown->Gmask);
        EXPECT_EQ(format->Bmask, shown->Bmask);
        EXPECT_EQ(format->Amask, shown->Amask);
        SDL_FreeSurface(picture);
    }
    SDL_Quit();
}

// The play screen draws white marks and a white frame over the empty cell; they only stand out
// if the cell itself has nothing close to white.
TEST(ShippedPictures, EmptyCellLeavesWhiteMarksVisible)
{
    SDL_Surface* cell = SDL_LoadBMP(AssetPath("NULL.bmp").c_str());
    ASSERT_NE(cell, nullptr) << SDL_GetError();
    int brightest = 0;
    for (int y = 0; y < cell->h; ++y)
    {
        for (int x = 0; x < cell->w; ++x)
        {
            Uint8 r = 0;
            Uint8 g = 0;
            Uint8 b = 0;
            SDL_GetRGB(ReadPixel(cell, x, y), cell->format, &r, &g, &b);
            brightest = std::max({brightest, int(r), int(g), int(b)});
        }
    }
    EXPECT_LT(brightest, 160);
    SDL_FreeSurface(cell);
}

// The window icon built into the game is the committed one, so a redrawn icon reaches the game.
TEST(ShippedPictures, WindowIconIsTheCommittedIconBuiltIn)
{
    SDL_Surface* built_in = LoadWindowIcon();
    SDL_Surface* committed = SDL_LoadBMP(AssetPath("icons/32.bmp").c_str());
    ASSERT_NE(built_in, nullptr) << SDL_GetError();
    ASSERT_NE(committed, nullptr) << SDL_GetError();
    EXPECT_EQ(32, built_in->w);
    EXPECT_EQ(32, built_in->h);
    ASSERT_EQ(committed->h, built_in->h);
    ASSERT_EQ(committed->pitch, built_in->pitch);
    EXPECT_EQ(0, memcmp(committed->pixels, built_in->pixels,
                        size_t(committed->pitch) * size_t(committed->h)));
    SDL_FreeSurface(built_in);
    SDL_FreeSurface(committed);
}
