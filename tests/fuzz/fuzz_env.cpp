#include "tests/fuzz/fuzz_env.h"

#include "frame/game_state.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

static std::string workDir;
static std::string startDir;

static void RemoveWorkDir()
{
    std::error_code ignored;
    fs::remove_all(workDir, ignored);
}

// The largest picture the game accepts needs 64 MB. A single allocation of more than 256 MB
// means a picture's header was believed before it was checked, so ASan reports it as an error
// and libFuzzer keeps the input.
extern "C" const char* __asan_default_options()
{
    return "max_allocation_size_mb=256";
}

void FuzzFailure(const char* what)
{
    fprintf(stderr, "fuzz: %s\n", what);
    abort();
}

void StartFuzzEngine(CStateEngine* engine)
{
    // The click lines are of no use here and would bury libFuzzer's own reports.
    if (freopen("/dev/null", "w", stdout) == nullptr)
    {
        FuzzFailure("cannot silence standard output");
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string pattern = (fs::temp_directory_path() / "noughts-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
    {
        FuzzFailure("cannot make a working directory");
    }
    workDir = pattern;
    startDir = fs::current_path().string();
    atexit(RemoveWorkDir);
    engine->Init();
}

static void ChangeDir(const std::string& path)
{
    if (chdir(path.c_str()) != 0)
    {
        FuzzFailure("cannot change the working directory");
    }
}

InFuzzDir::InFuzzDir()
{
    ChangeDir(workDir);
}

InFuzzDir::~InFuzzDir()
{
    ChangeDir(startDir);
}

void ResetFuzzEngine(CStateEngine* engine)
{
    while (!engine->states.empty())
    {
        engine->PopState();
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
    {
    }
    engine->running = true;
}
