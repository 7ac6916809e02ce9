#include "tests/play_session.h"

#include "draw/blit.h"

#include <fstream>
#include <string>
#include <vector>

namespace
{

const Rgb MASK = {1, 2, 3};

// The pointer is parked here when it is not the subject: a 90 x 90 picture then covers only
// black screen from (395, 205) to the bottom-right corner.
const int PARK_X = 440;
const int PARK_Y = 250;

// Result pictures whose every pixel tells its own position; no field colour has blue 200.
Rgb Gradient(int u, int v)
{
    return {static_cast<Uint8>(u), static_cast<Uint8>(v), 200};
}

// One column, as tall as SDL lets a surface be; no field colour has blue 77.
const int TALL = 65535;
Rgb TallRow(int v)
{
    return {static_cast<Uint8>(v & 255), static_cast<Uint8>((v >> 8) & 255), 77};
}

template <typename Colour> bool WritePicture(const char* name, int w, int h, Colour colour)
{
    SDL_Surface* const picture = MakeSurface(w, h, 32);
    if (picture == nullptr)
    {
        return false;
    }
    // Stored directly: a fill rectangle's 16-bit y cannot reach the rows past 32767.
    for (int v = 0; v < h; ++v)
    {
        Uint32* const row =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(picture->pixels) + v * picture->pitch);
        for (int u = 0; u < w; ++u)
        {
            const Rgb c = colour(u, v);
            row[u] = SDL_MapRGB(picture->format, c.r, c.g, c.b);
        }
    }
    const bool saved = SDL_SaveBMP(picture, name) == 0;
    SDL_FreeSurface(picture);
    return saved;
}

// A w x h bitmap of one opaque colour in the display's own 32-bit layout, which SDL's own saver
// never writes: the board copies such a picture as it is.
bool WriteDisplayLayoutBmp(const char* name, int w, int h, Rgb colour)
{
    const Uint32 pixel = 0xFF000000u | colour.r << 16 | colour.g << 8 | colour.b;
    std::string pixels;
    for (int i = 0; i < w * h; ++i)
    {
        pixels.append({static_cast<char>(pixel), static_cast<char>(pixel >> 8),
                       static_cast<char>(pixel >> 16), static_cast<char>(pixel >> 24)});
    }
    return WriteFile(name, Bitmap(w, h, 32, 0, 0, pixels));
}

// A 90 x 90 cell picture at (x, y) with the frame drawn into it: left and top edges whole,
// right and bottom edges stopping one pixel short of the bottom-right corner.
void FramedCell(SDL_Surface* surface, int x, int y, Rgb fill)
{
    FillRgb(surface, x, y, 90, 90, fill);
    FillRgb(surface, x, y, 1, 90, WHITE);
    FillRgb(surface, x, y, 90, 1, WHITE);
    FillRgb(surface, x + 89, y, 1, 89, WHITE);
    FillRgb(surface, x, y + 89, 89, 1, WHITE);
}

struct ExpectedPixel
{
    int x, y;
    Rgb colour;
    const char* why;
};

class BoardRenderTest : public PlaySession
{
  protected:
    void SetUp() override
    {
        PlaySession::SetUp();
        ASSERT_TRUE(WriteSolidBmp("NULL.bmp", 90, 90, CELL));
        ASSERT_TRUE(WritePicture("win1.bmp", 90, 90, Gradient));
        ASSERT_TRUE(WritePicture("win2.bmp", 91, 61, Gradient));
        ASSERT_TRUE(WritePicture("DRAW.bmp", 1, TALL, [](int, int v) { return TallRow(v); }));
    }

    // A fresh game each time: the play screen is left, if it is there, and pushed again.
    void Enter()
    {
        if (!engine.states.empty())
        {
            engine.PopState();
        }
        EnterPlay();
    }

    Rgb Screen(int x, int y)
    {
        return ReadRgb(engine.screen, x, y);
    }

