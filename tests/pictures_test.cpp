// The shipped pictures: sizes the screens rely on, and a layout that the game's loader gives
// the display's own on every SDL 1.2, so that each blit of them is a plain copy rather than a
// per-pixel conversion or blend, with the colours SDL's own loading and blitting show.

#include "draw/blit.h"
#include "draw/draw.h"
#include "frame/picture.h"
#include "frame/window_icon.h"
#include "tests/sdl_faults.h"
#include "tests/sdl_test_env.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

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

TEST(ShippedPictures, LoadAtTheirSizesAndBlitAsPlainCopies)
{
    SDL_Surface* display = OpenDummyDisplay();
    ASSERT_NE(display, nullptr) << SDL_GetError();

    // Also with the opaque alpha that sdl12-compat loads them with.
    for (const unsigned load : {0u, unsigned{LOAD_OPAQUE_ALPHA}})
    {
        for (const PictureSize& expected : kPictures)
        {
            SCOPED_TRACE(std::string(expected.name) + (load != 0 ? " with opaque alpha" : ""));
            SDL_Surface* picture = nullptr;
            {
                const ScopedSdlFaults faults(load);
                picture = LoadPicture(AssetPath(expected.name).c_str());
            }
            ASSERT_NE(picture, nullptr) << SDL_GetError();

            EXPECT_GE(picture->w, expected.minW);
            EXPECT_LE(picture->w, expected.maxW);
            EXPECT_GE(picture->h, expected.minH);
            EXPECT_LE(picture->h, expected.maxH);
            EXPECT_TRUE(IsPlainCopy(picture, display));
            SDL_FreeSurface(picture);
        }
    }
    SDL_Quit();
}

