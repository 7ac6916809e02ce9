#ifndef NOUGHTS_WEB_LOOP_H
#define NOUGHTS_WEB_LOOP_H

#include "frame/state_engine.h"

// The main loop in a browser page, which must hand control back to the browser every frame.
// The browser calls back once per animation frame; each call runs passes (RunPass: one event,
// Update, Draw) until no event waits, at least one. When a state clears running, the engine is
// cleaned up and the page is told the game has ended.
// Returns at once; engine must outlive the page (the entry function's frame is never unwound).
// A frame with no input waiting is the last until input arrives: nothing else changes a screen.
void RunInBrowser(CStateEngine* engine);

// The engine RunInBrowser runs, or null before it.
const CStateEngine* BrowserEngine();

#endif
