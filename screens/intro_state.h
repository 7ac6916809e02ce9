#ifndef NOUGHTS_SCREENS_INTRO_STATE_H
#define NOUGHTS_SCREENS_INTRO_STATE_H

#include "frame/game_state.h"

#include <SDL.h>

// The first screen: the title picture. It stays at the bottom of the stack for the
// whole run; its back and close actions end the game instead of popping it.
class CIntroState : public CGameState
{
  public:
    static CIntroState* Instance();

    void Init() override;
    void Cleanup() override;
    void Pause() override;
    void Resume() override;
    void HandleEvents(CStateEngine* engine) override;
    void Update(CStateEngine* engine) override;
    void Draw(CStateEngine* engine) override;

    // "intro.bmp", from Init() to Cleanup(); null when it could not be loaded.
    SDL_Surface* background = nullptr;
};

#endif
