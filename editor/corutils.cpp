// The corefiles, the line lists, the physical list and the collector that compacts the array.
#include "editor/corutils.h"

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <new>
#include <sys/mman.h>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/asan_interface.h>
#endif
#include <unordered_set>

#include "editor/build.h"
#include "editor/cursors.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/graphics.h"
#include "editor/journal.h"
#include "editor/linutils.h"
#include "editor/prcmnd.h"
#include "editor/screen.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/stars.h"
#include "editor/sys_linux.h"
#include "editor/tabs.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"

namespace zek {

// The array is mapped rather than static, so that it can lie on large pages; its pages cost
// nothing until they are written. The first SMALLFRONT positions stand in small pages at the end
// of a region of its own, so that a small session takes no large page; every position from
// there on lies in large pages, where the machine has them: on this kind of machine a fresh
// small page costs about ten microseconds, a large one little more than one.
constexpr long SMALLFRONT = 1L << 18;

static unsigned char* maptext() {
    void* raw = mmap(nullptr, static_cast<size_t>(TEXTSTORE + 2 * LARGEPAGE), PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED) {
        fputs("zek: out of memory for the character array\n", stderr);
        std::exit(1);
    }
    auto start = reinterpret_cast<uintptr_t>(raw);
    auto aligned = (start + static_cast<uintptr_t>(LARGEPAGE) - 1) & ~static_cast<uintptr_t>(LARGEPAGE - 1);
    auto* large = reinterpret_cast<unsigned char*>(aligned + static_cast<uintptr_t>(LARGEPAGE));
    madvise(large, static_cast<size_t>(TEXTSTORE), MADV_HUGEPAGE);
    unsigned char* base = large - SMALLFRONT;
#ifdef __SANITIZE_ADDRESS__
    // Only TEXTSIZE positions are the array: the sanitizer build reports a step past them as it
    // would on a fixed array.
    ASAN_POISON_MEMORY_REGION(base + TEXTSIZE, static_cast<size_t>(TEXTSTORE - TEXTSIZE));
#endif
    return base;
}
unsigned char* const textbase = maptext();
long avail = 0;
long hiaddr = HIADDR;
int full = 0;
LINE* reserve = nullptr;
LINE firstphys;
LINE* lastphys = &firstphys;
COREFILE core[NUMCORE];
int corenum = 1;
int redisplay = 0;

static bool storeready = false;

struct numbermemo {
    LINE* line = nullptr;  // nullptr: nothing is known
    int number = 0;
};
static numbermemo memo[NUMCORE];

// Counts every change to the order of a corefile's lines, each of which passes the memo.
static unsigned long shapes[NUMCORE];

void linkschanged(int n) {
    if (n < 0 || n >= NUMCORE) return;
    memo[n].line = nullptr;
    shapes[n]++;
}

void memoreplace(int n, LINE* old, LINE* replacement) {
    if (n < 0 || n >= NUMCORE) return;
    if (memo[n].line == old) memo[n].line = replacement;
    shapes[n]++;
}

bool memoon(int n, const LINE* l) { return n >= 0 && n < NUMCORE && memo[n].line == l && l != nullptr; }

// A line inserted after `after`: the numbers up to `after` stay; the memo survives only if it
// is on `after` itself.
static void memoinsertafter(LINE* after) {
    shapes[corenum]++;
    if (memo[corenum].line != after) linkschanged(corenum);
}

// A line taken out: the line after it takes its number; the last line hands the memo to the
// line before it, so that a run of lines added and taken again at the end (a checked FETCH
// dropping records) never has to count from the top.
static void memoremove(LINE* l) {
    numbermemo& m = memo[corenum];
    shapes[corenum]++;
    if (m.line != l) {
        linkschanged(corenum);
    } else if (l->down != cur().header) {
        m.line = l->down;
    } else if (l->up == cur().header) {
        linkschanged(corenum);
    } else {
        m.line = l->up;
        m.number -= 1;
    }
}

// The held lines, innermost first.
static heldline* heldlines = nullptr;

heldline::heldline(LINE* l) : line(l), outer(heldlines) { heldlines = this; }

heldline::~heldline() {
    // Scopes end in reverse order, but an early return may end several at once.
    heldline** p = &heldlines;
    while (*p != nullptr && *p != this) p = &(*p)->outer;
    if (*p == this) *p = outer;
}

void heldmoved(LINE* old, LINE* replacement) {
    for (heldline* h = heldlines; h != nullptr; h = h->outer) {
        if (h->line == old) h->line = replacement;
    }
}

void heldremoved(LINE* old, LINE* next) {
    for (heldline* h = heldlines; h != nullptr; h = h->outer) {
        if (h->line == old) h->line = next;
    }
}

// Every line of a corefile is released: what was held there falls back to its header.
void heldcleared(LINE* header) {
    for (heldline* h = heldlines; h != nullptr; h = h->outer) {
        if (h->line == nullptr || h->line == header) continue;
        for (LINE* l = header->down; l != header; l = l->down) {
            if (h->line == l) {
                h->line = header;
                break;
            }
        }
    }
}

// Line headers come from slabs and return to a free list: a fetch of many lines costs one
// allocation per slab rather than one per line. The first two slabs, enough for a small session,
// are mapped with their pages already present; from then on each slab is one large page, which
// the machine maps at once: populating small pages costs several microseconds each on a virtual
// machine, so that a second large page costs less than the small slabs it spares. A slab's
// unused rest is handed out in order, so that a large fetch or merge neither faults on every
// page nor walks new memory twice.
constexpr int SLABLINES = 1024;
constexpr int MAXSLABLINES = 2048;
constexpr int LARGESLABLINES = static_cast<int>(LARGEPAGE / sizeof(LINE));
static int slablines = SLABLINES;
static LINE* freeheaders = nullptr;
static LINE* slabnext = nullptr;  // the unused rest of the newest slab
static LINE* slabend = nullptr;

// A large page's worth of memory on a large-page boundary, the machine asked to map it so.
static void* maplarge() {
    size_t bytes = static_cast<size_t>(LARGEPAGE);
    void* raw = mmap(nullptr, 2 * bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return MAP_FAILED;
    auto start = reinterpret_cast<uintptr_t>(raw);
    uintptr_t aligned = (start + bytes - 1) & ~(bytes - 1);
    if (aligned > start) munmap(raw, aligned - start);
    uintptr_t end = start + 2 * bytes;
    if (end > aligned + bytes) munmap(reinterpret_cast<void*>(aligned + bytes), end - (aligned + bytes));
    madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);  // a hint: small pages serve as well
    return reinterpret_cast<void*>(aligned);
}

static void* mapslab(int lines) {
    if (lines == LARGESLABLINES) return maplarge();
    size_t bytes = sizeof(LINE) * static_cast<size_t>(lines);
    return mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
}

void prepareroom(long bytes) {
    long from = avail;
    long to = std::min(avail + bytes, hiaddr);
    if (to <= from) return;
    const long small = 4096;
    auto first = reinterpret_cast<uintptr_t>(textbase + from) & ~static_cast<uintptr_t>(small - 1);
    auto last = reinterpret_cast<uintptr_t>(textbase + to);
    madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);  // a hint: faults serve as well
}

