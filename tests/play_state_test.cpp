#include "game/board.h"
#include "screens/item_state.h"
#include "screens/menu_state.h"
#include "tests/play_session.h"
#include "tests/sdl_faults.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace
{

using Cells = std::array<int, 9>;
using Stack = std::vector<CGameState*>;
using ImageField = SDL_Surface* CPlayState::*;

const Cells EMPTY = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
const Rgb ITEM = {0, 0, 200};

Cells BoardCells()
{
    Cells cells;
    for (int c = 0; c < 9; ++c)
    {
        cells[c] = board[c / 3][c % 3];
    }
    return cells;
}

std::string ClickLine(int x, int y)
{
    char line[64];
    snprintf(line, sizeof line, "click : %d, %d, 1\n", x, y);
    return line;
}

template <typename Action> std::string Printed(Action action)
{
    fflush(stdout);
    testing::internal::CaptureStdout();
    action();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

class PlayStateTest : public PlaySession
{
  protected:
    void SetUp() override
    {
        PlaySession::SetUp();
        ASSERT_TRUE(WriteSolidBmp("menu.bmp", 480, 272, {0, 200, 0}));
        ASSERT_TRUE(WriteSolidBmp("item.bmp", 480, 272, ITEM));
        ASSERT_TRUE(WriteSolidBmp("NULL.bmp", 90, 90, CELL));
        WriteResultPictures();
    }

    // Sizes and colours differ, so the picture under the pointer tells which file it came from.
    static void WriteResultPictures()
    {
        ASSERT_TRUE(WriteSolidBmp("win1.bmp", 60, 40, {200, 0, 0}));
        ASSERT_TRUE(WriteSolidBmp("win2.bmp", 50, 30, {0, 200, 200}));
        ASSERT_TRUE(WriteSolidBmp("DRAW.bmp", 40, 20, {200, 200, 0}));
    }

    // The menu with the play screen on it, as Space on the menu leaves them.
    void Enter()
    {
        engine.PushState(menu);
        EnterPlay();
    }

    SDL_Surface** MarkToMove() const
    {
        return play->currentPlayer ? &play->ringImage : &play->crossImage;
    }

    // The game as the play screen holds it; the picture under the pointer, unless given, is
    // the mark of the side to move.
    void ExpectGame(const Cells& cells, bool ringToMove, int radius = 45,
                    SDL_Surface* const* pointer = nullptr) const
    {
        EXPECT_EQ(cells, BoardCells());
        EXPECT_EQ(ringToMove, play->currentPlayer);
        SDL_Surface* const* const mark = ringToMove ? &play->ringImage : &play->crossImage;
        EXPECT_EQ(pointer != nullptr ? pointer : mark, play->cursorImage);
        EXPECT_EQ(radius, play->cellRadius);
    }

    // A game as entering the field starts it, with a 90 x 90 cell picture: empty board, rings
    // to move, the pointer centred and shown.
    void ExpectFreshGame() const
    {
        ExpectGame(EMPTY, true);
        EXPECT_EQ(240, play->mouseX);
        EXPECT_EQ(136, play->mouseY);
        EXPECT_EQ(1, SDL_ShowCursor(SDL_QUERY));
    }

    std::array<SDL_Surface*, 6> Images() const
    {
        return {play->ringImage, play->crossImage, play->win1Image,
                play->win2Image, play->emptyImage, play->drawImage};
    }

    CGameState* const menu = CMenuState::Instance();
};

TEST_F(PlayStateTest, EntryStartsAnOpenGameWithTheRingCentred)
{
    engine.PushState(menu);
    RunPass(&engine);
    // Whatever SDL queued on its own goes first (sdl12-compat over SDL 2.32 reports the
    // window's activation), so Space is the next event.
    Settle();
    ASSERT_EQ((Rgb{0, 200, 0}), ReadRgb(engine.screen, 0, 0));
    // Space on the menu, handled alone: the display as Init leaves it, before any Draw.
    PushKeyDown(SDLK_SPACE);
    engine.Top()->HandleEvents(&engine);
    ASSERT_EQ((Stack{menu, play}), engine.states);
    EXPECT_EQ(0, CountPixelsOtherThan(engine.screen, BLACK));
    Settle();

    ExpectFreshGame();
    EXPECT_EQ(240, play->cursorX);
    EXPECT_EQ(136, play->cursorY);
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ(240, x);
    EXPECT_EQ(136, y);
    EXPECT_EQ(CELL, ReadRgb(play->emptyImage, 45, 45));
    EXPECT_EQ(60, play->win1Image->w);
    EXPECT_EQ(30, play->win2Image->h);
    EXPECT_EQ(40, play->drawImage->w);
    EXPECT_NE(play->ringImage, play->emptyImage);
    EXPECT_NE(play->crossImage, play->emptyImage);
}

TEST_F(PlayStateTest, RadiusIsHalfTheSmallerSideOfTheCellPicture)
{
    const struct
    {
        int w, h, radius;
    } cases[] = {{90, 90, 45}, {92, 92, 46}, {93, 120, 46}, {120, 91, 45}, {10, 7, 3}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        ASSERT_TRUE(WriteSolidBmp("NULL.bmp", c.w, c.h, CELL));
        EnterPlay();
        EXPECT_EQ(c.radius, play->cellRadius);
        engine.PopState();
    }
}

TEST_F(PlayStateTest, LeftClicksAlternateMarksAndRefuseTakenOrOutsideCells)
{
    Enter();
    const struct
    {
        Uint16 x, y;
        int cell, value; // cell -1: nothing placed
        bool ringToMove;
    } steps[] = {
        {135, 135, 4, 1, false},  // ring in the centre
        {100, 100, -1, 0, false}, // centre again: refused, the cross still to move
        {0, 0, 0, 0, true},       // cross in the top-left corner pixel
        {89, 89, -1, 0, true},    // same cell, now refused for the ring
        {270, 10, -1, 0, true},   // right of the board
        {10, 270, -1, 0, true},   // below the left column, not the cell beside it
        {100, 271, -1, 0, true},  // below the middle column
        {479, 271, -1, 0, true},  // the window's last pixel
        {269, 269, 8, 1, false},  // the board's last pixel
        {90, 0, 3, 0, true},      // first pixel of the middle column
    };
    Cells expected = EMPTY;
    for (const auto& step : steps)
    {
        SCOPED_TRACE(ClickLine(step.x, step.y));
        if (step.cell >= 0)
        {
            expected[step.cell] = step.value;
        }
        EXPECT_EQ(ClickLine(step.x, step.y), Printed([&] { ClickAt(step.x, step.y); }));
        ExpectGame(expected, step.ringToMove);
    }
}

TEST_F(PlayStateTest, OutcomeChoosesThePointerPictureAndFreezesTheGame)
{
    const struct
    {
        const char* name;
        std::vector<int> moves;
        ImageField result;
    } games[] = {{"ring win", RING_WIN, &CPlayState::win1Image},
                 {"cross win", CROSS_WIN, &CPlayState::win2Image},
                 {"draw", DRAWN, &CPlayState::drawImage},
                 {"ninth mark wins", NINTH_WINS, &CPlayState::win1Image}};
    engine.PushState(menu);
    for (const auto& game : games)
    {
        SCOPED_TRACE(game.name);
        EnterPlay();
        std::string expectedOutput;
        const std::string output = Printed(
            [&]
            {
                for (std::size_t k = 0; k < game.moves.size(); ++k)
                {
                    ClickCell(game.moves[k]);
                    expectedOutput += ClickLine(CellX(game.moves[k]), CellY(game.moves[k]));
                    if (k + 1 < game.moves.size())
                    {
                        EXPECT_EQ(MarkToMove(), play->cursorImage) << "after move " << k;
                    }
                }
            });
        EXPECT_EQ(expectedOutput, output);
        EXPECT_EQ(&(play->*game.result), play->cursorImage);
        // Every mark passes the turn, so an even number of moves leaves the ring to move.
        EXPECT_EQ(game.moves.size() % 2 == 0, play->currentPlayer);

        const Cells decided = BoardCells();
        const bool player = play->currentPlayer;
        for (int cell = 0; cell < 9; ++cell)
        {
            EXPECT_EQ(ClickLine(CellX(cell), CellY(cell)), Printed([&] { ClickCell(cell); }));
        }
        EXPECT_EQ(ClickLine(300, 100), Printed([&] { ClickAt(300, 100); }));
        ExpectGame(decided, player, 45, &(play->*game.result));
        engine.PopState();
    }
}

TEST_F(PlayStateTest, WheelMovesTheRadiusBetweenZeroAndASixthOfTheScreen)
{
    Enter();
    const std::string output = Printed(
        [&]
        {
            Wheel(SDL_BUTTON_WHEELDOWN);
            EXPECT_EQ(45, play->cellRadius);
            for (int expected = 44; expected >= 0; --expected)
            {
                Wheel(SDL_BUTTON_WHEELUP);
                EXPECT_EQ(expected, play->cellRadius);
            }
            Wheel(SDL_BUTTON_WHEELUP);
            EXPECT_EQ(0, play->cellRadius);
            for (int expected = 1; expected <= 45; ++expected)
            {
                Wheel(SDL_BUTTON_WHEELDOWN);
                EXPECT_EQ(expected, play->cellRadius);
            }
            Wheel(SDL_BUTTON_WHEELDOWN);
            EXPECT_EQ(45, play->cellRadius);
        });
    EXPECT_EQ("", output);
    EXPECT_EQ(EMPTY, BoardCells());
}

TEST_F(PlayStateTest, WheelNeverRaisesALargeStartingRadiusAboveTheScreenLimit)
{
    ASSERT_TRUE(WriteSolidBmp("NULL.bmp", 92, 92, CELL));
    Enter();
    EXPECT_EQ(46, play->cellRadius);
    const struct
    {
        Uint8 button;
        int radius;
    } steps[] = {{5, 46}, {4, 45}, {5, 45}, {4, 44}, {4, 43}, {5, 44}, {5, 45}, {5, 45}};
    for (const auto& step : steps)
    {
        Wheel(step.button);
        EXPECT_EQ(step.radius, play->cellRadius);
    }
}

TEST_F(PlayStateTest, ItemScreenCoversAndResumesTheSameGame)
{
    Enter();
    ClickCell(4);
    ClickCell(0);
    Wheel(SDL_BUTTON_WHEELUP, 2);
    Motion(300, 200);
    Motion(310, 205);
    const Cells cells = BoardCells();
    const auto images = Images();

    PushKeyDown(SDLK_i);
    RunPass(&engine);
    EXPECT_EQ((Stack{menu, play, CItemState::Instance()}), engine.states);
    EXPECT_EQ(0, SDL_ShowCursor(SDL_QUERY));
    EXPECT_EQ(ITEM, ReadRgb(engine.screen, 479, 271));
    // The covered play screen sees none of these.
    Motion(5, 5);
    ClickAt(CellX(8), CellY(8));

    // Escape handled alone, so the display is seen as Resume leaves it, before any Draw.
    PushKeyDown(SDLK_ESCAPE);
    engine.Top()->HandleEvents(&engine);
    EXPECT_EQ((Stack{menu, play}), engine.states);
    EXPECT_EQ(0, CountPixelsOtherThan(engine.screen, BLACK));
    EXPECT_EQ(1, SDL_ShowCursor(SDL_QUERY));
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ(310, x);
    EXPECT_EQ(205, y);
    ExpectGame(cells, true, 43);
    EXPECT_EQ(images, Images());
    Settle();
    EXPECT_EQ(310, play->cursorX);
    EXPECT_EQ(205, play->cursorY);
}

TEST_F(PlayStateTest, LeavingEmptiesTheBoardAndReentryStartsAfresh)
{
    const struct
    {
        const char* name;
        void (*push)();
    } ways[] = {{"Escape", [] { PushKeyDown(SDLK_ESCAPE); }},
                {"Shift+Escape", [] { PushKeyDown(SDLK_ESCAPE, KMOD_LSHIFT); }},
                {"joystick button 8", [] { PushJoyButtonDown(8); }}};
    Enter();
    for (const auto& way : ways)
    {
        SCOPED_TRACE(way.name);
        ClickCell(4);
        ClickCell(0);
        Wheel(SDL_BUTTON_WHEELUP, 3);
        Motion(10, 10);
        way.push();
        RunPass(&engine);
        EXPECT_EQ((Stack{menu}), engine.states);
        EXPECT_EQ(EMPTY, BoardCells());
        EXPECT_EQ((std::array<SDL_Surface*, 6>{}), Images());
        EXPECT_EQ(0, SDL_ShowCursor(SDL_QUERY));

        PushKeyDown(SDLK_SPACE);
        RunPass(&engine);
        Settle();
        EXPECT_EQ((Stack{menu, play}), engine.states);
        ExpectFreshGame();
    }
}

TEST_F(PlayStateTest, OtherEventsAreSilentAndChangeNothing)
{
    const struct
    {
        const char* name;
        void (*push)();
    } events[] = {
        {"right click", [] { PushMouseButtonDown(SDL_BUTTON_RIGHT, CellX(0), CellY(0)); }},
        {"middle click", [] { PushMouseButtonDown(SDL_BUTTON_MIDDLE, CellX(0), CellY(0)); }},
        {"thumb button 8", [] { PushMouseButtonDown(8, CellX(0), CellY(0)); }},
        {"a drag with the left button held, over an empty cell",
         [] { PushMouseMotion(240, 136, SDL_BUTTON(SDL_BUTTON_LEFT)); }},
        {"left release", [] { PushMouseButtonUp(SDL_BUTTON_LEFT, CellX(0), CellY(0)); }},
        {"wheel release", [] { PushMouseButtonUp(SDL_BUTTON_WHEELUP, 10, 10); }},
        {"Escape release", [] { PushKeyUp(SDLK_ESCAPE); }},
        {"i release", [] { PushKeyUp(SDLK_i); }},
        {"Space", [] { PushKeyDown(SDLK_SPACE); }},
        {"a", [] { PushKeyDown(SDLK_a); }},
        {"joystick button 9", [] { PushJoyButtonDown(9); }},
        {"joystick button 0", [] { PushJoyButtonDown(0); }},
        {"joystick button 8 release", [] { PushJoyButtonUp(8); }},
    };
    Enter();
    ClickCell(4);
    Cells expected = EMPTY;
    expected[4] = 1;
    for (const auto& event : events)
    {
        SCOPED_TRACE(event.name);
        EXPECT_EQ("", Printed(
                          [&]
                          {
                              event.push();
                              RunPass(&engine);
                          }));
        EXPECT_EQ((Stack{menu, play}), engine.states);
        EXPECT_TRUE(engine.running);
        ExpectGame(expected, false);
        EXPECT_EQ(240, play->mouseX);
        EXPECT_EQ(136, play->mouseY);
    }

    PushQuit();
    RunPass(&engine);
    EXPECT_FALSE(engine.running);
    EXPECT_EQ((Stack{menu, play}), engine.states);
    EXPECT_EQ(expected, BoardCells());
}

TEST_F(PlayStateTest, RingIsAWhiteCircleOnBlack)
{
    Enter();
    SDL_Surface* const ring = play->ringImage;
    ASSERT_EQ(90, ring->w);
    ASSERT_EQ(90, ring->h);
    for (int y = 0; y < 90; ++y)
    {
        for (int x = 0; x < 90; ++x)
        {
            const Rgb colour = ReadRgb(ring, x, y);
            if (colour == BLACK)
            {
                continue;
            }
            ASSERT_EQ(WHITE, colour) << x << ", " << y;
            // A white pixel is one left of a computed point, which truncates a point of the
            // circle: that point lies within the pixel square right of it.
            const double distance = std::hypot(x + 1.5 - 45, y + 0.5 - 45);
            EXPECT_NEAR(45.0, distance, 0.75) << x << ", " << y;
            EXPECT_NE(0, y);
            EXPECT_NE(89, x);
        }
    }
    // Bottom of the circle; just above and below its first sample (90, 45), which is dropped,
    // while the angles that would light (88, 45) from below are never sampled.
    const int whites[][2] = {{43, 89}, {44, 89}, {88, 44}, {88, 46}};
    for (const auto& white : whites)
    {
        EXPECT_EQ(WHITE, ReadRgb(ring, white[0], white[1])) << white[0] << ", " << white[1];
    }
    EXPECT_EQ(BLACK, ReadRgb(ring, 88, 45));
    EXPECT_EQ(BLACK, ReadRgb(ring, 45, 45));

    // A wider picture has the same circle at its centre.
    engine.PopState();
    ASSERT_TRUE(WriteSolidBmp("NULL.bmp", 100, 90, CELL));
    EnterPlay();
    for (const auto& white : whites)
    {
        EXPECT_EQ(WHITE, ReadRgb(play->ringImage, white[0] + 5, white[1]))
            << "wider: " << white[0] + 5 << ", " << white[1];
    }
    EXPECT_EQ(BLACK, ReadRgb(play->ringImage, 50, 45));
}

TEST_F(PlayStateTest, CrossIsTwoWhiteDiagonalsOverTheCellPicture)
{
    // The white pixels, worked out by hand from the two strokes' end points as runs of
    // pixels from (x, y), each one column right and `down` rows lower than the one before.
    // (-1, -1) to (90, 90) runs along the pixels' corners and lights (0, 0) to (89, 89): a
    // coordinate between -1 and 0 truncates to 0, and the last sample falls short of 90. (0, 89) to
    // (90, -1) starts exactly on (0, 89) and then runs through the pixels of the diagonal just
    // above it, (0, 88) to (88, 0); its last column lies between rows 0 and -1, which truncates to
    // row 0: (89, 0). A wider picture has the same cross at its centre, and the first stroke's
    // start, now above a column of the picture, truncates into its top row as well.
    const struct
    {
        int x, y, count, down;
    } runs[] = {{0, 0, 90, 1}, {0, 89, 1, 0}, {0, 88, 89, -1}, {89, 0, 1, 0}};
    for (const int w : {90, 100})
    {
        SCOPED_TRACE(w);
        ASSERT_TRUE(WriteSolidBmp("NULL.bmp", w, 90, CELL));
        EnterPlay();
        SDL_Surface* const expected = MakeSurface(w, 90, 32);
        FillRgb(expected, 0, 0, w, 90, CELL);
        for (const auto& run : runs)
        {
            for (int i = 0; i < run.count; ++i)
            {
                FillRgb(expected, (w - 90) / 2 + run.x + i, run.y + i * run.down, 1, 1, WHITE);
            }
        }
        if (w > 90)
        {
            FillRgb(expected, (w - 90) / 2 - 1, 0, 1, 1, WHITE);
        }
        EXPECT_EQ("", CompareSurfaces(play->crossImage, expected, "cross-image"));
        SDL_FreeSurface(expected);
        engine.PopState();
    }
}

TEST_F(PlayStateTest, EveryMissingPictureCombinationStaysPlayable)
{
    const char* const names[] = {"NULL.bmp", "win1.bmp", "win2.bmp", "DRAW.bmp"};
    const struct
    {
        std::vector<int> moves;
        ImageField result;
        int picture; // index into names
    } games[] = {{RING_WIN, &CPlayState::win1Image, 1},
                 {CROSS_WIN, &CPlayState::win2Image, 2},
                 {DRAWN, &CPlayState::drawImage, 3}};
    engine.PushState(menu);
    for (int missing = 0; missing < 16; ++missing)
    {
        SCOPED_TRACE("missing set " + std::to_string(missing));
        // A present cell picture gives radius 50, so the 90 x 90 stand-in shows in the radius.
        ASSERT_TRUE(WriteSolidBmp("NULL.bmp", 100, 100, CELL));
        WriteResultPictures();
        for (int k = 0; k < 4; ++k)
        {
            if ((missing & (1 << k)) != 0)
            {
                ASSERT_EQ(0, std::remove(names[k]));
            }
        }
        const bool noCell = (missing & 1) != 0;
        for (const auto& game : games)
        {
            EnterPlay();
            for (SDL_Surface* const image : Images())
            {
                ASSERT_NE(nullptr, image);
            }
            EXPECT_NE(play->ringImage, play->crossImage);
            EXPECT_NE(play->crossImage, play->emptyImage);
            EXPECT_NE(play->emptyImage, play->ringImage);
            EXPECT_EQ(noCell ? 45 : 50, play->cellRadius);
            EXPECT_EQ(noCell ? 90 : 100, play->emptyImage->w);
            EXPECT_EQ(noCell ? BLACK : CELL, ReadRgb(play->emptyImage, 30, 60));
            Play(game.moves);
            RunPass(&engine);
            ASSERT_EQ(&(play->*game.result), play->cursorImage);
            if ((missing & (1 << game.picture)) != 0)
            {
                EXPECT_EQ(90, (*play->cursorImage)->w);
                EXPECT_EQ(90, (*play->cursorImage)->h);
                EXPECT_EQ(0, CountPixelsOtherThan(*play->cursorImage, BLACK));
            }
            engine.PopState();
            EXPECT_EQ((std::array<SDL_Surface*, 6>{}), Images());
        }
    }
}

// Through the test seam: SDL failing the calls the play screen makes leaves a game that plays
// to its end, with nothing drawn for an image SDL could not provide or let be drawn into.
TEST_F(PlayStateTest, FailingSdlCallsLeaveAPlayableGame)
{
    engine.PushState(menu);
    {
        SCOPED_TRACE("loader refuses every picture: stand-ins, as for missing files");
        ScopedSdlFaults faults(FAIL_LOAD_BMP);
        EnterPlay();
        EXPECT_EQ(45, play->cellRadius);
        for (SDL_Surface* const image : {play->win1Image, play->win2Image, play->drawImage})
        {
            ASSERT_NE(nullptr, image);
            EXPECT_EQ(90, image->w);
            EXPECT_EQ(0, CountPixelsOtherThan(image, BLACK));
        }
        EXPECT_EQ(BLACK, ReadRgb(play->emptyImage, 45, 45)); // framed by now
        engine.PopState();
    }
    {
        SCOPED_TRACE("no stand-in can be made");
        ASSERT_EQ(0, std::remove("NULL.bmp"));
        ASSERT_EQ(0, std::remove("win1.bmp"));
        ScopedSdlFaults faults(FAIL_CREATE_SURFACE);
        EnterPlay();
        EXPECT_EQ(45, play->cellRadius);
        EXPECT_EQ(nullptr, play->ringImage);
        EXPECT_NE(nullptr, play->win2Image);
        Play(RING_WIN);
        RunPass(&engine);
        EXPECT_EQ(&play->win1Image, play->cursorImage);
        EXPECT_EQ(1, BoardCells()[0]);
        // The cells and the pointer's picture are left out: the panel shows where they were,
        // and the grid whole.
        EXPECT_EQ(GRAY, ReadRgb(engine.screen, CellX(0), CellY(0)));
        EXPECT_EQ(GRAY, ReadRgb(engine.screen, play->cursorX, play->cursorY));
        for (const auto& [x, y] : {std::pair{90, 0}, {180, 0}, {0, 90}, {0, 180}})
        {
            EXPECT_EQ(WHITE, ReadRgb(engine.screen, x, y)) << x << ", " << y;
        }
        engine.PopState();
    }
    {
        SCOPED_TRACE("every lock refused");
        // In the display's format the cell images are run-length encoded once blitted with a
        // colour key, and must then be locked to be drawn into.
        ASSERT_TRUE(CopyShippedPicture("NULL.bmp"));
        EnterPlay();
        for (SDL_Surface* const image : {play->ringImage, play->crossImage, play->emptyImage})
        {
            SDL_SetColorKey(image, SDL_SRCCOLORKEY | SDL_RLEACCEL, 0xFF00FF);
        }
        RunPass(&engine);
        if (!SDL_MUSTLOCK(play->ringImage))
        {
            GTEST_SKIP() << "this SDL 1.2 never RLE-encodes a surface (sdl12-compat does not), "
                            "so no image of the play screen must be locked";
        }
        {
            ScopedSdlFaults faults(FAIL_LOCK);
            Play(RING_WIN);
            RunPass(&engine);
        }
        EXPECT_EQ(&play->win1Image, play->cursorImage);
        // No frame went into the ring's image.
        EXPECT_EQ(BLACK, ReadRgb(play->ringImage, 0, 0));
        engine.PopState();
    }
}

// Without video there is no display to centre on, clear or take a format from; the screen
// still starts, with stand-ins for missing pictures, and stops.
TEST_F(PlayStateTest, InitAndResumeWithoutADisplay)
{
    // After a game whose pointer moved: no position is kept.
    EnterPlay();
    Motion(100, 100);
    engine.PopState();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    engine.screen = nullptr;
    ASSERT_EQ(0u, SDL_WasInit(SDL_INIT_VIDEO));
    ASSERT_EQ(0, std::remove("NULL.bmp"));
    play->Init();
    EXPECT_EQ(0, play->mouseX);
    EXPECT_EQ(0, play->cursorX);
    EXPECT_EQ(0, play->cursorY);
    EXPECT_EQ(45, play->cellRadius);
    ASSERT_NE(nullptr, play->emptyImage);
    EXPECT_EQ(90, play->emptyImage->w);
    play->Pause();
    play->Resume();
    play->Cleanup();
}

} // namespace
