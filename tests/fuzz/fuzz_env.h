#ifndef NOUGHTS_TESTS_FUZZ_FUZZ_ENV_H
#define NOUGHTS_TESTS_FUZZ_FUZZ_ENV_H

// Shared by the fuzz targets: the game's own engine under SDL's dummy video driver, started once
// per process, and a private directory, removed at exit, that is the working directory only
// while an input runs: libFuzzer itself reads and writes its files relative to the directory
// it was started in. A crash inside an input is saved there too, so give -artifact_prefix as an
// absolute path.

#include "frame/state_engine.h"

// The names the screens load their pictures by.
inline const char* const PICTURE_NAMES[] = {"intro.bmp", "menu.bmp", "item.bmp", "NULL.bmp",
                                            "win1.bmp",  "win2.bmp", "DRAW.bmp"};

// Selects the dummy drivers, makes the private directory, and starts the engine with an empty
// stack. Exits the process with a message when any step fails.
void StartFuzzEngine(CStateEngine* engine);

// Makes the private directory the working directory for its lifetime.
class InFuzzDir
{
  public:
    InFuzzDir();
    ~InFuzzDir();
    InFuzzDir(const InFuzzDir&) = delete;
    InFuzzDir& operator=(const InFuzzDir&) = delete;
};

// Pops every state, so the next input starts from an empty stack, an empty board and no queued
// events.
void ResetFuzzEngine(CStateEngine* engine);

// Ends the process with a message naming what broke, so libFuzzer keeps the input that did it.
[[noreturn]] void FuzzFailure(const char* what);

#endif
