#ifndef NOUGHTS_TESTS_WORK_DIR_H
#define NOUGHTS_TESTS_WORK_DIR_H

// Shared by the component tests and the fuzz targets, which link no test framework.

#include <string>

// Creates a fresh temporary directory, makes it the working directory, and on destruction
// goes back and removes it with everything in it. Path() is empty when it could not be made,
// and the working directory is then left as it was.
class ScopedWorkDir
{
  public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;
    const std::string& Path() const
    {
        return path;
    }

  private:
    std::string path;
    std::string previous;
};

#endif
