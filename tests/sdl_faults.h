#ifndef NOUGHTS_TESTS_SDL_FAULTS_H
#define NOUGHTS_TESTS_SDL_FAULTS_H

// Fault injection for the component tests. The test executable is linked with the linker's
// --wrap for each SDL function below, so every call from the game's code (and the tests')
// goes through a wrapper that hands it on to SDL unless a test has armed that fault. SDL's
// calls to its own functions are not affected: a failing SDL_CreateRGBSurface reaches the
// game's stand-ins, not the surfaces SDL makes inside SDL_LoadBMP_RW or SDL_SetVideoMode.
// A failing call sets SDL's error to INJECTED_ERROR and returns what SDL returns on failure.

enum SdlFault : unsigned
{
    FAIL_VIDEO_MODE = 1 << 0,     // SDL_SetVideoMode gives null
    FAIL_JOYSTICK_OPEN = 1 << 1,  // SDL_NumJoysticks gives 1, SDL_JoystickOpen null
    FAIL_LOAD_BMP = 1 << 2,       // SDL_LoadBMP_RW refuses every stream (and frees it)
    FAIL_CREATE_SURFACE = 1 << 3, // SDL_CreateRGBSurface gives null
    FAIL_LOCK = 1 << 4,           // SDL_LockSurface gives -1
};

extern const char* const INJECTED_ERROR;

// Arms a set of faults for its lifetime; they are off again when it goes.
class ScopedSdlFaults
{
  public:
    explicit ScopedSdlFaults(unsigned faults);
    ~ScopedSdlFaults();
    ScopedSdlFaults(const ScopedSdlFaults&) = delete;
    ScopedSdlFaults& operator=(const ScopedSdlFaults&) = delete;
};

#endif
