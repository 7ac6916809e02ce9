#ifndef NOUGHTS_FRAME_GAME_STATE_H
#define NOUGHTS_FRAME_GAME_STATE_H

class CStateEngine;

// One screen of the game. The engine keeps states on a stack and promises this order:
//   push:      Pause() on the old top, then Init() on the new one (already the top);
//   pop:       Cleanup() on the top (still on the stack), then Resume() on the uncovered one;
//   shut-down: Cleanup() on every state from the top down, no Pause() or Resume();
//   each pass: HandleEvents(), Update(), Draw() on whatever is the top at each call.
// States change the stack or stop the game only from HandleEvents().
//
// Every concrete state is a single static instance that lives for the whole process, so
// there is deliberately no virtual destructor: states are never deleted.
class CGameState
{
  public:
    // Acquires everything the state needs; runs again from scratch after each Cleanup().
    virtual void Init() = 0;
    // Releases what Init() acquired and puts the state back to its starting condition.
    virtual void Cleanup() = 0;
    // Another state is about to cover this one.
    virtual void Pause() = 0;
    // The state covering this one has just been removed.
    virtual void Resume() = 0;
    // Takes at most one pending event from SDL and reacts to it.
    virtual void HandleEvents(CStateEngine* engine) = 0;
    // Per-pass logic.
    virtual void Update(CStateEngine* engine) = 0;
    // Renders onto the engine's screen and presents it.
    virtual void Draw(CStateEngine* engine) = 0;

  protected:
    CGameState() = default;
    ~CGameState() = default;
    CGameState(const CGameState&) = delete;
    CGameState& operator=(const CGameState&) = delete;
};

#endif
