#ifndef NOUGHTS_TESTS_PLAY_SESSION_H
#define NOUGHTS_TESTS_PLAY_SESSION_H

// Shared by the play screen's tests: a real engine under the dummy driver, in a temporary
// working directory for the pictures, with input pushed one event per main-loop pass.

#include "frame/state_engine.h"
#include "game/play_state.h"
#include "tests/sdl_test_env.h"

#include <gtest/gtest.h>

#include <vector>

// The empty cell's picture the tests write, and the colours the field draws; no drawn colour is
// the cell's.
inline const Rgb CELL = {40, 80, 120};
inline const Rgb BLACK = {0, 0, 0};
inline const Rgb WHITE = {255, 255, 255};
inline const Rgb GRAY = {128, 128, 128};

// Whole games as cells in move order; rings move first.
inline const std::vector<int> RING_WIN = {0, 3, 1, 4, 2};               // left column
inline const std::vector<int> CROSS_WIN = {0, 3, 1, 4, 8, 5};           // middle column
inline const std::vector<int> DRAWN = {0, 2, 1, 3, 5, 4, 6, 7, 8};      // full, no line
inline const std::vector<int> NINTH_WINS = {0, 1, 2, 3, 4, 5, 7, 6, 8}; // ring 0-4-8 last

// Clicks map to fixed 90-pixel cells, column cell / 3 and row cell % 3: a cell's centre.
inline Uint16 CellX(int cell)
{
    return static_cast<Uint16>(90 * (cell / 3) + 45);
}

inline Uint16 CellY(int cell)
{
    return static_cast<Uint16>(90 * (cell % 3) + 45);
}

// Pictures may be written after SetUp: the play screen loads them when it is pushed.
class PlaySession : public EngineFixture
{
  protected:
    // Init's pointer warp queues a motion event under the dummy driver: handle it too.
    void EnterPlay()
    {
        engine.PushState(play);
        Settle();
    }

    void Settle()
    {
        while (PendingEvents() > 0)
        {
            RunPass(&engine);
        }
    }

    void ClickAt(Uint16 x, Uint16 y)
    {
        PushMouseButtonDown(SDL_BUTTON_LEFT, x, y);
        RunPass(&engine);
    }

    void ClickCell(int cell)
    {
        ClickAt(CellX(cell), CellY(cell));
    }

    void Play(const std::vector<int>& moves)
    {
        for (const int cell : moves)
        {
            ClickCell(cell);
        }
    }

    void Motion(int x, int y)
    {
        PushMouseMotion(static_cast<Uint16>(x), static_cast<Uint16>(y));
        RunPass(&engine);
    }

    void Wheel(Uint8 button, int times = 1)
    {
        for (int k = 0; k < times; ++k)
        {
            PushMouseButtonDown(button, 200, 100);
            RunPass(&engine);
        }
    }

    ScopedWorkDir workDir;
    CPlayState* const play = CPlayState::Instance();
};

#endif
