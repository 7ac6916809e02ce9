// Pictures are read from the working directory, so a hostile file there is input like any other:
// it must never be drawn, and a file that is not a regular one must never be waited for.

#include "frame/picture.h"
#include "screens/intro_state.h"
#include "tests/play_session.h"
#include "tests/sdl_faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

const Uint32 kRle8 = 1;
const Uint32 kRle4 = 2;
// A run-length encoded bitmap that ends before its first pixel: SDL leaves every pixel 0.
const std::string kEndOfBitmap("\0\1", 2);

// The same bitmap with the first colour of its OS/2 palette, right after the headers, not black.
std::string OtherFirstColour(std::string bitmap)
{
    bitmap[14 + 12] = 1;
    return bitmap;
}

class HostilePicturesTest : public PlaySession
{
  protected:
    // A ring, a cross and the pointer over the board: every picture of the field in use.
    SDL_Surface* DrawField()
    {
        EnterPlay();
        Play({0, 4});
        Motion(200, 100);
        RunPass(&engine);
        SDL_Surface* const shown =
            SDL_ConvertSurface(engine.screen, engine.screen->format, SDL_SWSURFACE);
        engine.PopState();
        return shown;
    }
};

// Each of these once gave a surface that SDL or the drawing code then read or wrote out of
// bounds, or is bigger than any picture may be. Whichever of the two SDLs refuses it itself,
// the game must end up exactly where a missing picture leaves it.
TEST_F(HostilePicturesTest, AreRefusedAndEveryScreenShowsThemAsMissing)
{
    SDL_Surface* const missing = DrawField();
    ASSERT_NE(nullptr, missing);
    const struct
    {
        const char* what;
        std::string bytes;
        int cutPalette = 0; // 0: the palette as loaded
    } cases[] = {
        {"height of -2^31", Bitmap(1, -2147483647 - 1, 32, 0)},
        {"16-byte pixels with a pitch wrapping to 0", Bitmap(4097, 1, 128, 64)},
        {"255 bits per pixel", Bitmap(4, 4, 255, 1024)},
        {"64 bits per pixel", Bitmap(4, 4, 64, 128)},
        {"a side beyond 65535", Bitmap(1, 65536, 32, 4 * 65536)},
        {"more than 4096 x 4096 pixels", Bitmap(4097, 4097, 1, 516 * 4097)},
        {"an index past the palette",
         Bitmap(9, 1, 8, kRle8, 2, std::string("\3\1\1\2\5\1\0\1", 8))},
        // Classic SDL 1.2 refuses such indexes itself: the loader is told to cut the palette as
        // SDL2 leaves it. Past the first eight, pixels are checked one by one; up to 128
        // colours, eight at a time.
        {"an index of the palette's size past the first eight",
         Bitmap(9, 1, 8, 0, 256, std::string("\0\0\0\0\0\0\0\0\2\0\0\0", 12)), 2},
        {"an index of the palette's size first in its row",
         Bitmap(8, 1, 8, 0, 256, std::string("\2\0\0\0\0\0\0\0", 8)), 2},
        {"an index of 200 among eight",
         Bitmap(8, 1, 8, 0, 256, std::string("\0\0\0\310\0\0\0\0", 8)), 2},
        {"an index past a palette of 255 colours",
         Bitmap(9, 1, 8, 0, 256, std::string("\0\0\0\0\0\0\0\0\377\0\0\0", 12)), 255},
        {"an index past the palette at the end of padded rows",
         Bitmap(9, 2, 8, 0, 256, std::string("\0\0\0\0\0\0\0\0\2", 9) + std::string(15, '\0')), 2},
        {"an index past a palette of 200 colours",
         Bitmap(9, 1, 8, 0, 256, std::string("\0\0\0\310\0\0\0\0\0\0\0\0", 12)), 200},
        {"a file far shorter than its pixels", Bitmap(4096, 4096, 32, 0)},
    };
    for (const auto& hostile : cases)
    {
        SCOPED_TRACE(hostile.what);
        const ScopedSdlFaults loader(hostile.cutPalette != 0 ? LOAD_CUT_PALETTE : 0u,
                                     hostile.cutPalette);
        // A refused picture leaves neither a surface nor a descriptor behind.
        const int surfaces = LiveSurfaces();
        const int descriptors = OpenDescriptors();
        for (const char* name : PICTURE_NAMES)
        {
            ASSERT_TRUE(WriteFile(name, hostile.bytes));
            EXPECT_EQ(nullptr, LoadPicture(name)) << name;
        }
        EXPECT_EQ(surfaces, LiveSurfaces());
        EXPECT_EQ(descriptors, OpenDescriptors());
        engine.PushState(CIntroState::Instance());
        FillRgb(engine.screen, 0, 0, 480, 272, Rgb{10, 20, 30});
        RunPass(&engine);
        EXPECT_EQ(0, CountPixelsOtherThan(engine.screen, Rgb{10, 20, 30}));
        engine.PopState();

        SDL_Surface* const shown = DrawField();
        EXPECT_EQ("", CompareSurfaces(shown, missing, "hostile-field"));
        SDL_FreeSurface(shown);
    }
    SDL_FreeSurface(missing);
}

