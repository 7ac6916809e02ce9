#ifndef NOUGHTS_TESTS_SDL_FAULTS_H
#define NOUGHTS_TESTS_SDL_FAULTS_H

#include <SDL.h>

// Fault injection for the component tests. The test executable is linked with the linker's
// --wrap for each SDL function below (and the C library's fdopen), so every call from the
// game's code (and the tests') goes through a wrapper that hands it on unless a test has armed
// that fault. SDL's calls to its own functions are not affected: a failing SDL_CreateRGBSurface
// reaches the game's stand-ins, not the surfaces SDL makes inside SDL_LoadBMP_RW or
// SDL_SetVideoMode. A failing call sets SDL's error to INJECTED_ERROR and returns what SDL
// returns on failure.

enum SdlFault : unsigned
{
    FAIL_VIDEO_MODE = 1 << 0,     // SDL_SetVideoMode gives null
    FAIL_JOYSTICK_OPEN = 1 << 1,  // SDL_NumJoysticks gives 1, SDL_JoystickOpen null
    FAIL_LOAD_BMP = 1 << 2,       // SDL_LoadBMP_RW refuses every stream (and frees it)
    FAIL_CREATE_SURFACE = 1 << 3, // SDL_CreateRGBSurface gives null
    FAIL_LOCK = 1 << 4,           // SDL_LockSurface gives -1
    FAIL_FDOPEN = 1 << 5,         // fdopen gives null (the picture opener's stream)
    // Not a failure: SDL_LoadBMP_RW gives 32-bit pixels an alpha mask over their fourth byte,
    // opaque throughout, as sdl12-compat loads the shipped pictures. Classic SDL 1.2 never
    // loads alpha: only this takes its tests through the loader's handling of opaque alpha.
    LOAD_OPAQUE_ALPHA = 1 << 6,
    // Nor this: SDL_LoadBMP_RW cuts an 8-bit picture's palette to the colours given with it,
    // leaving its pixels unchecked, as SDL2 loads a run-length picture whose indexes leave its
    // palette. Classic SDL 1.2 loads no such picture.
    LOAD_CUT_PALETTE = 1 << 7,
    // Nor this: as LOAD_OPAQUE_ALPHA, but the alpha is each pixel's fourth byte as stored, as
    // sdl12-compat loads any 32-bit bitmap.
    LOAD_FILE_ALPHA = 1 << 8,
    // stat says every file is a regular one, as a FIFO or a device swapped in after the check
    // by name looks. Only where the game's stat is the C library's stat (not 32-bit glibc's
    // stat64, to which large-file builds redirect it).
    STAT_SAYS_REGULAR = 1 << 9,
};

extern const char* const INJECTED_ERROR;

// Arms a set of faults for its lifetime; they are off again when it goes.
class ScopedSdlFaults
{
  public:
    explicit ScopedSdlFaults(unsigned faults, int paletteColours = 0);
    ~ScopedSdlFaults();
    ScopedSdlFaults(const ScopedSdlFaults&) = delete;
    ScopedSdlFaults& operator=(const ScopedSdlFaults&) = delete;
};

// Surfaces that SDL_LoadBMP_RW and SDL_CreateRGBSurface made through the seam and that no call
// of SDL_FreeSurface (wrapped too) has freed: a count that grows is a surface forgotten, seen
// on either SDL 1.2 without a sanitizer.
int LiveSurfaces();

// What the seam does with a surface made and one freed, for another seam counting with it.
SDL_Surface* TrackSurface(SDL_Surface* surface);
void ForgetSurface(const SDL_Surface* surface);

// How many streams SDL_LoadBMP_RW has been handed so far: a picture refused on its header
// alone never reaches the loader, which on either SDL may claim its whole surface first.
int LoaderCalls();

// The file descriptors open in this process.
int OpenDescriptors();

#endif
