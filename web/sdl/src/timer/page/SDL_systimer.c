/* The page's timer: the browser's clock. A page has no threads, so SDL_SetTimer's callbacks and
   SDL_AddTimer are not available; and the page's one thread must not sleep, so SDL_Delay waits
   by reading the clock. */
#include "SDL_config.h"

#include <emscripten.h>

#include "SDL_error.h"
#include "SDL_systimer.h"
#include "SDL_timer.h"
#include "SDL_timer_c.h"

static double start;

void SDL_StartTicks(void)
{
    start = emscripten_get_now();
}

Uint32 SDL_GetTicks(void)
{
    return (Uint32)(emscripten_get_now() - start);
}

void SDL_Delay(Uint32 ms)
{
    const double until = emscripten_get_now() + ms;

    while (emscripten_get_now() < until)
    {
    }
}

int SDL_SYS_TimerInit(void)
{
    return 0;
}

void SDL_SYS_TimerQuit(void) {}

int SDL_SYS_StartTimer(void)
{
    SDL_SetError("Timers are not implemented in a page");
    return -1;
}

void SDL_SYS_StopTimer(void) {}