static LINE* newheader() {
    LINE* l = freeheaders;
    if (l != nullptr) {
        freeheaders = l->nextphys;
    } else {
        if (slabnext == slabend) {
            void* mem = mapslab(slablines);
            if (mem == MAP_FAILED && slablines > SLABLINES) {
                slablines = SLABLINES;  // short of memory: small slabs for what is left
                mem = mapslab(slablines);
            }
            if (mem == MAP_FAILED) return nullptr;
            slabnext = static_cast<LINE*>(mem);
            slabend = slabnext + slablines;
            if (slablines < MAXSLABLINES) {
                slablines *= 2;
            } else {
                slablines = LARGESLABLINES;
            }
        }
        l = slabnext++;
    }
    return new (l) LINE();
}

static void freeheader(LINE* l) {
    l->object = OBJ_DEAD;
    l->nextphys = freeheaders;
    freeheaders = l;
}

void releaseheader(LINE* l) { freeheader(l); }

LINE* spareheader() { return newheader(); }

LINE* allochdr() {
    LINE* l = reserve;
    if (l == nullptr) {
        l = newheader();
        if (l == nullptr) {
            if (screenmode) {
                reseterm();  // the message goes to the shell's screen, not the editor's
                endterminal();
            }
            fputs("zek: out of memory for line headers\n", stderr);
            std::exit(1);
        }
    }
    *l = LINE();
    reserve = newheader();
    return l;
}

