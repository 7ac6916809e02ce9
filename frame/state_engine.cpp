#include "frame/state_engine.h"

#include "frame/event_wait.h"
#include "frame/game_state.h"
#include "frame/process.h"
#include "frame/window_icon.h"

#include <cstdio>
#include <cstdlib>

static const int SCREEN_WIDTH = 480;
static const int SCREEN_HEIGHT = 272;
static const int SCREEN_BPP = 32;
static const char WINDOW_TITLE[] = "Noughts & Crosses";
// What a window manager shows where room is short, such as under a minimised window.
static const char ICON_NAME[] = "Noughts";

// With the display gone, SDL's video shutdown would wait on it for ever; the rest still runs.
static void QuitAtExit()
{
    if (IsDisplayLost())
    {
        SDL_QuitSubSystem(SDL_INIT_EVERYTHING & ~SDL_INIT_VIDEO);
    }
    else
    {
        SDL_Quit();
    }
}

// Registered once however often the engine starts, so every later exit shuts SDL down.
static void RegisterQuitAtExit()
{
    static bool registered = false;
    if (!registered)
    {
        atexit(QuitAtExit);
        registered = true;
    }
}

// Loaded once and kept: SDL 1.2 does not promise to copy the icon it is given.
static void SetWindowIcon()
{
    static SDL_Surface* const icon = LoadWindowIcon();
    if (icon != nullptr)
    {
        SDL_WM_SetIcon(icon, nullptr);
    }
}

static SDL_Joystick* OpenFirstJoystick()
{
    if (SDL_NumJoysticks() <= 0)
    {
        return nullptr;
    }
    SDL_Joystick* const joystick = SDL_JoystickOpen(0);
    if (joystick == nullptr)
    {
        fprintf(stderr, "Couldn't open joystick 0: %s\n", SDL_GetError());
    }
    return joystick;
}

void CStateEngine::Init()
{
    // A fatal signal ends the game as it would any program: SDL's own handler could hang it.
    SaveFatalSignals();
    if (SDL_Init(SDL_INIT_EVERYTHING) < 0)
    {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        exit(1);
    }
    RestoreFatalSignals();
    RegisterQuitAtExit();
    // The game sets no timer, and classic SDL 1.2's timer thread wakes every millisecond for as
    // long as the subsystem runs: several times what the game costs while it waits for input.
    SDL_QuitSubSystem(SDL_INIT_TIMER);

    // Before the window opens, so it never shows untitled; SDL 1.2 takes an icon only then.
    SDL_WM_SetCaption(WINDOW_TITLE, ICON_NAME);
    SetWindowIcon();
    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, 0);
    if (screen == nullptr)
    {
        fprintf(stderr, "Couldn't set %dx%dx%d video mode: %s\n", SCREEN_WIDTH, SCREEN_HEIGHT,
                SCREEN_BPP, SDL_GetError());
        exit(2);
    }
    EndGameWhenDisplayIsLost();
    NameProcessOnWindow();

    joystick = OpenFirstJoystick();
    running = true;
}

void CStateEngine::Cleanup()
{
    while (!states.empty())
    {
        states.back()->Cleanup();
        states.pop_back();
    }
    SDL_FreeSurface(screen);
    screen = nullptr;
    SDL_Quit();
}

void CStateEngine::PushState(CGameState* state)
{
    if (!states.empty())
    {
        states.back()->Pause();
    }
    states.push_back(state);
    state->Init();
}

void CStateEngine::PopState()
{
    if (!states.empty())
    {
        states.back()->Cleanup();
        states.pop_back();
    }
    if (!states.empty())
    {
        states.back()->Resume();
    }
}

CGameState* CStateEngine::Top() const
{
    return states.empty() ? nullptr : states.back();
}

void RunPass(CStateEngine* engine)
{
    // A state may empty the stack from HandleEvents (only tests do), so each call checks.
    if (CGameState* const top = engine->Top())
    {
        top->HandleEvents(engine);
    }
    if (CGameState* const top = engine->Top())
    {
        top->Update(engine);
    }
    if (CGameState* const top = engine->Top())
    {
        top->Draw(engine);
    }
}

bool LoopMaySleep()
{
    return SDL_PollEvent(nullptr) == 0;
}

void RunLoop(CStateEngine* engine)
{
    while (engine->running)
    {
        RunPass(engine);
        if (engine->running && LoopMaySleep())
        {
            WaitForEvent(engine->joystick != nullptr);
        }
    }
}
