#include "frame/game_state.h"
#include "frame/state_engine.h"
#include "game/play_state.h"
#include "screens/intro_state.h"
#include "screens/item_state.h"
#include "screens/menu_state.h"
#include "tests/sdl_faults.h"
#include "tests/sdl_test_env.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace
{

using Stack = std::vector<CGameState*>;

// Stands in for the playing field under the item screen.
class CUnderneath : public CGameState
{
  public:
    void Init() override {}
    void Cleanup() override {}
    void Pause() override {}
    void Resume() override
    {
        ++resumes;
    }
    void HandleEvents(CStateEngine*) override {}
    void Update(CStateEngine*) override {}
    void Draw(CStateEngine*) override {}

    int resumes = 0;
};

struct EventCase
{
    const char* label;
    std::function<void()> push;
    // After one pass:
    bool running;
    Stack stack;
};

const SDLMod SHIFT_CTRL = static_cast<SDLMod>(KMOD_LSHIFT | KMOD_LCTRL);

// Events no picture screen reacts to: releases, other keys and buttons, the mouse.
std::vector<EventCase> Ignored(const Stack& stack)
{
    return {
        {"Escape released", [] { PushKeyUp(SDLK_ESCAPE); }, true, stack},
        {"Space released", [] { PushKeyUp(SDLK_SPACE); }, true, stack},
        {"button 8 released", [] { PushJoyButtonUp(8); }, true, stack},
        {"button 9 released", [] { PushJoyButtonUp(9); }, true, stack},
        {"Return", [] { PushKeyDown(SDLK_RETURN); }, true, stack},
        {"i", [] { PushKeyDown(SDLK_i); }, true, stack},
        {"button 0", [] { PushJoyButtonDown(0); }, true, stack},
        {"button 10", [] { PushJoyButtonDown(10); }, true, stack},
        {"left click", [] { PushMouseButtonDown(SDL_BUTTON_LEFT, 10, 10); }, true, stack},
    };
}

class PictureScreensTest : public EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        // Distinct colours, so what is on the screen tells which file was drawn.
        ASSERT_TRUE(WriteSolidBmp("intro.bmp", 480, 272, {200, 0, 0}));
        ASSERT_TRUE(WriteSolidBmp("menu.bmp", 480, 272, {0, 200, 0}));
        ASSERT_TRUE(WriteSolidBmp("item.bmp", 480, 272, {0, 0, 200}));
        // The play screen gets real pictures too; only its place on the stack is tested here.
        ASSERT_TRUE(WriteSolidBmp("NULL.bmp", 90, 90, {40, 40, 40}));
        for (const char* name : {"win1.bmp", "win2.bmp", "DRAW.bmp"})
        {
            ASSERT_TRUE(WriteSolidBmp(name, 120, 60, {90, 90, 90}));
        }
    }

    // Empties the stack and the queue, then pushes stack as the game would have.
    void StartWith(const Stack& stack)
    {
        while (!engine.states.empty())
        {
            engine.PopState();
        }
        SDL_Event stale;
        while (SDL_PollEvent(&stale) != 0)
        {
        }
        engine.running = true;
        for (CGameState* const state : stack)
        {
            engine.PushState(state);
        }
    }

    void CheckEvents(const Stack& start, std::vector<EventCase> cases)
    {
        const std::vector<EventCase> ignored = Ignored(start);
        cases.insert(cases.end(), ignored.begin(), ignored.end());
        for (const EventCase& c : cases)
        {
            SCOPED_TRACE(c.label);
            StartWith(start);
            c.push();
            RunPass(&engine);
            // The play screen queues events of its own when it starts (pointer warp).
            if (c.stack.back() != play)
            {
                EXPECT_EQ(0, PendingEvents());
            }
            EXPECT_EQ(c.running, engine.running);
            EXPECT_EQ(c.stack, engine.states);
        }
    }

    ScopedWorkDir workDir;
    CIntroState* const intro = CIntroState::Instance();
    CMenuState* const menu = CMenuState::Instance();
    CItemState* const item = CItemState::Instance();
    CGameState* const play = CPlayState::Instance();
    CUnderneath underneath;
};

