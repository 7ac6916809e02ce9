// Arbitrary bytes as every picture of the game at once, through the game's own loading path and
// every use of a picture: a picture screen's draw, the play screen's Init, and its Draw with the
// picture as cell, mark, result plate and pointer image, on and off the window's edges.
// One input is all seven pictures at once.

#include "draw/pixel.h"
#include "frame/picture.h"
#include "game/board.h"
#include "game/play_state.h"
#include "screens/intro_state.h"
#include "screens/item_state.h"
#include "tests/fuzz/fuzz_env.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sanitizer/allocator_interface.h>
#include <string>

static CStateEngine engine;
static const char* const INPUT_NAME = "input.bmp";

// What the game takes from a file at most: pictures of up to 4096 x 4096 pixels, and of one
// stored row by row (any but a run-length one) no more rows than its bytes hold.
static const Sint64 MOST_PIXELS = Sint64{4096} * 4096;
static const Uint32 RUN_LENGTH_8 = 1;
static const Uint32 RUN_LENGTH_4 = 2;
// A load may allocate, for each pixel it admits, the loader's surface and the game's two
// copies of it (opaque alpha dropped, channels reordered), each of up to 4 bytes a pixel.
static const Sint64 BYTES_PER_ADMITTED_PIXEL = 3 * 4;
// And, whatever the picture, SDL's own structures, palettes and the stream's buffer (under
// 7 kB on either SDL 1.2).
static const Sint64 FIXED_BYTES = 64 * 1024;

// Bytes this thread allocates while a load is counted. Loading, clearing and checking a
// picture are all linear in the surfaces made, so this counts a load's work without timing it:
// the same input gets the same verdict however busy the machine is.
static thread_local bool counting = false;
static thread_local Sint64 allocated = 0;

static void CountAllocation(const volatile void*, size_t size)
{
    if (counting)
    {
        allocated += static_cast<Sint64>(size);
    }
}

static void IgnoreFree(const volatile void*) {}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzEngine(&engine);
    if (__sanitizer_install_malloc_and_free_hooks(CountAllocation, IgnoreFree) == 0)
    {
        FuzzFailure("cannot count allocations");
    }
    return 0;
}

static void WriteInput(const uint8_t* data, size_t size)
{
    FILE* const file = fopen(INPUT_NAME, "wb");
    if (file == nullptr || fwrite(data, 1, size, file) != size || fclose(file) != 0)
    {
        FuzzFailure("cannot write the input picture");
    }
}

// The result plates are all this same picture, so one of them stands for the three.
static void DrawEveryRole(CPlayState* play)
{
    // A ring, a cross and empty cells on the board, so each cell image is drawn too.
    PlaceMark(0, 0, 1);
    PlaceMark(100, 100, 0);
    SDL_Surface** const roles[] = {&play->ringImage, &play->crossImage, &play->win1Image};
    const int positions[][2] = {{479, 271}, {-5000, 9000}, {0, 0}};
    for (int i = 0; i < 3; ++i)
    {
        play->cursorImage = roles[i];
        play->cursorX = positions[i][0];
        play->cursorY = positions[i][1];
        play->Draw(&engine);
    }
}

// How many pixels a load of this file may make, read from its headers on their own terms
// (bytes past the end as zero, as SDL reads them): none for a file the game must refuse
// before anything is decoded.
static Sint64 AdmittedPixels(const uint8_t* data, size_t size)
{
    Uint8 header[34] = {};
    std::memcpy(header, data, std::min(size, sizeof header));
    const Uint8* const info = header + 14;
    // OS/2's info header has 16-bit sides and no compression.
    const bool core = ReadLittleEndian(info, 4) == 12;
    const int sideBytes = core ? 2 : 4;
    const Sint64 width = static_cast<Sint32>(ReadLittleEndian(info + 4, sideBytes));
    // A negative height is a picture stored top row first.
    const Sint64 height =
        std::abs(Sint64{static_cast<Sint32>(ReadLittleEndian(info + 4 + sideBytes, sideBytes))});
    const Sint64 bits = ReadLittleEndian(info + (core ? 10 : 14), 2);
    const Sint64 compression = core ? 0 : ReadLittleEndian(info + 16, 4);
    const bool rowByRow = compression != RUN_LENGTH_8 && compression != RUN_LENGTH_4;
    if (header[0] != 'B' || header[1] != 'M' || width <= 0 || height <= 0 || width > 65535 ||
        height > 65535 || width * height > MOST_PIXELS || bits > 32 ||
        (rowByRow && width * bits * (height - 1) > 8 * static_cast<Sint64>(size)))
    {
        return 0;
    }
    return width * height;
}

// One write per input then serves all seven names.
static std::string TheInput(const char*)
{
    return INPUT_NAME;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const InFuzzDir inDir(TheInput);
    WriteInput(data, size);
    // A few bytes may claim a picture of any size: refusing or loading it must cost no more
    // than the file admits, as each screen pays the same again for its own copies.
    allocated = 0;
    counting = true;
    SDL_Surface* const picture = LoadPicture(INPUT_NAME);
    counting = false;
    if (allocated > FIXED_BYTES + BYTES_PER_ADMITTED_PIXEL * AdmittedPixels(data, size))
    {
        FuzzFailure("a picture cost more to refuse or load than its file admits");
    }
    // A refused picture sends every screen down its missing-picture path, which the component
    // tests cover; drawing the whole window for each of the many refused inputs would only slow
    // the search.
    if (picture == nullptr)
    {
        return 0;
    }
    SDL_FreeSurface(picture);
    ResetFuzzEngine(&engine);
    engine.PushState(CIntroState::Instance());
    engine.Top()->Draw(&engine);
    engine.PushState(CPlayState::Instance());
    DrawEveryRole(CPlayState::Instance());
    engine.PushState(CItemState::Instance());
    engine.Top()->Draw(&engine);
    ResetFuzzEngine(&engine);
    return 0;
}
