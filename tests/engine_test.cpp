#include "frame/game_state.h"
#include "frame/state_engine.h"
#include "tests/sdl_faults.h"
#include "tests/sdl_test_env.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Log = std::vector<std::string>;

// Appends "name:Op" to a shared log for every call. Every call the engine makes should reach
// a state while it is the top of the stack, so a call that does not is logged with
// "(not top)" and shows up in any log comparison.
class CRecorder : public CGameState
{
  public:
    CRecorder(const char* stateName, CStateEngine* owner, Log* sharedLog)
        : name(stateName), engine(owner), log(sharedLog)
    {
    }

    void Init() override
    {
        Record("Init");
    }
    void Cleanup() override
    {
        Record("Cleanup");
    }
    void Pause() override
    {
        Record("Pause");
    }
    void Resume() override
    {
        Record("Resume");
    }
    void HandleEvents(CStateEngine* caller) override
    {
        Record("HandleEvents");
        if (onEvents)
        {
            onEvents(caller);
        }
    }
    void Update(CStateEngine*) override
    {
        Record("Update");
    }
    void Draw(CStateEngine*) override
    {
        Record("Draw");
    }

    // What HandleEvents does to the engine after logging; nothing when empty.
    std::function<void(CStateEngine*)> onEvents;

  private:
    void Record(const char* op)
    {
        const bool top = !engine->states.empty() && engine->states.back() == this;
        log->push_back(std::string(name) + ":" + op + (top ? "" : "(not top)"));
    }

    const char* name;
    CStateEngine* engine;
    Log* log;
};

class EngineTest : public EngineFixture
{
  protected:
    // Returns what was logged so far and starts a fresh log.
    Log Take()
    {
        Log taken;
        taken.swap(log);
        return taken;
    }

    Log log;
    CRecorder a{"a", &engine, &log};
    CRecorder b{"b", &engine, &log};
    CRecorder c{"c", &engine, &log};
};

TEST_F(EngineTest, InitOpensTheTitledWindowAndStartsRunning)
{
    ASSERT_NE(nullptr, engine.screen);
    EXPECT_EQ(engine.screen, SDL_GetVideoSurface());
    EXPECT_EQ(480, engine.screen->w);
    EXPECT_EQ(272, engine.screen->h);
    EXPECT_EQ(4, engine.screen->format->BytesPerPixel);
    EXPECT_TRUE(engine.running);
    EXPECT_TRUE(engine.states.empty());
    EXPECT_EQ(0u, SDL_WasInit(SDL_INIT_TIMER)) << "a timer thread, idle or not";
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ("Noughts & Crosses", title);
    EXPECT_STREQ("Noughts", icon);
    // The dummy driver does not hide real joysticks, so a machine with one opens it.
    if (SDL_NumJoysticks() == 0)
    {
        EXPECT_EQ(nullptr, engine.joystick);
    }
    else
    {
        EXPECT_EQ(engine.joystick != nullptr, SDL_JoystickOpened(0) != 0);
    }
}

TEST_F(EngineTest, PushPausesTheOldTopThenInitsTheNewTopEveryTime)
{
    engine.PushState(&a);
    EXPECT_EQ((Log{"a:Init"}), Take());
    engine.PushState(&b);
    EXPECT_EQ((Log{"a:Pause", "b:Init"}), Take());
    EXPECT_EQ((std::vector<CGameState*>{&a, &b}), engine.states);

    // A state popped earlier is initialised afresh when pushed again.
    engine.PopState();
    Take();
    engine.PushState(&b);
    EXPECT_EQ((Log{"a:Pause", "b:Init"}), Take());
    EXPECT_EQ((std::vector<CGameState*>{&a, &b}), engine.states);
}

TEST_F(EngineTest, PopCleansUpTheTopThenResumesTheUncoveredState)
{
    engine.PushState(&a);
    engine.PushState(&b);
    Take();

    engine.PopState();
    EXPECT_EQ((Log{"b:Cleanup", "a:Resume"}), Take());
    EXPECT_EQ((std::vector<CGameState*>{&a}), engine.states);

    // The last state goes without anything being resumed; an empty stack is left alone.
    engine.PopState();
    EXPECT_EQ((Log{"a:Cleanup"}), Take());
    EXPECT_TRUE(engine.states.empty());
    engine.PopState();
    EXPECT_EQ(Log{}, Take());
}

TEST_F(EngineTest, CleanupTearsDownTopDownOnceEachAndShutsSdlDown)
{
    engine.PushState(&a);
    engine.PushState(&b);
    engine.PushState(&c);
    Take();

    engine.Cleanup();
    EXPECT_EQ((Log{"c:Cleanup", "b:Cleanup", "a:Cleanup"}), Take());
    EXPECT_TRUE(engine.states.empty());
    EXPECT_EQ(nullptr, engine.screen);
    EXPECT_EQ(0u, SDL_WasInit(SDL_INIT_EVERYTHING));
}

TEST_F(EngineTest, PassCallsTheTopOnlyInOrder)
{
    engine.PushState(&a);
    engine.PushState(&b);
    engine.PushState(&c);
    Take();

    // a and b are paused under c: two passes reach c alone.
    RunPass(&engine);
    RunPass(&engine);
    EXPECT_EQ((Log{"c:HandleEvents", "c:Update", "c:Draw", "c:HandleEvents", "c:Update", "c:Draw"}),
              Take());
}

