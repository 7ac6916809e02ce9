#ifndef NOUGHTS_TESTS_FUZZ_FUZZ_ENV_H
#define NOUGHTS_TESTS_FUZZ_FUZZ_ENV_H

// Shared by the fuzz targets: the game's own engine under SDL's dummy video driver, started once
// per process, and a fresh working directory for each input, holding the picture names the
// screens load. The working directory is back where it was between inputs: libFuzzer itself
// reads and writes its files relative to the directory it was started in. A crash inside an
// input is saved in the input's directory too, so give -artifact_prefix as an absolute path.

#include "frame/state_engine.h"
#include "tests/work_dir.h"

#include <string>

// The names the screens load their pictures by.
inline const char* const PICTURE_NAMES[] = {"intro.bmp", "menu.bmp", "item.bmp", "NULL.bmp",
                                            "win1.bmp",  "win2.bmp", "DRAW.bmp"};

// Selects the dummy drivers and starts the engine with an empty stack. Exits the process with a
// message when any step fails.
void StartFuzzEngine(CStateEngine* engine);

// A fresh working directory in which every name of PICTURE_NAMES is a link to picture(name).
class InFuzzDir
{
  public:
    explicit InFuzzDir(std::string (*picture)(const char* name));

  private:
    ScopedWorkDir dir;
};

// Pops every state, so the next input starts from an empty stack, an empty board and no queued
// events.
void ResetFuzzEngine(CStateEngine* engine);

// Ends the process with a message naming what broke, so libFuzzer keeps the input that did it.
[[noreturn]] void FuzzFailure(const char* what);

#endif
