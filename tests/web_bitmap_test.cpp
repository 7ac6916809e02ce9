// The page draws its pictures with SDL 1.2's own code built from source (frame/web_bmp.h). Here
// that code, and the game's drawing built as the page builds it, is held to the system's SDL 1.2
// on every shipped picture and every fuzz seed.

#include "draw/blit.h"
#include "draw/draw.h"
#include "draw/surface_check.h"
#include "frame/picture.h"
#include "frame/web_bmp.h"
#include "tests/sdl_faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// The seam counts the surfaces SDL 1.2's code makes for the page's pictures as well.
extern "C"
{
    SDL_Surface* __real_WebLoadBMP_RW(SDL_RWops* src, int freesrc);
    void __real_WebFreeSurface(SDL_Surface* surface);

    SDL_Surface* __wrap_WebLoadBMP_RW(SDL_RWops* src, int freesrc)
    {
        return TrackSurface(__real_WebLoadBMP_RW(src, freesrc));
    }

    void __wrap_WebFreeSurface(SDL_Surface* surface)
    {
        ForgetSurface(surface);
        __real_WebFreeSurface(surface);
    }
}

namespace
{

std::vector<std::string> Pictures()
{
    std::vector<std::string> paths;
    const std::filesystem::path fuzz(NOUGHTS_FUZZ_DIR);
    for (const std::filesystem::path& folder :
         {std::filesystem::path(NOUGHTS_ASSETS_DIR), fuzz / "seeds" / "picture",
          fuzz / "regressions" / "picture"})
    {
        for (const auto& entry : std::filesystem::directory_iterator(folder))
        {
            if (entry.is_regular_file() && entry.path().extension() == ".bmp")
            {
                paths.push_back(entry.path().string());
            }
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Whether the game hands the file to a loader at all: SDL 1.2's loaders write past their
// surfaces on some headers the game refuses first.
bool PassesHeaderCheck(const std::string& path)
{
    SDL_RWops* const stream = SDL_RWFromFile(path.c_str(), "rb");
    const bool passes = stream != nullptr && StreamHeaderFitsLimits(stream);
    SDL_RWclose(stream);
    return passes;
}

SDL_Surface* LoadClassic(const std::string& path)
{
    return SDL_LoadBMP_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
}

SDL_Surface* LoadInPage(const std::string& path)
{
    SDL_RWops* const stream = PageRWFromFile(path.c_str(), "rb");
    return stream != nullptr ? PageLoadBMP_RW(stream, 1) : nullptr;
}

// The bytes of every pixel, row by row, without the padding.
std::string PixelBytes(const SDL_Surface* surface)
{
    std::string bytes;
    const size_t row = static_cast<size_t>(surface->w) * surface->format->BytesPerPixel;
    for (int y = 0; y < surface->h; ++y)
    {
        bytes.append(static_cast<const char*>(surface->pixels) + y * surface->pitch, row);
    }
    return bytes;
}

std::string Palette(const SDL_Surface* surface)
{
    const SDL_Palette* const palette = surface->format->palette;
    std::string colours;
    for (int i = 0; palette != nullptr && i < palette->ncolors; ++i)
    {
        const SDL_Color& colour = palette->colors[i];
        colours +=
            {static_cast<char>(colour.r), static_cast<char>(colour.g), static_cast<char>(colour.b)};
    }
    return colours;
}

// A fill and lines as the play screen draws them, in colours no palette holds exactly.
void DrawInto(SDL_Surface* picture)
{
    const int w = picture->w;
    const int h = picture->h;
    DrawPanel(picture, 2 * w / 3 + 1, 2 * h / 3 + 1, std::min(w, h) / 2);
    DrawLine(picture, 0, 0, w, h, 255, 255, 255);
    DrawLine(picture, w - 1, 0, 0, h - 1, 250, 10, 131);
}

// The picture blitted at (1, 1) onto a 32-bit surface of the given masks, one pixel larger on
// every side and filled with a pattern first.
std::string BlitOnto(SDL_Surface* picture, const Uint32 (&masks)[4])
{
    SDL_Surface* const target = SDL_CreateRGBSurface(SDL_SWSURFACE, picture->w + 2, picture->h + 2,
                                                     32, masks[0], masks[1], masks[2], masks[3]);
    if (target == nullptr)
    {
        return "no target";
    }
    std::fill_n(static_cast<Uint8*>(target->pixels), target->h * target->pitch, 0x5A);
    BlitWhole(picture, target, 1, 1);
    const std::string bytes = PixelBytes(target);
    SDL_FreeSurface(target);
    return bytes;
}

// Where two byte strings first differ, or "same": a picture's bytes are too many to print.
std::string FirstDifference(const std::string& got, const std::string& want)
{
    if (got == want)
    {
        return "same";
    }
    const auto at = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size()) +
           ", first difference at byte " + std::to_string(at.first - got.begin());
}

bool IsClassicSdl()
{
    // sdl12-compat numbers itself 1.2.50 and up.
    return SDL_Linked_Version()->patch < 50;
}

TEST(WebBitmap, LoadsDrawsAndBlitsEveryPictureAsSdl12Does)
{
    if (!IsClassicSdl())
    {
        GTEST_SKIP() << "the reference is classic SDL 1.2's loader; sdl12-compat loads through "
                        "SDL2's, which gives 32-bit pictures an alpha mask and refuses other files";
    }
    const Uint32 desktop[4] = {0xFF0000, 0xFF00, 0xFF, 0};
    const Uint32 canvas[4] = {0xFF, 0xFF00, 0xFF0000, 0xFF000000};
    const int surfaces = LiveSurfaces();
    const int descriptors = OpenDescriptors();
    int accepted = 0;
    int loaded = 0;
    const std::vector<std::string> paths = Pictures();
    for (const std::string& path : paths)
    {
        SCOPED_TRACE(path);
        if (!PassesHeaderCheck(path))
        {
            EXPECT_EQ(LoadPicture(path.c_str()), nullptr) << "the page loads what it refuses";
            continue;
        }
        ++loaded;
        SDL_Surface* const classic = LoadClassic(path);
        SDL_Surface* const page = LoadInPage(path);
        ASSERT_EQ(classic != nullptr, page != nullptr) << "accepted by one loader only";
        if (classic == nullptr)
        {
            continue;
        }
        ++accepted;
        const SDL_PixelFormat& want = *classic->format;
        const SDL_PixelFormat& got = *page->format;
        EXPECT_EQ(page->w, classic->w);
        EXPECT_EQ(page->h, classic->h);
        EXPECT_EQ(page->pitch, classic->pitch);
        EXPECT_EQ(got.BitsPerPixel, want.BitsPerPixel);
        EXPECT_EQ(got.BytesPerPixel, want.BytesPerPixel);
        EXPECT_EQ(got.Rmask, want.Rmask);
        EXPECT_EQ(got.Gmask, want.Gmask);
        EXPECT_EQ(got.Bmask, want.Bmask);
        EXPECT_EQ(got.Amask, want.Amask);
        EXPECT_EQ(Palette(page), Palette(classic));
        // A pitch short of a row (a wrapped one) leaves only the description to compare, as
        // the game draws no such picture.
        EXPECT_EQ(HasWholeRows(page), HasWholeRows(classic));
        if (HasWholeRows(page) && HasWholeRows(classic) &&
            got.BytesPerPixel == want.BytesPerPixel && page->w == classic->w &&
            page->h == classic->h)
        {
            EXPECT_EQ(FirstDifference(PixelBytes(page), PixelBytes(classic)), "same") << "loaded";
            DrawInto(classic);
            DrawInto(page);
            EXPECT_EQ(FirstDifference(PixelBytes(page), PixelBytes(classic)), "same") << "drawn";
            EXPECT_EQ(FirstDifference(BlitOnto(page, desktop), BlitOnto(classic, desktop)), "same")
                << "blitted onto a desktop's display";
            EXPECT_EQ(FirstDifference(BlitOnto(page, canvas), BlitOnto(classic, canvas)), "same")
                << "blitted onto the page's display";
        }
        SDL_FreeSurface(classic);
        PageFreeSurface(page);
    }
    EXPECT_EQ(LoadInPage("no such picture.bmp"), nullptr);
    EXPECT_EQ(LiveSurfaces(), surfaces) << "a surface of either loader was never freed";
    EXPECT_EQ(OpenDescriptors(), descriptors) << "a stream of either loader was never closed";
    // Shipped pictures, sound seeds and hostile ones: every outcome was met.
    EXPECT_GE(accepted, 7);
    EXPECT_LT(accepted, loaded);
    EXPECT_LT(loaded, static_cast<int>(paths.size()));
    std::printf("%zu pictures: %d refused by their headers, %d loaded by both loaders, %d of "
                "them accepted\n",
                paths.size(), static_cast<int>(paths.size()) - loaded, loaded, accepted);
}

} // namespace