TEST_F(EngineTest, StatePushedDuringEventsIsUpdatedAndDrawnInTheSamePass)
{
    engine.PushState(&a);
    a.onEvents = [this](CStateEngine* caller) { caller->PushState(&b); };
    Take();

    RunPass(&engine);
    EXPECT_EQ((Log{"a:HandleEvents", "a:Pause", "b:Init", "b:Update", "b:Draw"}), Take());
    RunPass(&engine);
    EXPECT_EQ((Log{"b:HandleEvents", "b:Update", "b:Draw"}), Take());
}

TEST_F(EngineTest, StateUncoveredDuringEventsIsResumedUpdatedAndDrawnInTheSamePass)
{
    engine.PushState(&a);
    engine.PushState(&b);
    b.onEvents = [](CStateEngine* caller) { caller->PopState(); };
    Take();

    RunPass(&engine);
    EXPECT_EQ((Log{"b:HandleEvents", "b:Cleanup", "a:Resume", "a:Update", "a:Draw"}), Take());
    EXPECT_EQ((std::vector<CGameState*>{&a}), engine.states);
}

TEST_F(EngineTest, StoppingFinishesThePass)
{
    engine.PushState(&a);
    a.onEvents = [](CStateEngine* caller) { caller->running = false; };
    Take();

    RunPass(&engine);
    EXPECT_FALSE(engine.running);
    EXPECT_EQ((Log{"a:HandleEvents", "a:Update", "a:Draw"}), Take());
}

// A flood of events, one a pass, none dropped; then the loop sleeps (an empty pass would be
// logged and end it) until a signal, sent to the process later from another thread, comes as
// SDL_QUIT for a pass to take.
TEST_F(EngineTest, LoopTakesEachEventInItsOwnPassAndSleepsUntilTheNext)
{
    const int flood = 100;
    std::vector<int> taken;
    engine.PushState(&a);
    a.onEvents = [&taken](CStateEngine* caller)
    {
        SDL_Event event;
        if (SDL_PollEvent(&event) == 0)
        {
            taken.push_back(-1);
            caller->running = false;
        }
        else if (event.type == SDL_USEREVENT)
        {
            taken.push_back(event.user.code);
        }
        else if (event.type == SDL_QUIT)
        {
            caller->running = false;
        }
    };
    for (int i = 0; i < flood; ++i)
    {
        SDL_Event event{};
        event.type = SDL_USEREVENT;
        event.user.code = i;
        ASSERT_EQ(0, SDL_PushEvent(&event));
    }
    std::thread later(
        []
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            kill(getpid(), SIGTERM);
        });

    RunLoop(&engine);
    later.join();
    std::vector<int> expected(flood);
    for (int i = 0; i < flood; ++i)
    {
        expected[i] = i;
    }
    EXPECT_EQ(expected, taken);
}

// Failing start-up calls, through the test seam: a video mode SDL refuses ends the process
// with status 2 and one line carrying SDL's reason; a joystick that will not open is only
// reported.
TEST(EngineStartUp, ReportsVideoModeAndJoystickFailures)
{
    UseDummyVideo();
    CStateEngine engine;
    {
        ScopedSdlFaults faults(FAIL_VIDEO_MODE);
        EXPECT_EXIT(engine.Init(), testing::ExitedWithCode(2),
                    testing::Eq(std::string("Couldn't set 480x272x32 video mode: ") +
                                INJECTED_ERROR + "\n"));
    }

    ScopedSdlFaults faults(FAIL_JOYSTICK_OPEN);
    testing::internal::CaptureStderr();
    engine.Init();
    EXPECT_EQ(std::string("Couldn't open joystick 0: ") + INJECTED_ERROR + "\n",
              testing::internal::GetCapturedStderr());
    EXPECT_TRUE(engine.running);
    EXPECT_NE(nullptr, engine.screen);
    EXPECT_EQ(nullptr, engine.joystick);
    engine.Cleanup();
}

// SDL 1.2 may catch the fatal signals to shut itself down inside the handler, where it can
// hang; start-up leaves them as they were. Interrupt and terminate stay SDL's quit request.
TEST(EngineStartUp, LeavesFatalSignalsAsTheyWere)
{
    UseDummyVideo();
    const int fatal[] = {SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
    signal(SIGQUIT, SIG_DFL);
    signal(SIGFPE, SIG_IGN);
    struct sigaction before[std::size(fatal)];
    for (size_t i = 0; i < std::size(fatal); ++i)
    {
        sigaction(fatal[i], nullptr, &before[i]);
    }
    CStateEngine engine;
    engine.Init();
    for (size_t i = 0; i < std::size(fatal); ++i)
    {
        struct sigaction after;
        sigaction(fatal[i], nullptr, &after);
        EXPECT_EQ(before[i].sa_handler, after.sa_handler) << strsignal(fatal[i]);
    }
    struct sigaction interrupt;
    sigaction(SIGINT, nullptr, &interrupt);
    EXPECT_NE(SIG_DFL, interrupt.sa_handler);
    engine.Cleanup();
}

} // namespace