namespace
{
// A 4 x 2 32-bit uncompressed bitmap whose fourth bytes range from transparent to opaque in its
// top row only, so that no row may go unchecked.
bool WriteVaryingAlphaBmp(const char* name)
{
    // Blue, green, red and the fourth byte of each pixel, bottom row first.
    const Uint8 pixels[32] = {10,  200, 30, 255, 250, 20,  40,  255, 0,   0,  255,
                              255, 90,  90, 90,  255, 255, 255, 255, 200, 1,  2,
                              3,   32,  60, 70,  80,  16,  0,   0,   0,   100};
    const std::string bytes(reinterpret_cast<const char*>(pixels), sizeof pixels);
    return WriteFile(name, Bitmap(4, 2, 32, 0, 0, bytes));
}

// The same pixels with red in the low byte (as a page's display keeps it, unlike a desktop's) and
// no alpha, given as the three channel masks after the info header.
bool WriteRedFirstBmp(const char* name)
{
    const Uint32 BITFIELDS = 3;
    std::string bytes = Bitmap(4, 2, 32, BITFIELDS, 3, std::string(32, '\0'));
    const Uint32 masks[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    for (int i = 0; i < 12; ++i)
    {
        bytes[54 + i] = static_cast<char>(masks[i / 4] >> 8 * (i % 4));
    }
    for (int i = 0; i < 32; ++i)
    {
        bytes[66 + i] = static_cast<char>(i * 37 + 11);
    }
    return WriteFile(name, bytes);
}

// The same size, opaque but for one pixel, whose alpha is the byte given (19: top left, 15:
// bottom right), so that no column may go unchecked either.
bool WriteCornerAlphaBmp(const char* name, int alphaByte)
{
    std::string bytes(32, '\377');
    bytes[alphaByte] = '\100';
    return WriteFile(name, Bitmap(4, 2, 32, 0, 0, bytes));
}

// Blits picture onto a patterned surface in the display's format, with BlitWhole as the game
// does or with SDL's own blit.
SDL_Surface* ShowOnDisplayCopy(SDL_Surface* picture, const SDL_Surface* display, bool bySdl)
{
    const SDL_PixelFormat* const format = display->format;
    SDL_Surface* const shown =
        SDL_CreateRGBSurface(SDL_SWSURFACE, picture->w + 4, picture->h + 4, format->BitsPerPixel,
                             format->Rmask, format->Gmask, format->Bmask, format->Amask);
    for (int x = 0; x < shown->w; ++x)
    {
        FillRgb(shown, x, 0, 1, shown->h, {static_cast<Uint8>(x * 9), 100, 200});
    }
    if (bySdl)
    {
        SDL_Rect at = {2, 2, 0, 0};
        SDL_BlitSurface(picture, nullptr, shown, &at);
    }
    else
    {
        BlitWhole(picture, shown, 2, 2);
    }
    return shown;
}

// The marks and frames the play screen draws into its cell pictures.
void DrawMarksAndFrame(SDL_Surface* ring, SDL_Surface* cross)
{
    DrawCircle(ring, 45, 45, 45);
    DrawLine(cross, -1, -1, 90, 90, 255, 255, 255);
    DrawLine(cross, 0, 89, 90, -1, 255, 255, 255);
    for (SDL_Surface* const cell : {ring, cross})
    {
        DrawLine(cell, 0, 0, 0, 89, 255, 255, 255);
        DrawLine(cell, 89, 0, 89, 89, 255, 255, 255);
        DrawLine(cell, 0, 89, 89, 89, 255, 255, 255);
    }
}
} // namespace

// Whatever the game's loader changes, the pictures and the marks drawn into the cells must show
// exactly as SDL's own loading and blitting show them; a picture whose alpha varies keeps SDL's
// layout and blending. Pictures are loaded as this SDL loads them, and with the opaque alpha
// that sdl12-compat gives them; a surface the loader replaces is freed.
TEST(LoadPicture, ShowsWhatSdlsOwnLoadAndBlitShow)
{
    SDL_Surface* display = OpenDummyDisplay();
    ASSERT_NE(display, nullptr) << SDL_GetError();
    const ScopedWorkDir dir;
    ASSERT_TRUE(WriteVaryingAlphaBmp("alpha.bmp"));
    ASSERT_TRUE(WriteCornerAlphaBmp("corner.bmp", 19));
    ASSERT_TRUE(WriteCornerAlphaBmp("last.bmp", 15));
    ASSERT_TRUE(WriteRedFirstBmp("red-first.bmp"));
    std::vector<std::pair<std::string, unsigned>> files;
    for (const PictureSize& picture : kPictures)
    {
        for (const unsigned load : {0u, unsigned{LOAD_OPAQUE_ALPHA}})
        {
            files.emplace_back(AssetPath(picture.name), load);
        }
    }
    files.emplace_back("alpha.bmp", 0u);
    files.emplace_back("alpha.bmp", LOAD_FILE_ALPHA);
    files.emplace_back("corner.bmp", LOAD_FILE_ALPHA);
    files.emplace_back("last.bmp", LOAD_FILE_ALPHA);
    files.emplace_back("red-first.bmp", 0u);

    for (const auto& [file, load] : files)
    {
        SCOPED_TRACE(file + (load == LOAD_OPAQUE_ALPHA ? " with opaque alpha"
                             : load != 0               ? " with the file's alpha"
                                                       : ""));
        const int surfaces = LiveSurfaces();
        SDL_Surface* ours = nullptr;
        SDL_Surface* sdls = nullptr;
        {
            const ScopedSdlFaults faults(load);
            ours = LoadPicture(file.c_str());
        }
        // SDL's own, as this SDL loads it: opaque alpha must show as the plain picture, and
        // ppc64el's classic SDL 1.2 blends opaque pixels into other colours. Alpha from the
        // file stays alpha.
        {
            const ScopedSdlFaults faults(load & LOAD_FILE_ALPHA);
            sdls = SDL_LoadBMP(file.c_str());
        }
        ASSERT_NE(ours, nullptr);
        ASSERT_NE(sdls, nullptr);
        if (file == "red-first.bmp")
        {
            // Put in the display's order once, so that each pass copies it.
            ASSERT_NE(sdls->format->Rmask, display->format->Rmask);
            EXPECT_TRUE(IsPlainCopy(ours, display));
        }
        if (file == "alpha.bmp" || file == "corner.bmp")
        {
            EXPECT_EQ(ours->format->Amask, sdls->format->Amask);
            EXPECT_EQ(ours->flags & SDL_SRCALPHA, sdls->flags & SDL_SRCALPHA);
        }
        SDL_Surface* const oursShown = ShowOnDisplayCopy(ours, display, false);
        SDL_Surface* const sdlsShown = ShowOnDisplayCopy(sdls, display, true);
        EXPECT_EQ("", CompareSurfaces(oursShown, sdlsShown, "loaded"));
        SDL_FreeSurface(oursShown);
        SDL_FreeSurface(sdlsShown);
        SDL_FreeSurface(ours);
        SDL_FreeSurface(sdls);
        EXPECT_EQ(surfaces, LiveSurfaces());
    }

    const std::string cell = AssetPath("NULL.bmp");
    SDL_Surface* const ours[] = {LoadPicture(cell.c_str()), LoadPicture(cell.c_str())};
    SDL_Surface* const sdls[] = {SDL_LoadBMP(cell.c_str()), SDL_LoadBMP(cell.c_str())};
    DrawMarksAndFrame(ours[0], ours[1]);
    DrawMarksAndFrame(sdls[0], sdls[1]);
    for (int i = 0; i < 2; ++i)
    {
        SDL_Surface* const oursShown = ShowOnDisplayCopy(ours[i], display, false);
        SDL_Surface* const sdlsShown = ShowOnDisplayCopy(sdls[i], display, true);
        EXPECT_EQ("", CompareSurfaces(oursShown, sdlsShown, i == 0 ? "ring" : "cross"));
        SDL_FreeSurface(oursShown);
        SDL_FreeSurface(sdlsShown);
        SDL_FreeSurface(ours[i]);
        SDL_FreeSurface(sdls[i]);
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
