#ifndef NOUGHTS_FRAME_WEB_PICTURE_H
#define NOUGHTS_FRAME_WEB_PICTURE_H

/* The page's pictures are surfaces of SDL 1.2's own code (frame/web_picture.c, built from
   Debian's source by web/sdl12.cmake), while the game is compiled against Emscripten's SDL,
   whose structures are laid out otherwise. Only plain types cross between the two: a picture
   is an opaque handle, and what the game reads of it comes as a WebPictureLayout. */
#include <stdint.h>

#ifdef __cplusplus
extern "C"
{
#endif

    /* A picture's layout as SDL 1.2 made it. Channels are red, green, blue, alpha. The pixels and
       the palette's colours (4 bytes each: red, green, blue, unused) belong to the picture. */
    struct WebPictureLayout
    {
        int w, h, pitch, bitsPerPixel, bytesPerPixel;
        uint32_t masks[4];
        uint8_t shifts[4], losses[4];
        void* pixels;
        int colours;
        void* palette;
    };

    /* Where a blit draws: packed pixels of 2 to 4 bytes in memory, drawn only inside the clip
       rectangle. */
    struct WebBlitTarget
    {
        void* pixels;
        int w, h, pitch, bitsPerPixel;
        uint32_t masks[4];
        int clipX, clipY, clipW, clipH;
    };

    /* SDL 1.2's SDL_RWFromFile(name, "rb"): a stream its loader reads, closed through the
       stream's own close. Null when the file cannot be opened. */
    void* WebPictureOpen(const char* name);

    /* SDL 1.2's SDL_LoadBMP_RW(stream, 1): null where it refuses the file. Closes the stream. */
    void* WebPictureLoad(void* stream);

    void WebPictureLayoutOf(const void* picture, struct WebPictureLayout* layout);

    /* SDL 1.2's SDL_MapRGB in the picture's format: the nearest palette entry, or the channels
       packed. */
    uint32_t WebPictureMapRGB(const void* picture, uint8_t red, uint8_t green, uint8_t blue);

    /* SDL 1.2's SDL_BlitSurface of the part (fromX, fromY, fromW, fromH) of the picture, or all of
       it when fromW is negative, with its top-left corner at (x, y) of the target: its result. */
    int WebPictureBlit(void* picture, int fromX, int fromY, int fromW, int fromH,
                       const struct WebBlitTarget* target, int x, int y);

    /* SDL 1.2's SDL_ConvertSurface of the picture into packed pixels of its own depth and
       the given channel masks, as a plain opaque picture that blits without blending: null
       without memory. */
    void* WebPictureConvert(void* picture, uint32_t red, uint32_t green, uint32_t blue,
                            uint32_t alpha);

    void WebPictureFree(void* picture);

#ifdef __cplusplus
}
#endif

#endif
