// The terminal's own keys in screen mode: the byte sequences a terminal sends for its cursor,
// editing and function keys, recognised as whole keys so that none of them reaches the text,
// and what each key does in the editor.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zek {

enum : int {
    TK_NONE = 0,
    TK_UP,
    TK_DOWN,
    TK_RIGHT,
    TK_LEFT,
    TK_HOME,
    TK_END,
    TK_PGUP,
    TK_PGDN,
    TK_INSERT,
    TK_DELETE,
    TK_BACKTAB,
    TK_CENTRE,  // the keypad's middle key
    TK_F1,
    TK_F12 = TK_F1 + 11,
    TK_UNKNOWN,  // a sequence of the terminal's key syntax that names no key above
    TK_CHAR,     // a Latin-1 character that a UTF-8 terminal sent as several bytes (in `ch`)
};

// Modifier bits, as the terminals' "ESC [ 1 ; m X" forms count them (m - 1).
constexpr int TKM_SHIFT = 1;
constexpr int TKM_ALT = 2;
constexpr int TKM_CTRL = 4;

struct termkey {
    int key = TK_NONE;
    int mods = 0;
    int ch = 0;  // of TK_CHAR
};

// One character of a UTF-8 terminal's input in `bytes` (n of them so far): its length when the
// bytes are exactly one character (its code in `code`), 0 when more bytes could make one, -1
// when they are no UTF-8 (a stray continuation byte, an overlong or surrogate form).
int utf8char(const unsigned char* bytes, size_t n, long& code);

// Where a run of bytes that begins with ESC stands.
enum seqstate { SEQ_NOT, SEQ_PREFIX, SEQ_KEY };

// The sequences of one terminal: those its description names, and the forms that VT-style
// terminals send whatever their description says (cursor keys in either keypad mode, Home and
// End in their several forms, and every key with modifiers).
class keydecoder {
public:
    void clear() { known.clear(); }
    void add(const std::string& sequence, int key, int mods = 0);
    void addstandard();
    // SEQ_KEY: the bytes are exactly one key (in `out`); SEQ_PREFIX: more bytes could make a
    // key; SEQ_NOT: no key begins so.
    seqstate classify(const unsigned char* bytes, size_t n, termkey& out) const;

private:
    struct entry {
        std::string sequence;
        termkey key;
    };
    std::vector<entry> known;
};

extern keydecoder termkeys;

// What a terminal key does: an operation number of the key table (or a function key, or the
// help view); 0 for a key that has no operation here (it rings the bell).
int termkeyop(const termkey& k);
// "Home", "Ctrl-Left", "F5": the key's name for the help view and messages.
std::string termkeyname(const termkey& k);

// Every key that does something, in the order the help view lists them.
struct termkeybinding {
    termkey key;
    int op;
};
std::vector<termkeybinding> termkeybindings();

// Fills `termkeys` for the terminal in use: `capability` gives a terminfo string by its name,
// or nullptr.
void loadtermkeys(const char* (*capability)(const char* name));

}  // namespace zek