// Frees every header of a previous run of the store, so that start-up can be repeated in
// process (the tests do so).
static void releasestore() {
    std::unordered_set<LINE*> all;
    for (LINE* l = firstphys.nextphys; l != nullptr; l = l->nextphys) all.insert(l);
    for (auto& c : core) {
        if (c.header == nullptr) continue;
        all.insert(c.header);
        for (LINE* l = c.header->down; l != nullptr && l != c.header; l = l->down) all.insert(l);
    }
    if (reserve != nullptr) all.insert(reserve);
    for (LINE* l : all) freeheader(l);
    reserve = nullptr;
    firstphys = LINE();
    lastphys = &firstphys;
}

void initfile() {
    COREFILE& c = cur();
    linkschanged(corenum);
    clrstars();
    c.header->up = c.header->down = c.header;
    c.lnptr = c.header;
    c.curcol = c.curline = 1;
    c.lncount = 0;
    c.charcount = 0;
    c.filname[0] = 0;
    c.edited = 0;
    c.curflag = 1;
    c.cstarA = c.cstarB = 0;
    c.cnextstar = 'A';
    c.cstarcount = 0;
}

void initcore() {
    if (storeready) releasestore();
    storeready = true;
    avail = 0;
    hiaddr = HIADDR;
    full = 0;
    reserve = newheader();
    for (int n = 0; n < NUMCORE; n++) {
        corenum = n;
        core[n] = COREFILE();
        core[n].header = allochdr();
        core[n].viewtype = 0;
        initfile();
        allocln(OBJ_EMPTY, 0);
        core[n].disln = core[n].lnptr;
    }
    corenum = 1;
    redisplay = 0;
}

LINE* allocln(int object, int length) {
    COREFILE& c = cur();
    jnoteinsert(c.lnptr, 1);
    memoinsertafter(c.lnptr);
    LINE* l = allochdr();
    l->object = object;
    l->length = length;
    l->index = avail;
    l->up = c.lnptr;
    l->down = c.lnptr->down;
    c.lnptr->down->up = l;
    c.lnptr->down = l;
    c.lncount += 1;
    c.charcount += length;
    avail += length;
    c.lnptr = l;
    l->jstamp = jserial;
    return l;
}

void linkphys() { linkline(cur().lnptr); }

void linkline(LINE* l) {
    l->nextphys = nullptr;
    l->linked = true;
    lastphys->nextphys = l;
    lastphys = l;
}

static bool ownschars(const LINE* l) { return l->linked && l->object != OBJ_PICTURE; }

static void freechars(const LINE* l) {
    if (!ownschars(l)) return;
    memset(textbase + l->index, FREEPOS, static_cast<size_t>(l->length));
}

void removeline() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    if (l == c.header) return;
    jnoteremove(l, 1);
    memoremove(l);
    delstar();
    l->up->down = l->down;
    l->down->up = l->up;
    freechars(l);
    if (l->object == OBJ_PICTURE) freepic(l);
    c.charcount -= l->length;
    c.lncount -= 1;
    // The header may be freed at once, so no pointer of the corefile is left on it: the cursor
    // line and the window top move to the line that followed.
    LINE* next = l->down;
    if (c.disln == l) c.disln = (next != c.header) ? next : l->up;
    heldremoved(l, (next != c.header) ? next : l->up);
    c.lnptr = next;
    if (!l->linked) {
        freeheader(l);
    } else {
        l->object = OBJ_DEAD;
    }
}

