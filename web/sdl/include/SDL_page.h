/* What SDL 1.2's page port adds to SDL's API, for a program whose main loop the browser runs a
   frame at a time and which may sleep between frames while no input comes. */
#ifndef _SDL_page_h
#define _SDL_page_h

#include "SDL_stdinc.h"

#include "begin_code.h"
#ifdef __cplusplus
extern "C"
{
#endif

    /* Whether the browser lists a gamepad: joystick 0 then changes only when SDL polls it
       (SDL_JoystickUpdate, or SDL_PumpEvents with joystick events on), so a program that sleeps
       until input comes must go on polling. */
    extern DECLSPEC int SDLCALL SDL_PageJoystickListed(void);

/* A gamepad the browser has just begun to list is told as an SDL_SYSWMEVENT (once the program
   enables them with SDL_EventState) whose msg->data is this: a program asleep until input comes
   then polls again. */
#define SDL_PAGE_JOYSTICK_LISTED 1

#ifdef __cplusplus
}
#endif
#include "close_code.h"

#endif /* _SDL_page_h */
