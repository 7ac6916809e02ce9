#include "game/play_state.h"

#include "draw/draw.h"
#include "frame/picture.h"
#include "frame/state_engine.h"
#include "game/board.h"
#include "screens/item_state.h"

#include <algorithm>
#include <cstdio>

static CPlayState instance;

static const Uint8 JOY_BUTTON_BACK = 8;
// Side of the black square that stands in for a picture that could not be loaded: the click
// cell size, so a missing "NULL.bmp" still gives a board whose drawn cells match the clicks.
static const int STAND_IN_SIDE = CELL_SIZE;

CPlayState* CPlayState::Instance()
{
    return &instance;
}

// The display while video runs, else null. Asked of SDL_WasInit first: after video has shut
// down, sdl12-compat 1.2.68 still hands out its old display surface, without pixels.
static SDL_Surface* RunningDisplay()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 ? SDL_GetVideoSurface() : nullptr;
}

static SDL_Surface* CreateStandIn()
{
    const SDL_Surface* const display = RunningDisplay();
    if (display == nullptr)
    {
        return SDL_CreateRGBSurface(SDL_SWSURFACE, STAND_IN_SIDE, STAND_IN_SIDE, 32, 0xFF0000,
                                    0x00FF00, 0x0000FF, 0);
    }
    const SDL_PixelFormat* const format = display->format;
    return SDL_CreateRGBSurface(SDL_SWSURFACE, STAND_IN_SIDE, STAND_IN_SIDE, format->BitsPerPixel,
                                format->Rmask, format->Gmask, format->Bmask, format->Amask);
}

// A black surface in the display's format, so it blits as a plain copy like a loaded picture;
// null when SDL cannot make one either, and the screen then goes without that image. Painted
// black: not every SDL clears a new surface, and where the format has alpha, zero is clear.
static SDL_Surface* MakeStandIn()
{
    SDL_Surface* const standIn = CreateStandIn();
    ClearSurface(standIn);
    return standIn;
}

// A missing picture is replaced by a black stand-in of its own, so the board keeps its cells
// and the pointer its image; like every picture, the failure is not reported.
static SDL_Surface* LoadOrStandIn(const char* name)
{
    SDL_Surface* const picture = LoadPicture(name);
    return picture != nullptr ? picture : MakeStandIn();
}

// Pixel value 0 is black in the display's format; there is nothing to clear without video.
static void ClearDisplay()
{
    SDL_Surface* const display = RunningDisplay();
    if (display != nullptr)
    {
        SDL_FillRect(display, nullptr, 0);
    }
}

static void DrawCross(SDL_Surface* image, int r)
{
    const int cx = image->w / 2;
    const int cy = image->h / 2;
    // The first line starts one pixel up and left of the cell, outside a 90 x 90 image, so its
    // first sample is dropped and the diagonal still runs corner to corner.
    DrawLine(image, cx - r - 1, cy - r - 1, cx + r, cy + r, 255, 255, 255);
    DrawLine(image, cx - r, cy + r - 1, cx + r, cy - r - 1, 255, 255, 255);
}

void CPlayState::Init()
{
    ringImage = LoadOrStandIn("NULL.bmp");
    crossImage = LoadOrStandIn("NULL.bmp");
    win1Image = LoadOrStandIn("win1.bmp");
    win2Image = LoadOrStandIn("win2.bmp");
    emptyImage = LoadOrStandIn("NULL.bmp");
    drawImage = LoadOrStandIn("DRAW.bmp");

    // Without even a stand-in the radius is the stand-in's, so drawn and clicked cells agree.
    cellRadius =
        ringImage != nullptr ? std::min(ringImage->w, ringImage->h) / 2 : STAND_IN_SIDE / 2;
    currentPlayer = true;
    if (ringImage != nullptr)
    {
        DrawCircle(ringImage, ringImage->w / 2, ringImage->h / 2, cellRadius);
    }
    if (crossImage != nullptr)
    {
        DrawCross(crossImage, cellRadius);
    }
    cursorImage = &ringImage;

    const SDL_Surface* const display = RunningDisplay();
    mouseX = display != nullptr ? display->w / 2 : 0;
    mouseY = display != nullptr ? display->h / 2 : 0;
    cursorX = 0;
    cursorY = 0;

    SDL_WarpMouse(static_cast<Uint16>(mouseX), static_cast<Uint16>(mouseY));
    SDL_ShowCursor(SDL_ENABLE);
    ClearDisplay();
}