// A new header takes the place of `old` in the current corefile's list, with its kind, length,
// position and journal stamp; whatever named the old one follows. The old header is given up
// (its characters are the caller's business).
static LINE* replaceheader(LINE* old) {
    COREFILE& c = cur();
    LINE* l = allochdr();
    l->object = old->object;
    l->length = old->length;
    l->index = old->index;
    l->jstamp = old->jstamp;
    l->up = old->up;
    l->down = old->down;
    old->up->down = l;
    old->down->up = l;
    memoreplace(corenum, old, l);
    heldmoved(old, l);
    if (c.lnptr == old) c.lnptr = l;
    if (c.disln == old) c.disln = l;
    if (c.starA == old) c.starA = l;
    if (c.starB == old) c.starB = l;
    if (old->linked) {
        old->object = OBJ_DEAD;
    } else {
        freeheader(old);
    }
    return l;
}

void shiftline() {
    COREFILE& c = cur();
    LINE* old = c.lnptr;
    if (avail + old->length > TEXTSIZE) return;  // no room left even in the margin
    bool owned = ownschars(old);
    long from = old->index;
    LINE* l = replaceheader(old);
    l->index = avail;
    if (owned) {
        memcpy(textbase + avail, textbase + from, static_cast<size_t>(l->length));
        memset(textbase + from, FREEPOS, static_cast<size_t>(l->length));
    }
    avail += l->length;
    linkline(l);
}

void removefile() {
    COREFILE& c = cur();
    if (c.lncount > 0) jnoteremove(c.header->down, c.lncount);
    linkschanged(corenum);
    if (heldlines != nullptr) heldcleared(c.header);
    LINE* l = c.header->down;
    while (l != c.header) {
        LINE* next = l->down;
        if (l->object == OBJ_PICTURE) freepic(l);
        freechars(l);
        if (!l->linked) {
            freeheader(l);
        } else {
            l->object = OBJ_DEAD;
        }
        l = next;
    }
    c.header->up = c.header->down = c.header;
    c.lnptr = c.header;
    c.disln = c.header;
}

void clrfile() {
    removefile();
    initfile();
    garbage();
    allocln(OBJ_EMPTY, 0);
    makeobject();
    wrwholescreen();
}

void wrwholescreen() {
    COREFILE& c = cur();
    c.lnptr = c.header->down;
    c.curcol = 1;
    c.curline = 1;
    c.disln = c.lnptr;
    if (c.lnptr->object == OBJ_PICTURE) c.curflag = 2;
    redisplay = 1;
}

void garbage() {
    int saved = corenum;
    for (int n = 0; n < NUMCORE; n++) {
        corenum = n;
        detrfile();
    }
    corenum = saved;

    avail = 0;
    LINE* q = &firstphys;
    LINE* l = firstphys.nextphys;
    while (l != nullptr) {
        LINE* next = l->nextphys;
        if (l->object == OBJ_DEAD) {
            q->nextphys = next;
            if (lastphys == l) lastphys = q;
            freeheader(l);
        } else {
            if (l->index != avail && ownschars(l)) {
                // Ascending copy: the target never lies above the source.
                memmove(textbase + avail, textbase + l->index, static_cast<size_t>(l->length));
            }
            l->index = avail;
            avail += ownschars(l) ? l->length : 0;
            q = l;
        }
        l = next;
    }
    if (reserve == nullptr) reserve = newheader();
    full = (avail > hiaddr || reserve == nullptr) ? 1 : 0;
}

