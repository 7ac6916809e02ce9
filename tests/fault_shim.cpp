// Preloaded into the real game by the end-to-end tests (LD_PRELOAD), to fail one SDL call the
// game makes; NOUGHTS_TEST_FAULT names it: "video-mode", "joystick-open" or "load-bmp". Only
// functions neither SDL 1.2 calls itself through its symbol table are replaced, so SDL's own
// work is untouched; SDL_CreateRGBSurface and SDL_LockSurface are, and stay with the
// component tests' link-time seam (sdl_faults.h).

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

static bool Chosen(const char* fault)
{
    const char* const chosen = getenv("NOUGHTS_TEST_FAULT");
    return chosen != nullptr && strcmp(chosen, fault) == 0;
}

static bool Fails(const char* fault)
{
    if (!Chosen(fault))
    {
        return false;
    }
    SDL_SetError("injected failure");
    return true;
}

// SDL's own definition of the function this library replaces.
template <typename Function> static Function Real(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

extern "C"
{
    SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
    {
        using Function = SDL_Surface* (*)(int, int, int, Uint32);
        return Fails("video-mode") ? nullptr
                                   : Real<Function>("SDL_SetVideoMode")(width, height, bpp, flags);
    }

    int SDL_NumJoysticks(void)
    {
        return Chosen("joystick-open") ? 1 : Real<int (*)(void)>("SDL_NumJoysticks")();
    }

    SDL_Joystick* SDL_JoystickOpen(int index)
    {
        using Function = SDL_Joystick* (*)(int);
        return Fails("joystick-open") ? nullptr : Real<Function>("SDL_JoystickOpen")(index);
    }

    SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc)
    {
        if (!Fails("load-bmp"))
        {
            return Real<SDL_Surface* (*)(SDL_RWops*, int)>("SDL_LoadBMP_RW")(src, freesrc);
        }
        if (src != nullptr && freesrc != 0)
        {
            SDL_RWclose(src);
        }
        return nullptr;
    }
}
