#ifndef NOUGHTS_TESTS_GAME_INVARIANTS_H
#define NOUGHTS_TESTS_GAME_INVARIANTS_H

// Shared by the random-input test and the input fuzz target.

#include "frame/state_engine.h"
#include "game/board.h"
#include "game/play_state.h"
#include "screens/intro_state.h"

#include <algorithm>
#include <string>

// What must hold after every pass, whatever came before.
inline std::string BrokenInvariant(const CStateEngine& engine)
{
    if (engine.states.empty() || engine.states.front() != CIntroState::Instance())
    {
        return "the intro is not at the bottom of the stack";
    }
    for (const CGameState* state : engine.states)
    {
        if (std::count(engine.states.begin(), engine.states.end(), state) != 1)
        {
            return "a screen is on the stack twice";
        }
    }
    for (const auto& column : board)
    {
        for (const int32_t cell : column)
        {
            if (cell < -1 || cell > 1)
            {
                return "a cell holds " + std::to_string(cell);
            }
        }
    }
    const CPlayState* const play = CPlayState::Instance();
    const bool playing = std::count(engine.states.begin(), engine.states.end(), play) == 1;
    if (playing && (play->cursorImage == nullptr || *play->cursorImage == nullptr ||
                    play->cursorImage == &play->emptyImage))
    {
        return "the pointer image is unusable";
    }
    if (playing && (play->cellRadius < 0 || play->cellRadius > 45))
    {
        return "the cell radius left its range: " + std::to_string(play->cellRadius);
    }
    return "";
}

#endif
