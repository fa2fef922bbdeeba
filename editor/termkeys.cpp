// Recognising the terminal's key sequences (from its description and the forms VT-style
// terminals share), and the table of what each terminal key does.
#include "editor/termkeys.h"

#include <cstring>
#include <iterator>

#include "editor/scrin.h"

namespace zek {

keydecoder termkeys;

void keydecoder::add(const std::string& sequence, int key, int mods) {
    if (sequence.size() < 2 || sequence[0] != '\x1b') return;  // only ESC sequences are keys
    for (const entry& e : known) {
        if (e.sequence == sequence) return;  // the first meaning stays
    }
    known.push_back({sequence, {key, mods}});
}

// The key of "ESC [ n ~" by its number n.
static int tildekey(int n) {
    switch (n) {
        case 1: case 7: return TK_HOME;
        case 2: return TK_INSERT;
        case 3: return TK_DELETE;
        case 4: case 8: return TK_END;
        case 5: return TK_PGUP;
        case 6: return TK_PGDN;
        case 11: case 12: case 13: case 14: case 15: return TK_F1 + n - 11;
        case 17: case 18: case 19: case 20: case 21: return TK_F1 + n - 12;
        case 23: case 24: return TK_F1 + n - 13;
        default: return TK_UNKNOWN;
    }
}

// The key of a final letter: "ESC [ X", "ESC O X" and "ESC [ 1 ; m X".
static int letterkey(unsigned char c) {
    switch (c) {
        case 'A': return TK_UP;
        case 'B': return TK_DOWN;
        case 'C': return TK_RIGHT;
        case 'D': return TK_LEFT;
        case 'H': return TK_HOME;
        case 'F': return TK_END;
        case 'E': return TK_CENTRE;
        case 'P': case 'Q': case 'R': case 'S': return TK_F1 + (c - 'P');
        default: return TK_UNKNOWN;
    }
}

void keydecoder::addstandard() {
    const std::string csi = "\x1b[";
    const std::string ss3 = "\x1bO";
    for (const char* c = "ABCDHFE"; *c != 0; c++) {
        add(csi + *c, letterkey(static_cast<unsigned char>(*c)));
        add(ss3 + *c, letterkey(static_cast<unsigned char>(*c)));
    }
    for (const char* c = "PQRS"; *c != 0; c++) add(ss3 + *c, letterkey(static_cast<unsigned char>(*c)));
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24}) {
        add(csi + std::to_string(n) + "~", tildekey(n));
    }
    add(csi + "Z", TK_BACKTAB);
}

// "ESC [ params final": a key when it has parameters (a terminal's key with a number or with
// modifiers); without them it is one of the editor's own ESC [ keys.
static seqstate csikey(const unsigned char* b, size_t n, termkey& out) {
    size_t i = 2;
    while (i < n && b[i] >= 0x20 && b[i] <= 0x3F) i++;
    if (i == n) return SEQ_PREFIX;
    if (b[i] < 0x40 || b[i] > 0x7E || i != n - 1) return SEQ_NOT;
    if (i == 2) return SEQ_NOT;
    int params[2] = {0, 0};
    int count = 0;
    bool plain = true;  // digits and ";" only
    for (size_t k = 2; k < i; k++) {
        if (b[k] == ';') {
            count++;
        } else if (b[k] >= '0' && b[k] <= '9') {
            if (count < 2 && params[count] < 1000) params[count] = params[count] * 10 + (b[k] - '0');
        } else {
            plain = false;
        }
    }
    out = termkey{};
    out.key = TK_UNKNOWN;
    if (!plain || count > 1) return SEQ_KEY;
    if (b[i] == '~') {
        out.key = tildekey(params[0]);
    } else if (params[0] == 1 || params[0] == 0) {
        out.key = letterkey(b[i]);
    }
    if (count == 1 && params[1] >= 2 && params[1] <= 16) out.mods = (params[1] - 1) & (TKM_SHIFT | TKM_ALT | TKM_CTRL);
    return SEQ_KEY;
}

seqstate keydecoder::classify(const unsigned char* b, size_t n, termkey& out) const {
    if (n == 0 || b[0] != 0x1b) return SEQ_NOT;
    bool prefix = n == 1;
    for (const entry& e : known) {
        if (e.sequence.size() < n || memcmp(e.sequence.data(), b, n) != 0) continue;
        if (e.sequence.size() == n) {
            out = e.key;
            return SEQ_KEY;
        }
        prefix = true;
    }
    if (prefix) return SEQ_PREFIX;
    if (n >= 2 && b[1] == '[') return csikey(b, n, out);
    return SEQ_NOT;
}

