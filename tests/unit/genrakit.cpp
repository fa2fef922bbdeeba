// Shared set-up of the generator tests.
#include "tests/unit/genrakit.h"

#include <cstdint>
#include <fstream>

#include "editor/corutils.h"
#include "editor/getparam.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"

namespace zektest {

void writefile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

std::vector<std::string> report() {
    std::vector<std::string> lines;
    for (int n = 2; linetext(7, n) != "<none>"; n++) lines.push_back(linetext(7, n));
    int saved = zek::corenum;
    zek::corenum = 7;
    zek::clrfile();
    zek::corenum = saved;
    return lines;
}

static void run(void (*command)(), const std::string& file) {
    snprintf(zek::curfile, sizeof zek::curfile, "%s", file.c_str());
    command();
}

void loadgrammar(const std::string& attributes, const std::string& terminals, const std::string& lexicon) {
    writefile("g.att", attributes);
    writefile("g.tmn", terminals);
    writefile("g.lex", lexicon);
    run(zek::qreadattr, "g.att");
    run(zek::qreadterm, "g.tmn");
    run(zek::qreadlex, "g.lex");
    report();
}

void loadsyntax(const std::string& text) {
    writefile("s.syn", text);
    run(zek::qreadsyn, "s.syn");
    report();
}

void nextdraw(double u) {
    // seed x 3125 must give u x 2^32: multiply by the inverse of 3125 modulo 2^32.
    uint32_t inverse = 1;
    for (int i = 0; i < 5; i++) inverse *= 2 - 3125u * inverse;
    zek::seed = static_cast<uint32_t>(u * 4294967296.0) * inverse;
}

}  // namespace zektest
