#include "game/board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>

namespace
{

// Fills the board from cell indices (column * 3 + row); every other cell is left empty.
void SetBoard(std::initializer_list<int> rings, std::initializer_list<int> crosses)
{
    ClearBoard();
    for (const int cell : rings)
    {
        board[cell / 3][cell % 3] = 1;
    }
    for (const int cell : crosses)
    {
        board[cell / 3][cell % 3] = 0;
    }
}

int CountMarks()
{
    int marks = 0;
    for (const auto& column : board)
    {
        for (const int32_t cell : column)
        {
            marks += cell != CELL_EMPTY ? 1 : 0;
        }
    }
    return marks;
}

class BoardTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ClearBoard();
    }
};

} // namespace

TEST(BoardStart, IsEmptyBeforeAnyCodeRuns)
{
    // No ClearBoard() here: this is the board as the program starts.
    for (int cell = 0; cell < 9; ++cell)
    {
        EXPECT_EQ(CELL_EMPTY, board[cell / 3][cell % 3]) << "cell " << cell;
    }
    EXPECT_EQ(OUTCOME_OPEN, CheckOutcome());
}

TEST_F(BoardTest, PositionsNameCellsColumnMajor)
{
    struct Case
    {
        int x, y, column, row;
    };
    const Case cases[] = {
        {0, 0, 0, 0},     {89, 89, 0, 0},   {90, 0, 1, 0},  {0, 90, 0, 1},
        {135, 225, 1, 2}, {269, 269, 2, 2}, {180, 0, 2, 0}, {0, 180, 0, 2},
        {179, 179, 1, 1}, {269, 0, 2, 0},   {0, 269, 0, 2}, {200, 100, 2, 1},
    };
    for (const Case& c : cases)
    {
        ClearBoard();
        EXPECT_EQ(1, PlaceMark(c.x, c.y, 1)) << c.x << ", " << c.y;
        EXPECT_EQ(1, board[c.column][c.row]) << c.x << ", " << c.y;
        EXPECT_EQ(1, CountMarks()) << c.x << ", " << c.y;
    }
}

TEST_F(BoardTest, TakenCellIsRefusedForEitherPlayer)
{
    EXPECT_EQ(0, PlaceMark(100, 100, 0));
    EXPECT_EQ(0, board[1][1]);
    EXPECT_EQ(-1, PlaceMark(100, 100, 0));
    EXPECT_EQ(-1, PlaceMark(179, 95, 1));
    EXPECT_EQ(0, board[1][1]);
    EXPECT_EQ(1, CountMarks());
}

// Every position of the 480 x 272 window, gathered by the cell it marks: each cell takes the
// 8100 positions of the 90 x 90 square it is drawn in (and so the whole square, which is their
// bounding box), every other position nothing.
TEST_F(BoardTest, EveryWindowPositionMarksTheSquareOfItsCellOnly)
{
    // Positions that marked the cell, then their left, top, right and bottom edges.
    using Square = std::array<int, 5>;
    const Square expected[9] = {
        {8100, 0, 0, 89, 89},    {8100, 0, 90, 89, 179},    {8100, 0, 180, 89, 269},
        {8100, 90, 0, 179, 89},  {8100, 90, 90, 179, 179},  {8100, 90, 180, 179, 269},
        {8100, 180, 0, 269, 89}, {8100, 180, 90, 269, 179}, {8100, 180, 180, 269, 269},
    };
    Square seen[9];
    std::fill(std::begin(seen), std::end(seen), Square{0, 480, 272, -1, -1});
    int refused = 0;
    for (int y = 0; y < 272; ++y)
    {
        for (int x = 0; x < 480; ++x)
        {
            ClearBoard();
            if (PlaceMark(x, y, 0) != 0)
            {
                refused += CountMarks() == 0 ? 1 : 0;
                continue;
            }
            for (int cell = 0; cell < 9; ++cell)
            {
                Square& square = seen[cell];
                if (board[cell / 3][cell % 3] == 0)
                {
                    square = {square[0] + 1, std::min(square[1], x), std::min(square[2], y),
                              std::max(square[3], x), std::max(square[4], y)};
                }
            }
        }
    }
    EXPECT_EQ(480 * 272 - 9 * 8100, refused);
    for (int cell = 0; cell < 9; ++cell)
    {
        EXPECT_EQ(expected[cell], seen[cell]) << "cell " << cell;
    }
}

