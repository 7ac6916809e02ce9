#include "web/loop.h"

#include <SDL_page.h>
#include <emscripten.h>

// The page's side, in web/library_loop.js.
extern "C" void TellPageGameEnded();
extern "C" void TellPageFrameRun();
extern "C" void RequestFrame();

static CStateEngine* browserEngine = nullptr;
// Animation frames the loop has run, for the page's input measurements.
static int framesRun = 0;
static bool asleep = false;

// Every input the page gives SDL passes here first; the next animation frame handles it. A
// gamepad the browser begins to list is only news to the loop, which must poll it from then on.
static int SDLCALL WakeOnInput(const SDL_Event* event)
{
    if (asleep)
    {
        asleep = false;
        RequestFrame();
    }
    return event->type == SDL_SYSWMEVENT ? 0 : 1;
}

// A gamepad is only seen by polling, so the frames go on while the browser lists one, and the
// page is shown: a hidden page gets no animation frames, and showing it again is an event.
static bool GamepadListed()
{
    return SDL_PageJoystickListed() != 0 && (SDL_GetAppState() & SDL_APPACTIVE) != 0;
}

extern "C" EMSCRIPTEN_KEEPALIVE void RunFrame()
{
    CStateEngine* const engine = browserEngine;
    ++framesRun;
    // Asked before the passes: once a frame that began with no input has been shown, the next
    // would repaint the same pixels.
    const bool idle = LoopMaySleep();
    // Every pass still takes one event; the frame goes on while events wait, so a burst of
    // input is handled in the frame it arrived in, as the native loop would have.
    do
    {
        RunPass(engine);
    } while (engine->running && SDL_PollEvent(nullptr) != 0);
    if (!engine->running)
    {
        engine->Cleanup();
        TellPageGameEnded();
        return;
    }
    TellPageFrameRun();
    asleep = idle && !GamepadListed();
    if (!asleep)
    {
        RequestFrame();
    }
}

// Input goes through WakeOnInput, and a gamepad that appears is news. SDL 1.2 discards every
// waiting event as a filter is set or an event type enabled: what came while the game started (a
// gamepad button held as the page loaded, say) is taken out first and put back. Nothing else runs
// meanwhile: the page's input waits for this call to return.
static void ListenKeepingInput()
{
    SDL_Event waiting[128];
    SDL_PumpEvents();
    const int count = SDL_PeepEvents(waiting, 128, SDL_GETEVENT, SDL_ALLEVENTS);
    SDL_SetEventFilter(WakeOnInput);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    SDL_PeepEvents(waiting, count < 0 ? 0 : count, SDL_ADDEVENT, SDL_ALLEVENTS);
}

const CStateEngine* BrowserEngine()
{
    return browserEngine;
}

void RunInBrowser(CStateEngine* engine)
{
    browserEngine = engine;
    ListenKeepingInput();
    RequestFrame();
    // Returns to the browser without unwinding the entry function, whose engine runs on.
    emscripten_exit_with_live_runtime();
}

// For the page's benchmark mode: runs count passes on the current screen.
extern "C" EMSCRIPTEN_KEEPALIVE void RunPasses(int count)
{
    for (int i = 0; i < count; ++i)
    {
        RunPass(browserEngine);
    }
}

extern "C" EMSCRIPTEN_KEEPALIVE int FramesRun()
{
    return framesRun;
}

extern "C" EMSCRIPTEN_KEEPALIVE int EventsPending()
{
    return SDL_PollEvent(nullptr);
}
