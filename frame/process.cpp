#include "frame/process.h"

#include <csignal>
#include <cstddef>
#include <iterator>

#if defined(__EMSCRIPTEN__)

// A page has no descriptors a parent could have closed and no signals: nothing to secure.
bool SecureStandardStreams()
{
    return true;
}

void SaveFatalSignals() {}

void RestoreFatalSignals() {}

#elif !defined(_WIN32)

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

static const int FATAL_SIGNALS[] = {SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                                    SIGFPE,  SIGSEGV, SIGSYS,  SIGXCPU, SIGXFSZ};
// sigaction rather than signal(), so a handler installed before the game started (a
// sanitizer's, say) comes back with its flags.
static struct sigaction savedActions[std::size(FATAL_SIGNALS)];

bool SecureStandardStreams()
{
    signal(SIGPIPE, SIG_IGN);
    for (int fd = 0; fd <= 2; ++fd)
    {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
        {
            // Every lower number is open by now, so the lowest free one is fd itself.
            const int opened = open("/dev/null", O_RDWR);
            if (opened != fd)
            {
                return false;
            }
        }
    }
    return true;
}

void SaveFatalSignals()
{
    for (size_t i = 0; i < std::size(FATAL_SIGNALS); ++i)
    {
        sigaction(FATAL_SIGNALS[i], nullptr, &savedActions[i]);
    }
}

void RestoreFatalSignals()
{
    for (size_t i = 0; i < std::size(FATAL_SIGNALS); ++i)
    {
        sigaction(FATAL_SIGNALS[i], &savedActions[i], nullptr);
    }
}

#else

// A Windows program's window-system connection is no C descriptor that could take number 1,
// and a write to a closed pipe fails there without any signal: nothing to secure.
bool SecureStandardStreams()
{
    return true;
}

// The C library's signals are all Windows has; SIGQUIT, SIGBUS and SIGPIPE do not exist.
static const int FATAL_SIGNALS[] = {SIGILL, SIGABRT, SIGFPE, SIGSEGV};
static void (*savedHandlers[std::size(FATAL_SIGNALS)])(int);

void SaveFatalSignals()
{
    for (size_t i = 0; i < std::size(FATAL_SIGNALS); ++i)
    {
        // Reading a handler means replacing it: the old one goes straight back.
        savedHandlers[i] = signal(FATAL_SIGNALS[i], SIG_DFL);
        signal(FATAL_SIGNALS[i], savedHandlers[i]);
    }
}

void RestoreFatalSignals()
{
    for (size_t i = 0; i < std::size(FATAL_SIGNALS); ++i)
    {
        if (savedHandlers[i] != SIG_ERR)
        {
            signal(FATAL_SIGNALS[i], savedHandlers[i]);
        }
    }
}

#endif
