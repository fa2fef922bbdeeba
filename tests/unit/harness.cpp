// Runs the editor in process on a fresh state: keys from a memory stream, forwarded output
// captured in memory, no terminal and no signal handlers.
#include "tests/unit/harness.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <set>

#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/linutils.h"
#include "editor/main.h"
#include "genra/uninstall.h"
#include "editor/scrin.h"
#include "editor/terminal_xq.h"

namespace zektest {

static char* outbuf = nullptr;
static size_t outlen = 0;
static FILE* outstream = nullptr;
static std::string keybuffer;
static FILE* keystream = nullptr;
static size_t consumed = 0;  // output already handed out by takeoutput
static std::vector<std::string> composed;

static void watch(const char* text) { composed.emplace_back(text); }

static void throweof() { throw EndOfInput{}; }

static long keysleft = 0;

static void countkey() {
    if (--keysleft < 0) throw EndOfInput{};
}

void keylimit(long n) {
    keysleft = n;
    zek::keywatch = countkey;
}

void setkeys(const std::string& keys) {
    if (keystream != nullptr) fclose(keystream);
    keybuffer = keys;
    if (keybuffer.empty()) {
        keystream = fopen("/dev/null", "r");
    } else {
        keystream = fmemopen(keybuffer.data(), keybuffer.size(), "r");
    }
    zek::inptr = keystream;
}

void fresh(const std::string& keys) {
    zek::loaddefaults();
    zek::resetgenra();
    if (outstream != nullptr) fclose(outstream);
    free(outbuf);
    outbuf = nullptr;
    outlen = 0;
    consumed = 0;
    outstream = open_memstream(&outbuf, &outlen);
    zek::xqout = outstream;
    zek::endofinput = throweof;
    zek::keywatch = nullptr;
    composed.clear();
    zek::xqwatch = watch;
    setkeys(keys);
}

std::vector<std::string> takesequences() {
    std::vector<std::string> s;
    s.swap(composed);
    return s;
}

std::string keytrace(int limit) {
    std::string s;
    try {
        for (int n = 0; n < limit; n++) {
            zek::fetchchar();
            if (zek::type >= zek::OP_OTHER && zek::type <= zek::OP_NAME) {
                s += static_cast<char>(zek::holdch);
            } else {
                s += "<" + std::to_string(zek::type) + ">";
            }
        }
    } catch (const EndOfInput&) {
    }
    return s;
}

int runkeys(const std::string& keys) {
    setkeys(keys);
    int passes = 0;
    try {
        while (zek::overflg == 0) {
            zek::editstep();
            passes++;
        }
    } catch (const EndOfInput&) {
    }
    return passes;
}

std::string output() {
    fflush(outstream);
    return std::string(outbuf, outlen).substr(consumed);
}

std::string takeoutput() {
    std::string s = output();
    consumed = outlen;
    return s;
}

static zek::LINE* nthline(int c, int n) {
    zek::LINE* l = zek::core[c].header->down;
    for (int i = 1; i < n && l != zek::core[c].header; i++) l = l->down;
    return l;
}

static std::string chars(const zek::LINE* l) {
    if (l->object == zek::OBJ_EMPTY || l->object == zek::OBJ_PICTURE) return "";
    return std::string(reinterpret_cast<const char*>(zek::textbase + l->index),
                       static_cast<size_t>(l->length));
}

zek::LINE* line(int n) { return nthline(zek::corenum, n); }

std::string linetext(int c, int n) {
    zek::LINE* l = nthline(c, n);
    if (l == zek::core[c].header) return "<none>";
    return chars(l);
}

std::string coretext(int c) {
    std::string s;
    const zek::COREFILE& core = zek::core[c];
    for (zek::LINE* l = core.header->down; l != core.header; l = l->down) {
        if (!s.empty() || l != core.header->down) s += "\n";
        s += chars(l);
    }
    return s;
}

void settext(const std::string& text) {
    zek::clrfile();
    zek::COREFILE& c = zek::cur();
    bool first = true;
    size_t start = 0;
    while (true) {
        size_t end = text.find('\n', start);
        std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!first) zek::allocln(zek::OBJ_EMPTY, 0);
        first = false;
        for (char ch : part) zek::cadd(static_cast<unsigned char>(ch));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    c.lnptr = c.header->down;
    c.curcol = 1;
    c.curline = 1;
    c.disln = c.lnptr;
}

ScratchDir::ScratchDir() {
    char name[] = "/tmp/zekunitXXXXXX";
    if (mkdtemp(name) == nullptr) abort();
    path = name;
    char here[4096];
    if (getcwd(here, sizeof here) == nullptr) abort();
    saved = here;
    if (chdir(name) != 0) abort();
}

ScratchDir::~ScratchDir() {
    if (chdir(saved.c_str()) != 0) perror("chdir");
    std::filesystem::remove_all(path);
}

void fillstore(long room) {
    zek::garbage();
    long n = zek::hiaddr - zek::avail - room;
    int saved = zek::corenum;
    zek::corenum = 2;
    memset(zek::textbase + zek::avail, 'x', static_cast<size_t>(n));
    zek::allocln(zek::OBJ_TEXT, static_cast<int>(n));
    zek::linkphys();
    zek::corenum = saved;
    zek::garbage();
}

std::string storeproblems() {
    std::string problems;
    std::set<zek::LINE*> phys;
    for (zek::LINE* l = zek::firstphys.nextphys; l != nullptr; l = l->nextphys) {
        phys.insert(l);
        if (l->nextphys == nullptr && l != zek::lastphys) problems += "lastphys is not the end; ";
    }
    for (int n = 0; n < zek::NUMCORE; n++) {
        const zek::COREFILE& c = zek::core[n];
        int count = 0;
        long chars = 0;
        std::set<zek::LINE*> live = {c.header};
        for (zek::LINE* l = c.header->down; l != c.header; l = l->down) {
            count++;
            live.insert(l);
            if (l->down->up != l) problems += "broken up link in " + std::to_string(n) + "; ";
            if (l->object == zek::OBJ_DEAD) problems += "dead line in corefile " + std::to_string(n) + "; ";
            // A structured line read without characters (a bare marker) owns no positions.
            bool owns = l->object != zek::OBJ_EMPTY && l->object != zek::OBJ_PICTURE &&
                        (l->length > 0 || l->linked);
            if (owns) {
                chars += l->length;
                if (phys.count(l) == 0) problems += "line with characters not in the physical list; ";
                for (int i = 0; i < l->length; i++) {
                    if (zek::textbase[l->index + i] == zek::FREEPOS) {
                        problems += "free mark inside a live line; ";
                        break;
                    }
                }
            } else if (phys.count(l) != 0 && l->object == zek::OBJ_EMPTY) {
                problems += "empty line in the physical list; ";
            }
        }
        // The corefile's own line pointers name lines of its list, never a moved or dead header.
        const char* names[] = {"lnptr", "disln", "starA", "starB"};
        zek::LINE* pointers[] = {c.lnptr, c.disln, c.starA, c.starB};
        for (int i = 0; i < 4; i++) {
            bool mayrest = i >= 2 && pointers[i] == nullptr;
            if (!mayrest && live.count(pointers[i]) == 0) {
                problems += std::string(names[i]) + " of " + std::to_string(n) + " is not a line of it; ";
            }
        }
        if (count != c.lncount) problems += "lncount of " + std::to_string(n) + " is wrong; ";
        if (chars != c.charcount) problems += "charcount of " + std::to_string(n) + " is wrong; ";
    }
    return problems;
}

}  // namespace zektest
