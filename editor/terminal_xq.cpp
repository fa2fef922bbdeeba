// Composes each "$" sequence in `xqmsg` and passes it through `xqtransmit`, which forwards the
// typed-character, command-line and message sequences to the front-end as lines, or in screen
// mode hands every sequence to the built-in front-end's screen model.
#include "editor/terminal_xq.h"

#include <cstring>
#include <ctime>
#include <stdio_ext.h>

#include "editor/corutils.h"
#include "editor/screen.h"
#include "editor/termutils_xq.h"

namespace zek {

int swidth = 78;
int depth = 20;
int windowtop = 2;
int windowend = 21;
int helpline = 22;
int cmdline = 23;
int rightcol = 78;
int pshift = 0;
int overlap = 19;
int shiftc = 59;

int visible = 1;
char xqmsg[1000];
char shadow_cmdline[200];
int shadow_ptr = 0;
int outtran[256];
FILE* xqout = nullptr;
void (*xqwatch)(const char* text) = nullptr;

int setgeometry(int rows, int cols) {
    if (rows < MINROWS) rows = MINROWS;
    if (rows > MAXROWS) rows = MAXROWS;
    if (cols < MINCOLS) cols = MINCOLS;
    if (cols > MAXCOLS) cols = MAXCOLS;
    int changed = (rows - 4 != depth || cols - 2 != swidth) ? 1 : 0;
    swidth = cols - 2;
    rightcol = cols - 2;
    shiftc = cols - overlap - 2;
    if (shiftc < 1) shiftc = 1;  // a step of at least one column keeps the shift loop finite
    pshift = 0;
    cmdline = rows - 1;
    helpline = rows - 2;
    windowend = rows - 3;
    depth = rows - 4;
    return changed;
}

void initouttran() {
    for (int c = 0; c < 256; c++) outtran[c] = c;
    for (int c = 0; c <= 14; c++) outtran[c] = '~';
    outtran[19] = outtran[31] = outtran[127] = outtran[255] = '~';
    for (int c = 128; c <= 191; c++) outtran[c] = '~';
    outtran[173] = '-';
    static const int box[] = {238, 229, 243, 247};  // codes 15..18
    for (int i = 0; i < 4; i++) outtran[15 + i] = box[i];
    static const int box2[] = {232, 246, 227, 195, 196, 194, 193, 211, 206, 197, 215};  // 20..30
    for (int i = 0; i < 11; i++) outtran[20 + i] = box2[i];
}

void initterminal_xq() {
    overlap = 19;
    setgeometry(24, 80);
    visible = 1;
    memset(xqmsg, 0, sizeof xqmsg);
    memset(shadow_cmdline, 0, sizeof shadow_cmdline);
    shadow_ptr = 0;
    initouttran();
    xqout = stdout;
}

// When standard output was last flushed, in milliseconds of the monotonic clock.
static long long lastflush = 0;

// The coarse clock is enough for a gap of FLUSHGAP milliseconds and is read many times faster:
// a procedure reads it for nearly every key.
static long long clockms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

void flushoutput() {
    if (xqout != nullptr) fflush(xqout);
    lastflush = clockms();
    screendraw(0);
}

void flushsoon() {
    // the clock is read only while there is output to deliver
    if (xqout != nullptr && __fpending(xqout) > 0) {
        long long now = clockms();
        if (now - lastflush >= FLUSHGAP) {
            fflush(xqout);
            lastflush = now;
        }
    }
    screendraw(0);
}

void flushforkey() {
    if (xqout != nullptr) fflush(xqout);
    lastflush = clockms();
    screendraw(1);
}

// True for the sequences the front-end receives.
static bool forwarded(const char* s, const char** payload) {
    if (s[0] != '$' || s[1] == 0) return false;
    char cls = s[1];
    if (cls == 'c') {
        *payload = s + 2;
        return true;
    }
    if (cls != 'C' && cls != 'T' && cls != 'm') return false;
    char second = s[2];
    if (second == 0) return false;
    *payload = s + 3;
    if (cls == 'C') return second == 'L' || second == 'b' || second == 'c';
    if (cls == 'm') return second != 0 && strchr("MUbefhimn", second) != nullptr;
    return false;
}

void xqtransmit(const char* text) {
    if (xqwatch != nullptr) xqwatch(text);
    if (!visible) return;
    if (screenmode) {
        screenfeed(text);  // the built-in front-end takes every sequence
        return;
    }
    if (xqout == nullptr) return;
    const char* payload = nullptr;
    if (!forwarded(text, &payload)) return;
    fputs(payload, xqout);
    fputs("\r\n", xqout);
}

composer& composer::ch(char c) {
    if (n < static_cast<int>(sizeof xqmsg) - 1) xqmsg[n++] = c;
    return *this;
}

composer& composer::str(const char* s) {
    while (*s != 0 && n < static_cast<int>(sizeof xqmsg) - 1) xqmsg[n++] = *s++;
    return *this;
}

composer& composer::num(long value, int width) {
    char digits[24];
    int k = 0;
    bool negative = value < 0;
    unsigned long v = negative ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        digits[k++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative) digits[k++] = '-';
    for (int pad = width - k; pad > 0; pad--) ch(' ');
    while (k > 0) ch(digits[--k]);
    return *this;
}

void composer::send() {
    xqmsg[n] = 0;
    xqtransmit(xqmsg);
}

void txtcur() { xqtransmit("$+"); }
void rmtxtcur() { xqtransmit("$-"); }
void cmdcur() { xqtransmit("$C+"); }
void rmcmdcur() { xqtransmit("$C-"); }
void clrtextzone() { xqtransmit("$Tx"); }
void postcur(int column, int row) {
    if (drawingshown()) composer().str("$p").num(row).ch(',').num(column).send();
}

void putcmdlett(int ch) {
    composer().str("$Cc").ch(static_cast<char>(ch)).send();
    if (shadow_ptr < static_cast<int>(sizeof shadow_cmdline) - 1) {
        shadow_cmdline[shadow_ptr++] = static_cast<char>(ch);
    }
}

void backspace() {
    xqtransmit("$Cb");
    if (shadow_ptr > 0) shadow_ptr -= 1;
}

void putch(int ch) { composer().str("$c").ch(static_cast<char>(outtran[ch & 255])).send(); }

bool drawingshown() { return xqwatch != nullptr || (visible && screenmode); }

void putstg(long index, int count, int row) {
    if (!drawingshown()) return;
    composer prefix;
    prefix.str("$TL").num(row).ch(',');
    int n = prefix.n;
    int room = static_cast<int>(sizeof xqmsg) - n - 1;
    if (count > room) count = room;
    if (index < 0 || index + count > TEXTSIZE) count = 0;
    for (int i = 0; i < count; i++) xqmsg[n + i] = static_cast<char>(outtran[textbase[index + i]]);
    xqmsg[n + count] = 0;
    xqtransmit(xqmsg);
}

void putstring(const char* text, char letter) { composer().str("$m").ch(letter).str(text).send(); }

}  // namespace zek
