// The build may be pointed at either SDL 1.2 (classic, or sdl12-compat whose library has the
// same name in a folder of its own): the library the runtime linker really maps must be the
// one the build was configured with, and the headers must be that library's.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
// The files of this process's memory map whose name is SDL 1.2's, resolved through symlinks.
std::set<std::string> MappedSdlLibraries()
{
    std::set<std::string> found;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
    {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos)
        {
            continue;
        }
        const fs::path file = line.substr(slash);
        const std::string name = file.filename().string();
        if (name.rfind("libSDL-1.2.so", 0) == 0 || name.rfind("libSDL.so", 0) == 0)
        {
            std::error_code error;
            const fs::path real = fs::canonical(file, error);
            found.insert(error ? file.string() : real.string());
        }
    }
    return found;
}
} // namespace

TEST(LinkedSdl, IsTheLibraryAndVersionTheBuildWasConfiguredWith)
{
    const std::set<std::string> mapped = MappedSdlLibraries();
    const std::set<std::string> expected = {fs::canonical(NOUGHTS_CONFIGURED_SDL_LIBRARY).string()};
    EXPECT_EQ(mapped, expected) << "configured with " << NOUGHTS_CONFIGURED_SDL_LIBRARY;

    SDL_version compiled;
    SDL_VERSION(&compiled);
    const SDL_version* const linked = SDL_Linked_Version();
    ASSERT_NE(linked, nullptr);
    EXPECT_EQ(SDL_VERSIONNUM(compiled.major, compiled.minor, compiled.patch),
              SDL_VERSIONNUM(linked->major, linked->minor, linked->patch));
}