TEST_F(BoardTest, FarPositionsTouchNothingOutsideTheCells)
{
    const int positions[][2] = {{270, 0},   {0, 270},   {89, 270},      {179, 271},
                                {65535, 0}, {0, 65535}, {65535, 65535}, {-1, 0},
                                {0, -1},    {0, -90},   {-270, -270},   {2147483647, 5}};
    for (const auto& p : positions)
    {
        EXPECT_EQ(-1, PlaceMark(p[0], p[1], 1)) << p[0] << ", " << p[1];
    }
    EXPECT_EQ(0, CountMarks());
}

TEST_F(BoardTest, OutcomeOfKnownBoards)
{
    struct Case
    {
        const char* name;
        std::initializer_list<int> rings, crosses;
        int outcome;
    };
    const Case cases[] = {
        {"empty", {}, {}, OUTCOME_OPEN},
        {"rings on the rising diagonal", {2, 4, 6}, {}, 1},
        {"crosses on the rising diagonal", {}, {2, 4, 6}, 0},
        {"rings down the left column", {0, 1, 2}, {3, 4}, 1},
        {"crosses down the right column", {0, 1}, {6, 7, 8}, 0},
        {"rings down the right column", {6, 7, 8}, {0, 1}, 1},
        {"rings along the bottom row", {2, 5, 8}, {0, 4}, 1},
        {"crosses along the top row", {1, 4}, {0, 3, 6}, 0},
        {"rings along the middle row", {1, 4, 7}, {0, 2}, 1},
        {"crosses along the bottom row", {0, 4}, {2, 5, 8}, 0},
        {"rings on the falling diagonal", {0, 4, 8}, {1, 2}, 1},
        {"two in a row is open", {0, 3}, {4}, OUTCOME_OPEN},
        {"full board without a line", {0, 1, 5, 6, 8}, {2, 3, 4, 7}, OUTCOME_DRAW},
        {"last empty cell is cell 8", {0, 1, 5, 6}, {2, 3, 4, 7}, OUTCOME_OPEN},
        {"full board with a ring line", {0, 1, 2, 4, 8}, {3, 5, 6, 7}, 1},
        {"full board with a cross line", {0, 1, 5, 7}, {2, 3, 4, 6, 8}, 0},
        {"both players have a line", {0, 1, 2}, {3, 4, 5}, 1},
    };
    for (const Case& c : cases)
    {
        SetBoard(c.rings, c.crosses);
        EXPECT_EQ(c.outcome, CheckOutcome()) << c.name;
    }
    // Two marks of any line are no line, whichever of its cells is missing.
    const int lines[][3] = {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}, {0, 3, 6},
                            {1, 4, 7}, {2, 5, 8}, {0, 4, 8}, {2, 4, 6}};
    for (const auto& line : lines)
    {
        for (int missing = 0; missing < 3; ++missing)
        {
            SetBoard({line[(missing + 1) % 3], line[(missing + 2) % 3]}, {});
            EXPECT_EQ(OUTCOME_OPEN, CheckOutcome())
                << "rings on " << line[(missing + 1) % 3] << " and " << line[(missing + 2) % 3];
        }
    }
}

TEST_F(BoardTest, CheckOutcomeOnlyReadsAndClearEmpties)
{
    SetBoard({0, 1, 5, 6, 8}, {2, 3, 4, 7});
    EXPECT_EQ(OUTCOME_DRAW, CheckOutcome());
    EXPECT_EQ(OUTCOME_DRAW, CheckOutcome());
    EXPECT_EQ(9, CountMarks());
    ClearBoard();
    EXPECT_EQ(0, CountMarks());
    EXPECT_EQ(OUTCOME_OPEN, CheckOutcome());
}