    template <std::size_t N> void ExpectPixels(const ExpectedPixel (&pixels)[N])
    {
        for (const ExpectedPixel& pixel : pixels)
        {
            EXPECT_EQ(pixel.colour, Screen(pixel.x, pixel.y)) << pixel.why;
        }
    }

    // Inside the picture's rectangle every visible pixel is the gradient pixel under it;
    // outside, nothing has the gradient's blue.
    void ExpectGradientAt(int left, int top, int w, int h)
    {
        int wrong = 0;
        std::string first;
        for (int y = 0; y < engine.screen->h; ++y)
        {
            for (int x = 0; x < engine.screen->w; ++x)
            {
                const bool inside = x >= left && x < left + w && y >= top && y < top + h;
                const Rgb colour = Screen(x, y);
                const bool right = inside ? colour == Gradient(x - left, y - top) : colour.b != 200;
                if (!right && wrong++ == 0)
                {
                    first = std::to_string(x) + ", " + std::to_string(y);
                }
            }
        }
        EXPECT_EQ(0, wrong) << "first wrong pixel at " << first;
    }
};

TEST_F(BoardRenderTest, RadiusFortyFiveTilesTheFieldWithFramedCells)
{
    Enter();
    Motion(PARK_X, PARK_Y);
    ASSERT_EQ(45, play->cellRadius);

    SDL_Surface* const expected = MakeSurface(480, 272, 32);
    FillRgb(expected, 0, 0, 405, 270, GRAY);
    // The black edge runs forward from (270, 0) to (270, 270), so it stops above row 270.
    FillRgb(expected, 270, 0, 1, 270, BLACK);
    // The cells cover the white grid lines at 90 and 180 entirely.
    for (int i = 0; i < 3; ++i)
    {
        for (int j = 0; j < 3; ++j)
        {
            FramedCell(expected, 90 * i, 90 * j, CELL);
        }
    }
    // The pointer picture is the subject of the pointer tests.
    FillRgb(expected, PARK_X - 45, PARK_Y - 45, 90, 90, MASK);
    FillRgb(engine.screen, PARK_X - 45, PARK_Y - 45, 90, 90, MASK);
    EXPECT_EQ("", CompareSurfaces(engine.screen, expected, "field-radius-45"));
    SDL_FreeSurface(expected);

    // The frame stays in the picture itself.
    EXPECT_EQ(WHITE, ReadRgb(play->emptyImage, 0, 89));
    EXPECT_EQ(WHITE, ReadRgb(play->emptyImage, 89, 0));
    EXPECT_EQ(WHITE, ReadRgb(play->emptyImage, 88, 89));
    EXPECT_EQ(WHITE, ReadRgb(play->emptyImage, 89, 88));
    EXPECT_EQ(CELL, ReadRgb(play->emptyImage, 89, 89));

    // Cells that cover their pitch but are cut off by a clip short of the field leave the panel
    // where they would have been.
    ASSERT_TRUE(WriteDisplayLayoutBmp("NULL.bmp", 90, 90, CELL));
    Enter();
    FillRgb(engine.screen, 0, 0, 480, 272, MASK);
    SDL_Rect clip = {0, 0, 100, 272};
    SDL_SetClipRect(engine.screen, &clip);
    RunPass(&engine);
    SDL_SetClipRect(engine.screen, nullptr);
    EXPECT_EQ(GRAY, Screen(150, 10));
}

