#include "tests/fuzz/fuzz_env.h"

#include "frame/game_state.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// The largest picture the game accepts needs 64 MB. A single allocation of more than 256 MB
// means a picture's header was believed before it was checked, so ASan reports it as an error
// and libFuzzer keeps the input.
extern "C" const char* __asan_default_options()
{
    return "max_allocation_size_mb=256";
}

void FuzzFailure(const char* what)
{
    fprintf(stderr, "fuzz: %s\n", what);
    abort();
}

void StartFuzzEngine(CStateEngine* engine)
{
    // The click lines are of no use here and would bury libFuzzer's own reports.
    if (freopen("/dev/null", "w", stdout) == nullptr)
    {
        FuzzFailure("cannot silence standard output");
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    engine->Init();
}

InFuzzDir::InFuzzDir(std::string (*picture)(const char* name))
{
    if (dir.Path().empty())
    {
        FuzzFailure("cannot make a working directory");
    }
    for (const char* name : PICTURE_NAMES)
    {
        if (symlink(picture(name).c_str(), name) != 0)
        {
            FuzzFailure("cannot link the picture names");
        }
    }
}

void ResetFuzzEngine(CStateEngine* engine)
{
    while (!engine->states.empty())
    {
        engine->PopState();
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
    {
    }
    engine->running = true;
}
