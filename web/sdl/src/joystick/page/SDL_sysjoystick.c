/* The page's joystick driver, over the browser's Gamepad API. SDL 1.2 counts joysticks once, at
   start, but a browser shows a page a gamepad only once a button on it is pressed or it is
   plugged in, usually after the game started. So the page always has joystick 0, which is
   whichever gamepad the browser lists first whenever SDL polls: one that appears is read from
   then on (a button already held is a press), one that goes away releases everything. */
#include "SDL_config.h"

#include <emscripten.h>

#include "SDL_error.h"
#include "SDL_events.h"
#include "SDL_events_c.h"
#include "SDL_joystick.h"
#include "SDL_joystick_c.h"
#include "SDL_page.h"
#include "SDL_stdinc.h"
#include "SDL_sysjoystick.h"
#include "SDL_syswm.h"

/* The standard mapping's 17 and room for more; axes: two sticks. */
#define PAGE_BUTTONS 32
#define PAGE_AXES 4

/* Joystick 0 while the game has it open. */
static SDL_Joystick* opened = NULL;

/* The first gamepad the browser lists, and whether it lists one (library_page.js). */
extern int page_read_gamepad(Uint8* buttons, int nbuttons, Sint16* axes, int naxes);
extern void page_watch_gamepads(void);
extern int page_gamepad_listed(void);

int SDL_SYS_JoystickInit(void)
{
    page_watch_gamepads();
    return 1;
}

const char* SDL_SYS_JoystickName(int index)
{
    return "Gamepad";
}

int SDL_SYS_JoystickOpen(SDL_Joystick* joystick)
{
    joystick->nbuttons = PAGE_BUTTONS;
    joystick->naxes = PAGE_AXES;
    joystick->nhats = 0;
    joystick->nballs = 0;
    opened = joystick;
    return 0;
}

void SDL_SYS_JoystickUpdate(SDL_Joystick* joystick)
{
    Uint8 buttons[PAGE_BUTTONS];
    Sint16 axes[PAGE_AXES];
    int i;

    if (!page_read_gamepad(buttons, PAGE_BUTTONS, axes, PAGE_AXES))
    {
        SDL_memset(buttons, 0, sizeof(buttons));
        SDL_memset(axes, 0, sizeof(axes));
    }
    /* SDL 1.2 sends an event for every call: only changes are given to it. */
    for (i = 0; i < PAGE_BUTTONS; ++i)
    {
        if (joystick->buttons[i] != buttons[i])
        {
            SDL_PrivateJoystickButton(joystick, (Uint8)i, buttons[i]);
        }
    }
    for (i = 0; i < PAGE_AXES; ++i)
    {
        if (joystick->axes[i] != axes[i])
        {
            SDL_PrivateJoystickAxis(joystick, (Uint8)i, axes[i]);
        }
    }
}

void SDL_SYS_JoystickClose(SDL_Joystick* joystick)
{
    if (joystick == opened)
    {
        opened = NULL;
    }
}

void SDL_SYS_JoystickQuit(void) {}

/* A gamepad the browser has just shown is read at once, so the press that revealed it is given
   now, and told as a window-system event (SDL_page.h) to a program that sleeps until input
   comes, which must poll from now on. */
EMSCRIPTEN_KEEPALIVE void PAGE_JoystickAppeared(void)
{
    SDL_SysWMmsg message;

    if (opened != NULL)
    {
        SDL_SYS_JoystickUpdate(opened);
    }
    SDL_VERSION(&message.version);
    message.data = SDL_PAGE_JOYSTICK_LISTED;
    SDL_PrivateSysWMEvent(&message);
}

int SDL_PageJoystickListed(void)
{
    return page_gamepad_listed();
}
