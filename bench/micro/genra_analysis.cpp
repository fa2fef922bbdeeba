// Micro-benchmark of the spelling distance of the response analysis, on word pairs of the
// lengths a learner types: equal, one letter apart, unrelated, and lengths that end it early.
#include <benchmark/benchmark.h>

#include "genra/stud_err.h"

namespace {

void BM_Strdiff(benchmark::State& state) {
    static const char* const pairs[][2] = {{"teacher", "teacher"}, {"watches", "watch"}, {"puppy", "pupy"},
                                           {"tomorrow", "yesterday"}, {"sleep", "sleeping"}, {"hens", "chickens"},
                                           {"beautiful", "beatiful"}, {"a", "an"}};
    for (auto _ : state) {
        for (const auto& p : pairs) benchmark::DoNotOptimize(zek::strdiff(p[0], p[1]));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(sizeof pairs / sizeof pairs[0]));
}

}  // namespace

BENCHMARK(BM_Strdiff);
