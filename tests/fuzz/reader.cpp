// Fuzz target: the fuzzer's bytes are one description file, loaded by its command after the
// example grammar's files it builds on; a grammar that loads is then run once. ZEK_READER names
// the kind ("AT", "TM", "LE", "SY", "MO", "TB", "IP", "MR", "TG", "SM", "LX").
#include <cstring>
#include <vector>

#include "editor/getparam.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"
#include "tests/fuzz/fuzzkit.h"
#include "tests/unit/genrakit.h"
#include "tests/unit/harness.h"

namespace {

struct kind {
    const char* name;
    void (*load)();
    std::vector<const char*> before;  // the example files loaded first
    bool run;                                   // generate a sentence afterwards
};

const kind kinds[] = {
    {"AT", zek::qreadattr, {}, false},
    {"TM", zek::qreadterm, {"AT"}, false},
    {"LE", zek::qreadlex, {"AT", "TM", "SY", "MO", "TB"}, true},
    {"SY", zek::qreadsyn, {"AT", "TM", "LE", "MO", "TB"}, true},
    {"MO", zek::qreadmorph, {"AT", "TM", "LE", "SY", "TB"}, true},
    {"TB", zek::qreadtables, {"AT", "TM", "LE", "SY", "MO"}, true},
    {"IP", zek::qreadipa, {"AT", "TM"}, false},
    {"MR", zek::qreadmerror, {"AT", "TM", "MO"}, false},
    {"TG", zek::qreadtag, {"AT", "TM"}, false},
    {"SM", zek::qreadsem, {"AT", "TM", "LE", "SY", "MO", "TB"}, true},
    {"LX", zek::qreadtrans, {"AT", "TM", "LE", "SY", "MO", "TB"}, true},
};

const kind& chosen() {
    for (const kind& k : kinds) {
        if (strcmp(k.name, ZEK_READER) == 0) return k;
    }
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    zekfuzz::setup(argc, argv);
    chosen();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const kind& k = chosen();
    zekfuzz::Input input(2000);
    // Messages that wait are answered with RETURN, so that a reader goes on after each.
    zektest::setkeys(std::string(200, '\r'));
    try {
        zekfuzz::loadexamples(k.before);
        zekfuzz::writefile("fuzzed", zekfuzz::text(data, size));
        zekfuzz::runcommand(k.load, "fuzzed");
        if (k.run && (zek::installed & zek::QF_LE) && (zek::synstat || zek::userstat)) {
            zek::reseed(7);
            zek::generate();
        }
    } catch (const zektest::EndOfInput&) {
    }
    zekfuzz::show({1, 3, 7, 15});
    return 0;
}