TEST_F(BoardRenderTest, CellsSmallerThanTheirPitchLeavePanelAndGridBetweenThem)
{
    // Narrower or shorter than its pitch, a cell leaves a gap, even when its other side fills it.
    const struct
    {
        int w, h;
        Rgb rightOfCell, belowCell;
    } cells[] = {{80, 80, GRAY, GRAY}, {80, 90, GRAY, CELL}, {90, 80, CELL, GRAY}};
    for (const auto& cell : cells)
    {
        SCOPED_TRACE(std::to_string(cell.w) + " x " + std::to_string(cell.h));
        // Copied as they are, the cells would cover the field if they were as large as their
        // pitch.
        ASSERT_TRUE(WriteDisplayLayoutBmp("NULL.bmp", cell.w, cell.h, CELL));
        Enter();
        ASSERT_TRUE(IsPlainCopy(play->emptyImage, engine.screen));
        Wheel(SDL_BUTTON_WHEELDOWN, 5);
        // Whatever was on screen before must not show through where no cell lies.
        FillRgb(engine.screen, 0, 0, 480, 272, MASK);
        Motion(PARK_X, PARK_Y);
        ASSERT_EQ(45, play->cellRadius);

        const ExpectedPixel pixels[] = {
            {5, 5, CELL, "inside the first cell"},
            {85, 10, cell.rightOfCell, "right of the first cell's 80 columns"},
            {10, 85, cell.belowCell, "below the first cell's 80 rows"},
            {90, 85, WHITE, "grid line or frame at x = 90"},
            {180, 85, WHITE, "grid line or frame at x = 180"},
            {85, 90, WHITE, "grid line or frame at y = 90"},
            {85, 180, WHITE, "grid line or frame at y = 180"},
            {90, 265, WHITE, "grid line or frame at x = 90 in the last row"},
            {180, 265, WHITE, "grid line or frame at x = 180 in the last row"},
            {265, 90, WHITE, "grid line or frame at y = 90 in the last column"},
            {265, 180, WHITE, "grid line or frame at y = 180 in the last column"},
            {265, 265, GRAY, "panel past the last cell"},
            {270, 10, BLACK, "the field's black edge"},
            {300, 10, GRAY, "panel right of the field"},
        };
        ExpectPixels(pixels);
    }
}

TEST_F(BoardRenderTest, RadiusZeroStacksAllCellsAtTheOriginWithTheLastOnTop)
{
    Enter();
    ClickCell(0); // ring
    ClickCell(8); // cross, in the cell drawn last
    Wheel(SDL_BUTTON_WHEELUP, 45);
    Motion(PARK_X, PARK_Y);
    ASSERT_EQ(0, play->cellRadius);

    // The framed cross: on its diagonal, off both lines, its frame, its bottom-right corner
    // (on the diagonal). A ring or an empty cell on top would differ in at least one.
    EXPECT_EQ(WHITE, Screen(45, 45));
    EXPECT_EQ(CELL, Screen(20, 50));
    EXPECT_EQ(WHITE, Screen(1, 0));
    EXPECT_EQ(WHITE, Screen(0, 60));
    EXPECT_EQ(WHITE, Screen(89, 89));
    // No gray panel: past the cells everything but the pointer picture is black.
    int notBlack = 0;
    for (int y = 0; y < 272; ++y)
    {
        for (int x = 0; x < 480; ++x)
        {
            const bool cells = x < 90 && y < 90;
            const bool pointer = x >= PARK_X - 45 && y >= PARK_Y - 45;
            notBlack += !cells && !pointer && Screen(x, y) != BLACK ? 1 : 0;
        }
    }
    EXPECT_EQ(0, notBlack);
}

TEST_F(BoardRenderTest, CloserCellsOverlapInIndexOrder)
{
    Enter();
    ClickCell(0); // ring at (0, 0)
    ClickCell(3); // cross at (60, 0) once the radius is 30
    Wheel(SDL_BUTTON_WHEELUP, 15);
    Motion(PARK_X, PARK_Y);
    ASSERT_EQ(30, play->cellRadius);

    const ExpectedPixel pixels[] = {
        {59, 30, BLACK, "ring inside, left of the cross"},
        {60, 10, WHITE, "cross's left frame over the ring"},
        {75, 30, CELL, "cross over the ring's inside"},
        {30, 75, CELL, "empty cell 1 over the ring's inside"},
        {130, 70, CELL, "empty cell 7 over the cross's diagonal"},
        {209, 100, WHITE, "right frame of cell 7"},
        {210, 10, GRAY, "panel right of the last column"},
        {269, 170, GRAY, "panel's last column"},
        {270, 10, BLACK, "past the 9r-wide panel"},
        {10, 210, BLACK, "below the last row and the 6r-high panel"},
    };
    ExpectPixels(pixels);
}

