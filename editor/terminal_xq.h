// The screen output protocol: the geometry, the "$" sequences and the forwarding filter that
// writes the front-end's subset of them to standard output.
#pragma once

#include <cstdio>

namespace zek {

// Screen geometry.
extern int swidth;
extern int depth;
extern int windowtop;
extern int windowend;
extern int helpline;
extern int cmdline;
extern int rightcol;
extern int pshift;
extern int overlap;
extern int shiftc;

constexpr int MINROWS = 5;
constexpr int MAXROWS = 1000;
constexpr int MINCOLS = 3;
constexpr int MAXCOLS = 960;  // a whole row must fit into one composed sequence

// Sets the geometry for a screen of `rows` by `cols` (clamped to the supported range).
// Returns 1 when the text zone changed size.
int setgeometry(int rows, int cols);

extern int visible;
extern char xqmsg[1000];
extern char shadow_cmdline[200];
extern int shadow_ptr;
extern int outtran[256];
extern FILE* xqout;  // where forwarded sequences go: standard output unless a test says otherwise
// When set, sees every sequence handed to xqtransmit before the filter (tests watch what is
// composed, also the sequences that are never forwarded).
extern void (*xqwatch)(const char* text);

// Builds a sequence in xqmsg piece by piece, cut at the buffer's end; the sequences sent for
// every key are composed this way rather than by formatted printing.
struct composer {
    int n = 0;
    composer& ch(char c);
    composer& str(const char* s);
    composer& num(long value, int width = 0);  // right-aligned in `width` places
    void send();
};

void initterminal_xq();
void initouttran();
void xqtransmit(const char* text);
void flushoutput();   // standard output; in screen mode also the screen, now and then
// The same while keys come from a string the editor holds (a procedure): standard output is
// flushed at most every FLUSHGAP milliseconds, so that a long procedure neither makes a write
// per line of output nor keeps its front-end waiting.
constexpr int FLUSHGAP = 20;
void flushsoon();
// Whether the sequences that only draw (the text zone's "$T...", the cursor's "$p...") reach
// anyone: the built-in front-end and a watcher take them, the protocol's front-end does not;
// where nobody does, they are not made.
bool drawingshown();
void flushforkey();   // the same before the editor waits for a key: the screen is drawn now

void txtcur();
void rmtxtcur();
void cmdcur();
void rmcmdcur();
void clrtextzone();
void postcur(int column, int row);
void putcmdlett(int ch);
void backspace();
void putch(int ch);
void putstg(long index, int count, int row);
void putstring(const char* text, char letter);

}  // namespace zek
