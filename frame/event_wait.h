#ifndef NOUGHTS_FRAME_EVENT_WAIT_H
#define NOUGHTS_FRAME_EVENT_WAIT_H

// Sleeps until an SDL event waits, taking none: the next pass takes it. A joystick that is open
// is read as often as SDL's own wait reads it, every 10 ms; everything else wakes the wait as it
// arrives, or within those 10 ms.
void WaitForEvent(bool joystickOpen);

#endif
