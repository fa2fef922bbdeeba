// The random source and the matching of lexical entries.
#include "genra/utilities.h"

#include <sys/time.h>

#include <cstring>
#include <string>

#include "genra/input_base.h"

namespace zek {

uint32_t seed = 1;

constexpr unsigned char ATTRMARK = 25;  // begins a compiled attribute component

long getrandom(long range) {
    seed = seed * 3125u;
    double u = seed / 4294967296.0;
    if (range <= 0) return 0;
    long r = static_cast<long>(static_cast<double>(range) * u);
    return r >= range ? range - 1 : r;
}

void reseed(unsigned long sd) {
    if (sd == 0) {
        struct timeval tv;
        gettimeofday(&tv, nullptr);
        sd = static_cast<unsigned long>(tv.tv_usec);
    }
    seed = static_cast<uint32_t>(sd) | 1u;
    q_printf(MSGCORE, "Setting random seed: %lu", static_cast<unsigned long>(seed));
}

void printseed(int corefile) { q_printf(corefile, "Current random seed: %lu", static_cast<unsigned long>(seed)); }

int match_wild(const char* p, const char* s, char pe, char se) {
    auto pend = [pe](const char* x) { return *x == 0 || *x == pe; };
    auto send = [se](const char* x) { return *x == 0 || *x == se; };
    const char* star = nullptr;
    const char* taken = nullptr;
    for (;;) {
        if (!pend(p) && *p == '*') {
            star = ++p;
            taken = s;
            continue;
        }
        if (send(s)) {
            while (!pend(p) && *p == '*') p++;
            return pend(p) ? 1 : 0;
        }
        if (!pend(p) && *p == *s) {
            p++;
            s++;
            continue;
        }
        if (star == nullptr) return 0;
        p = star;
        s = ++taken;
    }
}

const char* getfieldptr(const char* entry, int n) {
    static const char empty[] = "";
    if (entry == nullptr) return empty;
    const char* p = entry;
    for (int field = 1; field < n; field++) {
        while (*p != 0 && *p != '|') {
            if (static_cast<unsigned char>(*p) == ATTRMARK && p[1] != 0 && p[2] != 0) p += 2;
            p++;
        }
        if (*p == 0) return p;
        p++;
    }
    return p;
}

int fieldlength(const char* f) {
    const char* p = f;
    while (*p != 0 && *p != '|') {
        if (static_cast<unsigned char>(*p) == ATTRMARK && p[1] != 0 && p[2] != 0) p += 2;
        p++;
    }
    return static_cast<int>(p - f);
}

// Splits `text` (up to its "|" or end) at the separator characters outside double quotes and
// calls `each` with every item; stops early when `each` returns true. Returns that result.
template <typename Each>
static bool items(const char* text, const char* separators, Each each) {
    std::string item;
    bool quoted = false;
    for (const char* p = text;; p++) {
        char c = *p;
        bool end = c == 0 || (c == '|' && !quoted);
        if (end || (!quoted && strchr(separators, c) != nullptr)) {
            if (each(item)) return true;
            item.clear();
            if (end) return false;
            continue;
        }
        if (c == '"') quoted = !quoted;
        item += c;
    }
}

int match_list(const char* p, const char* list) {
    std::string pattern(p);
    return items(list, ",:;", [&](const std::string& item) {
        return match_wild(pattern.c_str(), item.c_str(), 0, 0) == 1;
    }) ? 1 : 0;
}

int match_pattlist(const char* patterns, const char* list) {
    bool failed = items(patterns, ",", [&](const std::string& pattern) { return match_list(pattern.c_str(), list) == 0; });
    return failed ? 0 : 1;
}

int match_lsp(const char* lsp, const char* lex) {
    if (lsp == nullptr) return 1;
    for (int field = 4;; field++) {
        const char* want = getfieldptr(lsp, field);
        if (*want == 0) return 1;  // no more restriction fields
        const char* have = getfieldptr(lex, field);
        int wantlength = fieldlength(want);
        if (wantlength == 1 && want[0] == '?') continue;
        if (*have == 0) return 0;  // the entry has fewer fields
        if (wantlength == 0) {
            if (fieldlength(have) != 0) return 0;
            continue;
        }
        if (!match_pattlist(want, have)) return 0;
    }
}

}  // namespace zek
