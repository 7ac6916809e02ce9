/* The page's video driver. The display is 32 bits a pixel in the order a canvas's ImageData
   takes, red first and alpha last, so a frame is shown from the display's own memory as it is;
   its alpha is opaque wherever SDL maps a colour or blits onto it. The pointer is the
   browser's own, hidden or shown on the canvas. */
#include "SDL_config.h"

#include <emscripten.h>

#include "SDL_events_c.h"
#include "SDL_mouse.h"
#include "SDL_pixels_c.h"
#include "SDL_sysvideo.h"
#include "SDL_video.h"

#include "SDL_pagevideo.h"

#define PAGE_RMASK 0x000000FF
#define PAGE_GMASK 0x0000FF00
#define PAGE_BMASK 0x00FF0000
#define PAGE_AMASK 0xFF000000

/* A WMcursor only says that the browser draws the pointer. */
struct WMcursor
{
    int unused;
};

/* The page's canvas and its pointer (library_page.js). */
extern int page_lacks(void);
extern void page_size_canvas(int w, int h);
extern void page_queue_present(void);
extern void page_put_image(const void* pixels, int w, int h);
extern void page_show_pointer(int shown);

static int PAGE_Available(void)
{
    return 1;
}

static int PAGE_VideoInit(_THIS, SDL_PixelFormat* vformat)
{
    switch (page_lacks())
    {
    case 1:
        SDL_SetError("This page has no canvas that draws in 2D");
        return -1;
    case 2:
        SDL_SetError("This browser cannot show pixels (it has no ImageData)");
        return -1;
    }
    vformat->BitsPerPixel = 32;
    vformat->BytesPerPixel = 4;
    vformat->Rmask = PAGE_RMASK;
    vformat->Gmask = PAGE_GMASK;
    vformat->Bmask = PAGE_BMASK;
    vformat->Amask = PAGE_AMASK;
    PAGE_InitEvents(this);
    return 0;
}

static SDL_Rect** PAGE_ListModes(_THIS, SDL_PixelFormat* format, Uint32 flags)
{
    /* Any size: the canvas takes it. Other depths are SDL's to convert (a shadow surface). */
    return format->BitsPerPixel == 32 ? (SDL_Rect**)-1 : NULL;
}

static void PAGE_FreeMode(_THIS, SDL_Surface* current)
{
    SDL_free(current->pixels);
    current->pixels = NULL;
}

static SDL_Surface* PAGE_SetVideoMode(_THIS, SDL_Surface* current, int width, int height, int bpp,
                                      Uint32 flags)
{
    PAGE_FreeMode(this, current);
    current->pixels = SDL_calloc((size_t)width * height, 4);
    if (current->pixels == NULL)
    {
        PAGE_FreeMode(this, current);
        SDL_OutOfMemory();
        return NULL;
    }
    if (!SDL_ReallocFormat(current, 32, PAGE_RMASK, PAGE_GMASK, PAGE_BMASK, PAGE_AMASK))
    {
        PAGE_FreeMode(this, current);
        return NULL;
    }
    current->flags = SDL_SWSURFACE;
    current->w = width;
    current->h = height;
    current->pitch = (Uint16)(width * 4);
    page_size_canvas(width, height);
    return current;
}

EMSCRIPTEN_KEEPALIVE void PAGE_Present(void)
{
    SDL_VideoDevice* this = current_video;

    if (this == NULL || this->hidden == NULL || !this->hidden->present_queued ||
        this->screen == NULL || this->screen->pixels == NULL)
    {
        return;
    }
    this->hidden->present_queued = 0;
    page_put_image(this->screen->pixels, this->screen->w, this->screen->h);
}

static void PAGE_UpdateRects(_THIS, int numrects, SDL_Rect* rects)
{
    if (numrects > 0 && !this->hidden->present_queued)
    {
        this->hidden->present_queued = 1;
        page_queue_present();
    }
}

static int PAGE_SetColors(_THIS, int firstcolor, int ncolors, SDL_Color* colors)
{
    return 1;
}

static int PAGE_AllocHWSurface(_THIS, SDL_Surface* surface)
{
    return -1;
}

static void PAGE_FreeHWSurface(_THIS, SDL_Surface* surface) {}

static int PAGE_LockHWSurface(_THIS, SDL_Surface* surface)
{
    return 0;
}

static void PAGE_UnlockHWSurface(_THIS, SDL_Surface* surface) {}

static WMcursor* PAGE_CreateWMCursor(_THIS, Uint8* data, Uint8* mask, int w, int h, int hot_x,
                                     int hot_y)
{
    return (WMcursor*)SDL_calloc(1, sizeof(WMcursor));
}

static void PAGE_FreeWMCursor(_THIS, WMcursor* cursor)
{
    SDL_free(cursor);
}

static int PAGE_ShowWMCursor(_THIS, WMcursor* cursor)
{
    page_show_pointer(cursor != NULL);
    return 1;
}

static void PAGE_VideoQuit(_THIS)
{
    PAGE_QuitEvents(this);
    if (this->screen != NULL)
    {
        PAGE_FreeMode(this, this->screen);
    }
}

static void PAGE_DeleteDevice(SDL_VideoDevice* device)
{
    SDL_free(device->hidden);
    SDL_free(device);
}

static SDL_VideoDevice* PAGE_CreateDevice(int devindex)
{
    SDL_VideoDevice* device = (SDL_VideoDevice*)SDL_calloc(1, sizeof(SDL_VideoDevice));
    if (device != NULL)
    {
        device->hidden =
            (struct SDL_PrivateVideoData*)SDL_calloc(1, sizeof(struct SDL_PrivateVideoData));
    }
    if (device == NULL || device->hidden == NULL)
    {
        SDL_OutOfMemory();
        SDL_free(device);
        return NULL;
    }
    device->VideoInit = PAGE_VideoInit;
    device->ListModes = PAGE_ListModes;
    device->SetVideoMode = PAGE_SetVideoMode;
    device->SetColors = PAGE_SetColors;
    device->UpdateRects = PAGE_UpdateRects;
    device->VideoQuit = PAGE_VideoQuit;
    device->AllocHWSurface = PAGE_AllocHWSurface;
    device->LockHWSurface = PAGE_LockHWSurface;
    device->UnlockHWSurface = PAGE_UnlockHWSurface;
    device->FreeHWSurface = PAGE_FreeHWSurface;
    device->CreateWMCursor = PAGE_CreateWMCursor;
    device->FreeWMCursor = PAGE_FreeWMCursor;
    device->ShowWMCursor = PAGE_ShowWMCursor;
    device->InitOSKeymap = PAGE_InitOSKeymap;
    device->PumpEvents = PAGE_PumpEvents;
    device->free = PAGE_DeleteDevice;
    return device;
}

VideoBootStrap PAGE_bootstrap = {"page", "Browser page canvas", PAGE_Available, PAGE_CreateDevice};
