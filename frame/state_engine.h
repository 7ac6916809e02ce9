#ifndef NOUGHTS_FRAME_STATE_ENGINE_H
#define NOUGHTS_FRAME_STATE_ENGINE_H

#include <SDL.h>

#include <vector>

class CGameState;

// Owns the display and the stack of screens. There is one engine, a local of the entry
// function; the states on its stack are the static screen instances and are not owned.
class CStateEngine
{
  public:
    // Starts SDL, leaving the fatal signals as they were, and opens the 480x272 window.
    // Start-up failures are fatal: they are written to standard error and end the process
    // (1: SDL, 2: video mode).
    void Init();
    // Cleans up every state from the top down, frees the display and shuts SDL down.
    void Cleanup();
    // Pauses the current top, then pushes and initialises state.
    void PushState(CGameState* state);
    // Cleans up and removes the top, then resumes the state uncovered; no-op when empty.
    void PopState();
    // The state on top, or null when the stack is empty.
    CGameState* Top() const;

    SDL_Surface* screen = nullptr;
    std::vector<CGameState*> states;
    // Opening joystick 0 is what makes its button events arrive; while it is open the idle wait
    // reads it.
    SDL_Joystick* joystick = nullptr;
    bool running = false;
};

// Runs one main-loop pass: HandleEvents, Update and Draw on the top state, looked up again
// before each call so a state pushed or uncovered by the events is updated and drawn at once.
void RunPass(CStateEngine* engine);

// True when no event waits. No screen changes its picture without input, so a pass run now would
// only repaint what is shown: the loop may sleep until input comes. Both loops decide by this,
// the desktop's after each pass and the page's before each frame.
bool LoopMaySleep();

// Runs passes while the engine runs, each taking at most one event; once one has run with no
// event waiting, sleeps in WaitForEvent until one does. That wakes for everything that ends the
// game: a closed window and SIGINT or SIGTERM come as SDL_QUIT, and a lost X display is seen by
// the event pump SDL_WaitEvent runs every 10 ms in both SDL 1.2s.
void RunLoop(CStateEngine* engine);

#endif
