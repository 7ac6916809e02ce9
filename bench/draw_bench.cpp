// The drawing primitives against SDL's own rectangle fill on the game's 480x272 surfaces, for
// every pixel size.

#include "bench/bench_ratios.h"
#include "draw/draw.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <string>

static constexpr int kWidth = 480;
static constexpr int kHeight = 272;
static const int kDepths[] = {8, 16, 24, 32};

// A software surface of the given depth with a full gray ramp as palette at 8 bits, so that
// black, gray and white map to distinct indices as they would on a real palettised image.
static SDL_Surface* MakeBenchSurface(int w, int h, int bits)
{
    SDL_Surface* surface = nullptr;
    switch (bits)
    {
    case 8:
        surface = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0);
        break;
    case 16:
        surface = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
        break;
    case 24:
        surface = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
        break;
    default:
        surface = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
        break;
    }
    if (surface != nullptr && bits == 8)
    {
        SDL_Color ramp[256];
        for (int i = 0; i < 256; ++i)
        {
            ramp[i] = {static_cast<Uint8>(255 - i), static_cast<Uint8>(255 - i),
                       static_cast<Uint8>(255 - i), 0};
        }
        SDL_SetColors(surface, ramp, 0, 256);
    }
    return surface;
}

// Owns the surface a benchmark draws into; skips the benchmark when SDL cannot make one.
class BenchSurface
{
  public:
    BenchSurface(benchmark::State& state, int w, int h)
        : surface(MakeBenchSurface(w, h, static_cast<int>(state.range(0))))
    {
        if (surface == nullptr)
        {
            state.SkipWithError(SDL_GetError());
        }
    }
    ~BenchSurface()
    {
        SDL_FreeSurface(surface);
    }
    BenchSurface(const BenchSurface&) = delete;
    BenchSurface& operator=(const BenchSurface&) = delete;
    SDL_Surface* get() const
    {
        return surface;
    }

  private:
    SDL_Surface* surface;
};

static void Touch(SDL_Surface* surface)
{
    benchmark::DoNotOptimize(surface->pixels);
    benchmark::ClobberMemory();
}

static void BM_ClearSurface(benchmark::State& state)
{
    const BenchSurface surface(state, kWidth, kHeight);
    for (auto _ : state)
    {
        ClearSurface(surface.get());
        Touch(surface.get());
    }
}

static void BM_FillRectClear(benchmark::State& state)
{
    const BenchSurface surface(state, kWidth, kHeight);
    SDL_Surface* const s = surface.get();
    for (auto _ : state)
    {
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
        Touch(s);
    }
}

// The board rendering's panel at the largest cell radius: 9 x 45 by 6 x 45.
static void BM_DrawPanel(benchmark::State& state)
{
    const BenchSurface surface(state, kWidth, kHeight);
    for (auto _ : state)
    {
        DrawPanel(surface.get(), 405, 270);
        Touch(surface.get());
    }
}

static void BM_FillRectPanel(benchmark::State& state)
{
    const BenchSurface surface(state, kWidth, kHeight);
    SDL_Surface* const s = surface.get();
    SDL_Rect panel = {0, 0, 405, 270};
    for (auto _ : state)
    {
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
        SDL_FillRect(s, &panel, SDL_MapRGB(s->format, 128, 128, 128));
        Touch(s);
    }
}

static void BM_DrawLine(benchmark::State& state)
{
    const BenchSurface surface(state, kWidth, kHeight);
    for (auto _ : state)
    {
        DrawLine(surface.get(), 0, 0, 270, 270, 255, 255, 255);
        Touch(surface.get());
    }
}

// The play screen's real use: a ring on a 90x90 cell picture.
static void BM_DrawCircleCell(benchmark::State& state)
{
    const BenchSurface surface(state, 90, 90);
    for (auto _ : state)
    {
        DrawCircle(surface.get(), 45, 45, 45);
        Touch(surface.get());
    }
}

static void BM_DrawCircleWindow(benchmark::State& state)
{
    const BenchSurface surface(state, kWidth, kHeight);
    for (auto _ : state)
    {
        DrawCircle(surface.get(), 240, 136, 135);
        Touch(surface.get());
    }
}

static void ForEachDepth(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("bpp");
    for (const int depth : kDepths)
    {
        benchmark->Arg(depth);
    }
    benchmark->Repetitions(9)->ReportAggregatesOnly(true)->MinTime(0.1);
}

BENCHMARK(BM_ClearSurface)->Apply(ForEachDepth);
BENCHMARK(BM_FillRectClear)->Apply(ForEachDepth);
BENCHMARK(BM_DrawPanel)->Apply(ForEachDepth);
BENCHMARK(BM_FillRectPanel)->Apply(ForEachDepth);
BENCHMARK(BM_DrawLine)->Apply(ForEachDepth);
BENCHMARK(BM_DrawCircleCell)->Apply(ForEachDepth);
BENCHMARK(BM_DrawCircleWindow)->Apply(ForEachDepth);

// Reported after the table as each primitive's time relative to its SDL_FillRect equivalent.
static const bool ratiosRegistered = []
{
    for (const int depth : kDepths)
    {
        const std::string suffix = "/bpp:" + std::to_string(depth);
        const std::string label = " " + std::to_string(depth) + "bpp";
        AddRatio("ClearSurface/FillRect" + label, "BM_ClearSurface" + suffix,
                 "BM_FillRectClear" + suffix);
        AddRatio("DrawPanel/FillRect x2" + label, "BM_DrawPanel" + suffix,
                 "BM_FillRectPanel" + suffix);
    }
    return true;
}();
