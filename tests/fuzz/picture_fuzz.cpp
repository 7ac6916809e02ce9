// Arbitrary bytes as every picture of the game at once, through the game's own loading path and
// every use of a picture: a picture screen's draw, the play screen's Init, and its Draw with the
// picture as cell, mark, result plate and pointer image, on and off the window's edges.
// One input is all seven pictures at once.

#include "frame/picture.h"
#include "game/board.h"
#include "game/play_state.h"
#include "screens/intro_state.h"
#include "screens/item_state.h"
#include "tests/fuzz/fuzz_env.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

static CStateEngine engine;
static const char* const INPUT_NAME = "input.bmp";
static const double MAX_LOAD_SECONDS = 0.1;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzEngine(&engine);
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

// Processor time rather than wall time, so a busy machine makes no findings.
static double ThreadSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
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
    // A few bytes may claim a picture of any size: refusing or loading it must stay quick, as
    // each screen pays the same again for its own copies.
    const double start = ThreadSeconds();
    SDL_Surface* const picture = LoadPicture(INPUT_NAME);
    if (ThreadSeconds() - start > MAX_LOAD_SECONDS)
    {
        FuzzFailure("a picture took more than 100 ms to refuse or load");
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
