#include "screens/intro_state.h"

#include "frame/picture.h"
#include "frame/state_engine.h"
#include "screens/menu_state.h"
#include "screens/picture_screen.h"

static CIntroState instance;

CIntroState* CIntroState::Instance()
{
    return &instance;
}

void CIntroState::Init()
{
    background = LoadPicture("intro.bmp");
}

void CIntroState::Cleanup()
{
    SDL_FreeSurface(background);
    background = nullptr;
}

// A covered picture screen keeps its picture loaded.
void CIntroState::Pause() {}

void CIntroState::Resume() {}

void CIntroState::HandleEvents(CStateEngine* engine)
{
    switch (PollPictureInput())
    {
    case PICTURE_BACK:
    case PICTURE_QUIT:
        engine->running = false;
        break;
    case PICTURE_SPACE:
    case PICTURE_BUTTON9:
        engine->PushState(CMenuState::Instance());
        break;
    case PICTURE_NONE:
        break;
    }
}

void CIntroState::Update(CStateEngine*) {}

void CIntroState::Draw(CStateEngine* engine)
{
    ShowPicture(background, engine->screen);
}
