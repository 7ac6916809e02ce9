// Pictures are read from the working directory, so a hostile file there is input like any other:
// it must never be drawn, and a file that is not a regular one must never be waited for.

#include "frame/picture.h"
#include "screens/intro_state.h"
#include "tests/play_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char* const kNames[] = {"intro.bmp", "menu.bmp", "item.bmp", "NULL.bmp",
                              "win1.bmp",  "win2.bmp", "DRAW.bmp"};

void PutLe(std::string& bytes, Uint32 value, int size)
{
    for (int i = 0; i < size; ++i)
    {
        bytes.push_back(static_cast<char>(value >> (8 * i)));
    }
}

// A bitmap whose 40-byte header says w x h at bits per pixel, followed by pixelBytes zeros.
std::string Bitmap(Sint32 w, Sint32 h, Uint16 bits, std::size_t pixelBytes)
{
    std::string bytes = "BM";
    PutLe(bytes, static_cast<Uint32>(54 + pixelBytes), 4);
    PutLe(bytes, 0, 4);
    PutLe(bytes, 54, 4);
    PutLe(bytes, 40, 4);
    PutLe(bytes, static_cast<Uint32>(w), 4);
    PutLe(bytes, static_cast<Uint32>(h), 4);
    PutLe(bytes, 1, 2);
    PutLe(bytes, bits, 2);
    bytes.append(24, '\0');
    bytes.append(pixelBytes, '\0');
    return bytes;
}

bool WriteFile(const char* name, const std::string& bytes)
{
    FILE* const file = std::fopen(name, "wb");
    if (file == nullptr)
    {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
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
    } cases[] = {
        {"height of -2^31", Bitmap(1, -2147483647 - 1, 32, 0)},
        {"16-byte pixels with a pitch wrapping to 0", Bitmap(4097, 1, 128, 64)},
        {"255 bits per pixel", Bitmap(4, 4, 255, 1024)},
        {"64 bits per pixel", Bitmap(4, 4, 64, 128)},
        {"a side beyond 65535", Bitmap(1, 65536, 32, 4 * 65536)},
        {"more than 4096 x 4096 pixels", Bitmap(4097, 4097, 1, 516 * 4097)},
    };
    for (const auto& hostile : cases)
    {
        SCOPED_TRACE(hostile.what);
        for (const char* name : kNames)
        {
            ASSERT_TRUE(WriteFile(name, hostile.bytes));
            EXPECT_EQ(nullptr, LoadPicture(name)) << name;
        }
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

// Opening a FIFO for reading waits for a writer; a device may never end. Neither may stop the
// game, while a link to a real picture still loads.
TEST_F(HostilePicturesTest, OnlyRegularFilesAreReadAndNothingBlocks)
{
    ASSERT_EQ(0, mkfifo("NULL.bmp", 0600));
    ASSERT_EQ(0, mkdir("intro.bmp", 0700));
    ASSERT_EQ(0, symlink("/dev/zero", "menu.bmp"));
    ASSERT_TRUE(WriteSolidBmp("real.bmp", 3, 2, 1, 2, 3));
    ASSERT_EQ(0, symlink("real.bmp", "item.bmp"));

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
    if (loads.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
    {
        // Lets a reader blocked on the FIFO go, so the test can end.
        close(open("NULL.bmp", O_WRONLY | O_NONBLOCK));
        FAIL() << "loading a picture blocked";
    }
    EXPECT_EQ("", loads.get());

    SDL_Surface* const linked = LoadPicture("item.bmp");
    ASSERT_NE(nullptr, linked);
    EXPECT_EQ(3, linked->w);
    SDL_FreeSurface(linked);

    EnterPlay();
    EXPECT_EQ(45, play->cellRadius);
    EXPECT_EQ(90, play->emptyImage->w);
}

} // namespace
