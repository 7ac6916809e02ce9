// What the page reads of the game to offer the board to players who cannot see the canvas or
// use a pointer: the screen on top, what each cell holds, whose move it is and the outcome, as
// the game itself keeps them, so the page never works any of them out again.
#include "game/board.h"
#include "game/play_state.h"
#include "screens/intro_state.h"
#include "screens/item_state.h"
#include "screens/menu_state.h"
#include "web/loop.h"

#include <emscripten.h>

// The screen on top: 1 the title, 2 the menu, 3 the playing field, 4 the help card, 0 none.
extern "C" EMSCRIPTEN_KEEPALIVE int ScreenShown()
{
    const CStateEngine* const engine = BrowserEngine();
    const CGameState* const top = engine != nullptr ? engine->Top() : nullptr;
    const CGameState* const screens[] = {CIntroState::Instance(), CMenuState::Instance(),
                                         CPlayState::Instance(), CItemState::Instance()};
    for (int i = 0; i < 4; ++i)
    {
        if (top != nullptr && top == screens[i])
        {
            return i + 1;
        }
    }
    return 0;
}

// What cell (column * 3 + row) holds: CELL_EMPTY, or the player whose mark it is (1: ring).
extern "C" EMSCRIPTEN_KEEPALIVE int CellHolds(int cell)
{
    if (cell < 0 || cell >= BOARD_SIDE * BOARD_SIDE)
    {
        return CELL_EMPTY;
    }
    return board[cell / BOARD_SIDE][cell % BOARD_SIDE];
}

// 1 while rings are to move, 0 while crosses are.
extern "C" EMSCRIPTEN_KEEPALIVE int RingsToMove()
{
    return CPlayState::Instance()->currentPlayer ? 1 : 0;
}

// The game's own CheckOutcome().
extern "C" EMSCRIPTEN_KEEPALIVE int Outcome()
{
    return CheckOutcome();
}
