#include "game/board_render.h"

#include "draw/blit.h"
#include "draw/draw.h"
#include "draw/surface_check.h"
#include "frame/state_engine.h"
#include "game/board.h"
#include "game/play_state.h"

#include <algorithm>
#include <array>

// SDL_Rect holds 16-bit coordinates: clamp rather than let an oversized picture wrap around.
static Sint16 ToRectCoordinate(int value)
{
    return static_cast<Sint16>(std::clamp(value, -32768, 32767));
}

static void BlitAt(SDL_Surface* image, SDL_Surface* target, int x, int y)
{
    BlitWhole(image, target, ToRectCoordinate(x), ToRectCoordinate(y));
}

static void DrawWhiteLine(SDL_Surface* surface, int x1, int y1, int x2, int y2)
{
    DrawLine(surface, x1, y1, x2, y2, 255, 255, 255);
}

// The grid goes under the cells, which cover it wherever they are as big as their pitch; the
// black edge separates the field from the rest of the panel. The white lines lie inside the
// field, so they are left out when the cells will cover all of it.
static void DrawGrid(SDL_Surface* screen, int r, bool fieldCovered)
{
    if (!fieldCovered)
    {
        DrawWhiteLine(screen, 2 * r, 0, 2 * r, 6 * r);
        DrawWhiteLine(screen, 4 * r, 0, 4 * r, 6 * r);
        DrawWhiteLine(screen, 0, 2 * r, 6 * r, 2 * r);
        DrawWhiteLine(screen, 0, 4 * r, 6 * r, 4 * r);
    }
    DrawLine(screen, 6 * r, 0, 6 * r, 6 * r, 0, 0, 0);
}

// Drawn into the image itself, so it persists and shows on the pointer image too. The right
// and bottom edges run forward and so stop one pixel short: the bottom-right pixel stays bare.
static void DrawFrame(SDL_Surface* image)
{
    if (image == nullptr)
    {
        return;
    }
    const int right = image->w - 1;
    const int bottom = image->h - 1;
    DrawWhiteLine(image, 0, 0, 0, bottom);
    DrawWhiteLine(image, 0, 0, right, 0);
    DrawWhiteLine(image, right, 0, right, bottom);
    DrawWhiteLine(image, 0, bottom, right, bottom);
}

static SDL_Surface* CellImage(int32_t cell, SDL_Surface* ringImage, SDL_Surface* crossImage,
                              SDL_Surface* emptyImage)
{
    if (cell == 1)
    {
        return ringImage;
    }
    return cell == 0 ? crossImage : emptyImage;
}

void DrawBoard(SDL_Surface* target, SDL_Surface* ringImage, SDL_Surface* crossImage,
               SDL_Surface* emptyImage, int cellRadius)
{
    // Framing an image again lights the same pixels, so each image is framed once per pass,
    // before its first cell: at most the three images, not nine times four lines.
    std::array<const SDL_Surface*, 3> framed{};
    auto framedEnd = framed.begin();
    for (int i = 0; i < BOARD_SIDE; ++i)
    {
        for (int j = 0; j < BOARD_SIDE; ++j)
        {
            SDL_Surface* const image = CellImage(board[i][j], ringImage, crossImage, emptyImage);
            if (std::find(framed.begin(), framedEnd, image) == framedEnd)
            {
                DrawFrame(image);
                *framedEnd++ = image;
            }
            BlitAt(image, target, 2 * cellRadius * i, 2 * cellRadius * j);
        }
    }
}

// Whether image, blitted at a pitch of 2r, is copied whole over every pixel of its pitch.
static bool CoversItsPitch(const SDL_Surface* image, const SDL_Surface* screen, int r)
{
    return image != nullptr && image->w >= 2 * r && image->h >= 2 * r && HasWholeRows(image) &&
           IsPlainCopy(image, screen);
}

// The side of the square at the top-left that the cells will paint over completely in this
// pass, or 0. The panel and the grid are left out there: painting them would only be undone,
// and at the usual sizes that is half of what a pass writes.
static int FieldCoveredByCells(const SDL_Surface* screen, SDL_Surface* ringImage,
                               SDL_Surface* crossImage, SDL_Surface* emptyImage, int r)
{
    if (screen == nullptr || r <= 0 || !HasWholeRows(screen))
    {
        return 0;
    }
    const int side = 6 * r;
    const SDL_Rect& clip = screen->clip_rect;
    if (clip.x > 0 || clip.y > 0 || clip.x + clip.w < side || clip.y + clip.h < side)
    {
        return 0;
    }
    const auto covers = [=](int32_t cell)
    { return CoversItsPitch(CellImage(cell, ringImage, crossImage, emptyImage), screen, r); };
    const auto columnCovers = [&covers](const int32_t(&column)[BOARD_SIDE])
    { return std::all_of(std::begin(column), std::end(column), covers); };
    return std::all_of(std::begin(board), std::end(board), columnCovers) ? side : 0;
}

void CPlayState::Draw(CStateEngine* engine)
{
    SDL_Surface* const screen = engine->screen;
    SDL_Surface* const pointerImage = *cursorImage;
    const int r = cellRadius;

    const int covered = FieldCoveredByCells(screen, ringImage, crossImage, emptyImage, r);
    DrawPanel(screen, 9 * r, 6 * r, covered);
    DrawGrid(screen, r, covered != 0);
    DrawBoard(screen, ringImage, crossImage, emptyImage, r);
    if (pointerImage != nullptr)
    {
        BlitAt(pointerImage, screen, cursorX - pointerImage->w / 2, cursorY - pointerImage->h / 2);
    }
    SDL_Flip(screen);
}
