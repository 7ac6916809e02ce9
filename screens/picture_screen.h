#ifndef NOUGHTS_SCREENS_PICTURE_SCREEN_H
#define NOUGHTS_SCREENS_PICTURE_SCREEN_H

#include <SDL.h>

// What one polled event means to a picture screen. Each screen maps these to its own action.
enum PictureInput
{
    PICTURE_NONE,    // no event pending, or one that picture screens ignore
    PICTURE_BACK,    // Escape pressed, or joystick button 8
    PICTURE_SPACE,   // Space pressed
    PICTURE_BUTTON9, // joystick button 9
    PICTURE_QUIT     // the window's close request
};

// Takes at most one event from SDL's queue. Keys match on their symbol alone, whatever the
// modifiers; releases never count, and the joystick number is not tested.
PictureInput PollPictureInput();

// Blits the whole picture at the top-left corner and flips. The screen is not cleared first,
// so a smaller picture leaves the previous screen showing; a null picture draws nothing.
void ShowPicture(SDL_Surface* picture, SDL_Surface* screen);

#endif
