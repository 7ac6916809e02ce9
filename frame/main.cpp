#include "frame/process.h"
#include "frame/state_engine.h"
#include "screens/intro_state.h"

#include <SDL.h>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (!SecureStandardStreams())
    {
        fprintf(stderr, "Couldn't open the null device for a closed standard stream\n");
        return 1;
    }
    // Line-buffered even into a pipe, so whoever reads the click lines sees them as they happen.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    printf("%d\n", argc);
    for (int i = 0; i < argc; ++i)
    {
        printf("%s\n", argv[i]);
    }

    CStateEngine engine;
    engine.Init();
    engine.PushState(CIntroState::Instance());

    while (engine.running)
    {
        RunPass(&engine);
    }

    engine.Cleanup();
    SDL_Quit();
    return 0;
}
