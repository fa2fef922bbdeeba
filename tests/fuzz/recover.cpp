// Fuzz target: the fuzzer's bytes are a stored tree file, read back by RECOVER over the
// example grammar, and the recovered sentences are shown.
#include "genra/misc.h"
#include "genra/print_procs.h"
#include "tests/fuzz/fuzzkit.h"
#include "tests/unit/harness.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    zekfuzz::setup(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zekfuzz::Input input(2000);
    zektest::setkeys(std::string(200, '\r'));
    try {
        zekfuzz::loadexamples({"AT", "TM", "LE", "SY", "MO", "TB"});
        zekfuzz::writefile("fuzzed.st", zekfuzz::text(data, size));
        zek::restorenode("fuzzed.st");
        for (int n : {0, 1, 2}) zek::sentence_to_core(n, 3);
    } catch (const zektest::EndOfInput&) {
    }
    zekfuzz::show({1, 3, 7, 15});
    return 0;
}
