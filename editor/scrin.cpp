// fetchchar and everything behind it: the four-plane key table, prefixes, numeric key codes,
// the pushed-string stack with keyboard markers, function keys and the script constructs.
#include "editor/scrin.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "editor/build.h"
#include "editor/corutils.h"
#include "editor/ecap.h"
#include "editor/file.h"
#include "editor/help.h"
#include "editor/scan.h"
#include "editor/scrout.h"
#include "editor/screen.h"
#include "editor/sys_linux.h"
#include "editor/syshandler.h"
#include "editor/sysutils.h"
#include "editor/termkeys.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"

namespace zek {

int intran[KEYTABLESIZE];
unsigned char char_map[CHARMAPSIZE];
int escflg = 0;
int type = 0;
unsigned char holdch = 0;
int transb = 0;
FILE* inptr = nullptr;

const char* fnstack[MAXPUSH + 1];
static const char* fnbase[MAXPUSH + 1];  // start of each pushed string, for loop ownership
int fnptr = 0;
char fn[10][FNLEN + 1];
long keyreads = 0;

int vl_result[MAXLOOP + 1];
int loopdepth = 0;
const char* loopstack[MAXLOOP + 1];
static int loopslot[MAXLOOP + 1];
static const char* loopbase[MAXLOOP + 1];
int loopptr = 0;
char unified[22][WILDLEN];
long matcharray[WILDLEN];
char patt[WILDLEN];
int del = 0;

void (*endofinput)() = endsession_eof;
void (*keywatch)() = nullptr;

static int numvalue = 0;  // the numeric key code being collected
// Bytes of the keyboard that began like a terminal key but were none: read again, one by one.
static unsigned char unread[16];
static int unreadcount = 0;
static const char interruptkey[] = {3, 0};

static void bind(int index, int op) { intran[index] = op; }
static void bindesc(int ch, int op) { intran[PLANE1 + ch] = op; }
static void bindesc2(int ch, int op) { intran[PLANE2 + ch] = op; }
static void bindcode(int code, int op) { intran[PLANENUM + code] = op; }
static int ctl(char c) { return c & 31; }

void initintran() {
    for (int i = 0; i < KEYTABLESIZE; i++) intran[i] = 0;
    for (int i = 0; i < CHARMAPSIZE; i++) char_map[i] = static_cast<unsigned char>(i & 255);

    // Plain bytes.
    for (int c = 32; c < 127; c++) bind(c, OP_OTHER);
    for (int c = '0'; c <= '9'; c++) bind(c, OP_DIGIT);
    for (int c = 'A'; c <= 'Z'; c++) bind(c, OP_NAME);
    for (int c = 'a'; c <= 'z'; c++) bind(c, OP_NAME);
    for (int c : {'-', '.', '/', '_', '~'}) bind(c, OP_NAME);
    bind(0, OP_RESUME);
    bind(ctl('J'), OP_RETURN);
    bind(ctl('M'), OP_RETURN);
    bind(ctl('H'), OP_DELETE);
    bind(127, OP_DELETE);
    bind(27, OP_PREFIX1);
    bind(255, OP_KILL);  // also the end of input
    static const struct { char key; int op; } controls[] = {
        {'F', 10}, {'G', 11}, {'K', 18}, {'X', 19}, {'Z', 20}, {'C', 21}, {'W', 22},
        {'R', 23}, {'E', 25}, {'T', 26}, {'D', 27}, {'P', 28}, {'Q', 30}, {'N', 32},
        {'V', 33}, {'I', 34}, {'B', 35}, {'\\', 38}, {'U', 65}, {'L', 92},
    };
    for (const auto& k : controls) bind(ctl(k.key), k.op);

    // After the first prefix (ESC x): index 128 + x, which is also the plain byte x + 128.
    bindesc(27, OP_PREFIX2);
    bindesc('[', OP_PREFIX2);
    static const struct { int ch; int op; } escs[] = {
        {ctl('N'), 24}, {'n', 31}, {ctl('K'), 37}, {ctl('T'), 40}, {'X', 41}, {'#', 42},
        {'+', 43}, {'-', 44}, {'*', 45}, {'/', 46}, {'@', 47}, {'M', 48}, {'&', 49},
        {'%', 50}, {'$', 51}, {'=', 52}, {'b', 53}, {'d', 53}, {'f', 53}, {'r', 54},
        {'p', 55}, {'z', 56}, {'t', 57}, {'y', 58}, {'x', 59}, {ctl('J'), 60},
        {ctl('Z'), 61}, {'P', 63}, {'R', 64}, {'D', 66}, {'F', 67}, {'C', 68},
        {ctl('B'), 78}, {ctl('D'), 79}, {'g', 97}, {'l', 98}, {'k', 99}, {'j', 101},
        {'m', 102}, {'K', 103}, {'L', 104}, {'N', 105}, {'H', 106}, {'B', 18},
        {'Z', OP_UNDO}, {'W', OP_REDO},
        {ctl('W'), OP_RESUME}, {ctl('Y'), OP_SUSPEND}, {ctl('V'), OP_KILL}, {127, OP_KILL},
        {ctl('X'), OP_ACK}, {'Y', OP_MATCHTEST}, {'S', OP_RESULTTEST}, {'{', OP_LOOPSTART},
        {'|', OP_LOOPEND}, {'}', OP_LOOPTEST}, {'~', OP_LEVELUP}, {'w', OP_LEVELDOWN},
        {'q', OP_IF}, {'u', OP_ELSE}, {'V', OP_ENDIF}, {'v', OP_ENDIF}, {'?', OP_HELP},
    };
    for (const auto& k : escs) bindesc(k.ch, k.op);
    for (int d = 0; d <= 9; d++) bindesc('0' + d, OP_FNKEY0 + d);
    static const struct { int ch; unsigned char accented; } escaccents[] = {
        {'A', 226}, {'E', 234}, {'I', 238}, {'O', 244}, {'U', 251},
        {'a', 225}, {'c', 231}, {'e', 233}, {'i', 237}, {'o', 243},
    };
    for (const auto& k : escaccents) {
        bindesc(k.ch, OP_OTHER);
        char_map[PLANE1 + k.ch] = k.accented;
    }

    // After the second prefix (ESC [ x or ESC ESC x): index 256 + x.
    bindesc2(27, OP_PREFIX2);
    bindesc2('[', OP_PREFIX1);
    for (int c = '0'; c <= '9'; c++) bindesc2(c, OP_NUMCODE);
    static const struct { int ch; int op; } esc2s[] = {
        {'A', 20}, {'B', 18}, {'C', 19}, {'D', 17}, {'F', 29}, {'P', 39},
        {'Q', OP_FNKEY0 + 2}, {'S', OP_FNKEY0 + 4}, {'L', 70}, {'R', 71}, {'W', 80},
        {'b', 66}, {'f', 68}, {ctl('H'), 69}, {'d', 69}, {127, 69}, {'l', 72}, {'r', 73},
        {'c', 74}, {'s', 75}, {'j', 76}, {'t', 77}, {'n', 81}, {'p', 82}, {ctl('E'), 83},
        {ctl('D'), 84}, {ctl('T'), 85}, {ctl('B'), 86}, {ctl('F'), 87}, {ctl('O'), 88},
        {ctl('C'), 89}, {ctl('M'), 90}, {ctl('S'), 91}, {'h', 93}, {'g', 94}, {'m', 95},
        {'k', 96},
    };
    for (const auto& k : esc2s) bindesc2(k.ch, k.op);
    static const struct { int ch; unsigned char accented; } esc2accents[] = {
        {'a', 224}, {'e', 232}, {'i', 236}, {'o', 242}, {'u', 249}, {'N', 241},
    };
    for (const auto& k : esc2accents) {
        bindesc2(k.ch, OP_OTHER);
        char_map[PLANE2 + k.ch] = k.accented;
    }

    // Numeric key codes (ESC [ n ~). Codes 0..39 that have no operation type the characters
    // 128..167, which is what char_map holds for them.
    for (int code = 0; code < 40; code++) bindcode(code, OP_OTHER);
    static const struct { int code; int op; } codes[] = {
        {2, 22}, {3, OP_DELETE}, {5, 28}, {6, 30}, {13, 21}, {23, 19}, {33, 25}, {43, 20},
        {216, 28}, {222, 30}, {194, 70}, {195, 71}, {208, 72}, {210, 73}, {209, 74},
        {15, OP_FNKEY0 + 5}, {17, OP_FNKEY0 + 6}, {18, OP_FNKEY0 + 7}, {19, OP_FNKEY0 + 8},
        {20, OP_FNKEY0 + 9},
    };
    for (const auto& k : codes) bindcode(k.code, k.op);
    for (int n = 1; n <= 9; n++) bindcode(223 + n, OP_FNKEY0 + n);
}

const char* keysourcehelp(int op) {
    static const struct {
        int op;
        const char* text;
    } texts[] = {
        {OP_PREFIX1, "prefix: the next key is read in the ESC table"},
        {OP_PREFIX2, "prefix: the next key is read in the ESC [ table"},
        {OP_NUMCODE, "begins a numeric key code: ESC [ digits, ended by ~ or any other key"},
        {OP_HELP, "this help (screen mode)"},
        {OP_RESUME, "resume a paused script, or the suspended driver program"},
        {OP_SUSPEND, "pause a script for typed keys, or suspend the driver program"},
        {OP_KILL, "end the driver program"},
        {OP_ACK, "acknowledge the driver program (a line feed to it)"},
        {OP_MATCHTEST, "in scripts, {-}n pattern: go on if wildcard variable n is the pattern, else to {:}"},
        {OP_RESULTTEST, "in scripts, {=}n: go on if the result register is n, else to {:}"},
        {OP_LOOPSTART, "in scripts, {<}: a loop starts"},
        {OP_LOOPEND, "in scripts, {>}: back to the loop's start"},
        {OP_LOOPTEST, "in scripts, {^}: count the register down, or leave the loop at 0"},
        {OP_LEVELUP, "in scripts, {$}n: a new result register holding n"},
        {OP_LEVELDOWN, "in scripts, {%}: back to the previous result register"},
        {OP_IF, "in scripts, {?}: go on if the result register is above 0, else to {:}"},
        {OP_ELSE, "in scripts, {:}: else; skip to {.}"},
        {OP_ENDIF, "in scripts, {.}: ends a condition"},
    };
    for (const auto& t : texts) {
        if (t.op == op) return t.text;
    }
    if (op >= OP_FNKEY0 && op <= OP_FNKEY0 + 9) {
        static char text[10][40];
        snprintf(text[op - OP_FNKEY0], sizeof text[0], "run function-key string %d", op - OP_FNKEY0);
        return text[op - OP_FNKEY0];
    }
    return nullptr;
}

void initscrin() {
    initintran();
    escflg = 0;
    type = 0;
    holdch = 0;
    transb = 0;
    for (int i = 0; i <= MAXPUSH; i++) fnstack[i] = fnbase[i] = nullptr;
    fnptr = 0;
    memset(fn, 0, sizeof fn);
    fn[0][0] = 3;  // command key, UPDATE, end of its parameters
    fn[0][1] = 'u';
    fn[0][2] = 'p';
    fn[0][3] = '\r';
    memset(vl_result, 0, sizeof vl_result);
    loopdepth = 0;
    for (int i = 0; i <= MAXLOOP; i++) {
        loopstack[i] = loopbase[i] = nullptr;
        loopslot[i] = 0;
    }
    loopptr = 0;
    memset(unified, 0, sizeof unified);
    memset(matcharray, 0, sizeof matcharray);
    memset(patt, 0, sizeof patt);
    del = 0;
    numvalue = 0;
    unreadcount = 0;
}

void pushfn(const char* string) {
    if (fnptr >= MAXPUSH) return;
    fnptr += 1;
    fnstack[fnptr] = string;
    fnbase[fnptr] = string;
}

void dropslotsin(const char* begin, const char* end) {
    static const char empty[] = "";
    for (int i = 1; i <= fnptr; i++) {
        if (fnstack[i] != nullptr && fnstack[i] >= begin && fnstack[i] <= end) {
            fnstack[i] = fnbase[i] = empty;
        }
    }
    for (int i = 1; i <= loopptr; i++) {
        if (loopstack[i] != nullptr && loopstack[i] >= begin && loopstack[i] <= end) {
            loopstack[i] = loopbase[i] = nullptr;
        }
    }
}

bool stringonstack(const char* string) {
    for (int i = 1; i <= fnptr; i++) {
        if (fnbase[i] == string) return true;
    }
    return false;
}

static bool stringontop() { return fnptr > 0 && fnstack[fnptr] != nullptr; }

void endsession_eof() {
    if (screenmode) {
        // the screen is left first, so that the warnings below stay readable; the terminal is
        // gone or closed: the edited corefiles are kept in copies
        reseterm();
        endterminal();
        savework("end of input");
    }
    for (int n = 0; n < NUMCORE && !screenmode; n++) {
        if (core[n].edited) fprintf(stderr, "zek: end of input: corefile %d not saved\n", n);
    }
    endprog();
    fflush(stdout);
    reseterm();
    endterminal();
    std::exit(0);
}

int zekgetc() {
    if (!inputpending(inptr)) flushforkey();
    for (;;) {
        int c = getc(inptr);
        if (c != EOF) {
            keyreads++;
            return c;
        }
        if (ferror(inptr) && errno == EINTR) {
            clearerr(inptr);
            runsignals();
            // An interrupt pushes the command key, and a killed driver changes the source:
            // let fetchchar look again.
            return -1;
        }
        if (isdriverinput(inptr)) {
            // The driver ended or died: it is put away and keys come from the keyboard again.
            killprog();
            return -1;
        }
        endofinput();
        return 255;
    }
}

// An interrupt acts as the command key. While keys come from pushed strings it first drops
// them all, with their open loops and levels, so that a script that never ends can be stopped.
void IntHandler(int) {
    keyreads++;  // what the interrupt starts is the user's, not the script's
    if (fnptr > 0) {
        for (int i = 1; i <= fnptr; i++) fnstack[i] = fnbase[i] = nullptr;
        fnptr = 0;
        for (int i = 1; i <= loopptr; i++) loopstack[i] = loopbase[i] = nullptr;
        loopptr = 0;
        loopdepth = 0;
        escflg = 0;
    }
    pushfn(interruptkey);
}

// The top string's read position, for the constructs that read their own arguments.
static const char*& readpos() { return fnstack[fnptr]; }

int fetchint() {
    if (!stringontop()) return 0;
    const char*& p = readpos();
    long n = 0;
    while (*p >= '0' && *p <= '9') {
        if (n < 100000000) n = n * 10 + (*p - '0');
        p++;
    }
    return static_cast<int>(n);
}

void fetchpatt() {
    int i = 0;
    if (stringontop()) {
        const char*& p = readpos();
        while (*p != 0 && *p != '\r') {
            if (i < WILDLEN - 1) patt[i++] = *p;
            p++;
        }
        if (*p == '\r') p++;
    }
    patt[i] = 0;
}

static void skipblank() {
    if (stringontop() && *readpos() == ' ') readpos()++;
}

// Reads forward in the top string until `stop` says so; the end of the string pops it.
template <typename Step>
static void skipuntil(Step stop) {
    if (!stringontop()) return;
    int level = 0;
    const char*& p = readpos();
    while (*p != 0) {
        unsigned char b = static_cast<unsigned char>(*p++);
        if (stop(b, level)) return;
    }
    fnptr -= 1;
}

void skiptoend() {
    skipuntil([](unsigned char b, int& level) {
        if (b == CC_LOOPSTART) level++;
        if (b == CC_LOOPEND) {
            if (level == 0) return true;
            level--;
        }
        return false;
    });
}

void skiptoelse() {
    skipuntil([](unsigned char b, int& level) {
        if (level == 0 && (b == CC_ELSE || b == CC_ENDIF)) return true;
        if (b == CC_NEST || b == CC_IF) level++;
        if (b == CC_ENDIF) level--;
        return false;
    });
}

void skipendif() {
    skipuntil([](unsigned char b, int& level) {
        if (level == 0 && b == CC_ENDIF) return true;
        if (b == CC_NEST || b == CC_IF) level++;
        if (b == CC_ENDIF) level--;
        return false;
    });
}

static int& register_() { return vl_result[loopdepth]; }

// The script constructs; they act only on keys read from a pushed string.
static void construct(int op) {
    if (!stringontop()) return;
    switch (op) {
        case OP_MATCHTEST: {
            int n = fetchint();
            skipblank();
            fetchpatt();
            const char* var = (n >= 0 && n <= 21) ? unified[n] : "";
            if (strcmp(patt, var) != 0) skiptoelse();
            break;
        }
        case OP_RESULTTEST: {
            int n = fetchint();
            skipblank();
            if (n != register_()) skiptoelse();
            break;
        }
        case OP_LOOPSTART:
            if (loopptr < MAXLOOP) loopptr += 1;
            loopstack[loopptr] = readpos();
            loopslot[loopptr] = fnptr;
            loopbase[loopptr] = fnbase[fnptr];
            break;
        case OP_LOOPEND:
            // Only a loop opened in this same string may be re-entered.
            if (loopptr > 0 && loopstack[loopptr] != nullptr && loopslot[loopptr] == fnptr &&
                loopbase[loopptr] == fnbase[fnptr]) {
                readpos() = loopstack[loopptr];
            }
            break;
        case OP_LOOPTEST:
            if (register_() > 0) {
                register_() -= 1;
            } else {
                skiptoend();
                if (loopptr > 0) loopptr -= 1;
            }
            break;
        case OP_LEVELUP: {
            int n = fetchint();
            if (loopdepth < MAXLOOP) loopdepth += 1;
            register_() = n;
            break;
        }
        case OP_LEVELDOWN:
            if (loopdepth > 0) loopdepth -= 1;
            break;
        case OP_IF:
            if (register_() <= 0) skiptoelse();
            break;
        case OP_ELSE:
            skipendif();
            break;
        default:  // 109 and 117: nothing
            break;
    }
}

constexpr int KEYGAP = 30;  // milliseconds: the bytes of one terminal key come together

static bool decodingkeys() { return screenmode && hasterminal && inptr == stdin; }

// A keyboard byte; -2 when `waitms` (not negative) passed without one, -1 when interrupted.
static int keyboardraw(int waitms) {
    if (unreadcount > 0) {
        int b = unread[0];
        unreadcount -= 1;
        memmove(unread, unread + 1, static_cast<size_t>(unreadcount));
        return b;
    }
    if (waitms >= 0 && !inputwithin(inptr, waitms)) return -2;
    return zekgetc();
}

// A UTF-8 terminal sends a letter such as "é" as several bytes, which the key table would take
// for ESC keys: they are read as one character, typed when the text can hold it (Latin-1) and
// refused with a bell and a word otherwise. -1 when nothing is typed.
static int typedcharacter(int first, termkey& key) {
    unsigned char bytes[4] = {static_cast<unsigned char>(first)};
    size_t n = 1;
    long code = 0;
    int length;
    while ((length = utf8char(bytes, n, code)) == 0) {
        int c = keyboardraw(KEYGAP);
        if (c < 0) break;
        bytes[n++] = static_cast<unsigned char>(c);
    }
    if (length <= 0) {
        // Not UTF-8: the byte that broke the sequence is read again as a key of its own.
        if (n > 1 && (bytes[n - 1] & 0xC0) != 0x80 && unreadcount < static_cast<int>(sizeof unread)) {
            memmove(unread + 1, unread, static_cast<size_t>(unreadcount));
            unread[0] = bytes[n - 1];
            unreadcount += 1;
        }
        ringbell();
        return -1;
    }
    if (code < 0xA0 || code > 0xFF) {
        char text[80];
        snprintf(text, sizeof text, "U+%04lX cannot be typed: the text holds Latin-1 characters only", code);
        ringbell();
        confirm(text);
        return -1;
    }
    key.key = TK_CHAR;
    key.ch = static_cast<int>(code);
    return TERMINALKEY;
}

// In screen mode an ESC opens a sequence that may be one of the terminal's keys: its bytes are
// collected while they come at once and form a prefix of one. A key is delivered whole; any
// other run leaves the ESC alone (the editor's own ESC keys, typed slowly or quickly) and the
// bytes after it are read again.
static int keyboardbyte(termkey& key) {
    int first = keyboardraw(-1);
    if (first >= 0x80 && decodingkeys() && utf8terminal()) return typedcharacter(first, key);
    if (first != 27 || !decodingkeys()) return first;
    unsigned char seq[sizeof unread];
    size_t n = 0;
    seq[n++] = 27;
    for (;;) {
        termkey k;
        seqstate state = termkeys.classify(seq, n, k);
        if (state == SEQ_KEY) {
            key = k;
            return TERMINALKEY;
        }
        if (state == SEQ_NOT || n == sizeof seq) break;
        int c = keyboardraw(KEYGAP);
        if (c < 0) break;
        seq[n++] = static_cast<unsigned char>(c);
    }
    memmove(unread + (n - 1), unread, static_cast<size_t>(unreadcount));
    memcpy(unread, seq + 1, n - 1);
    unreadcount += static_cast<int>(n - 1);
    return 27;
}

void dropunread() { unreadcount = 0; }

int nextbyte(termkey& key) {
    key = termkey{};
    if (stringontop()) {
        flushsoon();
        unsigned char b = static_cast<unsigned char>(*fnstack[fnptr]);
        if (b == 0) {
            fnptr -= 1;
            return -1;
        }
        fnstack[fnptr]++;
        return b;
    }
    showlater();
    int byte = keyboardbyte(key);
    return byte == TERMINALKEY || byte < 0 ? byte : byte & 255;
}

// A terminal key: true when it delivers an operation (in `type`); otherwise it has done its
// work (a function-key string pushed, the help view shown) or rung the bell.
static bool terminalkey(const termkey& key) {
    escflg = 0;
    if (key.key == TK_CHAR) {
        type = OP_OTHER;
        holdch = static_cast<unsigned char>(key.ch);
        return true;
    }
    int op = termkeyop(key);
    if (op == OP_HELP) {
        helpview();
    } else if (op >= OP_FNKEY0) {
        int n = op - OP_FNKEY0;
        if (fn[n][0] == 0) {
            ringbell();  // nothing bound to this function key
        } else {
            pushfn(fn[n]);
        }
    } else if (op == 0) {
        ringbell();
    } else {
        type = op;
        holdch = 0;
        return true;
    }
    return false;
}

void fetchchar() {
    for (;;) {
        if (pendingsignals != 0) runsignals();
        termkey key;
        int byte = nextbyte(key);
        if (byte < 0) continue;  // a string ended, or interrupted: the stack may hold a new string
        if (byte == TERMINALKEY) {
            if (terminalkey(key)) return;
            continue;
        }
        if (keywatch != nullptr) keywatch();

        int index;
        if (escflg == PLANENUM) {
            if (byte >= '0' && byte <= '9') {
                if (numvalue <= MAXKEYCODE) numvalue = numvalue * 10 + (byte - '0');
                continue;
            }
            index = PLANENUM + (numvalue < MAXKEYCODE ? numvalue : MAXKEYCODE);
        } else {
            index = byte + escflg;
        }
        escflg = 0;
        holdch = static_cast<unsigned char>(index & 255);
        type = intran[index];

        switch (type) {
            case 0:
                continue;
            case OP_HELP:
                helpview();
                continue;
            case OP_OTHER:
            case OP_DIGIT:
                if (index < CHARMAPSIZE) holdch = char_map[index];
                return;
            case OP_NAME:
                if (index < CHARMAPSIZE) holdch = char_map[index];
                if (transb == 1 && holdch >= 'a' && holdch <= 'z') holdch -= 32;
                return;
            case OP_PREFIX1:
                escflg = PLANE1;
                continue;
            case OP_PREFIX2:
                escflg = PLANE2;
                continue;
            case OP_NUMCODE:
                escflg = PLANENUM;
                numvalue = index - 304;
                if (numvalue < 0 || numvalue > 9) numvalue = 0;  // a rebound key outside plane 256
                continue;
            case OP_RESUME:
                if (fnptr > 0 && fnstack[fnptr] == nullptr) {
                    fnptr -= 1;
                } else {
                    resumeprog();
                }
                continue;
            case OP_SUSPEND:
                if (stringontop()) {
                    pushfn(nullptr);
                } else {
                    voluntary = 1;
                    suspendprog();
                }
                continue;
            case OP_KILL:
                killprog();
                continue;
            case OP_ACK:
                acknowledge();
                continue;
            default:
                break;
        }
        if (type >= OP_MATCHTEST && type <= OP_ENDIF) {
            construct(type);
            continue;
        }
        if (type >= OP_FNKEY0) {
            int n = type - OP_FNKEY0;
            if (n <= 9) pushfn(fn[n]);
            continue;
        }
        return;
    }
}

void gcr() {
    for (;;) {
        fetchchar();
        if (type == OP_RETURN) {
            del = 1;
            return;
        }
        if (type == OP_DELETE) {
            del = 2;
            return;
        }
    }
}

int gnum() {
    long n = 0;
    for (;;) {
        fetchchar();
        if (type != OP_DIGIT) break;
        if (n < 100000000) n = n * 10 + (holdch - '0');
    }
    return static_cast<int>(n);
}

void glett() {
    do {
        fetchchar();
    } while (type != OP_OTHER && type != OP_DIGIT && type != OP_NAME);
}

int unify(const char* pattern, long sindex, char pterm, int slen) {
    long end = sindex + slen;
    memset(matcharray, 0, sizeof matcharray);
    long i = sindex;
    const char* p = pattern;
    int wild = 0;
    const char* backp = nullptr;
    long backi = 0;
    bool pdone = false;
    bool tdone = false;
    while ((!pdone && !tdone) || (!pdone && *p == '*' && *p != pterm)) {
        long offset = p - pattern;
        if (offset >= WILDLEN) return 0;  // longer than any pattern the editor stores
        matcharray[offset] = i;
        if (*p == '*' && *p != pterm) {
            p++;
            wild = 1;
            backp = p;
            continue;
        }
        bool atterm = (*p == pterm);
        if ((atterm && i >= end) || (!atterm && i < end && *p == static_cast<char>(textbase[i]))) {
            if (atterm) {
                pdone = true;
            } else {
                p++;
            }
            if (wild == 1) {
                wild = 0;
                backi = i;
            }
        } else if (wild == 1) {
            // the star absorbs this character
        } else if (backp == nullptr) {
            return 0;
        } else {
            p = backp;
            i = backi;
            wild = 1;
        }
        if (i < end) {
            i += 1;
        } else {
            tdone = true;
        }
    }
    return (*p == pterm && (i >= end || wild == 1)) ? 1 : 0;
}

void copywild() {
    memset(unified, 0, sizeof unified);
    int k = 0;
    // The pattern array bounds the scan: a pattern that fills it has no terminating zero.
    constexpr int patternsize = static_cast<int>(sizeof scanpattern);
    static_assert(patternsize < WILDLEN, "each star's start and end are in matcharray");
    for (int pos = 0; pos < patternsize && scanpattern[pos] != 0; pos++) {
        if (scanpattern[pos] != '*') continue;
        k += 1;
        int var = k <= 20 ? k : 21;
        long from = matcharray[pos];
        long to = matcharray[pos + 1];
        long len = to - from;
        if (len < 0) len = 0;
        if (len > WILDLEN - 1) len = WILDLEN - 1;
        if (from < 0 || from + len > TEXTSIZE) len = 0;
        memcpy(unified[var], textbase + from, static_cast<size_t>(len));
        unified[var][len] = 0;
    }
}

static void typewild(PROCPTR typer, int request) {
    int n = gnum();
    if (n < 0 || n > 21) return;
    char text[WILDLEN];
    snprintf(text, sizeof text, "%s", unified[n]);
    for (const char* s = text; *s != 0; s++) {
        holdch = static_cast<unsigned char>(*s);
        typer();
    }
    redisplay = request;
}

void wildtxt() { typewild(bldtxt, 5); }
void wildrec() { typewild(bldrec, 7); }

}  // namespace zek
