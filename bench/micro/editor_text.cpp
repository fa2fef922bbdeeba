// Micro-benchmarks of the editor's inner loops on text: the plain-pattern search of CHANGE,
// FETCH of a file into lines, SORT of lines by a prefixed key, a MERGE expansion, and a report
// added line by line at the end of a corefile (as an analysis writes one).
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <string>

#include "editor/corutils.h"
#include "editor/merger.h"
#include "editor/scan.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

namespace {

// `lines` lines of 3 to 29 random lower-case letters, as the sort benchmark makes them.
std::string randomlines(int lines, unsigned seed) {
    std::mt19937 rng(seed);
    std::string text;
    for (int i = 0; i < lines; i++) {
        int length = 3 + static_cast<int>(rng() % 27);
        for (int k = 0; k < length; k++) text += static_cast<char>('a' + rng() % 26);
        text += '\n';
    }
    return text;
}

void BM_FindPlain(benchmark::State& state) {
    // "cat" once in about forty bytes, between words that share its first letter
    std::string text;
    for (int i = 0; text.size() < 1000000; i++) text += i % 7 == 0 ? "cat " : "cap crate can ";
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (auto _ : state) {
        long found = 0;
        size_t at = 0;
        while (const void* p = zek::findplain(bytes + at, text.size() - at, "cat", 3)) {
            at = static_cast<size_t>(static_cast<const unsigned char*>(p) - bytes) + 1;
            found++;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}

void BM_Fetch(benchmark::State& state) {
    zektest::ScratchDir scratch;
    zektest::fresh();
    std::string text = randomlines(static_cast<int>(state.range(0)), 7);
    std::ofstream("in.txt") << text;
    for (auto _ : state) zektest::runkeys("\x03" "FEin.txt\r\r");
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}

void BM_Sort(benchmark::State& state) {
    std::string text = randomlines(static_cast<int>(state.range(0)), 5);
    text.pop_back();
    for (auto _ : state) {
        state.PauseTiming();
        zektest::fresh();
        zektest::settext(text);
        state.ResumeTiming();
        zektest::runkeys("\x03" "SO0|15|1|200000\r\r");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_MergeExpand(benchmark::State& state) {
    zektest::fresh();
    zektest::records("Smithson|Johanna|42|", 1);
    static const std::string letter = "Dear #2 #1,\rWe hold #3 items of yours.\r\rYours,\rThe Office\r\r";
    for (auto _ : state) {
        zek::mrgptr = letter.c_str();
        zek::mrglen = static_cast<int>(letter.size());
        benchmark::DoNotOptimize(zek::merge());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_AppendReport(benchmark::State& state) {
    zektest::fresh();
    int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        int saved = zek::corenum;
        zek::corenum = 7;
        zek::removefile();
        zek::corenum = saved;
        zek::garbage();  // the store the last report took is free again
        state.ResumeTiming();
        for (int i = 0; i < lines; i++) {
            if (!zek::appendline(7, "teacher: watches for watch, a form of the verb", zek::OBJ_TEXT)) {
                state.SkipWithError("the store is full");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * lines);
}

}  // namespace

BENCHMARK(BM_FindPlain);
BENCHMARK(BM_Fetch)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeExpand);
BENCHMARK(BM_AppendReport)->Arg(400);
