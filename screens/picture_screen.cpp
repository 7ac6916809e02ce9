#include "screens/picture_screen.h"

#include "draw/blit.h"

static const Uint8 JOY_BUTTON_BACK = 8;
static const Uint8 JOY_BUTTON_NINE = 9;

static PictureInput KeyInput(SDLKey key)
{
    switch (key)
    {
    case SDLK_ESCAPE:
        return PICTURE_BACK;
    case SDLK_SPACE:
        return PICTURE_SPACE;
    default:
        return PICTURE_NONE;
    }
}

static PictureInput JoyButtonInput(Uint8 button)
{
    switch (button)
    {
    case JOY_BUTTON_BACK:
        return PICTURE_BACK;
    case JOY_BUTTON_NINE:
        return PICTURE_BUTTON9;
    default:
        return PICTURE_NONE;
    }
}

PictureInput PollPictureInput()
{
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0)
    {
        return PICTURE_NONE;
    }
    switch (event.type)
    {
    case SDL_KEYDOWN:
        return KeyInput(event.key.keysym.sym);
    case SDL_JOYBUTTONDOWN:
        return JoyButtonInput(event.jbutton.button);
    case SDL_QUIT:
        return PICTURE_QUIT;
    default:
        return PICTURE_NONE;
    }
}

void ShowPicture(SDL_Surface* picture, SDL_Surface* screen)
{
    BlitWhole(picture, screen, 0, 0);
    SDL_Flip(screen);
}
