#include "draw/draw.h"

#include "draw/pixel.h"
#include "draw/surface_check.h"
#include "draw/vector_row.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

namespace
{
// The pixels of a locked surface and the extent a call may write in.
struct Canvas
{
    Uint8* pixels;
    int pitch;
    int w;
    int h;
};

struct Direction
{
    double cos;
    double sin;
};
} // namespace

template <int Bpp> static inline void Plot(const Canvas& canvas, int x, int y, Uint32 value)
{
    StorePixel<Bpp>(canvas.pixels + static_cast<std::ptrdiff_t>(y) * canvas.pitch + x * Bpp, value);
}

template <int Bpp> static void FillRow(Uint8* row, int width, Uint32 value)
{
    for (int x = 0; x < width; ++x)
    {
        StorePixel<Bpp>(row + x * Bpp, value);
    }
}

#ifdef __wasm_simd128__
// Fills rows of 4-byte pixels, each at least one vector wide, with vector stores rather than
// copies of a first row. The pattern repeats every 4 bytes, so the stores are aligned only
// where the row starts on a 4-byte boundary, as SDL's surfaces do.
static void FillWithVectors(const Canvas& canvas, std::size_t rowBytes, int height, Uint32 value)
{
    const v128_t pattern = wasm_i32x4_splat(static_cast<int32_t>(value));
    for (int y = 0; y < height; ++y)
    {
        Uint8* const row = canvas.pixels + static_cast<std::ptrdiff_t>(y) * canvas.pitch;
        const std::size_t boundary = ToVectorBoundary(row);
        StoreRow(row, rowBytes, boundary % 4 == 0 ? boundary : VECTOR_BYTES,
                 [pattern](std::size_t) { return pattern; });
    }
}
#endif

// Fills the width x height rectangle at (0, 0), which the caller has clipped to the canvas (an
// empty one writes nothing), never touching the padding after a row. Single bytes go to memset, in
// one call when the rows lie back to back. Wider pixels are stored one by one in the first row
// only; the other rows are copies of it, which runs at memory speed, 3-byte pixels included.
template <int Bpp>
static void FillTopLeft(const Canvas& canvas, int width, int height, Uint32 value)
{
    if (width <= 0 || height <= 0)
    {
        return;
    }
    Uint8* const first = canvas.pixels;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * Bpp;
    if constexpr (Bpp == 1)
    {
        if (rowBytes == static_cast<std::size_t>(canvas.pitch))
        {
            std::memset(first, static_cast<Uint8>(value), rowBytes * height);
            return;
        }
        for (int y = 0; y < height; ++y)
        {
            std::memset(first + static_cast<std::ptrdiff_t>(y) * canvas.pitch,
                        static_cast<Uint8>(value), rowBytes);
        }
    }
    else
    {
#ifdef __wasm_simd128__
        if (Bpp == 4 && rowBytes >= VECTOR_BYTES)
        {
            FillWithVectors(canvas, rowBytes, height, value);
            return;
        }
#endif
        FillRow<Bpp>(first, width, value);
        for (int y = 1; y < height; ++y)
        {
            std::memcpy(first + static_cast<std::ptrdiff_t>(y) * canvas.pitch, first, rowBytes);
        }
    }
}

// The part of the canvas from (x, y) on, which the caller has clipped to it.
template <int Bpp> static Canvas Offset(const Canvas& canvas, int x, int y)
{
    return {canvas.pixels + static_cast<std::ptrdiff_t>(y) * canvas.pitch + x * Bpp, canvas.pitch,
            canvas.w - x, canvas.h - y};
}

// Truncates a sample coordinate toward zero. Values far outside any surface are clamped first,
// which keeps the conversion defined without moving them inside.
static inline int Truncate(double coordinate)
{
    constexpr double far = 1 << 30;
    return static_cast<int>(std::clamp(coordinate, -far, far));
}

// The line parameter's accumulated values t = 0, LINE_STEP, ... while t < 1: the same 1000
// values on every call, so they are summed once.
static const std::vector<double>& LineParameters()
{
    static const std::vector<double> parameters = []
    {
        std::vector<double> values;
        for (double t = 0.0; t < 1.0; t += LINE_STEP)
        {
            values.push_back(t);
        }
        return values;
    }();
    return parameters;
}