void CPlayState::Cleanup()
{
    SDL_Surface** const owned[] = {&ringImage, &crossImage, &win1Image,
                                   &win2Image, &drawImage,  &emptyImage};
    for (SDL_Surface** const image : owned)
    {
        SDL_FreeSurface(*image);
        *image = nullptr;
    }
    ClearBoard();
    SDL_ShowCursor(SDL_DISABLE);
}

void CPlayState::Pause()
{
    SDL_ShowCursor(SDL_DISABLE);
}

void CPlayState::Resume()
{
    SDL_ShowCursor(SDL_ENABLE);
    SDL_WarpMouse(static_cast<Uint16>(mouseX), static_cast<Uint16>(mouseY));
    ClearDisplay();
}

void CPlayState::HandleEvents(CStateEngine* engine)
{
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0)
    {
        return;
    }
    switch (event.type)
    {
    case SDL_KEYDOWN:
        HandleKey(engine, event.key.keysym.sym);
        break;
    case SDL_MOUSEMOTION:
        mouseX = event.motion.x;
        mouseY = event.motion.y;
        break;
    case SDL_MOUSEBUTTONDOWN:
        HandleButton(engine, event.button);
        break;
    case SDL_JOYBUTTONDOWN:
        if (event.jbutton.button == JOY_BUTTON_BACK)
        {
            engine->PopState();
        }
        break;
    case SDL_QUIT:
        engine->running = false;
        break;
    default:
        break;
    }
}

void CPlayState::HandleKey(CStateEngine* engine, SDLKey key)
{
    if (key == SDLK_ESCAPE)
    {
        engine->PopState();
    }
    else if (key == SDLK_i)
    {
        engine->PushState(CItemState::Instance());
    }
}

void CPlayState::HandleButton(CStateEngine* engine, const SDL_MouseButtonEvent& button)
{
    switch (button.button)
    {
    case SDL_BUTTON_LEFT:
        Click(button.x, button.y, button.button);
        break;
    case SDL_BUTTON_WHEELUP:
        if (cellRadius > 0)
        {
            --cellRadius;
        }
        break;
    case SDL_BUTTON_WHEELDOWN:
        // Six radii make the field's height, so the board never grows past the window.
        if (cellRadius < engine->screen->h / 6)
        {
            ++cellRadius;
        }
        break;
    default:
        break;
    }
}

void CPlayState::Click(int x, int y, int button)
{
    printf("click : %d, %d, %d\n", x, y, button);
    // A line nobody can take (a closed pipe, a full disk) is lost; the next one is tried anew,
    // also with a C library that would stop writing after an error.
    clearerr(stdout);
    if (CheckOutcome() != OUTCOME_OPEN)
    {
        return;
    }
    if (PlaceMark(x, y, currentPlayer ? 1 : 0) != -1)
    {
        currentPlayer = !currentPlayer;
    }
    cursorImage = CursorImageFor(CheckOutcome());
}

SDL_Surface** CPlayState::CursorImageFor(int outcome)
{
    switch (outcome)
    {
    case 1:
        return &win1Image;
    case 0:
        return &win2Image;
    case OUTCOME_DRAW:
        return &drawImage;
    default:
        return currentPlayer ? &ringImage : &crossImage;
    }
}

void CPlayState::Update(CStateEngine*)
{
    cursorX = mouseX;
    cursorY = mouseY;
}
