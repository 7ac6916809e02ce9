#include "tests/sdl_test_env.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

void UseDummyVideo()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // The engine starts every subsystem; on a machine without a sound card the real audio
    // drivers fill the test log with ALSA complaints, and no test listens to sound.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

SDL_Surface* OpenDummyDisplay()
{
    UseDummyVideo();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
    {
        return nullptr;
    }
    return SDL_SetVideoMode(480, 272, 32, 0);
}

SDL_Surface* MakeSurface(int w, int h, int bitsPerPixel)
{
    switch (bitsPerPixel)
    {
    case 8:
        return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0);
    case 16:
        return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
    case 24:
        return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    default:
        return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    }
}

bool WriteSolidBmp(const char* name, int w, int h, Rgb colour)
{
    SDL_Surface* const surface = MakeSurface(w, h, 32);
    if (surface == nullptr)
    {
        return false;
    }
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, colour.r, colour.g, colour.b));
    const bool saved = SDL_SaveBMP(surface, name) == 0;
    SDL_FreeSurface(surface);
    return saved;
}

static void PutLittleEndian(std::string& bytes, Uint32 value, int size)
{
    for (int i = 0; i < size; ++i)
    {
        bytes.push_back(static_cast<char>(value >> (8 * i)));
    }
}

std::string Bitmap(Sint32 w, Sint32 h, Uint16 bits, Uint32 compression, Uint32 colours,
                   const std::string& pixels)
{
    const Uint32 offset = 54 + 4 * colours;
    std::string bytes = "BM";
    PutLittleEndian(bytes, static_cast<Uint32>(offset + pixels.size()), 4);
    PutLittleEndian(bytes, 0, 4);
    PutLittleEndian(bytes, offset, 4);
    PutLittleEndian(bytes, 40, 4);
    PutLittleEndian(bytes, static_cast<Uint32>(w), 4);
    PutLittleEndian(bytes, static_cast<Uint32>(h), 4);
    PutLittleEndian(bytes, 1, 2);
    PutLittleEndian(bytes, bits, 2);
    PutLittleEndian(bytes, compression, 4);
    PutLittleEndian(bytes, static_cast<Uint32>(pixels.size()), 4);
    bytes.append(8, '\0');
    PutLittleEndian(bytes, colours, 4);
    bytes.append(4 + 4 * colours, '\0');
    return bytes + pixels;
}

std::string Bitmap(Sint32 w, Sint32 h, Uint16 bits, std::size_t pixelBytes)
{
    return Bitmap(w, h, bits, 0, 0, std::string(pixelBytes, '\0'));
}

std::string CoreBitmap(Uint16 w, Uint16 h, const std::string& pixels)
{
    std::string bytes = "BM";
    PutLittleEndian(bytes, static_cast<Uint32>(26 + 3 * 256 + pixels.size()), 4);
    PutLittleEndian(bytes, 0, 4);
    PutLittleEndian(bytes, 26 + 3 * 256, 4);
    PutLittleEndian(bytes, 12, 4);
    PutLittleEndian(bytes, w, 2);
    PutLittleEndian(bytes, h, 2);
    PutLittleEndian(bytes, 1, 2);
    PutLittleEndian(bytes, 8, 2);
    bytes.append(3 * 256, '\0');
    return bytes + pixels;
}

