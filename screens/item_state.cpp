#include "screens/item_state.h"

#include "frame/picture.h"
#include "frame/state_engine.h"
#include "screens/picture_screen.h"

static CItemState instance;

CItemState* CItemState::Instance()
{
    return &instance;
}

void CItemState::Init()
{
    background = LoadPicture("item.bmp");
}

void CItemState::Cleanup()
{
    SDL_FreeSurface(background);
    background = nullptr;
}

// A covered picture screen keeps its picture loaded.
void CItemState::Pause() {}

void CItemState::Resume() {}

void CItemState::HandleEvents(CStateEngine* engine)
{
    switch (PollPictureInput())
    {
    case PICTURE_BACK:
    case PICTURE_BUTTON9:
        engine->PopState();
        break;
    case PICTURE_QUIT:
        engine->running = false;
        break;
    case PICTURE_SPACE:
    case PICTURE_NONE:
        break;
    }
}

void CItemState::Update(CStateEngine*) {}

void CItemState::Draw(CStateEngine* engine)
{
    ShowPicture(background, engine->screen);
}