// The lines from `top` down to `l`, counted up to `limit`.
static int rowsbelow(LINE* top, LINE* l, int limit) {
    int n = 0;
    for (LINE* at = top; at != l && n < limit; at = at->down) n++;
    return n;
}

bool outofreach(LINE* l1, LINE* l2, int steps) { return rowsbelow(l1, l2, steps) >= steps; }

// How far below its window's top line a corefile's last line stood after the last appendline,
// while nothing has changed the order of its lines or moved the window since: a long report
// appended line by line then need not count its rows again for every line.
struct appendedrows {
    LINE* top = nullptr;
    unsigned long shape = 0;
    int rows = 0;
};
static appendedrows appended[NUMCORE];

int appendline(int n, const char* text, int object) {
    if (n < 0 || n >= NUMCORE) return 0;
    long length = static_cast<long>(strlen(text));
    if (avail + length > TEXTSIZE) return 0;
    int saved = corenum;
    corenum = n;
    COREFILE& c = cur();
    memcpy(textbase + avail, text, static_cast<size_t>(length));
    c.lnptr = c.header->up;
    appendedrows& a = appended[n];
    bool known = a.top == c.disln && a.shape == shapes[n] && c.disln != nullptr;
    if (length == 0) {
        allocln(OBJ_EMPTY, 0);
    } else {
        allocln(object == OBJ_EMPTY ? OBJ_TEXT : object, static_cast<int>(length));
        linkphys();
    }
    c.curcol = 1;
    // the new last line one row further down: past the window, the window follows by a row
    int rows = known ? a.rows + 1 : rowsbelow(c.disln, c.lnptr, depth + 1);
    bool exact = rows <= depth;
    if (rows >= depth) {
        c.disln = c.disln->down;
        rows--;
    }
    a = exact ? appendedrows{c.disln, shapes[n], rows} : appendedrows();
    corenum = saved;
    if (n == saved) redisplay = 1;
    return 1;
}

void collectifneeded() {
    if ((avail > hiaddr || reserve == nullptr) && !full) garbage();
}

int distance(LINE* l1, LINE* l2) {
    int n = 0;
    for (LINE* l = l1; l != l2; l = l->down) {
        n++;
        if (n > 100000000) break;  // a broken list must not hang the editor
    }
    return n;
}

// The number of `target` in corefile n by the memo, a short search either way from it, and
// otherwise a walk from the header bounded by the line count; -1 when it is not there.
static int locate(int n, const LINE* target) {
    COREFILE& c = core[n];
    numbermemo& m = memo[n];
    int number = -1;
    if (target == c.header) {
        number = 0;
    } else if (target == c.header->up) {
        number = c.lncount;  // lines are added at the end most often
    } else if (target == c.header->down) {
        number = 1;  // and cleared from the top
    }
    if (number < 0 && m.line != nullptr) {
        // look a short way both ways from the line numbered last
        LINE* down = m.line;
        LINE* up = m.line;
        for (int step = 0; step <= 4096 && number < 0; step++) {
            if (down == target) number = m.number + step;
            if (number < 0 && up == target) number = m.number - step;
            if (down != c.header) down = down->down;
            if (up != c.header) up = up->up;
        }
    }
    if (number < 0) {
        int k = 0;
        for (LINE* l = c.header->down; l != c.header && k <= c.lncount; l = l->down) {
            k++;
            if (l == target) {
                number = k;
                break;
            }
        }
    }
    if (number >= 0) {
        m.line = const_cast<LINE*>(target);
        m.number = number;
    }
    return number;
}

int linenumber(int n, LINE* target) {
    int number = locate(n, target);
    return number >= 0 ? number : distance(core[n].header, target);
}

int findline(int n, const LINE* l) { return l == nullptr ? -1 : locate(n, l); }

