// The corefiles, line headers and the shared character array with its collector.
// Every line of every corefile keeps its characters in one contiguous run of `textbase`.
#pragma once

#include <cstdio>

namespace zek {

typedef void (*PROCPTR)();

// A line header; 40 bytes, since a fetch makes one per line of the file: a file of 100000
// lines takes 4 MB of them, and every fresh page costs a fault.
struct coreline {
    coreline* up = nullptr;        // previous line (the header's up is the last line)
    coreline* down = nullptr;      // next line (the last line's down is the header)
    coreline* nextphys = nullptr;  // next header in storage order
    int length = 0;
    int index = 0;                 // first character in textbase (picture handle for kind 2)
    unsigned jstamp = 0;           // the journal's step in which the line was last recorded
    signed char object = 5;        // line kind, see the constants below
    bool linked = false;           // in the physical list (owns array positions)
};
static_assert(sizeof(coreline) <= 40, "a line header stays small");
typedef coreline LINE;

// Line kinds (`object`).
constexpr int OBJ_TEXT = 0;
constexpr int OBJ_RECORD = 1;
constexpr int OBJ_PICTURE = 2;
constexpr int OBJ_MATH = 3;
constexpr int OBJ_H = 4;
constexpr int OBJ_EMPTY = 5;
constexpr int OBJ_A = 6;
constexpr int OBJ_DEAD = -1;

constexpr int NUMCORE = 20;
constexpr int NAMELEN = 48;  // file names and string parameters

struct COREFILE {
    LINE* header = nullptr;
    LINE* lnptr = nullptr;
    int curcol = 1;
    int curline = 1;
    int lncount = 0;
    long charcount = 0;
    int viewtype = 0;
    int curflag = 1;
    char filname[NAMELEN + 1] = {};
    char edited = 0;
    LINE* starA = nullptr;
    LINE* starB = nullptr;
    char nextstar = 'A';
    int starcount = 0;
    int cstarA = 0, cstarB = 0;
    char cnextstar = 'A';
    int cstarcount = 0;
    LINE* disln = nullptr;
};

// Character array and space accounting.
constexpr long TEXTSIZE = 4000000;
constexpr long LARGEPAGE = 1L << 21;  // the machine's large pages: the array is laid out on them
constexpr long TEXTSTORE = (TEXTSIZE + LARGEPAGE - 1) / LARGEPAGE * LARGEPAGE;  // positions allocated
constexpr long HIADDR = 3999000;     // soft limit; the rest is a margin for checked bulk work
constexpr unsigned char FREEPOS = 255;  // marks a free position inside the used region

extern unsigned char* const textbase;  // TEXTSTORE positions in large pages, TEXTSIZE in use
extern long avail;
extern long hiaddr;
extern int full;
extern LINE* reserve;
extern LINE firstphys;
extern LINE* lastphys;
extern COREFILE core[NUMCORE];
extern int corenum;
extern int redisplay;

inline COREFILE& cur() { return core[corenum]; }

void initcore();
void initfile();
LINE* allochdr();
// A fresh header for a line that its caller links itself (runs of lines built off the list and
// linked in bulk), or nullptr when no memory is left; the reserve is not touched.
LINE* spareheader();
// Announces that the array is about to be filled from `avail` on with about `bytes` characters
// (a file being read): its pages are made present in one call instead of one fault at a time.
void prepareroom(long bytes);
void releaseheader(LINE* l);  // gives back a header that is in no list
LINE* allocln(int object, int length);
void linkphys();
void linkline(LINE* l);  // linkphys for any line
void removeline();
void shiftline();
void removefile();
void clrfile();
void wrwholescreen();
void garbage();
int distance(LINE* l1, LINE* l2);
// Whether l2 lies at least `steps` lines below l1 (or not below it at all): distance(l1, l2) >=
// steps, found without walking further than `steps` lines.
bool outofreach(LINE* l1, LINE* l2, int steps);

// Runs of lines spliced out of one list and into another without copying (block moves, sort,
// reformat). unlinkrun leaves the lines allocated; linkrun puts such a run after `after`.
void unlinkrun(int n, LINE* first, LINE* last, int lines, long chars);
void linkrun(int n, LINE* after, LINE* first, LINE* last, int lines, long chars);
// Announces that line l of the current corefile is about to change in place (its characters,
// length or kind). The character primitives announce themselves; code that writes into a line
// directly calls it first. A line already recorded in this step of the journal costs nothing.
extern unsigned jserial;
void jnotechange(LINE* l);
inline void touchline(LINE* l) {
    if (l->jstamp != jserial) jnotechange(l);
}
// Gives line l of the current corefile the kind and text given, moving it where it must.
void setline(LINE* l, int kind, const unsigned char* text, int length);
// Inserts a line of the kind and text given after the current line, which it becomes.
void insertline(int kind, const unsigned char* text, int length);
// Line k (from 1) of corefile n; the header for 0 or a number past the end.
LINE* lineat(int n, int k);
// The number of line l in corefile n, or -1 when l is not one of its lines.
int findline(int n, const LINE* l);

// The number of `target` in corefile `n` (distance from its header), helped by a memo of the
// last line numbered there. The store's own primitives keep the memo right; any other code
// that links or unlinks lines of corefile n calls linkschanged(n), or memoreplace when one
// line takes the place of another.
int linenumber(int n, LINE* target);
void linkschanged(int n);
void memoreplace(int n, LINE* old, LINE* replacement);
bool memoon(int n, const LINE* l);  // the memo of corefile n holds line l
int inadequate(int ln, long ch);
// True when `chars` more characters and a line header can be taken below the soft limit,
// collecting first when that would make the room. Operations that take text out of the store
// before putting it back (split, join) ask first, so that nothing is lost half way.
bool roomfor(long chars);
void insline();
void nuline();
void advfile(int relative);
void positn();
void advance();
void nmeset();
void goodbye();
void inmode();
void uclcsw();
void elidexp();
void expcore();
void homecur();
void show();
void showcore(FILE* out);
void showtext(FILE* out);
void showphys(FILE* out);

// Appends `text` as a new last line of corefile `n`, of kind `object` (0 text), which becomes
// that corefile's current line in column 1; the window follows it. The current corefile stays.
// Returns 0 when the store has no room for it.
int appendline(int n, const char* text, int object);

// A line pointer kept across an operation that may move or remove lines. It follows its line
// when the line moves to the end of the array (shiftline) and moves on to the following line
// (or the one before, at the end) when its line is removed, so it never names a dead header.
// Held lines nest like the scopes that declare them.
class heldline {
public:
    explicit heldline(LINE* l);
    ~heldline();
    heldline(const heldline&) = delete;
    heldline& operator=(const heldline&) = delete;
    operator LINE*() const { return line; }
    LINE* operator->() const { return line; }

private:
    friend void heldmoved(LINE* old, LINE* replacement);
    friend void heldremoved(LINE* old, LINE* next);
    friend void heldcleared(LINE* header);
    LINE* line;
    heldline* outer;
};

// Collects when the array is near its limit or the header reserve is gone; the editor loop
// and the command loop call it after every operation.
void collectifneeded();

}  // namespace zek
