// Arbitrary input through the real engine and screens with the shipped pictures: each 6 bytes
// become one event (its kind, a key or button, and a position anywhere in 16 bits), pushed onto
// SDL's queue and handled by one main-loop pass, as the game's own loop would.

#include "draw/pixel.h"
#include "game/board.h"
#include "game/play_state.h"
#include "screens/intro_state.h"
#include "tests/fuzz/fuzz_env.h"
#include "tests/game_invariants.h"

#include <cstdint>
#include <string>

static CStateEngine engine;
static const size_t RECORD_SIZE = 6;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzEngine(&engine);
    return 0;
}

static std::string ShippedPicture(const char* name)
{
    return std::string(NOUGHTS_ASSETS_DIR "/") + name;
}

static SDL_Event Decode(const uint8_t* record)
{
    static const Uint8 TYPES[] = {
        SDL_KEYDOWN,       SDL_KEYUP,       SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP,
        SDL_JOYBUTTONDOWN, SDL_JOYBUTTONUP, SDL_QUIT,        SDL_ACTIVEEVENT,     SDL_VIDEOEXPOSE};
    const Uint8 code = record[1];
    const Uint16 x = static_cast<Uint16>(ReadLittleEndian(record + 2, 2));
    const Uint16 y = static_cast<Uint16>(ReadLittleEndian(record + 4, 2));
    SDL_Event event = {};
    event.type = TYPES[record[0] % (sizeof TYPES / sizeof TYPES[0])];
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        event.key.state = event.type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = static_cast<SDLKey>(code);
        event.key.keysym.mod = static_cast<SDLMod>(x);
        break;
    case SDL_MOUSEMOTION:
        event.motion.x = x;
        event.motion.y = y;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        event.button.state = event.type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.button = code;
        event.button.x = x;
        event.button.y = y;
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        event.jbutton.state = event.type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.jbutton.which = static_cast<Uint8>(x);
        event.jbutton.button = code;
        break;
    default:
        break;
    }
    return event;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const InFuzzDir inDir(ShippedPicture);
    ResetFuzzEngine(&engine);
    engine.PushState(CIntroState::Instance());
    for (size_t at = 0; at + RECORD_SIZE <= size && engine.running; at += RECORD_SIZE)
    {
        SDL_Event event = Decode(data + at);
        SDL_PushEvent(&event);
        RunPass(&engine);
        const std::string broken = BrokenInvariant(engine);
        if (!broken.empty())
        {
            FuzzFailure(broken.c_str());
        }
    }
    ResetFuzzEngine(&engine);
    return 0;
}