Sint64 MaxResidentKb()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The checks must not refuse what SDL loads: a picture stored top row first has a negative
// height in its header, an OS/2 one 16-bit sides, and the largest pictures allowed are as large
// as the limits (both SDLs load these); a run-length encoded one takes far fewer bytes than its
// pixels (only sdl12-compat loads it).
TEST_F(HostilePicturesTest, WhatSdlLoadsIsNotRefused)
{
    std::string runs;
    for (int row = 0; row < 8; ++row)
    {
        runs += std::string("\100\1\0\0", 4); // 64 pixels of colour 1, then the row's end
    }
    const struct
    {
        const char* what;
        std::string bytes;
        bool bothSdlsLoad;
    } pictures[] = {
        {"top row first", Bitmap(4, -2, 32, 32), true},
        {"an OS/2 header", CoreBitmap(4, 3, std::string(12, '\0')), true},
        {"an OS/2 header, its first colour not black",
         OtherFirstColour(CoreBitmap(4, 3, std::string(12, '\0'))), true},
        {"4096 x 4096 pixels", Bitmap(4096, 4096, 1, 0, 2, std::string(512 * 4096, '\0')), true},
        {"a side of 65535", Bitmap(1, 65535, 1, 0, 2, std::string(4 * 65535, '\0')), true},
        {"wide, of 1 bit, to the byte", Bitmap(4096, 4, 1, 0, 2, std::string(512 * 4, '\0')), true},
        {"1 bit, the last row unpadded", Bitmap(8, 2, 1, 0, 2, std::string(5, '\0')), true},
        {"run-length encoded", Bitmap(64, 8, 8, kRle8, 2, runs + kEndOfBitmap), false},
        {"run-length encoded in 4 bits", Bitmap(64, 8, 4, kRle4, 2, runs + kEndOfBitmap), false},
        // The row's padding byte lies in the surface too, and is no pixel.
        {"7 pixels a row, padded with 255",
         Bitmap(7, 1, 8, 0, 2, std::string("\0\0\0\0\0\0\0\377", 8)), true},
        {"eight pixels of the last of 129 colours", Bitmap(8, 1, 8, 0, 129, std::string(8, '\200')),
         true},
        {"a palette of one colour", Bitmap(8, 1, 8, 0, 1, std::string(8, '\0')), true},
    };
    for (const auto& picture : pictures)
    {
        SCOPED_TRACE(picture.what);
        ASSERT_TRUE(WriteFile("NULL.bmp", picture.bytes));
        SDL_Surface* const sdls = SDL_LoadBMP("NULL.bmp");
        const int calls = LoaderCalls();
        SDL_Surface* const ours = LoadPicture("NULL.bmp");
        EXPECT_EQ(calls + 1, LoaderCalls()) << "refused on its header";
        EXPECT_TRUE(sdls != nullptr || !picture.bothSdlsLoad);
        ASSERT_EQ(sdls != nullptr, ours != nullptr);
        if (ours != nullptr)
        {
            EXPECT_EQ(sdls->w, ours->w);
            EXPECT_EQ(sdls->h, ours->h);
        }
        SDL_FreeSurface(sdls);
        SDL_FreeSurface(ours);
    }
}

