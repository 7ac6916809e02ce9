#ifndef NOUGHTS_TESTS_SDL_TEST_ENV_H
#define NOUGHTS_TESTS_SDL_TEST_ENV_H

// Shared by the component tests: real SDL under the dummy video driver, real surfaces and
// real bitmap files in a temporary working directory, and input through SDL's own queue.

#include "frame/state_engine.h"
#include "tests/sdl_faults.h"
#include "tests/work_dir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <iosfwd>
#include <string>

// Selects SDL's dummy video (and audio) driver for this process. The game itself reads no
// variable.
void UseDummyVideo();

// A real engine, the game's own start-up on the dummy driver, for each test; shut down after
// it (harmless when the test already did: the stack is then empty and SDL down). Every screen
// pushed meanwhile has been cleaned up by then, and must have freed what it made.
class EngineFixture : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        UseDummyVideo();
        engine.Init();
        surfacesAtStart = LiveSurfaces();
    }

    void TearDown() override
    {
        engine.Cleanup();
        EXPECT_EQ(surfacesAtStart, LiveSurfaces()) << "surfaces left after the screens' Cleanup";
    }

    CStateEngine engine;
    int surfacesAtStart = 0;
};

// Starts SDL with the dummy driver and opens the game's 480x272x32 display.
SDL_Surface* OpenDummyDisplay();

// A software surface of the given size and bits per pixel (8, 16, 24 or 32), zero-filled,
// with the common masks for that depth (none for 8).
SDL_Surface* MakeSurface(int w, int h, int bitsPerPixel);

// A pixel's colour as SDL_GetRGB gives it, comparable and printable in test messages.
struct Rgb
{
    Uint8 r;
    Uint8 g;
    Uint8 b;
};
bool operator==(const Rgb& left, const Rgb& right);
bool operator!=(const Rgb& left, const Rgb& right);
std::ostream& operator<<(std::ostream& out, const Rgb& colour);

// A w x h 32-bit surface filled with one colour, saved as a Windows bitmap under name in the
// working directory. Returns false when it could not be written.
bool WriteSolidBmp(const char* name, int w, int h, Rgb colour);

// The bytes of a Windows bitmap with a 40-byte info header saying w x h at `bits` per pixel with
// the given compression, followed by a palette of `colours` black entries and then `pixels` as
// they are: any header a test needs, sound or hostile.
std::string Bitmap(Sint32 w, Sint32 h, Uint16 bits, Uint32 compression, Uint32 colours,
                   const std::string& pixels);

// The same with no palette and `pixelBytes` zero bytes of pixels.
std::string Bitmap(Sint32 w, Sint32 h, Uint16 bits, std::size_t pixelBytes);

// The same with the 12-byte OS/2 info header, whose sides have 16 bits, 8-bit pixels and a
// palette of 256 black entries.
std::string CoreBitmap(Uint16 w, Uint16 h, const std::string& pixels);

// Writes bytes into the file `name`; false when they could not all be written.
bool WriteFile(const char* name, const std::string& bytes);

// Every picture the game reads from its working directory.
inline const char* const PICTURE_NAMES[] = {"intro.bmp", "menu.bmp", "item.bmp", "NULL.bmp",
                                            "win1.bmp",  "win2.bmp", "DRAW.bmp"};

// Copies one of the shipped pictures from assets/ into the working directory.
bool CopyShippedPicture(const char* name);

// Pixels as SDL itself stores them on this machine, learnt from SDL_FillRect, so no byte order
// is written into the tests: ReadPixel gives the mapped value of pixel (x, y), locking the
// surface when it must be locked; StorePixel writes value into the bpp bytes at `at`.
Uint32 ReadPixel(SDL_Surface* surface, int x, int y);
void StorePixel(Uint8* at, int bpp, Uint32 value);

// Input pushed onto SDL's queue exactly as the drivers would deliver it.
void PushKeyDown(SDLKey key, SDLMod mod = KMOD_NONE);
void PushKeyUp(SDLKey key);
void PushJoyButtonDown(Uint8 button, Uint8 which = 0);
void PushJoyButtonUp(Uint8 button);
// state: the buttons held, as SDL_BUTTON(n) bits.
void PushMouseMotion(Uint16 x, Uint16 y, Uint8 state = 0);
void PushMouseButtonDown(Uint8 button, Uint16 x, Uint16 y);
void PushMouseButtonUp(Uint8 button, Uint16 x, Uint16 y);
void PushQuit();

// Number of events waiting in SDL's queue (taken without removing them).
int PendingEvents();

// Zero-tolerance comparison of two surfaces of the same size, pixel by pixel through
// SDL_GetRGB. On a difference, saves both as BMP files named after label in the system's
// temporary directory and returns a message naming the first differing pixel; else "".
std::string CompareSurfaces(SDL_Surface* actual, SDL_Surface* expected, const std::string& label);

// The colour of pixel (x, y) through the surface's own format.
Rgb ReadRgb(SDL_Surface* surface, int x, int y);

// Paints the rectangle (x, y, w, h) in one colour, for building expected pictures by hand.
void FillRgb(SDL_Surface* surface, int x, int y, int w, int h, Rgb colour);

// How many pixels of the surface have any other colour.
int CountPixelsOtherThan(SDL_Surface* surface, Rgb colour);

#endif
