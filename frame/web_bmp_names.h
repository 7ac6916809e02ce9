#ifndef NOUGHTS_FRAME_WEB_BMP_NAMES_H
#define NOUGHTS_FRAME_WEB_BMP_NAMES_H

/* Included before each of SDL 1.2's sources that web/sdl12.cmake builds. Every function they
   define gets a name of its own, so they never meet another SDL's: Emscripten's in the page,
   the system's in the native tests. */
#define SDL_AllocBlitMap WebAllocBlitMap
#define SDL_AllocFormat WebAllocFormat
#define SDL_AllocRW WebAllocRW
#define SDL_ApplyGamma WebApplyGamma
#define SDL_CalculateAlphaBlit WebCalculateAlphaBlit
#define SDL_CalculateBlit WebCalculateBlit
#define SDL_CalculateBlit0 WebCalculateBlit0
#define SDL_CalculateBlit1 WebCalculateBlit1
#define SDL_CalculateBlitN WebCalculateBlitN
#define SDL_CalculatePitch WebCalculatePitch
#define SDL_ClearError WebClearError
#define SDL_ConvertSurface WebConvertSurface
#define SDL_CreateRGBSurface WebCreateRGBSurface
#define SDL_CreateRGBSurfaceFrom WebCreateRGBSurfaceFrom
#define SDL_DitherColors WebDitherColors
#define SDL_Error WebError
#define SDL_FillRect WebFillRect
#define SDL_FindColor WebFindColor
#define SDL_FormatChanged WebFormatChanged
#define SDL_FreeBlitMap WebFreeBlitMap
#define SDL_FreeFormat WebFreeFormat
#define SDL_FreeRW WebFreeRW
#define SDL_FreeSurface WebFreeSurface
#define SDL_GetClipRect WebGetClipRect
#define SDL_GetError WebGetError
#define SDL_GetErrorMsg WebGetErrorMsg
#define SDL_GetRGB WebGetRGB
#define SDL_GetRGBA WebGetRGBA
#define SDL_GetVideoInfo WebGetVideoInfo
#define SDL_Has3DNow WebHas3DNow
#define SDL_Has3DNowExt WebHas3DNowExt
#define SDL_HasAltiVec WebHasAltiVec
#define SDL_HasMMX WebHasMMX
#define SDL_HasMMXExt WebHasMMXExt
#define SDL_HasRDTSC WebHasRDTSC
#define SDL_HasSSE WebHasSSE
#define SDL_HasSSE2 WebHasSSE2
#define SDL_InvalidateMap WebInvalidateMap
#define SDL_LoadBMP_RW WebLoadBMP_RW
#define SDL_LockSurface WebLockSurface
#define SDL_LowerBlit WebLowerBlit
#define SDL_MapRGB WebMapRGB
#define SDL_MapRGBA WebMapRGBA
#define SDL_MapSurface WebMapSurface
#define SDL_RLEAlphaBlit WebRLEAlphaBlit
#define SDL_RLEBlit WebRLEBlit
#define SDL_RLESurface WebRLESurface
#define SDL_RWFromConstMem WebRWFromConstMem
#define SDL_RWFromFP WebRWFromFP
#define SDL_RWFromFile WebRWFromFile
#define SDL_RWFromMem WebRWFromMem
#define SDL_ReadBE16 WebReadBE16
#define SDL_ReadBE32 WebReadBE32
#define SDL_ReadBE64 WebReadBE64
#define SDL_ReadLE16 WebReadLE16
#define SDL_ReadLE32 WebReadLE32
#define SDL_ReadLE64 WebReadLE64
#define SDL_ReallocFormat WebReallocFormat
#define SDL_SaveBMP_RW WebSaveBMP_RW
#define SDL_SetAlpha WebSetAlpha
#define SDL_SetAlphaChannel WebSetAlphaChannel
#define SDL_SetClipRect WebSetClipRect
#define SDL_SetColorKey WebSetColorKey
#define SDL_SetError WebSetError
#define SDL_UnRLESurface WebUnRLESurface
#define SDL_UnlockSurface WebUnlockSurface
#define SDL_UpperBlit WebUpperBlit
#define SDL_WriteBE16 WebWriteBE16
#define SDL_WriteBE32 WebWriteBE32
#define SDL_WriteBE64 WebWriteBE64
#define SDL_WriteLE16 WebWriteLE16
#define SDL_WriteLE32 WebWriteLE32
#define SDL_WriteLE64 WebWriteLE64
#define SDL_ltoa Webltoa
#define SDL_sscanf Websscanf
#define SDL_strcasecmp Webstrcasecmp
#define SDL_strchr Webstrchr
#define SDL_strdup Webstrdup
#define SDL_strlcat Webstrlcat
#define SDL_strlcpy Webstrlcpy
#define SDL_strlwr Webstrlwr
#define SDL_strncasecmp Webstrncasecmp
#define SDL_strrchr Webstrrchr
#define SDL_strrev Webstrrev
#define SDL_strstr Webstrstr
#define SDL_strtod Webstrtod
#define SDL_strtol Webstrtol
#define SDL_strtoul Webstrtoul
#define SDL_strupr Webstrupr
#define SDL_ultoa Webultoa
#define current_video WebCurrentVideo
/* SDL 1.2 leaves out its own overlapping copy wherever this is defined: the C library's does the
   same. */
#define SDL_revcpy(to, from, bytes) memmove(to, from, bytes)

/* The C library's, in place of SDL 1.2's configure step; this also keeps out the source's own
   configuration, which guesses the machine's types. */
#define _SDL_config_h
#include "SDL_platform.h"
#define HAVE_LIBC 1
#define STDC_HEADERS 1
#define HAVE_STDIO_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STDARG_H 1
#define HAVE_STRING_H 1
#define HAVE_INTTYPES_H 1
#define HAVE_STDINT_H 1
#define HAVE_MALLOC 1
#define HAVE_CALLOC 1
#define HAVE_REALLOC 1
#define HAVE_FREE 1
#define HAVE_MEMSET 1
#define HAVE_MEMCPY 1
#define HAVE_MEMMOVE 1
#define HAVE_MEMCMP 1
#define HAVE_STRLEN 1
#define HAVE_STRCMP 1
#define HAVE_STRNCMP 1
#define HAVE_SNPRINTF 1
#define HAVE_VSNPRINTF 1
#define SDL_AUDIO_DISABLED 1
#define SDL_CDROM_DISABLED 1
#define SDL_JOYSTICK_DISABLED 1
#define SDL_LOADSO_DISABLED 1
#define SDL_THREADS_DISABLED 1
#define SDL_TIMERS_DISABLED 1

#endif
