// Micro-benchmarks of what the undo journal adds to editing: lines typed key by key (a step for
// each RETURN and for each line's run of typing) and a CHANGE too large for the journal's bound.
// Each runs with the bound at 500 kilobytes and with the journal off (0): the difference is the
// journal's cost.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "editor/journal.h"
#include "editor/terminal_xq.h"
#include "tests/unit/harness.h"

namespace {

// A fresh session with the journal's bound at `kilobytes`, its output thrown away: the keys of
// a long run would otherwise pile up in the harness's memory.
void session(long kilobytes) {
    zektest::fresh();
    static FILE* nowhere = fopen("/dev/null", "w");
    zek::xqout = nowhere;
    zek::xqwatch = nullptr;
    zektest::runkeys("\x03" "ED11|" + std::to_string(kilobytes) + "\r\r");
}

void BM_TypeLines(benchmark::State& state) {
    session(state.range(0));
    std::string keys;
    for (int i = 0; i < 1000; i++) keys += "the quick brown fox jumps over the lazy dog, 0123456789 and then some\r";
    for (auto _ : state) {
        zektest::runkeys(keys);
        state.PauseTiming();
        zektest::runkeys("\x03" "CL\r\r");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(keys.size()));
}

void BM_ChangeLargerThanTheBound(benchmark::State& state) {
    zektest::ScratchDir scratch;
    session(state.range(0));
    // lines of about 60 bytes, one word in seven "cat", as bench/change.py makes them
    static const char* const words[] = {"alpha", "beta", "cat", "delta", "omega", "kappa", "sigma"};
    std::mt19937 rng(3);
    std::string text, line;
    while (text.size() < 2000000) {
        line += words[rng() % 7];
        line += line.size() > 60 ? '\n' : ' ';
        if (line.back() == '\n') text += line, line.clear();
    }
    std::ofstream("words.txt") << text;
    for (auto _ : state) {
        state.PauseTiming();
        zektest::runkeys("\x03" "FEwords.txt\r\r");
        zek::journalforget();
        state.ResumeTiming();
        zektest::runkeys("\x03" "CHcat|dog\r\r");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}

}  // namespace

BENCHMARK(BM_TypeLines)->Arg(500)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangeLargerThanTheBound)->Arg(500)->Arg(0)->Unit(benchmark::kMillisecond);
