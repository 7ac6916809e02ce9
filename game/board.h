#ifndef NOUGHTS_GAME_BOARD_H
#define NOUGHTS_GAME_BOARD_H

#include <cstdint>

// Cell values: empty, or the player whose mark it holds (1: ring, 0: cross). Because 0 is a
// player, "nothing" is always -1 here: an empty cell, a refused placement, an open game.
const int CELL_EMPTY = -1;
// Side of a cell in window pixels as clicks are mapped; fixed, whatever size the board is drawn.
const int CELL_SIZE = 90;
const int BOARD_SIDE = 3;

// Results of CheckOutcome() besides the winning player's value.
const int OUTCOME_DRAW = 2;
const int OUTCOME_OPEN = -1;

// The one game in progress, indexed [column][row]: cell index = column * 3 + row.
// Empty before main() runs.
extern int32_t board[BOARD_SIDE][BOARD_SIDE];

// Empties all nine cells.
void ClearBoard();

// Puts player's mark (0 or 1) in the cell under window position (x, y). Returns player when
// the mark was stored, -1 when the cell is taken or the position lies outside the 270 x 270
// board (negative, or column or row 3 or more); then nothing changes.
int PlaceMark(int x, int y, int player);

// 1 or 0 when that player has a line (1 is tried first), else OUTCOME_OPEN while a cell is
// empty, else OUTCOME_DRAW. Reads the board only.
int CheckOutcome();

#endif
