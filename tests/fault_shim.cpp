// Preloaded into the real game by the end-to-end tests (LD_PRELOAD), to fail one SDL call the
// game makes; NOUGHTS_TEST_FAULT names it: "video-mode", "joystick-open", "load-bmp" or
// "null-device" (the null device does not open); or "window-pid", after which the window names
// another process than the game's. Only
// functions neither SDL 1.2 calls itself through its symbol table are replaced, so SDL's own
// work is untouched; SDL_CreateRGBSurface and SDL_LockSurface are, and stay with the
// component tests' link-time seam (sdl_faults.h).

#include <SDL.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#ifdef NOUGHTS_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>
#endif

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

#ifdef NOUGHTS_X11
// Rewrites every _NET_WM_PID on the display that names this process, the way classic SDL 1.2
// leaves it on a 64-bit big-endian machine: there Xlib reads the 4-byte pid SDL hands it as the
// high half of a long and sends the low half. Little-endian, SDL's own write would hide a game
// that fails to name itself.
static void NameAnotherProcessInTree(Display* display, Window window, Atom pidAtom)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long left = 0;
    unsigned char* value = nullptr;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &left, &value) == Success &&
        format == 32 && items == 1 && *reinterpret_cast<const long*>(value) == getpid())
    {
        const long lowHalf = 0;
        XChangeProperty(display, window, pidAtom, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&lowHalf), 1);
    }
    XFree(value);
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0)
    {
        for (unsigned int i = 0; i < count; ++i)
        {
            NameAnotherProcessInTree(display, children[i], pidAtom);
        }
        XFree(children);
    }
}

static void NameAnotherProcess()
{
    Display* const display = XOpenDisplay(nullptr);
    if (display == nullptr)
    {
        return;
    }
    NameAnotherProcessInTree(display, DefaultRootWindow(display),
                             XInternAtom(display, "_NET_WM_PID", False));
    XSync(display, False);
    XCloseDisplay(display);
}
#else
static void NameAnotherProcess() {}
#endif

extern "C"
{
    SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
    {
        using Function = SDL_Surface* (*)(int, int, int, Uint32);
        if (Fails("video-mode"))
        {
            return nullptr;
        }
        SDL_Surface* const screen = Real<Function>("SDL_SetVideoMode")(width, height, bpp, flags);
        if (screen != nullptr && Chosen("window-pid"))
        {
            NameAnotherProcess();
        }
        return screen;
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

    // As in a sandbox without /dev/null; both names, since a 32-bit build may call either.
    static int OpenUnlessNullDevice(const char* real, const char* path, int flags, va_list rest)
    {
        if (Chosen("null-device") && strcmp(path, "/dev/null") == 0)
        {
            errno = ENOENT;
            return -1;
        }
        const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(rest, mode_t) : 0;
        return Real<int (*)(const char*, int, ...)>(real)(path, flags, mode);
    }

    int open(const char* path, int flags, ...)
    {
        va_list rest;
        va_start(rest, flags);
        const int fd = OpenUnlessNullDevice("open", path, flags, rest);
        va_end(rest);
        return fd;
    }

    int open64(const char* path, int flags, ...)
    {
        va_list rest;
        va_start(rest, flags);
        const int fd = OpenUnlessNullDevice("open64", path, flags, rest);
        va_end(rest);
        return fd;
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
