// Micro-benchmarks of the lexical lookup: one lookup drawn again and again (the generator's
// case, answered from the kept candidates) and one whose rows change every time (a scan of the
// terminal's entries), at two lexicon sizes.
#include <benchmark/benchmark.h>

#include <string>

#include "genra/attr_data.h"
#include "genra/lex_scan.h"
#include "genra/syn_cf.h"
#include "genra/trees.h"
#include "tests/unit/genrakit.h"

namespace {

// A lexicon of `n` nouns, half singular and half plural, and four adjectives.
void grownlexicon(long n) {
    zektest::fresh();
    std::string lex;
    for (long k = 0; k < n; k++) {
        lex += "\"w" + std::to_string(k) + "\"|N|noun." + (k % 2 ? "sing" : "plur") + "|" + std::to_string(1 + k % 7) + "|\n";
    }
    for (const char* a : {"big", "small", "red", "old"}) lex += std::string("\"") + a + "\"|ADJ|adj|1|\n";
    zektest::loadgrammar("cat ( noun, adj ) number ( sing, plur )", "N ADJ", lex);
}

void draws(benchmark::State& state, const char* leaf, bool forget) {
    zektest::ScratchDir scratch;
    grownlexicon(state.range(0));
    zek::t_treenode node = zek::nodefromtext(leaf);
    for (auto _ : state) {
        if (forget) zek::forget_lookups();
        zek::getdictent(node->dictionary);
        benchmark::DoNotOptimize(node->dictionary->dictionary);
    }
    zek::purgelookups(0);
    zek::purge_node(&node);
}

void BM_LookupRepeated(benchmark::State& state) { draws(state, "N[noun.sing]", false); }
void BM_LookupScanned(benchmark::State& state) { draws(state, "N[noun.sing]", true); }

}  // namespace

BENCHMARK(BM_LookupRepeated)->Arg(211)->Arg(10000);
BENCHMARK(BM_LookupScanned)->Arg(211)->Arg(10000);
