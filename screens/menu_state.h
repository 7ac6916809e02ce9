#ifndef NOUGHTS_SCREENS_MENU_STATE_H
#define NOUGHTS_SCREENS_MENU_STATE_H

#include "frame/game_state.h"

#include <SDL.h>

// The menu picture, between the intro and the playing field.
class CMenuState : public CGameState
{
  public:
    static CMenuState* Instance();

    void Init() override;
    void Cleanup() override;
    void Pause() override;
    void Resume() override;
    void HandleEvents(CStateEngine* engine) override;
    void Update(CStateEngine* engine) override;
    void Draw(CStateEngine* engine) override;

    // "menu.bmp", from Init() to Cleanup(); null when it could not be loaded.
    SDL_Surface* background = nullptr;
};

#endif
