#include "web/loop.h"

#include <emscripten.h>
#include <emscripten/html5.h>

EM_JS(void, TellPageGameEnded, (), {
    if (Module["onGameEnded"]) Module["onGameEnded"]();
});

// Lets the page read what the frame just run holds (web/view.cpp).
EM_JS(void, TellPageFrameRun, (), {
    if (Module["onFrameShown"]) Module["onFrameShown"]();
});

static CStateEngine* browserEngine = nullptr;
// Animation frames the loop has run, for the page's input measurements.
static int framesRun = 0;
static bool asleep = false;

// Every input the page gives SDL passes here first; the next animation frame handles it.
static int SDLCALL WakeOnInput(const SDL_Event*)
{
    if (asleep)
    {
        asleep = false;
        emscripten_resume_main_loop();
    }
    return 1;
}

static EM_BOOL WakeOnGamepad(int, const EmscriptenGamepadEvent*, void*)
{
    WakeOnInput(nullptr);
    return EM_FALSE;
}

// A gamepad is only seen by polling, so the frames go on while the browser lists one.
static bool GamepadListed()
{
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS)
    {
        return false;
    }
    EmscriptenGamepadEvent pad;
    for (int i = 0; i < emscripten_get_num_gamepads(); ++i)
    {
        if (emscripten_get_gamepad_status(i, &pad) == EMSCRIPTEN_RESULT_SUCCESS && pad.connected)
        {
            return true;
        }
    }
    return false;
}

static void RunFrame()
{
    CStateEngine* const engine = browserEngine;
    ++framesRun;
    // Without input no screen changes its picture: once a frame with none has been shown, the
    // next would repaint the same pixels.
    const bool input = SDL_PollEvent(nullptr) != 0;
    // Every pass still takes one event; the frame goes on while events wait, so a burst of
    // input is handled in the frame it arrived in, as the native loop would have.
    do
    {
        RunPass(engine);
    } while (engine->running && SDL_PollEvent(nullptr) != 0);
    if (!engine->running)
    {
        emscripten_cancel_main_loop();
        engine->Cleanup();
        TellPageGameEnded();
        return;
    }
    TellPageFrameRun();
    if (!input && !GamepadListed())
    {
        asleep = true;
        emscripten_pause_main_loop();
    }
}

const CStateEngine* BrowserEngine()
{
    return browserEngine;
}

void RunInBrowser(CStateEngine* engine)
{
    browserEngine = engine;
    SDL_SetEventFilter(WakeOnInput);
    emscripten_set_gamepadconnected_callback(nullptr, EM_FALSE, WakeOnGamepad);
    // 0: the browser's animation frames set the pace.
    emscripten_set_main_loop(RunFrame, 0, 1);
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