// A few bytes of header can claim hundreds of megabytes of pixels, which SDL2 allocates and
// clears before it reads one. Refusing such a picture must cost no more than its header, also
// with little address space to spare.
TEST_F(HostilePicturesTest, HugeClaimsCostOnlyTheirHeader)
{
    struct Claim
    {
        std::string what;
        std::string bytes;
    };
    std::vector<Claim> claims = {
        {"a side beyond 65535", Bitmap(65536, 4000, 8, kRle8, 2, kEndOfBitmap)},
        // Few pixels: only the side's own limit refuses these before the loader, which on
        // classic SDL 1.2 would refuse them itself and so hide a limit checked on the other side.
        {"a width beyond 65535, one row", Bitmap(65536, 1, 8, kRle8, 2, kEndOfBitmap)},
        {"a height beyond 65535, one column", Bitmap(1, 65536, 8, kRle8, 2, kEndOfBitmap)},
        {"16384 x 16384 pixels", Bitmap(16384, 16384, 8, kRle8, 2, kEndOfBitmap)},
        {"16384 x 16384 pixels, top row first", Bitmap(16384, -16384, 8, 0, 0, "")},
        {"16384 x 16384 pixels in an OS/2 header", CoreBitmap(16384, 16384, "")},
        {"4096 x 4096 pixels in an OS/2 header, no pixels", CoreBitmap(4096, 4096, "")},
        {"4097 x 4096 pixels in an OS/2 header, with the bytes of 1 x 4096",
         CoreBitmap(4097, 4096, std::string(4 * 4096, '\0'))},
        {"4096 x 4097 pixels in an OS/2 header, with the bytes of 4096 x 1",
         CoreBitmap(4096, 4097, std::string(4096, '\0'))},
        // SDL 1.2 wraps the count into 222 bytes a pixel: half a gigabyte for 212 bytes of file.
        {"61166 bits per pixel", Bitmap(40, 60928, 61166, 0)},
        {"33 bits per pixel", Bitmap(4096, 4096, 33, 0)},
        {"280 bits per pixel, with the bytes of 24", Bitmap(1024, 1024, 280, 3 << 20)},
        // SDL2 reads a compression it does not know as none, after the whole surface.
        {"a compression of 2^24 + 1, no pixels", Bitmap(4096, 4096, 8, 0x01000001, 2, "")},
        {"4096 x 4096 pixels of 24 bits in 100000 bytes",
         Bitmap(4096, 4096, 24, 0, 0, std::string(100000, '\0'))},
    };
    // Within the limits, but in a file of nothing but headers: sdl12-compat clears the whole
    // surface before it finds the pixels missing, unless the claim is refused first.
    for (const Uint16 bits : {1, 4, 8, 16, 24, 32})
    {
        claims.push_back({"4096 x 4096 pixels of " + std::to_string(bits) + " bits, no pixels",
                          Bitmap(4096, 4096, bits, 0)});
    }
    claims.push_back({"4096 x 4096 pixels of 1 bit, a byte short",
                      Bitmap(4096, 4096, 1, 0, 2, std::string(512 * 4096 - 1, '\0'))});
    claims.push_back(
        {"64 bits per pixel in an OS/2 header", CoreBitmap(4, 4, std::string(128, '\0'))});
    claims.back().bytes[14 + 10] = 64;
    // A gigabyte more than the process already holds: room for each claim, had it been believed.
    long pages = 0;
    FILE* const statm = std::fopen("/proc/self/statm", "r");
    ASSERT_NE(nullptr, statm);
    ASSERT_EQ(1, std::fscanf(statm, "%ld", &pages));
    std::fclose(statm);
    struct rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_AS, &saved));
    struct rlimit limited = saved;
    limited.rlim_cur = std::min<rlim_t>(saved.rlim_max, pages * sysconf(_SC_PAGESIZE) + (1 << 30));
    ASSERT_EQ(0, setrlimit(RLIMIT_AS, &limited));

    for (const auto& claim : claims)
    {
        SCOPED_TRACE(claim.what);
        ASSERT_TRUE(WriteFile("NULL.bmp", claim.bytes));
        const Sint64 before = MaxResidentKb();
        const int calls = LoaderCalls();
        EXPECT_EQ(nullptr, LoadPicture("NULL.bmp"));
        EXPECT_LT(MaxResidentKb() - before, 8 * 1024);
        EXPECT_EQ(calls, LoaderCalls()) << "handed to the loader";
    }
    ASSERT_EQ(0, setrlimit(RLIMIT_AS, &saved));

    // The check on a stream at another place than its start: the bitmap there, and the stream
    // put back.
    for (const auto& [bitmap, fits] :
         {std::pair{Bitmap(2, 2, 24, 16), true}, std::pair{claims.front().bytes, false}})
    {
        const std::string bytes = "xyz" + bitmap;
        SDL_RWops* const stream = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
        ASSERT_EQ(3, SDL_RWseek(stream, 3, RW_SEEK_SET));
        EXPECT_EQ(fits, StreamHeaderFitsLimits(stream));
        EXPECT_EQ(3, SDL_RWtell(stream));
        SDL_RWclose(stream);
    }
}

