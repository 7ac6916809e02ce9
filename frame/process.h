#ifndef NOUGHTS_FRAME_PROCESS_H
#define NOUGHTS_FRAME_PROCESS_H

// The process the game runs in, made safe whatever state its parent left it in. The game's
// own code differs between platforms mostly here (in a page all of it does nothing); the
// README names the other places.

// Call first thing: each of descriptors 0, 1 and 2 that is closed is opened on the null
// device, so nothing opened later (the display connection above all) can take its number and
// receive the game's output; and a write to a pipe nobody reads any more fails instead of
// ending the process. Returns false when a closed descriptor could not be opened.
bool SecureStandardStreams();

// Records how the signals whose default action ends the process with a core dump (SIGQUIT,
// SIGSEGV and the like) are handled now; RestoreFatalSignals puts exactly that back. Around
// SDL_Init: SDL 1.2 catches them and shuts itself down inside the handler, which can deadlock
// in the display library and leave a frozen window instead of an ended process.
void SaveFatalSignals();
void RestoreFatalSignals();

// Call once the display is open: when its connection is lost, the game writes one line saying
// so to standard error and exits with status 3. Exit handlers still run.
void EndGameWhenDisplayIsLost();

// Call once the window is open: writes the game's process id into the window's _NET_WM_PID,
// through which window managers and task lists find the process behind a window. Classic SDL
// 1.2 writes it from a 4-byte pid where Xlib reads a long, so on a 64-bit big-endian machine
// (s390x) the window would name another number.
void NameProcessOnWindow();

// True once the display connection is known to be lost: SDL's video shutdown would then wait on
// it for ever, so at exit only SDL's other subsystems are shut down.
bool IsDisplayLost();

#endif
