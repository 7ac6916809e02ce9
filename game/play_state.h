#ifndef NOUGHTS_GAME_PLAY_STATE_H
#define NOUGHTS_GAME_PLAY_STATE_H

#include "frame/game_state.h"

#include <SDL.h>

// The playing field: two players share the mouse, rings (player 1) first, crosses (player 0)
// second. The image under the pointer is the mark of the player to move, or the result
// picture once the game is decided. The wheel resizes the drawn board, not the click cells.
class CPlayState : public CGameState
{
  public:
    static CPlayState* Instance();

    void Init() override;
    void Cleanup() override;
    void Pause() override;
    void Resume() override;
    void HandleEvents(CStateEngine* engine) override;
    void Update(CStateEngine* engine) override;
    void Draw(CStateEngine* engine) override;

    // true: player 1 (ring) to move; false: player 0 (cross).
    bool currentPlayer = true;
    // Which image field follows the pointer; never emptyImage, never null after Init().
    SDL_Surface** cursorImage = nullptr;
    // Each image is its picture, else a black stand-in, else (SDL could make neither) null,
    // and nothing is drawn for it.
    SDL_Surface* win1Image = nullptr;
    SDL_Surface* win2Image = nullptr;
    SDL_Surface* drawImage = nullptr;
    // The three cell images are separate loads of "NULL.bmp", so drawing into one (the mark,
    // the frame) never shows in another.
    SDL_Surface* emptyImage = nullptr;
    SDL_Surface* ringImage = nullptr;
    SDL_Surface* crossImage = nullptr;
    // Last pointer position seen by HandleEvents().
    int mouseX = 0;
    int mouseY = 0;
    // Where Draw() centres the pointer image; copied from mouseX/mouseY by Update().
    int cursorX = 0;
    int cursorY = 0;
    // Half the drawn cell pitch; also the ring's radius and the cross's half-size.
    int cellRadius = 0;

  private:
    void HandleKey(CStateEngine* engine, SDLKey key);
    void HandleButton(CStateEngine* engine, const SDL_MouseButtonEvent& button);
    void Click(int x, int y, int button);
    SDL_Surface** CursorImageFor(int outcome);
};

#endif
