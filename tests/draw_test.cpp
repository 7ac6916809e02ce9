#include "draw/draw.h"

#include "draw/blit.h"
#include "tests/sdl_faults.h"
#include "tests/sdl_test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace
{
// A pixel format and the values SDL_MapRGB gives its colours, worked out by hand from the
// masks (the alpha mask is part of every mapped value). Ink is (0x11, 0x22, 0x33), whose bytes
// all differ, so a store in the wrong byte order shows.
struct Format
{
    const char* name;
    int bits;
    Uint32 rmask, gmask, bmask, amask;
    Uint32 black, gray, white, ink;
};

// The 8-bit palette puts black, gray, white and ink at indices 7, 5, 3 and 9, never 0.
const Format kFormats[] = {
    {"Palette8", 8, 0, 0, 0, 0, 7, 5, 3, 9},
    {"Rgb565", 16, 0xF800, 0x07E0, 0x001F, 0, 0x0000, 0x8410, 0xFFFF, 0x1106},
    {"Rgb555", 16, 0x7C00, 0x03E0, 0x001F, 0, 0x0000, 0x4210, 0x7FFF, 0x0886},
    {"Rgb888", 24, 0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0x808080, 0xFFFFFF, 0x112233},
    {"Bgr888", 24, 0x0000FF, 0x00FF00, 0xFF0000, 0, 0, 0x808080, 0xFFFFFF, 0x332211},
    {"Xrgb8888", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0x808080, 0xFFFFFF, 0x112233},
    {"Rgba8888", 32, 0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF, 0x000000FF, 0x808080FF,
     0xFFFFFFFF, 0x112233FF},
};

void PrintTo(const Format& format, std::ostream* out)
{
    *out << format.name;
}

constexpr int kGuard = 16;

// A surface over a buffer of the test's own: every row is followed by padding bytes and the
// whole is framed by guard bytes. All bytes, pixels included, start as a pattern that differs
// from byte to byte, so any byte written outside the pixels, even a copy of another padding
// byte, shows in a comparison of the whole buffer.
class PaddedSurface
{
  public:
    PaddedSurface(const Format& format, int width, int height, int padding)
        : bpp(format.bits / 8), w(width), h(height), pitch(width * bpp + padding),
          bytes(2 * kGuard + pitch * height)
    {
        for (std::size_t i = 0; i < bytes.size(); ++i)
        {
            bytes[i] = static_cast<Uint8>(0xA5 + 37 * i);
        }
        expected = bytes;
        surface = SDL_CreateRGBSurfaceFrom(bytes.data() + kGuard, w, h, format.bits, pitch,
                                           format.rmask, format.gmask, format.bmask, format.amask);
        if (surface != nullptr && format.bits == 8)
        {
            SDL_Color colours[256];
            for (SDL_Color& colour : colours)
            {
                colour = {200, 100, 50, 0};
            }
            colours[7] = {0, 0, 0, 0};
            colours[5] = {128, 128, 128, 0};
            colours[3] = {255, 255, 255, 0};
            colours[9] = {0x11, 0x22, 0x33, 0};
            SDL_SetColors(surface, colours, 0, 256);
        }
    }
    ~PaddedSurface()
    {
        SDL_FreeSurface(surface);
    }
    PaddedSurface(const PaddedSurface&) = delete;
    PaddedSurface& operator=(const PaddedSurface&) = delete;

    // Writes value into the expected buffer as SDL stores it.
    void Expect(int x, int y, Uint32 value)
    {
        StorePixel(expected.data() + kGuard + y * pitch + x * bpp, bpp, value);
    }

    void ExpectAll(Uint32 value)
    {
        for (int y = 0; y < h; ++y)
        {
            for (int x = 0; x < w; ++x)
            {
                Expect(x, y, value);
            }
        }
    }

    // "" when every byte of the buffer is as expected, else where the first difference is.
    std::string Mismatch() const
    {
        for (std::size_t i = 0; i < bytes.size(); ++i)
        {
            if (bytes[i] != expected[i])
            {
                return "byte " + Where(i) + " is " + std::to_string(bytes[i]) + ", expected " +
                       std::to_string(expected[i]);
            }
        }
        return "";
    }

    SDL_Surface* surface = nullptr;

  private:
    std::string Where(std::size_t i) const
    {
        const long offset = static_cast<long>(i) - kGuard;
        if (offset < 0 || offset >= static_cast<long>(pitch) * h)
        {
            return "in a guard";
        }
        const int y = static_cast<int>(offset / pitch);
        const int column = static_cast<int>(offset % pitch);
        if (column >= w * bpp)
        {
            return "in the padding of row " + std::to_string(y);
        }
        return std::to_string(column % bpp) + " of pixel (" + std::to_string(column / bpp) + ", " +
               std::to_string(y) + ")";
    }

    int bpp, w, h, pitch;
    std::vector<Uint8> bytes;
    std::vector<Uint8> expected;
};

using Pixels = std::vector<std::pair<int, int>>;

// count pixels from (x, y), each one (stepX, stepY) on from the one before.
Pixels Steps(int x, int y, int count, int stepX, int stepY)
{
    Pixels pixels;
    for (int i = 0; i < count; ++i)
    {
        pixels.emplace_back(x + i * stepX, y + i * stepY);
    }
    return pixels;
}

class DrawTest : public testing::TestWithParam<Format>
{
};

TEST_P(DrawTest, ClearAndPanelPaintExactlyTheirPixels)
{
    const Format& format = GetParam();
    const int w = 37;
    const int h = 6;
    // What each panel leaves on the 37 x 6 surface, worked out by hand: the gray rectangle's
    // columns and rows (the panel inside the surface, none for a side of 0 or less) and those of
    // the untouched square (the covered square inside that rectangle).
    struct Panel
    {
        int width, height, covered;
        int grayColumns, grayRows, keptColumns, keptRows;
    };
    const Panel panels[] = {
        {5, 3, 0, 5, 3, 0, 0},   {0, 6, 0, 0, 0, 0, 0},   {4, 0, 0, 0, 0, 0, 0},
        {-2, 3, 0, 0, 0, 0, 0},  {37, 6, 0, 37, 6, 0, 0}, {100, 100, 0, 37, 6, 0, 0},
        {36, 1, 0, 36, 1, 0, 0}, {1, 6, 0, 1, 6, 0, 0},   {9, 6, 6, 9, 6, 6, 6},
        {9, 6, 2, 9, 6, 2, 2},   {5, 3, 4, 5, 3, 4, 3},   {37, 6, 40, 37, 6, 37, 6},
        {4, 0, 3, 0, 0, 0, 0},   {9, 6, -1, 9, 6, 0, 0},
    };
    // Without padding the rows lie back to back, with it they must stay apart.
    for (const int padding : {0, 3})
    {
        SCOPED_TRACE("padding " + std::to_string(padding));
        PaddedSurface cleared(format, w, h, padding);
        ASSERT_NE(cleared.surface, nullptr) << SDL_GetError();
        ClearSurface(cleared.surface);
        cleared.ExpectAll(format.black);
        EXPECT_EQ(cleared.Mismatch(), "") << "ClearSurface";

        for (const Panel& panel : panels)
        {
            PaddedSurface target(format, w, h, padding);
            DrawPanel(target.surface, panel.width, panel.height, panel.covered);
            for (int y = 0; y < h; ++y)
            {
                for (int x = 0; x < w; ++x)
                {
                    const bool gray = x < panel.grayColumns && y < panel.grayRows;
                    const bool kept = x < panel.keptColumns && y < panel.keptRows;
                    if (!kept)
                    {
                        target.Expect(x, y, gray ? format.gray : format.black);
                    }
                }
            }
            EXPECT_EQ(target.Mismatch(), "") << "DrawPanel " << panel.width << " x " << panel.height
                                             << ", " << panel.covered << " covered";
        }
    }
}

TEST_P(DrawTest, LinesColourTheirSamplesAndNothingElse)
{
    const Format& format = GetParam();
    struct Line
    {
        const char* name;
        int w, h, x1, y1, x2, y2;
        Pixels pixels;
    };
    const Line lines[] = {
        {"forward stops short of the end", 90, 3, 0, 0, 89, 0, Steps(0, 0, 89, 1, 0)},
        {"backward reaches the end", 90, 3, 89, 0, 0, 0, Steps(0, 0, 90, 1, 0)},
        {"downward stops at row 269", 91, 272, 90, 0, 90, 270, Steps(90, 0, 270, 0, 1)},
        {"single point", 10, 5, 5, 2, 5, 2, Steps(5, 2, 1, 0, 0)},
        {"2000 pixels in 1000 samples", 2001, 1, 0, 0, 2000, 0, Steps(0, 0, 1000, 2, 0)},
        {"start outside, second sample truncates to 0", 90, 90, -1, -1, 90, 90,
         Steps(0, 0, 90, 1, 1)},
        {"samples beyond the right edge skipped", 90, 3, 80, 1, 200, 1, Steps(80, 1, 10, 1, 0)},
        // x = 3 - 3t crosses 2 and 1 at t = 1/3 and 2/3, y = 7t a row every 1/7: rows 5 and 6
        // lie below the surface.
        {"samples below the bottom row skipped", 10, 5, 3, 0, 0, 7,
         Pixels{{3, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {1, 3}, {1, 4}, {0, 4}}},
        {"entirely outside", 10, 10, -5, -5, -100, 20, {}},
    };
    for (const Line& line : lines)
    {
        SCOPED_TRACE(line.name);
        PaddedSurface target(format, line.w, line.h, 3);
        ASSERT_NE(target.surface, nullptr) << SDL_GetError();
        DrawLine(target.surface, line.x1, line.y1, line.x2, line.y2, 0x11, 0x22, 0x33);
        for (const auto& [x, y] : line.pixels)
        {
            target.Expect(x, y, format.ink);
        }
        EXPECT_EQ(target.Mismatch(), "");
    }
}

TEST_P(DrawTest, CellCircleLightsItsHandWorkedEdges)
{
    const Format& format = GetParam();
    // Padding 4 keeps rows aligned for ReadPixel's typed reads.
    PaddedSurface target(format, 90, 90, 4);
    ASSERT_NE(target.surface, nullptr) << SDL_GetError();
    DrawCircle(target.surface, 45, 45, 45);

    // Worked out by hand: the first sample (90, 45) is dropped, the second (89.99, 44.78)
    // lights (88, 44); x < 90 everywhere keeps column 89 dark and y > 0 keeps row 0 dark; row 45
    // is reached only near a = 0 (x = 90), a = pi (x < 1) and beyond the last angle, so it
    // stays dark; just past 3 pi / 2 the point (45, 89.99) lights (44, 89). Row 1 holds the
    // points with 45 sin a in (43, 44], where |45 cos a| runs from sqrt(89) = 9.43 to
    // sqrt(176) = 13.27: x in 31..35 and 54..58, lit one column left. Column 0 holds, in the
    // same way, the points with x = 1: y in 31..35 and 54..58.
    for (int i = 0; i < 90; ++i)
    {
        const bool leftLit = (i >= 31 && i <= 35) || (i >= 54 && i <= 58);
        EXPECT_EQ(ReadPixel(target.surface, 0, i), leftLit ? format.white : format.black)
            << "column 0, row " << i;
        EXPECT_EQ(ReadPixel(target.surface, 89, i), format.black) << "column 89, row " << i;
        EXPECT_EQ(ReadPixel(target.surface, i, 0), format.black) << "row 0, column " << i;
        EXPECT_EQ(ReadPixel(target.surface, i, 45), format.black) << "row 45, column " << i;
        const bool lit = (i >= 30 && i <= 34) || (i >= 53 && i <= 57);
        EXPECT_EQ(ReadPixel(target.surface, i, 1), lit ? format.white : format.black)
            << "row 1, column " << i;
    }
    EXPECT_EQ(ReadPixel(target.surface, 88, 44), format.white);
    EXPECT_EQ(ReadPixel(target.surface, 44, 89), format.white);
}

TEST_P(DrawTest, SmallCirclesLightOnlyTheirHandWorkedPixels)
{
    const Format& format = GetParam();
    struct Circle
    {
        int cx, cy, radius;
        Pixels white;
    };
    // Radius 1 around (5, 3): x is 6 only at a = 0, then 5 while cos a >= 0 and 4 after;
    // y is 2 while sin a > 0 and 3 after. Points on the border or outside are dropped.
    const Circle circles[] = {
        {10, 4, 0, {{9, 4}}}, {36, 5, 0, {{35, 5}}},
        {0, 3, 0, {}},        {5, 0, 0, {}},
        {37, 3, 0, {}},       {5, 3, 1, {{5, 3}, {4, 2}, {3, 2}, {3, 3}, {4, 3}}},
        {100, 100, 20, {}},
    };
    for (const Circle& circle : circles)
    {
        SCOPED_TRACE("centre (" + std::to_string(circle.cx) + ", " + std::to_string(circle.cy) +
                     ") radius " + std::to_string(circle.radius));
        PaddedSurface target(format, 37, 6, 3);
        ASSERT_NE(target.surface, nullptr) << SDL_GetError();
        DrawCircle(target.surface, circle.cx, circle.cy, circle.radius);
        target.ExpectAll(format.black);
        for (const auto& [x, y] : circle.white)
        {
            target.Expect(x, y, format.white);
        }
        EXPECT_EQ(target.Mismatch(), "");
    }
}

std::string FormatName(const testing::TestParamInfo<Format>& format)
{
    return format.param.name;
}

INSTANTIATE_TEST_SUITE_P(EveryPixelSize, DrawTest, testing::ValuesIn(kFormats), FormatName);

// SDL 1.2 keeps a 3-byte pixel in the machine's byte order. A line in a colour whose bytes all
// differ must leave, on either 24-bit layout, the very bytes SDL_FillRect leaves for
// SDL_MapRGB's value of that colour.
TEST(DrawThreeBytePixels, AreTheBytesSdlStoresForTheSameColour)
{
    for (const Format& format : {kFormats[3], kFormats[4]})
    {
        SCOPED_TRACE(format.name);
        PaddedSurface drawn(format, 4, 1, 0);
        PaddedSurface filled(format, 4, 1, 0);
        ASSERT_NE(drawn.surface, nullptr) << SDL_GetError();
        ASSERT_NE(filled.surface, nullptr) << SDL_GetError();
        DrawLine(drawn.surface, 0, 0, 4, 0, 0x11, 0x22, 0x33);
        SDL_FillRect(filled.surface, nullptr, SDL_MapRGB(filled.surface->format, 0x11, 0x22, 0x33));
        EXPECT_EQ(std::memcmp(drawn.surface->pixels, filled.surface->pixels, 4 * 3), 0);
    }
}

// An RLE-accelerated surface may have no pixel memory at all until it is locked, so drawing
// without the lock could crash, and a lock left held would show in locked.
TEST(DrawLocking, EveryPrimitiveLocksAnRleSurfaceReleasesItAndDrawsNothingIfRefused)
{
    SDL_Surface* const surface = MakeSurface(20, 10, 32);
    SDL_Surface* const target = MakeSurface(20, 10, 32);
    ASSERT_NE(surface, nullptr);
    ASSERT_NE(target, nullptr);
    SDL_FillRect(surface, nullptr, 0xFFFFFF);
    SDL_SetColorKey(surface, SDL_SRCCOLORKEY | SDL_RLEACCEL, 0xFF00FF);
    SDL_BlitSurface(surface, nullptr, target, nullptr); // the first blit encodes it
    if (!SDL_MUSTLOCK(surface))
    {
        SDL_FreeSurface(target);
        SDL_FreeSurface(surface);
        GTEST_SKIP() << "this SDL 1.2 never RLE-encodes a surface (sdl12-compat does not), so "
                        "it makes no surface that must be locked";
    }

    ClearSurface(surface);
    EXPECT_EQ(surface->locked, 0);
    EXPECT_EQ(ReadPixel(surface, 19, 9), 0x000000u);

    DrawPanel(surface, 5, 5);
    EXPECT_EQ(surface->locked, 0);
    EXPECT_EQ(ReadPixel(surface, 4, 4), 0x808080u);
    EXPECT_EQ(ReadPixel(surface, 5, 4), 0x000000u);

    DrawLine(surface, 0, 9, 19, 9, 255, 255, 255);
    EXPECT_EQ(surface->locked, 0);
    EXPECT_EQ(ReadPixel(surface, 18, 9), 0xFFFFFFu);
    EXPECT_EQ(ReadPixel(surface, 19, 9), 0x000000u);

    DrawCircle(surface, 10, 5, 3);
    EXPECT_EQ(surface->locked, 0);
    EXPECT_EQ(ReadPixel(surface, 12, 5), 0xFFFFFFu); // computed (13, 5), one column left
    EXPECT_EQ(ReadPixel(surface, 4, 4), 0x000000u);

    // Refused locks (through the test seam): nothing is drawn.
    SDL_BlitSurface(surface, nullptr, target, nullptr);
    {
        const ScopedSdlFaults faults(FAIL_LOCK);
        ClearSurface(surface);
        DrawPanel(surface, 20, 10);
        DrawLine(surface, 0, 0, 19, 0, 255, 0, 0);
        DrawCircle(surface, 4, 4, 2);
    }
    EXPECT_EQ(ReadPixel(surface, 12, 5), 0xFFFFFFu);
    EXPECT_EQ(ReadPixel(surface, 4, 4), 0x000000u);
    EXPECT_EQ(ReadPixel(surface, 5, 0), 0x000000u);
    SDL_FreeSurface(target);
    SDL_FreeSurface(surface);

    // A surface that must be locked (its pixels start at an offset) and turns out, once locked,
    // to have no whole row: nothing is drawn, and the lock is released all the same.
    std::vector<Uint8> bytes(20 * 10 * 4);
    SDL_Surface* const shortRows =
        SDL_CreateRGBSurfaceFrom(bytes.data(), 20, 10, 32, 79, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    ASSERT_NE(shortRows, nullptr);
    shortRows->offset = 4;
    ASSERT_TRUE(SDL_MUSTLOCK(shortRows));
    ClearSurface(shortRows);
    DrawPanel(shortRows, 5, 5);
    DrawLine(shortRows, 0, 9, 19, 9, 255, 255, 255);
    DrawCircle(shortRows, 10, 5, 3);
    EXPECT_EQ(shortRows->locked, 0);
    EXPECT_EQ(std::vector<Uint8>(bytes.size()), bytes);
    SDL_FreeSurface(shortRows);
}

// A surface whose description cannot be trusted (as a hostile bitmap can make SDL's loader
// hand back) must be left alone by every primitive and by the row copy, in both directions,
// without a byte of either buffer changing.
TEST(DegenerateSurfaces, AreNeitherDrawnNorCopied)
{
    struct Damage
    {
        const char* name;
        const Format& format;
        std::function<void(SDL_Surface*)> apply;
    };
    const Format& rgb = kFormats[5];
    const Damage damages[] = {
        {"no pixels", rgb, [](SDL_Surface* s) { s->pixels = nullptr; }},
        {"zero width", rgb, [](SDL_Surface* s) { s->w = 0; }},
        {"negative height", rgb, [](SDL_Surface* s) { s->h = -2147483647 - 1; }},
        {"pitch short of a row", rgb, [](SDL_Surface* s) { s->pitch = 4 * 9 - 1; }},
        {"pitch of zero", kFormats[3], [](SDL_Surface* s) { s->pitch = 0; }},
        {"no palette", kFormats[0], [](SDL_Surface* s) { s->format->palette = nullptr; }},
        {"a palette of no colours", kFormats[0],
         [](SDL_Surface* s)
         {
             static SDL_Color colour;
             static SDL_Palette empty = {0, &colour};
             s->format->palette = &empty;
         }},
        {"a palette of 257 colours", kFormats[0],
         [](SDL_Surface* s)
         {
             static SDL_Color colours[257];
             static SDL_Palette large = {257, colours};
             s->format->palette = &large;
         }},
        {"one bit per pixel", kFormats[0], [](SDL_Surface* s) { s->format->BitsPerPixel = 1; }},
        {"seven bits per pixel", kFormats[0], [](SDL_Surface* s) { s->format->BitsPerPixel = 7; }},
        // As SDL 1.2 loads a 40-bit bitmap; narrowed so its rows still fit the pitch.
        {"40 bits in 5 bytes", rgb,
         [](SDL_Surface* s)
         {
             s->format->BitsPerPixel = 40;
             s->format->BytesPerPixel = 5;
             s->w = 7;
         }},
        {"masks wider than the pixel", kFormats[1],
         [](SDL_Surface* s) { s->format->Rmask = 0xFF0000; }},
        {"8 bits in 2 bytes", kFormats[1],
         [](SDL_Surface* s)
         {
             s->format->BitsPerPixel = 8;
             s->format->Rmask = 0xE0;
             s->format->Gmask = 0x1C;
             s->format->Bmask = 0x03;
         }},
    };
    for (const Damage& damage : damages)
    {
        SCOPED_TRACE(damage.name);
        PaddedSurface broken(damage.format, 9, 5, 2);
        PaddedSurface sound(damage.format, 9, 5, 2);
        ASSERT_NE(broken.surface, nullptr) << SDL_GetError();
        ASSERT_NE(sound.surface, nullptr) << SDL_GetError();
        const SDL_Surface saved = *broken.surface;
        const SDL_PixelFormat savedFormat = *broken.surface->format;
        damage.apply(broken.surface);

        ClearSurface(broken.surface);
        DrawPanel(broken.surface, 4, 4);
        DrawLine(broken.surface, 0, 0, 8, 4, 255, 255, 255);
        DrawLine(broken.surface, 0, 2, 8, 2, 255, 255, 255);
        DrawCircle(broken.surface, 4, 2, 2);
        BlitWhole(broken.surface, sound.surface, 0, 0);
        BlitWhole(sound.surface, broken.surface, 0, 0);

        *broken.surface->format = savedFormat;
        broken.surface->pixels = saved.pixels;
        broken.surface->w = saved.w;
        broken.surface->h = saved.h;
        broken.surface->pitch = saved.pitch;
        EXPECT_EQ(broken.Mismatch(), "");
        EXPECT_EQ(sound.Mismatch(), "");
    }
    // No surface at all.
    ClearSurface(nullptr);
    DrawPanel(nullptr, 4, 4);
    DrawLine(nullptr, 0, 0, 8, 4, 255, 255, 255);
    DrawCircle(nullptr, 4, 2, 2);
}

// SDL 1.2's update request dereferences the video device, which does not exist while video
// is down; an off-screen picture must still be drawable then.
TEST(DrawCircleUpdate, IsSkippedWhileVideoIsDown)
{
    SDL_Quit();
    ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    SDL_Surface* const surface = MakeSurface(90, 90, 32);
    ASSERT_NE(surface, nullptr);
    SDL_FillRect(surface, nullptr, 0x123456);
    DrawCircle(surface, 45, 45, 45);
    EXPECT_EQ(ReadPixel(surface, 0, 0), 0x000000u);
    EXPECT_EQ(ReadPixel(surface, 88, 44), 0xFFFFFFu);
    SDL_FreeSurface(surface);
}

TEST(DrawCircleUpdate, IsMadeOnTheDisplayEvenWhenNothingFallsInside)
{
    SDL_Surface* const screen = OpenDummyDisplay();
    ASSERT_NE(screen, nullptr) << SDL_GetError();
    SDL_FillRect(screen, nullptr, 0x123456);
    DrawCircle(screen, 2000, 2000, 10);
    for (int y = 0; y < screen->h; ++y)
    {
        for (int x = 0; x < screen->w; ++x)
        {
            ASSERT_EQ(ReadPixel(screen, x, y), 0x000000u) << "(" << x << ", " << y << ")";
        }
    }
    DrawCircle(screen, 240, 136, 45);
    EXPECT_EQ(ReadPixel(screen, 284, 136), 0xFFFFFFu); // the computed (285, 136), one left
    EXPECT_EQ(ReadPixel(screen, 285, 136), 0x000000u);
    SDL_Quit();
}
} // namespace

// Grid and frame lines are axis-aligned and drawn on every pass, so they are drawn as spans. A
// cross-check of the two paths: a span must light exactly the pixels that the sampling loop
// lights for the same line leaning one pixel across, whose samples all stay in its first row
// (column), for starts on and around the board's edges. Every length up to 1005 either way is
// checked from 0; from the other starts, every short length, every length around the
// 1000-sample limit and every length ending on or beside an edge of the surface, and every
// ninth in between: each sampled line costs a thousand samples, which an emulated processor
// makes slow.
TEST(DrawLineAxisAligned, CrossCheckSpansAgainstTheSamplingOfALeaningLine)
{
    const int size = 1200;
    const int starts[] = {-1000, -999, -500, -3,  -1,  0,   1,   2,   44,  45,   89,
                          90,    135,  269,  270, 404, 405, 479, 500, 999, 1100, 1199};
    const auto checked = [](int x1, int dx)
    {
        const int length = std::abs(dx);
        const int end = x1 + dx;
        const bool nearEdge = std::abs(end) <= 2 || std::abs(end - (size - 1)) <= 2;
        return x1 == 0 || length <= 64 || length >= 936 || nearEdge || length % 9 == 0;
    };
    int mismatches = 0;
    for (const bool vertical : {false, true})
    {
        SDL_Surface* const spanned = MakeSurface(vertical ? 1 : size, vertical ? size : 1, 32);
        SDL_Surface* const sampled = MakeSurface(vertical ? 1 : size, vertical ? size : 1, 32);
        ASSERT_NE(spanned, nullptr);
        ASSERT_NE(sampled, nullptr);
        for (const int x1 : starts)
        {
            for (int dx = -1005; dx <= 1005; ++dx)
            {
                if (!checked(x1, dx))
                {
                    continue;
                }
                std::memset(spanned->pixels, 0, 4 * size);
                std::memset(sampled->pixels, 0, 4 * size);
                if (vertical)
                {
                    DrawLine(spanned, 0, x1, 0, x1 + dx, 255, 255, 255);
                    DrawLine(sampled, 0, x1, 1, x1 + dx, 255, 255, 255);
                }
                else
                {
                    DrawLine(spanned, x1, 0, x1 + dx, 0, 255, 255, 255);
                    DrawLine(sampled, x1, 0, x1 + dx, 1, 255, 255, 255);
                }
                if (std::memcmp(spanned->pixels, sampled->pixels, 4 * size) != 0 &&
                    ++mismatches <= 5)
                {
                    ADD_FAILURE() << (vertical ? "vertical" : "horizontal") << " line from " << x1
                                  << " by " << dx;
                }
            }
        }
        SDL_FreeSurface(spanned);
        SDL_FreeSurface(sampled);
    }
    EXPECT_EQ(0, mismatches);
}
