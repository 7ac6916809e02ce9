#include "web/loop.h"

#include <emscripten.h>

// clang-format off
EM_JS(void, TellPageGameEnded, (), {
    if (Module["onGameEnded"]) Module["onGameEnded"]();
});
// clang-format on

// Lets the page read what the frame just run holds (web/view.cpp).
// clang-format off
EM_JS(void, TellPageFrameRun, (), {
    if (Module["onFrameShown"]) Module["onFrameShown"]();
});
// clang-format on

// The browser's next animation frame runs RunFrame.
// clang-format off
EM_JS(void, RequestFrame, (), {
    requestAnimationFrame(function() { _RunFrame(); });
});
// clang-format on

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
        RequestFrame();
    }
    return 1;
}

extern "C" EMSCRIPTEN_KEEPALIVE void WakeForGamepad()
{
    WakeOnInput(nullptr);
}

// clang-format off
EM_JS(void, WakeOnGamepads, (), {
    window.addEventListener("gamepadconnected", function() { _WakeForGamepad(); });
});
// clang-format on

// A gamepad is only seen by polling, so the frames go on while the browser lists one. SDL's
// joystick driver keeps that answer from the browser's gamepad events, as listing the pads on
// every frame would cost more than the frame.
// clang-format off
EM_JS(bool, GamepadListed, (), {
    return !!Module["pageGamepadListed"];
});
// clang-format on

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

const CStateEngine* BrowserEngine()
{
    return browserEngine;
}

void RunInBrowser(CStateEngine* engine)
{
    browserEngine = engine;
    SDL_SetEventFilter(WakeOnInput);
    WakeOnGamepads();
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
