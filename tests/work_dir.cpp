#include "tests/work_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

ScopedWorkDir::ScopedWorkDir()
{
    previous = fs::current_path().string();
    std::string pattern = (fs::temp_directory_path() / "noughts-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
    {
        path = pattern;
        fs::current_path(path);
    }
}

ScopedWorkDir::~ScopedWorkDir()
{
    std::error_code ignored;
    fs::current_path(previous, ignored);
    if (!path.empty())
    {
        fs::remove_all(path, ignored);
    }
}
