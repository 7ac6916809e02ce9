/* The page's video driver: the display is a surface in the module's memory, shown on the page's
   canvas (Module.canvas) with one putImageData in each task that changed it. */
#ifndef _SDL_pagevideo_h
#define _SDL_pagevideo_h

#include "SDL_sysvideo.h"

#undef _THIS
#define _THIS SDL_VideoDevice* this

struct SDL_PrivateVideoData
{
    /* Whether the display is to be shown once the current task's code has run. */
    int present_queued;
};

/* Registers and removes the page's listeners (SDL_pageevents.c). */
extern void PAGE_InitEvents(_THIS);
extern void PAGE_QuitEvents(_THIS);
extern void PAGE_InitOSKeymap(_THIS);
extern void PAGE_PumpEvents(_THIS);

#endif /* _SDL_pagevideo_h */
