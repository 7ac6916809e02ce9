#include "frame/event_wait.h"

#include <SDL.h>

#ifdef _WIN32

#include <windows.h>

// SDL 1.2's wait pumps every 10 ms, and on Windows each pump with the pointer over the window
// asks where the pointer is: under Wine a call to its server and the X server each time, which
// more than doubles what the game costs while nobody plays. Every event but a joystick's comes
// from a window message here (a windowed program has no console, so no SIGINT from another
// thread), so the wait sleeps until a message arrives, and pumps only then.
void WaitForEvent(bool joystickOpen)
{
    // SDL 1.2 on Windows reads the joystick in its pump, not through messages.
    const DWORD timeout = joystickOpen ? 10 : INFINITE;
    do
    {
        // MWMO_INPUTAVAILABLE: a message already queued but seen by an earlier peek wakes it too.
        MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    } while (SDL_PollEvent(nullptr) == 0);
}

#else

void WaitForEvent(bool)
{
    SDL_WaitEvent(nullptr);
}

#endif
