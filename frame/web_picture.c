/* SDL 1.2's side of frame/web_picture.h, compiled with SDL 1.2's own headers and sources under
   the names of frame/web_bmp_names.h. */
#include "frame/web_picture.h"

#include "SDL_rwops.h"
#include "SDL_video.h"
/* SDL 1.2's own, from its source: SDL_AllocFormat and SDL_FreeFormat. */
#include "SDL_pixels_c.h"

/* SDL 1.2's surface code asks its video driver about hardware surfaces; there is none, so
   every surface stays in memory as a software one. */
struct SDL_VideoDevice* current_video = NULL;

const SDL_VideoInfo* SDL_GetVideoInfo(void)
{
    return NULL;
}

void* WebPictureOpen(const char* name)
{
    return SDL_RWFromFile(name, "rb");
}

void* WebPictureLoad(void* stream)
{
    return SDL_LoadBMP_RW((SDL_RWops*)stream, 1);
}

void WebPictureLayoutOf(const void* picture, struct WebPictureLayout* layout)
{
    const SDL_Surface* const surface = (const SDL_Surface*)picture;
    const SDL_PixelFormat* const format = surface->format;
    layout->w = surface->w;
    layout->h = surface->h;
    layout->pitch = surface->pitch;
    layout->bitsPerPixel = format->BitsPerPixel;
    layout->bytesPerPixel = format->BytesPerPixel;
    layout->masks[0] = format->Rmask;
    layout->masks[1] = format->Gmask;
    layout->masks[2] = format->Bmask;
    layout->masks[3] = format->Amask;
    layout->shifts[0] = format->Rshift;
    layout->shifts[1] = format->Gshift;
    layout->shifts[2] = format->Bshift;
    layout->shifts[3] = format->Ashift;
    layout->losses[0] = format->Rloss;
    layout->losses[1] = format->Gloss;
    layout->losses[2] = format->Bloss;
    layout->losses[3] = format->Aloss;
    layout->pixels = surface->pixels;
    layout->colours = format->palette != NULL ? format->palette->ncolors : 0;
    layout->palette = format->palette != NULL ? format->palette->colors : NULL;
}

uint32_t WebPictureMapRGB(const void* picture, uint8_t red, uint8_t green, uint8_t blue)
{
    return SDL_MapRGB(((const SDL_Surface*)picture)->format, red, green, blue);
}

int WebPictureBlit(void* picture, int fromX, int fromY, int fromW, int fromH,
                   const struct WebBlitTarget* target, int x, int y)
{
    SDL_Rect from = {(Sint16)fromX, (Sint16)fromY, (Uint16)fromW, (Uint16)fromH};
    SDL_Rect to = {(Sint16)x, (Sint16)y, 0, 0};
    SDL_Rect clip = {(Sint16)target->clipX, (Sint16)target->clipY, (Uint16)target->clipW,
                     (Uint16)target->clipH};
    /* A view of the target's memory, made for this blit: SDL 1.2 maps each blit anew when its
       target changes anyway. */
    SDL_Surface* const view = SDL_CreateRGBSurfaceFrom(
        target->pixels, target->w, target->h, target->bitsPerPixel, target->pitch, target->masks[0],
        target->masks[1], target->masks[2], target->masks[3]);
    int result = -1;
    if (view != NULL)
    {
        SDL_SetClipRect(view, &clip);
        result = SDL_BlitSurface((SDL_Surface*)picture, fromW < 0 ? NULL : &from, view, &to);
        SDL_FreeSurface(view);
    }
    return result;
}

void* WebPictureConvert(void* picture, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha)
{
    SDL_Surface* const from = (SDL_Surface*)picture;
    SDL_PixelFormat* const format =
        SDL_AllocFormat(from->format->BitsPerPixel, red, green, blue, alpha);
    SDL_Surface* const converted =
        format != NULL ? SDL_ConvertSurface(from, format, SDL_SWSURFACE) : NULL;
    if (format != NULL)
    {
        SDL_FreeFormat(format);
    }
    /* A surface made with an alpha mask blends on every blit; every pixel is opaque here. */
    if (converted != NULL)
    {
        SDL_SetAlpha(converted, 0, SDL_ALPHA_OPAQUE);
    }
    return converted;
}

void WebPictureFree(void* picture)
{
    SDL_FreeSurface((SDL_Surface*)picture);
}
