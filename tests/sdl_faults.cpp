#include "tests/sdl_faults.h"

#include "draw/pixel.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <set>
#include <sys/stat.h>

const char* const INJECTED_ERROR = "injected failure";

static unsigned armed = 0;
static int cutPalette = 0;

ScopedSdlFaults::ScopedSdlFaults(unsigned faults, int paletteColours)
{
    armed = faults;
    cutPalette = paletteColours;
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

// A test may load pictures on a thread of its own.
static std::mutex liveMutex;
static std::set<const SDL_Surface*> live;

SDL_Surface* TrackSurface(SDL_Surface* surface)
{
    if (surface != nullptr)
    {
        const std::lock_guard<std::mutex> lock(liveMutex);
        live.insert(surface);
    }
    return surface;
}

void ForgetSurface(const SDL_Surface* surface)
{
    // A surface whose reference count SDL raised survives one free.
    if (surface != nullptr && surface->refcount <= 1)
    {
        const std::lock_guard<std::mutex> lock(liveMutex);
        live.erase(surface);
    }
}

int LiveSurfaces()
{
    const std::lock_guard<std::mutex> lock(liveMutex);
    return static_cast<int>(live.size());
}

static std::atomic<int> loaderCalls{0};

int LoaderCalls()
{
    return loaderCalls;
}

int OpenDescriptors()
{
    // Less the one that lists them.
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<int>(std::distance(begin(fds), end(fds))) - 1;
}

// The linker sends every call of f to __wrap_f, and __real_f to SDL's (or the C library's) f.
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
    void __real_SDL_FreeSurface(SDL_Surface* surface);
    FILE* __real_fdopen(int fd, const char* mode);
    int __real_stat(const char* path, struct stat* status);
}

// The picture as sdl12-compat loads it: see LOAD_OPAQUE_ALPHA and LOAD_FILE_ALPHA.
static SDL_Surface* WithAlpha(SDL_Surface* picture, bool opaque)
{
    if (picture == nullptr || picture->format->BitsPerPixel != 32 || picture->format->Amask != 0)
    {
        return picture;
    }
    // Copied by hand, the fourth byte set opaque where asked: SDL_ConvertSurface leaves the
    // alpha to the blitter, and ppc64el's classic SDL 1.2 gave one that is not opaque.
    const SDL_PixelFormat* const from = picture->format;
    const Uint32 mask = ~(from->Rmask | from->Gmask | from->Bmask);
    SDL_Surface* const alpha = __real_SDL_CreateRGBSurface(
        SDL_SWSURFACE, picture->w, picture->h, 32, from->Rmask, from->Gmask, from->Bmask, mask);
    if (alpha == nullptr)
    {
        return picture;
    }
    for (int y = 0; y < picture->h; ++y)
    {
        const Uint8* const in = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch;
        Uint8* const out = static_cast<Uint8*>(alpha->pixels) + y * alpha->pitch;
        std::memcpy(out, in, 4 * static_cast<size_t>(picture->w));
        for (int x = 0; opaque && x < picture->w; ++x)
        {
            StorePixel<4>(out + 4 * x, LoadPixel(out + 4 * x, 4) | mask);
        }
    }
    __real_SDL_FreeSurface(picture);
    return alpha;
}

extern "C"
{
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
        ++loaderCalls;
        if (!Fails(FAIL_LOAD_BMP))
        {
            SDL_Surface* const picture = __real_SDL_LoadBMP_RW(src, freesrc);
            SDL_Palette* const palette = picture != nullptr ? picture->format->palette : nullptr;
            if ((armed & LOAD_CUT_PALETTE) != 0 && palette != nullptr)
            {
                palette->ncolors = std::min(palette->ncolors, cutPalette);
            }
            const unsigned alpha = armed & (LOAD_OPAQUE_ALPHA | LOAD_FILE_ALPHA);
            return TrackSurface(alpha != 0 ? WithAlpha(picture, alpha == LOAD_OPAQUE_ALPHA)
                                           : picture);
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
        return Fails(FAIL_CREATE_SURFACE)
                   ? nullptr
                   : TrackSurface(__real_SDL_CreateRGBSurface(flags, width, height, depth, Rmask,
                                                              Gmask, Bmask, Amask));
    }

    int __wrap_SDL_LockSurface(SDL_Surface* surface)
    {
        return Fails(FAIL_LOCK) ? -1 : __real_SDL_LockSurface(surface);
    }

    void __wrap_SDL_FreeSurface(SDL_Surface* surface)
    {
        ForgetSurface(surface);
        __real_SDL_FreeSurface(surface);
    }

    FILE* __wrap_fdopen(int fd, const char* mode)
    {
        if ((armed & FAIL_FDOPEN) != 0)
        {
            errno = ENOMEM;
            return nullptr;
        }
        return __real_fdopen(fd, mode);
    }

    int __wrap_stat(const char* path, struct stat* status)
    {
        const int result = __real_stat(path, status);
        if (result == 0 && (armed & STAT_SAYS_REGULAR) != 0)
        {
            status->st_mode = (status->st_mode & ~S_IFMT) | S_IFREG;
        }
        return result;
    }
}