// cos and sin of the accumulated angles a = 0, CIRCLE_STEP, ... while a < CIRCLE_END_ANGLE.
static const std::vector<Direction>& CircleDirections()
{
    static const std::vector<Direction> directions = []
    {
        std::vector<Direction> values;
        for (double a = 0.0; a < CIRCLE_END_ANGLE; a += CIRCLE_STEP)
        {
            values.push_back({std::cos(a), std::sin(a)});
        }
        return values;
    }();
    return directions;
}

// Writes the pixels from (x, y) to (x + dx, y + dy), one of dx and dy being 0, clipped to the
// canvas.
template <int Bpp>
static void PlotSpan(const Canvas& canvas, int x, int y, int dx, int dy, Uint32 value)
{
    const int left = std::max(std::min(x, x + dx), 0);
    const int right = std::min(std::max(x, x + dx), canvas.w - 1);
    const int top = std::max(std::min(y, y + dy), 0);
    const int bottom = std::min(std::max(y, y + dy), canvas.h - 1);
    for (int row = top; row <= bottom; ++row)
    {
        for (int column = left; column <= right; ++column)
        {
            Plot<Bpp>(canvas, column, row, value);
        }
    }
}

// An axis-aligned line that moves less than one pixel per sample hits every pixel between its
// first and its last sample, so it can be written as a span with the very same pixels. Its
// samples are exact to far better than the margin to a whole pixel while the coordinates stay
// small; beyond these bounds the general sampling loop runs.
static bool IsSpan(int x1, int y1, double dx, double dy)
{
    constexpr int COORDINATE_LIMIT = 1 << 20;
    constexpr double STEP_LIMIT = 999;
    const bool axisAligned = dx == 0 || dy == 0;
    return axisAligned && std::abs(x1) <= COORDINATE_LIMIT && std::abs(y1) <= COORDINATE_LIMIT &&
           std::abs(dx) <= STEP_LIMIT && std::abs(dy) <= STEP_LIMIT;
}

template <int Bpp>
static void PlotLine(const Canvas& canvas, int x1, int y1, double dx, double dy, Uint32 value)
{
    // Every line of the board's grid and frames is axis-aligned: they are redrawn on every
    // pass, so they take the span path.
    if (IsSpan(x1, y1, dx, dy))
    {
        const double last = LineParameters().back();
        const int xLast = Truncate(x1 + dx * last);
        const int yLast = Truncate(y1 + dy * last);
        PlotSpan<Bpp>(canvas, x1, y1, xLast - x1, yLast - y1, value);
        return;
    }
    for (const double t : LineParameters())
    {
        const int y = Truncate(y1 + dy * t);
        const int x = Truncate(x1 + dx * t);
        if (x >= 0 && x < canvas.w && y >= 0 && y < canvas.h)
        {
            Plot<Bpp>(canvas, x, y, value);
        }
    }
}

template <int Bpp>
static void PlotCircle(const Canvas& canvas, double cx, double cy, double radius, Uint32 value)
{
    for (const Direction& direction : CircleDirections())
    {
        const int x = Truncate(cx + direction.cos * radius);
        const int y = Truncate(cy - direction.sin * radius);
        // Strict bounds and one column left of the computed point: the outline this game's
        // marks were designed with.
        if (x > 0 && x < canvas.w && y > 0 && y < canvas.h)
        {
            Plot<Bpp>(canvas, x - 1, y, value);
        }
    }
}

// A surface whose format nothing here can store, or whose palette SDL_MapRGB would miss, is
// left alone: not even a colour is mapped for it.
static bool CanMapColours(const SDL_Surface* surface)
{
    return surface != nullptr && IsDrawableFormat(surface->format);
}

