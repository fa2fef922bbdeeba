// Fuzz target: the fuzzer's bytes are typed as keys into a fresh editor, from the command line
// on, as a user or a driver program would type them.
#include "tests/fuzz/fuzzkit.h"
#include "tests/unit/harness.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    zekfuzz::setup(argc, argv, true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Each key may start a command; the bound keeps an input's run short, loops included.
    zekfuzz::Input input(20000);
    zektest::runkeys("\003" + zekfuzz::text(data, size));
    return 0;
}