// Opening a FIFO for reading waits for a writer; a device may never end. Neither may stop the
// game, while a link to a real picture still loads.
TEST_F(HostilePicturesTest, OnlyRegularFilesAreReadAndNothingBlocks)
{
    ASSERT_EQ(0, mkfifo("NULL.bmp", 0600));
    ASSERT_EQ(0, mkdir("intro.bmp", 0700));
    ASSERT_EQ(0, symlink("/dev/zero", "menu.bmp"));
    ASSERT_TRUE(WriteSolidBmp("real.bmp", 3, 2, {1, 2, 3}));
    ASSERT_EQ(0, symlink("real.bmp", "item.bmp"));

    // Then each as if swapped in after the check by name: the check on the opened file refuses
    // it, and the descriptor is closed.
    const int descriptors = OpenDescriptors();
    for (const unsigned swapped : {0u, unsigned{STAT_SAYS_REGULAR}})
    {
        const ScopedSdlFaults faults(swapped);
        auto loads = std::async(std::launch::async,
                                []
                                {
                                    std::string loaded;
                                    for (const char* name : {"NULL.bmp", "intro.bmp", "menu.bmp"})
                                    {
                                        SDL_Surface* const picture = LoadPicture(name);
                                        loaded += picture != nullptr ? name : "";
                                        SDL_FreeSurface(picture);
                                    }
                                    return loaded;
                                });
        // The loads take milliseconds, a blocked one forever: a minute parts the two on any
        // machine, however busy or instrumented, and still ends the test before CTest would.
        if (loads.wait_for(std::chrono::minutes(1)) != std::future_status::ready)
        {
            // Lets a reader blocked on the FIFO go, so the test can end.
            close(open("NULL.bmp", O_WRONLY | O_NONBLOCK));
            FAIL() << "loading a picture blocked";
        }
        EXPECT_EQ("", loads.get());
        EXPECT_EQ(descriptors, OpenDescriptors());
    }

    SDL_Surface* const linked = LoadPicture("item.bmp");
    ASSERT_NE(nullptr, linked);
    EXPECT_EQ(3, linked->w);
    SDL_FreeSurface(linked);

    // No stream over the opened file: refused, and its descriptor closed.
    {
        const ScopedSdlFaults faults(FAIL_FDOPEN);
        EXPECT_EQ(nullptr, LoadPicture("real.bmp"));
    }
    EXPECT_EQ(descriptors, OpenDescriptors());

    EnterPlay();
    EXPECT_EQ(45, play->cellRadius);
    EXPECT_EQ(90, play->emptyImage->w);
}

} // namespace
