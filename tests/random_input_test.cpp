#include "game/board.h"
#include "game/play_state.h"
#include "screens/intro_state.h"
#include "screens/item_state.h"
#include "tests/game_invariants.h"
#include "tests/sdl_test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace
{
// Anything a player, a mouse or a joystick can send, at any position the event can carry.
void PushRandomEvent(std::mt19937& random)
{
    const SDLKey keys[] = {SDLK_SPACE, SDLK_ESCAPE, SDLK_i, SDLK_a, SDLK_RETURN};
    // Weighted so that games often run to their end between two ways out of the field.
    std::discrete_distribution<int> kind({2, 1, 2, 8, 1, 1});
    std::uniform_int_distribution<int> coordinate(0, 65535);
    std::uniform_int_distribution<int> window(0, 479);
    std::uniform_int_distribution<int> small(0, 10);
    const Uint16 x = static_cast<Uint16>(small(random) < 2 ? coordinate(random) : window(random));
    const Uint16 y =
        static_cast<Uint16>(small(random) < 2 ? coordinate(random) : window(random) % 272);
    switch (kind(random))
    {
    case 0:
        PushKeyDown(keys[small(random) % 5]);
        break;
    case 1:
        PushKeyUp(keys[small(random) % 5]);
        break;
    case 2:
        PushMouseMotion(x, y);
        break;
    case 3:
        PushMouseButtonDown(static_cast<Uint8>(small(random) < 6 ? 1 : small(random) % 5 + 1), x,
                            y);
        break;
    case 4:
        PushMouseButtonUp(static_cast<Uint8>(1 + small(random) % 5), x, y);
        break;
    default:
        PushJoyButtonDown(static_cast<Uint8>(small(random)));
        break;
    }
}

} // namespace

class RandomInputTest : public EngineFixture
{
  protected:
    ScopedWorkDir workDir;
};

// Long runs of arbitrary input through the real screens with the shipped pictures: nothing
// may crash (the sanitizer build runs this too) and the game must stay in a sound state.
TEST_F(RandomInputTest, NeverBreaksTheGame)
{
    for (const char* name : PICTURE_NAMES)
    {
        ASSERT_TRUE(CopyShippedPicture(name)) << name;
    }
    engine.PushState(CIntroState::Instance());
    std::mt19937 random(20261207);
    testing::internal::CaptureStdout();
    int passes = 0;
    int playing = 0;
    int helping = 0;
    int decided = 0;
    std::string broken;
    for (; passes < 20000 && broken.empty(); ++passes)
    {
        PushRandomEvent(random);
        RunPass(&engine);
        // Escape on the intro ends the game; carry on as if it had been started again.
        engine.running = true;
        broken = BrokenInvariant(engine);
        playing += engine.states.back() == CPlayState::Instance() ? 1 : 0;
        helping += engine.states.back() == CItemState::Instance() ? 1 : 0;
        decided += CheckOutcome() != OUTCOME_OPEN ? 1 : 0;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ("", broken) << "after pass " << passes;
    EXPECT_EQ(20000, passes);
    // The run must really have played: on the field, under the help card, and to an end.
    EXPECT_GT(playing, 2000);
    EXPECT_GT(helping, 200);
    EXPECT_GT(decided, 200);
}
