#include "frame/process.h"

#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#ifdef NOUGHTS_X11
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>
#endif

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

// On X both SDL 1.2 implementations talk to the display through Xlib, whose handler for a lost
// connection ends the process; elsewhere the window system does not go away under the game.
#ifdef NOUGHTS_X11

static const int DISPLAY_LOST_STATUS = 3;
static bool displayLost = false;

// Xlib's own handler prints several lines and exits with status 1, which the game gives when SDL
// cannot start. Xlib never returns from its handler either, so this one exits itself.
static int EndOnLostDisplay(Display*)
{
    displayLost = true;
    fprintf(stderr, "Lost the connection to the display\n");
    exit(DISPLAY_LOST_STATUS);
}

void EndGameWhenDisplayIsLost()
{
    XSetIOErrorHandler(EndOnLostDisplay);
}

bool IsDisplayLost()
{
    return displayLost;
}

void NameProcessOnWindow()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11)
    {
        return;
    }
    const auto& x11 = info.info.x11;
    // sdl12-compat names only the one window it has.
    const Window window = x11.wmwindow != 0 ? x11.wmwindow : x11.window;
    if (window == 0)
    {
        return;
    }
    if (x11.lock_func != nullptr)
    {
        x11.lock_func();
    }
    // Xlib takes the items of a 32-bit property as longs, whatever a long's size.
    const long pid = getpid();
    XChangeProperty(x11.display, window, XInternAtom(x11.display, "_NET_WM_PID", False),
                    XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid),
                    1);
    XFlush(x11.display);
    if (x11.unlock_func != nullptr)
    {
        x11.unlock_func();
    }
}

#else

void EndGameWhenDisplayIsLost() {}

void NameProcessOnWindow() {}

bool IsDisplayLost()
{
    return false;
}

#endif