// Runs draw(canvas, pixelSize) inside the lock SDL demands, with the pixel size as a
// compile-time constant so the store is chosen once per call. Returns false, having drawn
// nothing, when the lock is refused or the surface has no whole rows to draw in.
template <typename Draw> static bool DrawLocked(SDL_Surface* surface, Draw draw)
{
    const bool mustLock = SDL_MUSTLOCK(surface);
    if (mustLock && SDL_LockSurface(surface) < 0)
    {
        return false;
    }
    // Checked only now: an RLE-accelerated surface has no pixels until it is locked.
    if (!HasWholeRows(surface))
    {
        if (mustLock)
        {
            SDL_UnlockSurface(surface);
        }
        return false;
    }
    const Canvas canvas{static_cast<Uint8*>(surface->pixels), surface->pitch, surface->w,
                        surface->h};
    switch (surface->format->BytesPerPixel)
    {
    case 1:
        draw(canvas, std::integral_constant<int, 1>());
        break;
    case 2:
        draw(canvas, std::integral_constant<int, 2>());
        break;
    case 3:
        draw(canvas, std::integral_constant<int, 3>());
        break;
    default:
        draw(canvas, std::integral_constant<int, 4>());
        break;
    }
    if (mustLock)
    {
        SDL_UnlockSurface(surface);
    }
    return true;
}

void ClearSurface(SDL_Surface* surface)
{
    if (!CanMapColours(surface))
    {
        return;
    }
    const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
    DrawLocked(surface, [black](const Canvas& canvas, auto size)
               { FillTopLeft<decltype(size)::value>(canvas, canvas.w, canvas.h, black); });
}

// The same pixels as clearing everything and then painting the panel, but each pixel is written
// once: the panel covers most of the display, and this runs on every pass of the playing field.
void DrawPanel(SDL_Surface* surface, int width, int height, int covered)
{
    if (!CanMapColours(surface))
    {
        return;
    }
    const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
    const Uint32 gray = SDL_MapRGB(surface->format, 128, 128, 128);
    DrawLocked(
        surface,
        [=](const Canvas& canvas, auto size)
        {
            constexpr int bpp = decltype(size)::value;
            const bool hasPanel = width > 0 && height > 0;
            const int columns = hasPanel ? std::min(width, canvas.w) : 0;
            const int rows = hasPanel ? std::min(height, canvas.h) : 0;
            const int holeColumns = std::clamp(covered, 0, columns);
            const int holeRows = std::clamp(covered, 0, rows);
            FillTopLeft<bpp>(Offset<bpp>(canvas, holeColumns, 0), columns - holeColumns, holeRows,
                             gray);
            FillTopLeft<bpp>(Offset<bpp>(canvas, 0, holeRows), columns, rows - holeRows, gray);
            FillTopLeft<bpp>(Offset<bpp>(canvas, columns, 0), canvas.w - columns, rows, black);
            FillTopLeft<bpp>(Offset<bpp>(canvas, 0, rows), canvas.w, canvas.h - rows, black);
        });
}

void DrawLine(SDL_Surface* surface, int x1, int y1, int x2, int y2, Uint8 red, Uint8 green,
              Uint8 blue)
{
    if (!CanMapColours(surface))
    {
        return;
    }
    const Uint32 colour = SDL_MapRGB(surface->format, red, green, blue);
    // Differences taken in 64 bits are exact for every pair of ints, and exact in a double.
    const double dx = static_cast<double>(static_cast<Sint64>(x2) - x1);
    const double dy = static_cast<double>(static_cast<Sint64>(y2) - y1);
    DrawLocked(surface, [=](const Canvas& canvas, auto size)
               { PlotLine<decltype(size)::value>(canvas, x1, y1, dx, dy, colour); });
}

void DrawCircle(SDL_Surface* surface, int cx, int cy, int radius)
{
    if (!CanMapColours(surface))
    {
        return;
    }
    ClearSurface(surface);
    const Uint32 white = SDL_MapRGB(surface->format, 255, 255, 255);
    const bool drawn =
        DrawLocked(surface, [=](const Canvas& canvas, auto size)
                   { PlotCircle<decltype(size)::value>(canvas, cx, cy, radius, white); });
    // SDL 1.2's update goes through the current video device and crashes when video is not
    // running, which an off-screen image does not otherwise need.
    if (drawn && SDL_WasInit(SDL_INIT_VIDEO) != 0)
    {
        SDL_UpdateRect(surface, cx - radius, cy - radius, 2 * radius, 2 * radius);
    }
}