bool WriteFile(const char* name, const std::string& bytes)
{
    FILE* const file = std::fopen(name, "wb");
    if (file == nullptr)
    {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool CopyShippedPicture(const char* name)
{
    std::error_code error;
    fs::copy_file(fs::path(NOUGHTS_ASSETS_DIR) / name, name, fs::copy_options::overwrite_existing,
                  error);
    return !error;
}

// For pixels of bpp bytes: which byte of a mapped value (0 the lowest) SDL_FillRect puts in
// each byte of the pixel. The probe value's byte k is k + 1, so every byte shows where it went.
static const std::array<int, 4>& ByteOfValue(int bpp)
{
    static const std::array<std::array<int, 4>, 5> layouts = []
    {
        std::array<std::array<int, 4>, 5> all{};
        for (int size = 1; size <= 4; ++size)
        {
            Uint8 pixel[4] = {};
            SDL_Surface* const probe =
                SDL_CreateRGBSurfaceFrom(pixel, 1, 1, 8 * size, size, 0, 0, 0, 0);
            const Uint32 probeValue = 0x04030201u & (0xFFFFFFFFu >> (32 - 8 * size));
            if (probe == nullptr || SDL_FillRect(probe, nullptr, probeValue) < 0)
            {
                std::abort();
            }
            SDL_FreeSurface(probe);
            for (int i = 0; i < size; ++i)
            {
                all[size][i] = pixel[i] - 1;
            }
        }
        return all;
    }();
    return layouts[bpp];
}

void StorePixel(Uint8* at, int bpp, Uint32 value)
{
    for (int i = 0; i < bpp; ++i)
    {
        at[i] = static_cast<Uint8>(value >> (8 * ByteOfValue(bpp)[i]));
    }
}

Uint32 ReadPixel(SDL_Surface* surface, int x, int y)
{
    const bool mustLock = SDL_MUSTLOCK(surface);
    if (mustLock && SDL_LockSurface(surface) < 0)
    {
        return 0;
    }
    const int bpp = surface->format->BytesPerPixel;
    const Uint8* const p =
        static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * bpp;
    Uint32 value = 0;
    for (int i = 0; i < bpp; ++i)
    {
        value |= static_cast<Uint32>(p[i]) << (8 * ByteOfValue(bpp)[i]);
    }
    if (mustLock)
    {
        SDL_UnlockSurface(surface);
    }
    return value;
}

// Each event below is one row: the part of SDL_Event its kind uses, field by field in SDL 1.2's
// order, the rest zero as a driver leaves it.
template <typename Part> static void Push(Part SDL_Event::*kind, const Part& fields)
{
    SDL_Event event = {};
    event.*kind = fields;
    SDL_PushEvent(&event);
}

void PushKeyDown(SDLKey key, SDLMod mod)
{
    Push(&SDL_Event::key, {SDL_KEYDOWN, 0, SDL_PRESSED, {0, key, mod, 0}});
}

void PushKeyUp(SDLKey key)
{
    Push(&SDL_Event::key, {SDL_KEYUP, 0, SDL_RELEASED, {0, key, KMOD_NONE, 0}});
}

void PushJoyButtonDown(Uint8 button, Uint8 which)
{
    Push(&SDL_Event::jbutton, {SDL_JOYBUTTONDOWN, which, button, SDL_PRESSED});
}

void PushJoyButtonUp(Uint8 button)
{
    Push(&SDL_Event::jbutton, {SDL_JOYBUTTONUP, 0, button, SDL_RELEASED});
}

void PushMouseMotion(Uint16 x, Uint16 y, Uint8 state)
{
    Push(&SDL_Event::motion, {SDL_MOUSEMOTION, 0, state, x, y, 0, 0});
}

void PushMouseButtonDown(Uint8 button, Uint16 x, Uint16 y)
{
    Push(&SDL_Event::button, {SDL_MOUSEBUTTONDOWN, 0, button, SDL_PRESSED, x, y});
}

void PushMouseButtonUp(Uint8 button, Uint16 x, Uint16 y)
{
    Push(&SDL_Event::button, {SDL_MOUSEBUTTONUP, 0, button, SDL_RELEASED, x, y});
}

void PushQuit()
{
    Push(&SDL_Event::quit, {SDL_QUIT});
}

int PendingEvents()
{
    SDL_Event events[128];
    return SDL_PeepEvents(events, 128, SDL_PEEKEVENT, SDL_ALLEVENTS);
}

static void SaveForInspection(SDL_Surface* surface, const std::string& name)
{
    const std::string file = (fs::temp_directory_path() / name).string();
    SDL_SaveBMP(surface, file.c_str());
}

std::string CompareSurfaces(SDL_Surface* actual, SDL_Surface* expected, const std::string& label)
{
    if (actual->w != expected->w || actual->h != expected->h)
    {
        return label + ": sizes differ";
    }
    for (int y = 0; y < actual->h; ++y)
    {
        for (int x = 0; x < actual->w; ++x)
        {
            Uint8 ar, ag, ab, er, eg, eb;
            SDL_GetRGB(ReadPixel(actual, x, y), actual->format, &ar, &ag, &ab);
            SDL_GetRGB(ReadPixel(expected, x, y), expected->format, &er, &eg, &eb);
            if (ar != er || ag != eg || ab != eb)
            {
                SaveForInspection(actual, label + "-actual.bmp");
                SaveForInspection(expected, label + "-expected.bmp");
                char message[160];
                snprintf(message, sizeof message,
                         "%s: first difference at (%d, %d): (%d, %d, %d) instead of (%d, %d, %d)",
                         label.c_str(), x, y, ar, ag, ab, er, eg, eb);
                return message;
            }
        }
    }
    return "";
}

bool operator==(const Rgb& left, const Rgb& right)
{
    return left.r == right.r && left.g == right.g && left.b == right.b;
}

bool operator!=(const Rgb& left, const Rgb& right)
{
    return !(left == right);
}

std::ostream& operator<<(std::ostream& out, const Rgb& colour)
{
    return out << "(" << int(colour.r) << ", " << int(colour.g) << ", " << int(colour.b) << ")";
}

Rgb ReadRgb(SDL_Surface* surface, int x, int y)
{
    Rgb colour = {0, 0, 0};
    SDL_GetRGB(ReadPixel(surface, x, y), surface->format, &colour.r, &colour.g, &colour.b);
    return colour;
}

void FillRgb(SDL_Surface* surface, int x, int y, int w, int h, Rgb colour)
{
    SDL_Rect area = {static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                     static_cast<Uint16>(h)};
    SDL_FillRect(surface, &area, SDL_MapRGB(surface->format, colour.r, colour.g, colour.b));
}

int CountPixelsOtherThan(SDL_Surface* surface, Rgb colour)
{
    int count = 0;
    for (int y = 0; y < surface->h; ++y)
    {
        for (int x = 0; x < surface->w; ++x)
        {
            count += ReadRgb(surface, x, y) != colour ? 1 : 0;
        }
    }
    return count;
}
