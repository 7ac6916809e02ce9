// The benchmark runner: SDL's video under the dummy driver, as in the game, repetitions
// interleaved, and the registered ratios of median CPU times printed after the table, headed
// by the SDL 1.2 in use.

#include "bench/bench_ratios.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace
{
struct Ratio
{
    std::string label;
    std::string mine;
    std::string theirs;
};

std::vector<Ratio>& Ratios()
{
    static std::vector<Ratio> ratios;
    return ratios;
}

// The console table as usual, plus the median times kept for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& run : reports)
        {
            if (run.aggregate_name == "median")
            {
                const std::string& args = run.run_name.args;
                const std::string name =
                    run.run_name.function_name + (args.empty() ? "" : "/" + args);
                // CPU time: on a shared machine wall time swings with everyone else's load.
                medians[name] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(reports);
    }

    void PrintRatios() const
    {
        std::printf("\nMedian CPU time relative to its reference, and runs per second:\n");
        for (const Ratio& ratio : Ratios())
        {
            const auto mine = medians.find(ratio.mine);
            const auto theirs = medians.find(ratio.theirs);
            if (mine == medians.end() || theirs == medians.end())
            {
                continue; // left out by --benchmark_filter
            }
            if (mine->second > 0 && theirs->second > 0)
            {
                std::printf("%-28s ratio %.2f  (%.0f per second)\n", ratio.label.c_str(),
                            mine->second / theirs->second, 1.0 / mine->second);
            }
            else
            {
                // A clock too coarse for what a run does measures none: no ratio, and why.
                std::printf("%-28s no ratio: no CPU time measured for %s\n", ratio.label.c_str(),
                            (mine->second > 0 ? ratio.theirs : ratio.mine).c_str());
            }
        }
    }

  private:
    // Seconds per run, whatever unit each benchmark reports in.
    std::map<std::string, double> medians;
};
} // namespace

void AddRatio(const std::string& label, const std::string& mine, const std::string& theirs)
{
    Ratios().push_back({label, mine, theirs});
}

int main(int argc, char** argv)
{
    // The dummy driver makes DrawCircle's update request and the play screen's flip real ones.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
    {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    // Repetitions interleave by default, so a change in the machine's load hits both sides of
    // a ratio alike; a flag given on the command line still wins.
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> arguments(argv, argv + argc);
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
    {
        SDL_Quit();
        return 1;
    }
    const SDL_version* const linked = SDL_Linked_Version();
    std::printf("SDL %d.%d.%d\n", linked->major, linked->minor, linked->patch);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
