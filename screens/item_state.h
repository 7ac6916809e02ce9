#ifndef NOUGHTS_SCREENS_ITEM_STATE_H
#define NOUGHTS_SCREENS_ITEM_STATE_H

#include "frame/game_state.h"

#include <SDL.h>

// The help card, opened over the playing field and closed back to the same game.
class CItemState : public CGameState
{
  public:
    static CItemState* Instance();

    void Init() override;
    void Cleanup() override;
    void Pause() override;
    void Resume() override;
    void HandleEvents(CStateEngine* engine) override;
    void Update(CStateEngine* engine) override;
    void Draw(CStateEngine* engine) override;

    // "item.bmp", from Init() to Cleanup(); null when it could not be loaded.
    SDL_Surface* background = nullptr;
};

#endif
