#include "frame/web_loop.h"

#include <emscripten.h>

// In web/library.js. Emscripten's SDL shows the display only while unlocking it, by copying
// the whole canvas into memory and back on every lock. The game's surfaces live in memory
// instead (frame/web_sdl.h), and the finished frame goes to the canvas in one step.
extern "C" void ShowPixels(const void* pixels, int width, int height);
// Shows the page's end-of-game message.
extern "C" void TellPageGameEnded();
// Lets the page read what the frame just shown holds (frame/web_view.cpp).
extern "C" void TellPageFrameShown();
// Stops the animation frames until SDL queues the next input; gamepads, which are polled
// rather than heard, keep them running.
extern "C" void SleepUntilInput();

static CStateEngine* browserEngine = nullptr;
// Animation frames the loop has run, for the page's input measurements.
static int framesRun = 0;

static void ShowDisplay(const SDL_Surface* screen)
{
    ShowPixels(screen->pixels, screen->w, screen->h);
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
    if (engine->screen != nullptr)
    {
        ShowDisplay(engine->screen);
    }
    if (!engine->running)
    {
        emscripten_cancel_main_loop();
        engine->Cleanup();
        TellPageGameEnded();
        return;
    }
    TellPageFrameShown();
    if (!input)
    {
        SleepUntilInput();
    }
}

const CStateEngine* BrowserEngine()
{
    return browserEngine;
}

void RunInBrowser(CStateEngine* engine)
{
    browserEngine = engine;
    // 0: the browser's animation frames set the pace.
    emscripten_set_main_loop(RunFrame, 0, 1);
}

// For the page's benchmark mode: runs count passes on the current screen, each shown as a frame
// is.
extern "C" EMSCRIPTEN_KEEPALIVE void RunPasses(int count)
{
    for (int i = 0; i < count; ++i)
    {
        RunPass(browserEngine);
        ShowDisplay(browserEngine->screen);
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
