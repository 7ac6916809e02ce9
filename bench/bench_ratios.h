#ifndef NOUGHTS_BENCH_BENCH_RATIOS_H
#define NOUGHTS_BENCH_BENCH_RATIOS_H

#include <string>

// Asks the benchmark runner to print, after the usual table, the median time of the run named
// mine relative to the run named theirs (full run names such as "BM_DrawPanel/bpp:32"), and
// how many of mine run per second. Call during static initialisation.
void AddRatio(const std::string& label, const std::string& mine, const std::string& theirs);

#endif
