#include "frame/web_bmp.h"

#include "frame/web_picture.h"

#include <new>

// The surface the game sees of one of SDL 1.2's pictures: its own layout of the same pixels and
// palette colours.
struct PagePicture
{
    SDL_Surface surface;
    SDL_PixelFormat format;
    SDL_Palette palette;
    void* picture;
    PagePicture* next;
};

// The game holds a handful of pictures at a time.
static PagePicture* pictures = nullptr;

static PagePicture* PictureOf(const SDL_Surface* surface)
{
    PagePicture* at = pictures;
    while (at != nullptr && &at->surface != surface)
    {
        at = at->next;
    }
    return at;
}

static PagePicture* PictureOfFormat(const SDL_PixelFormat* format)
{
    PagePicture* at = pictures;
    while (at != nullptr && &at->format != format)
    {
        at = at->next;
    }
    return at;
}

SDL_RWops* PageRWFromFile(const char* name, const char*)
{
    return static_cast<SDL_RWops*>(WebPictureOpen(name));
}

static void Describe(PagePicture& page, const WebPictureLayout& layout)
{
    SDL_PixelFormat& format = page.format;
    format.BitsPerPixel = static_cast<Uint8>(layout.bitsPerPixel);
    format.BytesPerPixel = static_cast<Uint8>(layout.bytesPerPixel);
    format.Rmask = layout.masks[0];
    format.Gmask = layout.masks[1];
    format.Bmask = layout.masks[2];
    format.Amask = layout.masks[3];
    format.Rshift = layout.shifts[0];
    format.Gshift = layout.shifts[1];
    format.Bshift = layout.shifts[2];
    format.Ashift = layout.shifts[3];
    format.Rloss = layout.losses[0];
    format.Gloss = layout.losses[1];
    format.Bloss = layout.losses[2];
    format.Aloss = layout.losses[3];
    if (layout.palette != nullptr)
    {
        page.palette.ncolors = layout.colours;
        page.palette.colors = static_cast<SDL_Color*>(layout.palette);
        format.palette = &page.palette;
    }
    SDL_Surface& surface = page.surface;
    surface.flags = SDL_SWSURFACE;
    surface.format = &format;
    surface.w = layout.w;
    surface.h = layout.h;
    surface.pitch = layout.pitch;
    surface.pixels = layout.pixels;
    surface.clip_rect.w = static_cast<Uint16>(layout.w);
    surface.clip_rect.h = static_cast<Uint16>(layout.h);
    surface.refcount = 1;
}

SDL_Surface* PageLoadBMP_RW(SDL_RWops* stream, int)
{
    void* const picture = WebPictureLoad(stream);
    PagePicture* const page = picture != nullptr ? new (std::nothrow) PagePicture() : nullptr;
    if (page == nullptr)
    {
        WebPictureFree(picture);
        return nullptr;
    }
    WebPictureLayout layout = {};
    WebPictureLayoutOf(picture, &layout);
    Describe(*page, layout);
    page->picture = picture;
    page->next = pictures;
    pictures = page;
    return &page->surface;
}

Uint32 PageMapRGB(const SDL_PixelFormat* format, Uint8 red, Uint8 green, Uint8 blue)
{
    const PagePicture* const page = PictureOfFormat(format);
    return page != nullptr ? WebPictureMapRGB(page->picture, red, green, blue)
                           : (SDL_MapRGB)(format, red, green, blue);
}

static WebBlitTarget TargetOf(const SDL_Surface* surface)
{
    const SDL_PixelFormat* const format = surface->format;
    const SDL_Rect& clip = surface->clip_rect;
    return {surface->pixels,
            surface->w,
            surface->h,
            surface->pitch,
            format->BitsPerPixel,
            {format->Rmask, format->Gmask, format->Bmask, format->Amask},
            clip.x,
            clip.y,
            clip.w,
            clip.h};
}

int PageBlitSurface(SDL_Surface* source, SDL_Rect* sourceRect, SDL_Surface* target,
                    SDL_Rect* targetRect)
{
    const PagePicture* const page = PictureOf(source);
    if (page == nullptr)
    {
        return SDL_UpperBlit(source, sourceRect, target, targetRect);
    }
    if (target->format->palette != nullptr)
    {
        return -1;
    }
    const WebBlitTarget to = TargetOf(target);
    const int x = targetRect != nullptr ? targetRect->x : 0;
    const int y = targetRect != nullptr ? targetRect->y : 0;
    if (sourceRect == nullptr)
    {
        return WebPictureBlit(page->picture, 0, 0, -1, -1, &to, x, y);
    }
    return WebPictureBlit(page->picture, sourceRect->x, sourceRect->y, sourceRect->w, sourceRect->h,
                          &to, x, y);
}

static bool HasWholeChannels(const SDL_PixelFormat* format)
{
    return format->BitsPerPixel == 32 && format->BytesPerPixel == 4 && format->Amask == 0 &&
           format->Rloss == 0 && format->Gloss == 0 && format->Bloss == 0;
}

SDL_Surface* PageInDisplayFormat(SDL_Surface* picture)
{
    PagePicture* const page = PictureOf(picture);
    const SDL_Surface* const display = SDL_GetVideoSurface();
    if (page == nullptr || display == nullptr || !HasWholeChannels(picture->format) ||
        display->format->BitsPerPixel != 32 || display->format->palette != nullptr)
    {
        return picture;
    }
    const SDL_PixelFormat* const to = display->format;
    const SDL_PixelFormat* const from = picture->format;
    if (from->Rmask == to->Rmask && from->Gmask == to->Gmask && from->Bmask == to->Bmask)
    {
        return picture;
    }
    void* const converted =
        WebPictureConvert(page->picture, to->Rmask, to->Gmask, to->Bmask, to->Amask);
    if (converted == nullptr)
    {
        return picture;
    }
    WebPictureFree(page->picture);
    page->picture = converted;
    WebPictureLayout layout = {};
    WebPictureLayoutOf(converted, &layout);
    Describe(*page, layout);
    return picture;
}

void PageFreeSurface(SDL_Surface* surface)
{
    PagePicture** link = &pictures;
    while (*link != nullptr && &(*link)->surface != surface)
    {
        link = &(*link)->next;
    }
    if (*link == nullptr)
    {
        (SDL_FreeSurface)(surface);
        return;
    }
    PagePicture* const page = *link;
    *link = page->next;
    WebPictureFree(page->picture);
    delete page;
}
