#include "tests/sdl_faults.h"

#include <SDL.h>

const char* const INJECTED_ERROR = "injected failure";

static unsigned armed = 0;

ScopedSdlFaults::ScopedSdlFaults(unsigned faults)
{
    armed = faults;
}

ScopedSdlFaults::~ScopedSdlFaults()
{
    armed = 0;
}

static bool Fails(SdlFault fault)
{
    if ((armed & fault) == 0)
    {
        return false;
    }
    SDL_SetError("%s", INJECTED_ERROR);
    return true;
}

// The linker sends every call of f to __wrap_f, and __real_f to SDL's f.
extern "C"
{
    SDL_Surface* __real_SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags);
    int __real_SDL_NumJoysticks(void);
    SDL_Joystick* __real_SDL_JoystickOpen(int index);
    SDL_Surface* __real_SDL_LoadBMP_RW(SDL_RWops* src, int freesrc);
    SDL_Surface* __real_SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth,
                                             Uint32 Rmask, Uint32 Gmask, Uint32 Bmask,
                                             Uint32 Amask);
    int __real_SDL_LockSurface(SDL_Surface* surface);

    SDL_Surface* __wrap_SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
    {
        return Fails(FAIL_VIDEO_MODE) ? nullptr
                                      : __real_SDL_SetVideoMode(width, height, bpp, flags);
    }

    int __wrap_SDL_NumJoysticks(void)
    {
        return (armed & FAIL_JOYSTICK_OPEN) != 0 ? 1 : __real_SDL_NumJoysticks();
    }

    SDL_Joystick* __wrap_SDL_JoystickOpen(int index)
    {
        return Fails(FAIL_JOYSTICK_OPEN) ? nullptr : __real_SDL_JoystickOpen(index);
    }

    SDL_Surface* __wrap_SDL_LoadBMP_RW(SDL_RWops* src, int freesrc)
    {
        if (!Fails(FAIL_LOAD_BMP))
        {
            return __real_SDL_LoadBMP_RW(src, freesrc);
        }
        if (src != nullptr && freesrc != 0)
        {
            SDL_RWclose(src);
        }
        return nullptr;
    }

    SDL_Surface* __wrap_SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth,
                                             Uint32 Rmask, Uint32 Gmask, Uint32 Bmask, Uint32 Amask)
    {
        return Fails(FAIL_CREATE_SURFACE) ? nullptr
                                          : __real_SDL_CreateRGBSurface(flags, width, height, depth,
                                                                        Rmask, Gmask, Bmask, Amask);
    }

    int __wrap_SDL_LockSurface(SDL_Surface* surface)
    {
        return Fails(FAIL_LOCK) ? -1 : __real_SDL_LockSurface(surface);
    }
}