LINE* lineat(int n, int k) {
    COREFILE& c = core[n];
    if (k <= 0 || k > c.lncount) return c.header;
    numbermemo& m = memo[n];
    LINE* l = c.header;
    int at = 0;
    int fromend = c.lncount + 1 - k;
    if (m.line != nullptr && std::abs(m.number - k) < std::min(k, fromend)) {
        l = m.line;
        at = m.number;
    } else if (fromend < k) {
        l = c.header;
        at = c.lncount + 1;
    }
    while (at < k) {
        l = l->down;
        at++;
    }
    while (at > k) {
        l = l->up;
        at--;
    }
    m.line = l;
    m.number = k;
    return l;
}

void unlinkrun(int n, LINE* first, LINE* last, int lines, long chars) {
    int saved = corenum;
    corenum = n;
    COREFILE& c = cur();
    jnoteremove(first, lines);
    numbermemo& m = memo[n];
    LINE* before = first->up;
    if (m.line == first) {
        m.line = before;
        m.number -= 1;
    } else {
        linkschanged(n);
    }
    before->down = last->down;
    last->down->up = before;
    c.lncount -= lines;
    c.charcount -= chars;
    corenum = saved;
}

void linkrun(int n, LINE* after, LINE* first, LINE* last, int lines, long chars) {
    int saved = corenum;
    corenum = n;
    COREFILE& c = cur();
    jnoteinsert(after, lines);
    memoinsertafter(after);
    first->up = after;
    last->down = after->down;
    after->down->up = last;
    after->down = first;
    c.lncount += lines;
    c.charcount += chars;
    for (LINE* l = first;; l = l->down) {
        l->jstamp = jserial;
        if (l == last) break;
    }
    corenum = saved;
}

static bool holdschars(int kind) { return kind != OBJ_EMPTY && kind != OBJ_PICTURE && kind != OBJ_DEAD; }

void setline(LINE* l, int kind, const unsigned char* text, int length) {
    COREFILE& c = cur();
    jnotechange(l);
    if (!holdschars(kind)) length = 0;
    int oldlength = holdschars(l->object) ? l->length : 0;
    if (l->object == OBJ_PICTURE) freepic(l);
    if (ownschars(l) && holdschars(kind) && length <= l->length) {
        memcpy(textbase + l->index, text, static_cast<size_t>(length));
        memset(textbase + l->index + length, FREEPOS, static_cast<size_t>(l->length - length));
    } else {
        freechars(l);
        // a line that keeps no storage, or needs more than it has, takes a new header
        if (l->linked) l = replaceheader(l);
        if (length > 0) {
            memcpy(textbase + avail, text, static_cast<size_t>(length));
            l->index = avail;
            avail += length;
            linkline(l);
        }
    }
    l->object = kind;
    l->length = length;
    c.charcount += length - oldlength;
}

void insertline(int kind, const unsigned char* text, int length) {
    if (!holdschars(kind)) length = 0;
    memcpy(textbase + avail, text, static_cast<size_t>(length));
    allocln(kind, length);
    if (length > 0) linkphys();
}

int inadequate(int ln, long ch) {
    if (avail + ch > hiaddr) return 1;
    if (ln > 0) {
        void* trial = std::malloc(static_cast<size_t>(ln) * 38);
        if (trial == nullptr) return 1;
        std::free(trial);
    }
    return 0;
}

bool roomfor(long chars) {
    if (!inadequate(1, chars)) return true;
    garbage();
    return !inadequate(1, chars);
}

void insline() {
    COREFILE& c = cur();
    allocln(OBJ_EMPTY, 0);
    makeobject();
    c.edited = 1;
    redisplay = 6;
    mwd();
}

void nuline() {
    COREFILE& c = cur();
    insline();
    int obj = c.lnptr->object;
    if (obj == OBJ_RECORD || obj == OBJ_PICTURE) {
        c.curcol = 1;
    } else if (obj == OBJ_EMPTY) {
        c.curcol = lmargin;
    }
    c.curflag = 1;
}

