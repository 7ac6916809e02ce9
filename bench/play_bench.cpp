// One pass of the playing field and one of the intro (Update and Draw) on the game's 480x272x32
// display, each against a floor that writes the same bytes by the fastest plain means: for the
// field a memset of the screen, a fill of the panel and nine memcpy cell copies; for the intro
// a memcpy of each picture row. Each floor then presents the screen with SDL_Flip as a pass
// does: that is the library's work, free under classic SDL's dummy driver but a texture upload
// and render under sdl12-compat's (BM_Flip shows it alone), and no game could skip it.

#include "bench/bench_ratios.h"
#include "frame/state_engine.h"
#include "game/board.h"
#include "game/play_state.h"
#include "screens/intro_state.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <unistd.h>

static const int CELL = 90;
static const int PANEL_WIDTH = 405;
static const int PANEL_HEIGHT = 270;

// A game in progress: rings in cells 0, 4 and 5, crosses in 3 and 8, the pointer over the panel.
static void SetUpGame(CPlayState* play)
{
    const int rings[] = {0, 4, 5};
    const int crosses[] = {3, 8};
    for (const int cell : rings)
    {
        board[cell / 3][cell % 3] = 1;
    }
    for (const int cell : crosses)
    {
        board[cell / 3][cell % 3] = 0;
    }
    play->mouseX = 330;
    play->mouseY = 150;
}

// The game's display, and the pictures' folder as working directory since the screens load
// them from there as in the game; false, with the benchmark skipped, when either is missing.
static bool OpenDisplayInAssets(benchmark::State& state, CStateEngine* engine)
{
    engine->screen = SDL_SetVideoMode(480, 272, 32, 0);
    if (engine->screen == nullptr || chdir(NOUGHTS_ASSETS_DIR) != 0)
    {
        state.SkipWithError("no display or no pictures");
        return false;
    }
    return true;
}

static void BM_PlayPass(benchmark::State& state)
{
    CStateEngine engine;
    if (!OpenDisplayInAssets(state, &engine))
    {
        return;
    }
    CPlayState* const play = CPlayState::Instance();
    engine.PushState(play);
    SetUpGame(play);
    for (auto _ : state)
    {
        play->Update(&engine);
        play->Draw(&engine);
        benchmark::ClobberMemory();
    }
    engine.PopState();
}

static void CopyCell(SDL_Surface* screen, const SDL_Surface* cell, int left, int top)
{
    const Uint8* source = static_cast<const Uint8*>(cell->pixels);
    Uint8* target = static_cast<Uint8*>(screen->pixels) + top * screen->pitch + left * 4;
    for (int row = 0; row < CELL; ++row)
    {
        std::memcpy(target, source, CELL * 4);
        source += cell->pitch;
        target += screen->pitch;
    }
}

// One row stored pixel by pixel, the others copied from it: the fastest plain fill.
static void FillPanel(SDL_Surface* screen, Uint32 gray)
{
    Uint8* const first = static_cast<Uint8*>(screen->pixels);
    std::fill_n(reinterpret_cast<Uint32*>(first), PANEL_WIDTH, gray);
    for (int y = 1; y < PANEL_HEIGHT; ++y)
    {
        std::memcpy(first + y * screen->pitch, first, PANEL_WIDTH * 4);
    }
}

static void BM_PlayFloor(benchmark::State& state)
{
    SDL_Surface* const screen = SDL_SetVideoMode(480, 272, 32, 0);
    SDL_Surface* const cell =
        SDL_CreateRGBSurface(SDL_SWSURFACE, CELL, CELL, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (screen == nullptr || cell == nullptr)
    {
        state.SkipWithError("no display");
        SDL_FreeSurface(cell);
        return;
    }
    const Uint32 gray = SDL_MapRGB(screen->format, 128, 128, 128);
    for (auto _ : state)
    {
        std::memset(screen->pixels, 0, static_cast<std::size_t>(screen->pitch) * screen->h);
        FillPanel(screen, gray);
        for (int index = 0; index < 9; ++index)
        {
            CopyCell(screen, cell, index / 3 * CELL, index % 3 * CELL);
        }
        SDL_Flip(screen);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(cell);
}

static void BM_IntroPass(benchmark::State& state)
{
    CStateEngine engine;
    if (!OpenDisplayInAssets(state, &engine))
    {
        return;
    }
    CIntroState* const intro = CIntroState::Instance();
    engine.PushState(intro);
    if (intro->background == nullptr)
    {
        state.SkipWithError("no intro picture");
    }
    for (auto _ : state)
    {
        intro->Update(&engine);
        intro->Draw(&engine);
        benchmark::ClobberMemory();
    }
    engine.PopState();
}

static void BM_IntroFloor(benchmark::State& state)
{
    SDL_Surface* const screen = SDL_SetVideoMode(480, 272, 32, 0);
    SDL_Surface* const picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 480, 272, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (screen == nullptr || picture == nullptr)
    {
        state.SkipWithError("no display");
        SDL_FreeSurface(picture);
        return;
    }
    for (auto _ : state)
    {
        for (int row = 0; row < picture->h; ++row)
        {
            std::memcpy(static_cast<Uint8*>(screen->pixels) + row * screen->pitch,
                        static_cast<const Uint8*>(picture->pixels) + row * picture->pitch,
                        static_cast<std::size_t>(picture->w) * 4);
        }
        SDL_Flip(screen);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(picture);
}

static void BM_Flip(benchmark::State& state)
{
    SDL_Surface* const screen = SDL_SetVideoMode(480, 272, 32, 0);
    if (screen == nullptr)
    {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state)
    {
        SDL_Flip(screen);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_PlayPass)->Repetitions(9)->ReportAggregatesOnly(true)->MinTime(0.2);
BENCHMARK(BM_PlayFloor)->Repetitions(9)->ReportAggregatesOnly(true)->MinTime(0.2);
BENCHMARK(BM_IntroPass)->Repetitions(9)->ReportAggregatesOnly(true)->MinTime(0.2);
BENCHMARK(BM_IntroFloor)->Repetitions(9)->ReportAggregatesOnly(true)->MinTime(0.2);
BENCHMARK(BM_Flip)->Repetitions(9)->ReportAggregatesOnly(true)->MinTime(0.2);

static const bool ratioRegistered =
    (AddRatio("Play pass/memset+flip floor", "BM_PlayPass", "BM_PlayFloor"),
     AddRatio("Intro pass/memcpy+flip floor", "BM_IntroPass", "BM_IntroFloor"), true);