TEST_F(PictureScreensTest, IntroEvents)
{
    CheckEvents(
        {intro},
        {
            {"Escape", [] { PushKeyDown(SDLK_ESCAPE); }, false, {intro}},
            {"button 8", [] { PushJoyButtonDown(8); }, false, {intro}},
            {"button 8, joystick 3", [] { PushJoyButtonDown(8, 3); }, false, {intro}},
            {"quit", [] { PushQuit(); }, false, {intro}},
            {"Space", [] { PushKeyDown(SDLK_SPACE); }, true, {intro, menu}},
            {"Shift+Ctrl+Space", [] { PushKeyDown(SDLK_SPACE, SHIFT_CTRL); }, true, {intro, menu}},
            {"button 9", [] { PushJoyButtonDown(9); }, true, {intro, menu}},
            {"button 9, joystick 3", [] { PushJoyButtonDown(9, 3); }, true, {intro, menu}},
        });
}

TEST_F(PictureScreensTest, MenuEvents)
{
    CheckEvents({intro, menu},
                {
                    {"Escape", [] { PushKeyDown(SDLK_ESCAPE); }, true, {intro}},
                    {"Shift+Escape", [] { PushKeyDown(SDLK_ESCAPE, KMOD_LSHIFT); }, true, {intro}},
                    {"button 8", [] { PushJoyButtonDown(8); }, true, {intro}},
                    {"button 8, joystick 3", [] { PushJoyButtonDown(8, 3); }, true, {intro}},
                    {"Space", [] { PushKeyDown(SDLK_SPACE); }, true, {intro, menu, play}},
                    {"Shift+Ctrl+Space",
                     [] { PushKeyDown(SDLK_SPACE, SHIFT_CTRL); },
                     true,
                     {intro, menu, play}},
                    {"button 9", [] { PushJoyButtonDown(9); }, true, {intro, menu, play}},
                    {"quit", [] { PushQuit(); }, false, {intro, menu}},
                });
}

TEST_F(PictureScreensTest, ItemEvents)
{
    CGameState* const under = &underneath;
    CheckEvents({under, item},
                {
                    {"Escape", [] { PushKeyDown(SDLK_ESCAPE); }, true, {under}},
                    {"button 8", [] { PushJoyButtonDown(8); }, true, {under}},
                    {"button 9", [] { PushJoyButtonDown(9); }, true, {under}},
                    {"button 9, joystick 3", [] { PushJoyButtonDown(9, 3); }, true, {under}},
                    {"Space", [] { PushKeyDown(SDLK_SPACE); }, true, {under, item}},
                    {"quit", [] { PushQuit(); }, false, {under, item}},
                });
}

TEST_F(PictureScreensTest, GoingBackFreesThePictureAndShowsTheScreenBelow)
{
    StartWith({intro, menu});
    ASSERT_NE(nullptr, menu->background);
    PushKeyDown(SDLK_ESCAPE);
    RunPass(&engine);
    EXPECT_EQ(nullptr, menu->background);
    EXPECT_NE(nullptr, intro->background);
    Uint8 r, g, b;
    SDL_GetRGB(ReadPixel(engine.screen, 240, 136), engine.screen->format, &r, &g, &b);
    EXPECT_EQ((std::vector<int>{200, 0, 0}), (std::vector<int>{r, g, b})) << "intro not redrawn";

    StartWith({&underneath, item});
    PushJoyButtonDown(9);
    RunPass(&engine);
    EXPECT_EQ(nullptr, item->background);
    EXPECT_EQ(1, underneath.resumes);
}

