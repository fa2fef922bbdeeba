// Fuzz target: the fuzzer's bytes are a learner's response, analysed as the compare key does
// against the runs of the example grammar, which is loaded once.
#include "editor/corutils.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"
#include "tests/fuzz/fuzzkit.h"
#include "tests/unit/genrakit.h"
#include "tests/unit/harness.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    zekfuzz::setup(argc, argv);
    zekfuzz::Input input(2000);
    // The exercise of the example grammar: a question and its answer, the analysis tables, and
    // the phonology pass.
    zekfuzz::loadexamples({"AT", "TM", "LE", "SY", "MO", "TB", "MR", "TG", "IP"});
    zektest::runkeys("\003USexamples/grammar/exercise.qa\rMP21|10\rRA123457\r\r\033g");
    zekfuzz::show({7});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zekfuzz::Input input(2000, false);
    zektest::setkeys(std::string(200, '\r'));
    // The store holds no byte 255: what a user could not type is typed as "?".
    std::string response = zekfuzz::text(data, size);
    for (char& ch : response) {
        if (static_cast<unsigned char>(ch) == 255) ch = '?';
    }
    try {
        for (int c : {1, 15}) {
            zek::corenum = c;
            zek::clrfile();
        }
        zektest::report();
        zek::corenum = 1;
        zektest::settext(response);
        zek::qnewcompare();
    } catch (const zektest::EndOfInput&) {
    }
    zekfuzz::show({1, 3, 7, 15});
    return 0;
}