namespace {

// What the terminal's keys do: the operations of the key table that fit them. Keys missing
// here ring the bell.
const termkeybinding bindings[] = {
    {{TK_F1, 0}, OP_HELP},
    {{TK_UP, 0}, 20},
    {{TK_DOWN, 0}, 18},
    {{TK_LEFT, 0}, 17},
    {{TK_RIGHT, 0}, 19},
    {{TK_LEFT, TKM_CTRL}, 82},
    {{TK_RIGHT, TKM_CTRL}, 81},
    {{TK_HOME, 0}, 66},
    {{TK_END, 0}, 68},
    {{TK_PGUP, 0}, 28},
    {{TK_PGDN, 0}, 30},
    {{TK_INSERT, 0}, 22},
    {{TK_DELETE, 0}, OP_DELETE},
    {{TK_F1 + 1, 0}, OP_FNKEY0 + 2},
    {{TK_F1 + 2, 0}, OP_FNKEY0 + 3},
    {{TK_F1 + 3, 0}, OP_FNKEY0 + 4},
    {{TK_F1 + 4, 0}, OP_FNKEY0 + 5},
    {{TK_F1 + 5, 0}, OP_FNKEY0 + 6},
    {{TK_F1 + 6, 0}, OP_FNKEY0 + 7},
    {{TK_F1 + 7, 0}, OP_FNKEY0 + 8},
    {{TK_F1 + 8, 0}, OP_FNKEY0 + 9},
};

}  // namespace

int utf8char(const unsigned char* bytes, size_t n, long& code) {
    if (n == 0) return 0;
    unsigned char lead = bytes[0];
    int length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
               : lead >= 0xF0 && lead <= 0xF4 ? 4 : -1;
    if (length < 0) return -1;
    code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < n && i < static_cast<size_t>(length); i++) {
        if ((bytes[i] & 0xC0) != 0x80) return -1;
        code = (code << 6) | (bytes[i] & 0x3F);
    }
    if (n < static_cast<size_t>(length)) return 0;
    static const long least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return -1;
    return length;
}

int termkeyop(const termkey& k) {
    for (const termkeybinding& b : bindings) {
        if (b.key.key == k.key && b.key.mods == k.mods) return b.op;
    }
    return 0;
}

std::vector<termkeybinding> termkeybindings() { return std::vector<termkeybinding>(std::begin(bindings), std::end(bindings)); }

std::string termkeyname(const termkey& k) {
    static const char* const names[] = {"", "Up", "Down", "Right", "Left", "Home", "End", "PgUp",
                                        "PgDn", "Insert", "Delete", "Shift-Tab", "Keypad 5"};
    std::string name;
    if (k.mods & TKM_CTRL) name += "Ctrl-";
    if (k.mods & TKM_ALT) name += "Alt-";
    if (k.mods & TKM_SHIFT) name += "Shift-";
    if (k.key > TK_NONE && k.key < TK_F1) {
        name += names[k.key];
    } else if (k.key >= TK_F1 && k.key <= TK_F12) {
        name += "F" + std::to_string(k.key - TK_F1 + 1);
    } else {
        name += "an unknown key";
    }
    return name;
}

void loadtermkeys(const char* (*capability)(const char* name)) {
    termkeys.clear();
    static const struct {
        const char* cap;
        int key;
        int mods;
    } caps[] = {
        {"kcuu1", TK_UP, 0},         {"kcud1", TK_DOWN, 0},       {"kcuf1", TK_RIGHT, 0},
        {"kcub1", TK_LEFT, 0},       {"khome", TK_HOME, 0},       {"kend", TK_END, 0},
        {"kpp", TK_PGUP, 0},         {"knp", TK_PGDN, 0},         {"kich1", TK_INSERT, 0},
        {"kdch1", TK_DELETE, 0},     {"kcbt", TK_BACKTAB, 0},     {"kb2", TK_CENTRE, 0},
        {"kri", TK_UP, TKM_SHIFT},   {"kind", TK_DOWN, TKM_SHIFT}, {"kLFT", TK_LEFT, TKM_SHIFT},
        {"kRIT", TK_RIGHT, TKM_SHIFT}, {"kHOM", TK_HOME, TKM_SHIFT}, {"kEND", TK_END, TKM_SHIFT},
        {"kLFT5", TK_LEFT, TKM_CTRL}, {"kRIT5", TK_RIGHT, TKM_CTRL}, {"kUP5", TK_UP, TKM_CTRL},
        {"kDN5", TK_DOWN, TKM_CTRL},
    };
    if (capability != nullptr) {
        for (const auto& c : caps) {
            if (const char* s = capability(c.cap)) termkeys.add(s, c.key, c.mods);
        }
        for (int f = 1; f <= 24; f++) {
            std::string cap = "kf" + std::to_string(f);
            const char* s = capability(cap.c_str());
            if (s == nullptr) continue;
            if (f <= 12) {
                termkeys.add(s, TK_F1 + f - 1);
            } else {
                termkeys.add(s, TK_F1 + f - 13, TKM_SHIFT);
            }
        }
    }
    termkeys.addstandard();
}

}  // namespace zek