TEST_F(PictureScreensTest, QueuedEventsAreHandledOnePerPassByTheScreenOnTop)
{
    StartWith({intro});
    PushKeyDown(SDLK_SPACE);
    PushQuit();
    RunPass(&engine);
    EXPECT_EQ((Stack{intro, menu}), engine.states);
    EXPECT_EQ(1, PendingEvents());
    EXPECT_TRUE(engine.running);
    RunPass(&engine);
    EXPECT_FALSE(engine.running);
    EXPECT_EQ((Stack{intro, menu}), engine.states);

    // Escape behind Space goes to the menu it opened, not to the intro.
    StartWith({intro});
    PushKeyDown(SDLK_SPACE);
    PushKeyDown(SDLK_ESCAPE);
    RunPass(&engine);
    EXPECT_EQ((Stack{intro, menu}), engine.states);
    RunPass(&engine);
    EXPECT_EQ((Stack{intro}), engine.states);
    EXPECT_TRUE(engine.running);

    // Reopened after going back, the menu loads its picture again.
    StartWith({intro, menu});
    PushKeyDown(SDLK_ESCAPE);
    PushKeyDown(SDLK_SPACE);
    RunPass(&engine);
    EXPECT_EQ(nullptr, menu->background);
    RunPass(&engine);
    EXPECT_EQ((Stack{intro, menu}), engine.states);
    EXPECT_NE(nullptr, menu->background);
}

struct ScreenCase
{
    const char* file;
    CGameState* state;
    SDL_Surface* const* background;
};

std::vector<ScreenCase> AllScreens()
{
    return {
        {"intro.bmp", CIntroState::Instance(), &CIntroState::Instance()->background},
        {"menu.bmp", CMenuState::Instance(), &CMenuState::Instance()->background},
        {"item.bmp", CItemState::Instance(), &CItemState::Instance()->background},
    };
}

TEST_F(PictureScreensTest, EachScreenDrawsItsOwnPictureOverTheWindow)
{
    for (const ScreenCase& screen : AllScreens())
    {
        SCOPED_TRACE(screen.file);
        StartWith({screen.state});
        FillRgb(engine.screen, 0, 0, 480, 272, {255, 255, 255});
        RunPass(&engine);
        SDL_Surface* const expected = SDL_LoadBMP(screen.file);
        ASSERT_NE(nullptr, expected);
        EXPECT_EQ("", CompareSurfaces(engine.screen, expected, std::string("own-") + screen.file));
        SDL_FreeSurface(expected);
    }
}

// A picture the loader refuses (through the test seam) is treated as a missing file.
TEST_F(PictureScreensTest, MissingOrRefusedPictureDrawsNothing)
{
    SDL_Surface* const unchanged = MakeSurface(480, 272, 32);
    FillRgb(unchanged, 0, 0, 480, 272, {10, 20, 30});
    for (const bool refused : {true, false})
    {
        for (const ScreenCase& screen : AllScreens())
        {
            SCOPED_TRACE(std::string(refused ? "refused " : "missing ") + screen.file);
            const ScopedSdlFaults faults(refused ? FAIL_LOAD_BMP : 0u);
            if (!refused)
            {
                ASSERT_EQ(0, std::remove(screen.file));
            }
            StartWith({screen.state});
            EXPECT_EQ(nullptr, *screen.background);
            FillRgb(engine.screen, 0, 0, 480, 272, {10, 20, 30});
            RunPass(&engine);
            EXPECT_EQ("", CompareSurfaces(engine.screen, unchanged,
                                          std::string("missing-") + screen.file));
            StartWith({});
        }
    }
    SDL_FreeSurface(unchanged);
}

TEST_F(PictureScreensTest, SmallerPictureLeavesTheRestOfTheScreen)
{
    ASSERT_TRUE(WriteSolidBmp("intro.bmp", 100, 50, {255, 0, 0}));
    SDL_Surface* const expected = MakeSurface(480, 272, 32);
    FillRgb(expected, 0, 0, 480, 272, {0, 0, 255});
    FillRgb(expected, 0, 0, 100, 50, {255, 0, 0});

    FillRgb(engine.screen, 0, 0, 480, 272, {0, 0, 255});
    StartWith({intro});
    RunPass(&engine);
    EXPECT_EQ("", CompareSurfaces(engine.screen, expected, "smaller-intro"));
    SDL_FreeSurface(expected);
}

} // namespace