TEST_F(BoardRenderTest, MarkUnderThePointerIsFramedOnlyOnceItIsOnTheBoard)
{
    Enter(); // the pointer at (240, 136): its picture's corner at (195, 91)
    EXPECT_EQ(BLACK, Screen(195, 91));
    EXPECT_EQ(BLACK, Screen(284, 91));
    EXPECT_EQ(BLACK, Screen(195, 180));

    ClickCell(0); // the cross follows, still without a frame
    EXPECT_EQ(CELL, Screen(196, 91));

    ClickCell(8); // the ring again, framed by the cell it now fills
    EXPECT_EQ(WHITE, Screen(195, 91));
    EXPECT_EQ(WHITE, Screen(284, 91));
    EXPECT_EQ(WHITE, Screen(195, 180));
    EXPECT_EQ(BLACK, Screen(284, 180));

    ClickCell(1); // the cross again, framed now too
    EXPECT_EQ(WHITE, Screen(196, 91));

    ClickCell(7);
    ClickCell(2); // rings down the left column
    ASSERT_EQ(&play->win1Image, play->cursorImage);
    EXPECT_EQ(Gradient(0, 0), Screen(195, 91)); // a result picture gets no frame
}

TEST_F(BoardRenderTest, PointerPictureIsCentredAndClippedAtTheEdges)
{
    const struct
    {
        std::vector<int> moves; // a game that brings up the picture
        int pointerX, pointerY, left, top, w, h;
    } cases[] = {
        {RING_WIN, 100, 50, 55, 5, 90, 90},
        {RING_WIN, 10, 10, -35, -35, 90, 90},
        {RING_WIN, 470, 265, 425, 220, 90, 90},
        {CROSS_WIN, 100, 50, 55, 20, 91, 61}, // odd sizes: halves truncated
        {CROSS_WIN, 0, 0, -45, -30, 91, 61},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.pointerX) + ", " + std::to_string(c.pointerY));
        Enter();
        Play(c.moves);
        Motion(c.pointerX, c.pointerY);
        ExpectGradientAt(c.left, c.top, c.w, c.h);
    }
}

TEST_F(BoardRenderTest, PointerPictureFarOffCentreLandsWhereItsCoordinatesSay)
{
    Enter();
    Play(DRAWN);
    ASSERT_EQ(&play->drawImage, play->cursorImage);
    Motion(100, 136);
    // The tallest picture SDL makes: its top at 136 - 32767, so rows from 32631 fill column 100.
    for (int y = 0; y < 272; ++y)
    {
        EXPECT_EQ(TallRow(32631 + y), Screen(100, y)) << "row " << y;
        if (HasFailure())
        {
            break;
        }
    }
    EXPECT_NE(77, Screen(101, 136).b);
    EXPECT_NE(77, Screen(99, 136).b);

    // Only a pointer position past 32767 leaves the 16-bit range: 65535 - 45 is held at 32767,
    // right of the screen, rather than wrapping to -46 over the left edge.
    Enter();
    Play(RING_WIN);
    ASSERT_EQ(&play->win1Image, play->cursorImage);
    Motion(65535, 136);
    ExpectGradientAt(32767, 91, 90, 90);
    Motion(100, 65535);
    ExpectGradientAt(55, 32767, 90, 90);
    // The tall picture too: held below the window, not wrapped over it.
    Enter();
    Play(DRAWN);
    Motion(100, 65535);
    int shown = 0;
    for (int y = 0; y < 272; ++y)
    {
        shown += Screen(100, y).b == 77 ? 1 : 0;
    }
    EXPECT_EQ(0, shown);
}

} // namespace
