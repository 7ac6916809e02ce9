#include "game/play_state.h"

#include "frame/state_engine.h"

static CPlayState instance;

CPlayState* CPlayState::Instance()
{
    return &instance;
}

void CPlayState::Init() {}
void CPlayState::Cleanup() {}
void CPlayState::Pause() {}
void CPlayState::Resume() {}
void CPlayState::HandleEvents(CStateEngine*) {}
void CPlayState::Update(CStateEngine*) {}
void CPlayState::Click(int, int) {}