void advfile(int relative) {
    COREFILE& c = cur();
    int n = param[1];
    int col = param[2];
    LINE* l = relative ? c.lnptr : c.header;
    if (n != 0) {
        if (n > 0) {
            for (int i = 0; i < n && l->down != c.header; i++) l = l->down;
        } else {
            for (int i = 0; i < -n && l->up != c.header; i++) l = l->up;
        }
        if (l == c.header) l = c.header->down;  // an empty list cannot happen; stay on a line
        c.lnptr = l;
        c.disln = l;
        redisplay = 1;
    }
    long column = relative ? static_cast<long>(c.curcol) + col : (col < 1 ? col + c.lnptr->length + 1L : col);
    // No column beyond the array can ever hold a character: a larger one only risks overflow.
    if (column > TEXTSIZE) column = TEXTSIZE;
    c.curcol = column < 1 ? 1 : static_cast<int>(column);
}

void positn() { advfile(0); }
void advance() { advfile(1); }

void nmeset() {
    COREFILE& c = cur();
    snprintf(c.filname, sizeof c.filname, "%s", curfile);
}

void goodbye() {
    int saved = corenum;
    overflg = 1;
    for (int n = 0; n < NUMCORE && overflg == 1; n++) {
        if (!core[n].edited) continue;
        char msg[80];
        snprintf(msg, sizeof msg, "WARNING: corefile %d not saved. <del> aborts", n);
        if (diserr(msg) == 2) overflg = 0;
    }
    if (overflg == 1) mode = 1;
    corenum = saved;
}

void inmode() {
    mode = (mode == 2) ? 1 : 2;
    prmptpar(mode);
}

void uclcsw() { transb = transb ? 0 : 1; }

void elidexp() {}
void expcore() {}
void homecur() {}

void showcore(FILE* out) {
    for (int n = 0; n <= 18; n++) {
        const COREFILE& c = core[n];
        fprintf(out, "corefile %d: header %p lnptr %p curcol %d curline %d lncount %d charcount %ld\n",
                n, static_cast<void*>(c.header), static_cast<void*>(c.lnptr), c.curcol, c.curline,
                c.lncount, c.charcount);
        fprintf(out, "  viewtype %d curflag %d filname \"%s\" edited %d starA %p starB %p nextstar %c "
                     "starcount %d cstarA %d cstarB %d cstarcount %d disln %p\n",
                c.viewtype, c.curflag, c.filname, c.edited, static_cast<void*>(c.starA),
                static_cast<void*>(c.starB), c.nextstar, c.starcount, c.cstarA, c.cstarB, c.cstarcount,
                static_cast<void*>(c.disln));
        int count = 0;
        for (LINE* l = c.header->down; l != c.header && count <= c.lncount; l = l->down, count++) {
            fprintf(out, "  line %p up %p down %p nextphys %p object %d length %d index %d\n",
                    static_cast<void*>(l), static_cast<void*>(l->up), static_cast<void*>(l->down),
                    static_cast<void*>(l->nextphys), l->object, l->length, l->index);
        }
    }
}

void showtext(FILE* out) {
    for (long i = 0; i < avail; i++) {
        int ch = textbase[i];
        if (ch == FREEPOS) {
            fputc('#', out);
        } else if (ch < 32 || ch > 126) {
            fprintf(out, "\\%03o", ch);
        } else {
            fputc(ch, out);
        }
        if (i % 64 == 63) fputc('\n', out);
    }
    fputc('\n', out);
}

void showphys(FILE* out) {
    for (LINE* l = firstphys.nextphys; l != nullptr; l = l->nextphys) {
        fprintf(out, "phys %p object %d length %d index %d\n", static_cast<void*>(l), l->object,
                l->length, l->index);
    }
}

void show() {
    FILE* out = fopenregular("test.file", "w");
    if (out == nullptr) {
        diserr("Cannot write test.file");
        return;
    }
    fprintf(out, "avail %ld hiaddr %ld full %d lastphys %p\n", avail, hiaddr, full,
            static_cast<void*>(lastphys));
    showcore(out);
    showphys(out);
    showtext(out);
    fclose(out);
}

}  // namespace zek
