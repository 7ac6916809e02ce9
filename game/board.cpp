#include "game/board.h"

#include <algorithm>
#include <iterator>

// Constant-initialised, so the board is empty before any other code can look at it.
int32_t board[BOARD_SIDE][BOARD_SIDE] = {
    {CELL_EMPTY, CELL_EMPTY, CELL_EMPTY},
    {CELL_EMPTY, CELL_EMPTY, CELL_EMPTY},
    {CELL_EMPTY, CELL_EMPTY, CELL_EMPTY},
};

static const int LINE_COUNT = 8;

// Cell indices (column * 3 + row) of the eight lines, in the order they are tried.
static const int LINES[LINE_COUNT][BOARD_SIDE] = {
    {0, 1, 2}, {3, 4, 5}, {6, 7, 8}, {2, 4, 6}, {0, 3, 6}, {1, 4, 7}, {2, 5, 8}, {0, 4, 8},
};

static int32_t CellAt(int index)
{
    return board[index / BOARD_SIDE][index % BOARD_SIDE];
}

void ClearBoard()
{
    for (auto& column : board)
    {
        std::fill(std::begin(column), std::end(column), CELL_EMPTY);
    }
}

int PlaceMark(int x, int y, int player)
{
    // Off-board positions are refused, not folded into an index: row 3 (y of 270 or 271)
    // would otherwise name the top cell of the next column.
    if (x < 0 || y < 0)
    {
        return -1;
    }
    const int column = x / CELL_SIZE;
    const int row = y / CELL_SIZE;
    if (column >= BOARD_SIDE || row >= BOARD_SIDE)
    {
        return -1;
    }
    int32_t& cell = board[column][row];
    if (cell != CELL_EMPTY)
    {
        return -1;
    }
    cell = player;
    return player;
}

static bool HasLine(int player)
{
    return std::any_of(std::begin(LINES), std::end(LINES),
                       [player](const int(&line)[BOARD_SIDE]) {
                           return CellAt(line[0]) == player && CellAt(line[1]) == player &&
                                  CellAt(line[2]) == player;
                       });
}

int CheckOutcome()
{
    if (HasLine(1))
    {
        return 1;
    }
    if (HasLine(0))
    {
        return 0;
    }
    for (int index = 0; index < BOARD_SIDE * BOARD_SIDE; ++index)
    {
        if (CellAt(index) == CELL_EMPTY)
        {
            return OUTCOME_OPEN;
        }
    }
    return OUTCOME_DRAW;
}
