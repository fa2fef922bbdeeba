// Fuzz target: the fuzzer's bytes are typed as keys into a fresh editor, from the command line
// on, as a user or a driver program would type them.
//
// When the keys run out, the user gives up as a user would: rubout answers whatever waits (a
// message, a parameter, the command line) until the editor is back in its loop, where the run
// ends. A script that runs on and on meets an interrupt after 20000 keys, which drops every
// pushed string, and then ends the same way. So an input never hangs, and what an operation
// holds is released by the operation itself rather than abandoned half-way.
#include <cstdio>

#include "editor/editor.h"
#include "editor/scrin.h"
#include "tests/fuzz/fuzzkit.h"
#include "tests/unit/harness.h"

namespace {

constexpr long KEYS = 20000;
constexpr int RUBOUTS = 200;  // a rubout for each wait the editor can be in, and then some
long keys = 0;
int rubouts = 0;
bool ended = false;

void countkey() {
    if (++keys != KEYS) return;
    fseek(zek::inptr, 0, SEEK_END);
    zek::IntHandler(0);
}

void giveup() {
    ended = true;
    if (++rubouts > RUBOUTS) throw zektest::EndOfInput{};
    static const char rubout[] = "\x7f";
    zek::pushfn(rubout);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    zekfuzz::setup(argc, argv, true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zekfuzz::Input input;
    keys = rubouts = 0;
    ended = false;
    zek::keywatch = countkey;
    zek::endofinput = giveup;
    zektest::setkeys("\003" + zekfuzz::text(data, size));
    try {
        while (!ended && zek::overflg == 0) zek::editstep();
    } catch (const zektest::EndOfInput&) {
    }
    return 0;
}
