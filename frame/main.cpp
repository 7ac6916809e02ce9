#include "frame/process.h"
#include "frame/state_engine.h"
#ifdef __EMSCRIPTEN__
#include "web/loop.h"
#endif
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

#ifdef __EMSCRIPTEN__
    // A page cannot loop: the browser runs the passes, and this function's frame stays.
    RunInBrowser(&engine);
#else
    RunLoop(&engine);
    engine.Cleanup();
    SDL_Quit();
#endif
    return 0;
}
