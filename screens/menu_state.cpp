#include "screens/menu_state.h"

#include "frame/picture.h"
#include "frame/state_engine.h"
#include "game/play_state.h"
#include "screens/picture_screen.h"

static CMenuState instance;

CMenuState* CMenuState::Instance()
{
    return &instance;
}

void CMenuState::Init()
{
    background = LoadPicture("menu.bmp");
}

void CMenuState::Cleanup()
{
    SDL_FreeSurface(background);
    background = nullptr;
}

// A covered picture screen keeps its picture loaded.
void CMenuState::Pause() {}

void CMenuState::Resume() {}

void CMenuState::HandleEvents(CStateEngine* engine)
{
    switch (PollPictureInput())
    {
    case PICTURE_BACK:
        engine->PopState();
        break;
    case PICTURE_SPACE:
    case PICTURE_BUTTON9:
        engine->PushState(CPlayState::Instance());
        break;
    case PICTURE_QUIT:
        engine->running = false;
        break;
    case PICTURE_NONE:
        break;
    }
}

void CMenuState::Update(CStateEngine*) {}

void CMenuState::Draw(CStateEngine* engine)
{
    ShowPicture(background, engine->screen);
}
