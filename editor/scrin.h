// The keystroke source: key translation, pushed strings, function keys, script constructs,
// and the wildcard matcher whose variables scripts read back.
#pragma once

#include <cstdio>

namespace zek {

constexpr int KEYTABLESIZE = 624;  // four planes: plain, first prefix, second prefix, numeric code
constexpr int CHARMAPSIZE = 424;
constexpr int PLANE1 = 128;
constexpr int PLANE2 = 256;
constexpr int PLANENUM = 384;
constexpr int MAXKEYCODE = 239;
constexpr int MAXPUSH = 10;
constexpr int MAXLOOP = 19;
constexpr int FNLEN = 48;
constexpr int WILDLEN = 200;  // wildcard variables and the match pattern hold 199 characters

// Operation numbers with a meaning inside the key source.
enum : int {
    OP_RETURN = 1,
    OP_OTHER = 2,
    OP_DIGIT = 3,
    OP_NAME = 4,
    OP_DELETE = 5,
    OP_PREFIX1 = 6,
    OP_PREFIX2 = 7,
    OP_NUMCODE = 8,
    OP_HELP = 9,  // the help view in screen mode; ignored otherwise
    OP_RESUME = 13,
    OP_SUSPEND = 14,
    OP_KILL = 15,
    OP_ACK = 16,
    OP_UNDO = 12,
    OP_COMMAND = 21,
    OP_REDO = 36,
    OP_MATCHTEST = 107,
    OP_RESULTTEST = 108,
    OP_NOCONSTRUCT = 109,
    OP_LOOPSTART = 110,
    OP_LOOPEND = 111,
    OP_LOOPTEST = 112,
    OP_LEVELUP = 113,
    OP_LEVELDOWN = 114,
    OP_IF = 115,
    OP_ELSE = 116,
    OP_ENDIF = 117,
    OP_FNKEY0 = 118,
};

// Bytes of the control notation that the skips look for.
enum : unsigned char {
    CC_MATCH = 217,      // {-}
    CC_RESULT = 211,     // {=}
    CC_LOOPSTART = 251,  // {<}
    CC_LOOPEND = 252,    // {>}
    CC_LOOPTEST = 253,   // {^}
    CC_LEVELUP = 254,    // {$}
    CC_LEVELDOWN = 247,  // {%}
    CC_IF = 241,         // {?}
    CC_ELSE = 245,       // {:}
    CC_ENDIF = 246,      // {.}
    CC_NEST = 214,       // {&}
};

extern int intran[KEYTABLESIZE];
extern unsigned char char_map[CHARMAPSIZE];
extern int escflg;
extern int type;
extern unsigned char holdch;
extern int transb;
extern FILE* inptr;

extern const char* fnstack[MAXPUSH + 1];
extern int fnptr;
extern char fn[10][FNLEN + 1];

extern int vl_result[MAXLOOP + 1];
extern int loopdepth;
extern const char* loopstack[MAXLOOP + 1];
extern int loopptr;
extern char unified[22][WILDLEN];
extern long matcharray[WILDLEN];
extern char patt[WILDLEN];
extern int del;

// Ends a key the terminal sent as a whole (screen mode): what nextbyte returns for it.
constexpr int TERMINALKEY = 256;

void initscrin();
void initintran();  // the default key table and character map
void fetchchar();
struct termkey;
// The byte that fetchchar takes next: from the top pushed string, or from the keyboard, where
// in screen mode a key that the terminal sends as a sequence comes whole (TERMINALKEY, the
// key in `key`). -1 when there is nothing yet (a string ended, a signal interrupted the read).
int nextbyte(termkey& key);
// Forgets the keyboard bytes that came with an ESC that was no terminal key.
void dropunread();
// What an operation number of the key source does, for the help view; nullptr for the numbers
// of the key-operation table.
const char* keysourcehelp(int op);
// Called for every byte fetchchar takes, from a string or the input; null in the editor. Tests
// and fuzz runs bound runaway scripts with it.
extern void (*keywatch)();
void pushfn(const char* string);
// True while `string` is one of the pushed strings being read.
bool stringonstack(const char* string);
// Bytes read from the keyboard or a driver program (not from pushed strings), and interrupts.
extern long keyreads;
int zekgetc();
// The interrupt's work, run between keys: drops every pushed string and loop, then queues the
// command key.
void IntHandler(int sig);
void gcr();
int gnum();
void glett();
int fetchint();
void fetchpatt();
void skiptoend();
void skiptoelse();
void skipendif();
int unify(const char* pattern, long sindex, char pterm, int slen);
void copywild();
void wildtxt();
void wildrec();

// Drops every pushed slot that reads from [begin, end] (end is the string's final byte): used before a buffer that may still be
// on the stack is replaced, so that no slot or loop keeps pointing into released memory.
void dropslotsin(const char* begin, const char* end);

// What happens when the keyboard input ends (not a driver program's output). By default the
// session ends: unsaved corefiles are named on standard error and the process exits with 0.
extern void (*endofinput)();
void endsession_eof();

}  // namespace zek
