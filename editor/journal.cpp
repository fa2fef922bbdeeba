// The undo journal. The line store reports every line it is about to insert, remove or change;
// the first report of a corefile in a step opens that corefile's step, and each report adds a
// record: the place (line number) and, for removed and changed lines, their kind and text.
// Undoing a step plays its records backwards through the same primitives, which record the way
// back as the step that redo plays. Line numbers rather than line headers name the places, so
// that a record stays right while headers move, are collected and are handed out again.
#include "editor/journal.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <deque>
#include <unordered_set>

#include "editor/linutils.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/terminal_xq.h"
#include "editor/view.h"

namespace zek {

long undolimit = 0;
unsigned jserial = 1;
journalpace jpace;

namespace {

// Records: op, line number, count, the op's data, then the record's own start, so that a step
// can be read backwards. INS has no data; REM has count times (kind, length, text); CHG has one.
enum : unsigned char { R_INS = 1, R_REM = 2, R_CHG = 3 };
constexpr size_t HEAD = 9;
constexpr size_t TRAIL = 4;

// What undo puts back besides the text: cursor, window top, marks, cursor kind and file name.
struct corestate {
    int line = 1, col = 1, top = 1, stara = 0, starb = 0;
    char nextstar = 'A';
    int starcount = 0;
    int cstara = 0, cstarb = 0;
    char cnextstar = 'A';
    int cstarcount = 0;
    int curflag = 1;
    char filname[NAMELEN + 1] = {};
};

// Where one step at a time that grows large is recorded: an area in large pages, reserved once,
// so that a step of hundreds of kilobytes costs a page fault for every two megabytes rather
// than one for every four kilobytes, and a step given up for outgrowing the bound costs no copy.
// The step's records are copied out to a block of their own size when it closes.
class largearea {
public:
    static constexpr size_t FROM = 32768;  // steps move here when they outgrow this
    // The area for `owner`, with at least `need` bytes, or nullptr when it is taken or cannot be
    // had (the heap serves then).
    unsigned char* claim(const void* owner, size_t need) {
        if (user != nullptr || need > SIZE) return nullptr;
        if (base == nullptr && !reserve()) return nullptr;
        user = owner;
        return base;
    }
    void moved(const void* to) { user = to; }
    bool holds(const unsigned char* p) const { return p == base && p != nullptr; }
    // The first large page stays for the next large step (giving it back and faulting it in
    // again costs more than the step's records); what lies beyond it goes back to the system.
    void release(size_t used) {
        user = nullptr;
        size_t keep = static_cast<size_t>(LARGEPAGE);
        if (used > keep) madvise(base + keep, used - keep, MADV_DONTNEED);
    }
    static constexpr size_t SIZE = 2 * static_cast<size_t>(TEXTSTORE);  // a step past the bound and a record

private:
    bool reserve() {
        if (failed) return false;
        size_t page = static_cast<size_t>(LARGEPAGE);
        void* raw = mmap(nullptr, SIZE + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (raw == MAP_FAILED) {
            failed = true;
            return false;
        }
        auto start = reinterpret_cast<uintptr_t>(raw);
        base = reinterpret_cast<unsigned char*>((start + page - 1) & ~static_cast<uintptr_t>(page - 1));
        madvise(base, SIZE, MADV_HUGEPAGE);  // a hint: small pages serve as well
        return true;
    }
    unsigned char* base = nullptr;
    const void* user = nullptr;
    bool failed = false;
};
largearea area;

// A step's records: a byte buffer. The records of most steps (a typed line, a RETURN) fit in the
// buffer itself, so that they cost no allocation; a larger one grows on the heap and, past
// largearea::FROM, in the large area if it is free.
class bytes {
public:
    bytes() = default;
    bytes(const bytes&) = delete;
    bytes& operator=(const bytes&) = delete;
    bytes(bytes&& o) noexcept { take(o); }
    bytes& operator=(bytes&& o) noexcept {
        if (this != &o) {
            clear();
            take(o);
        }
        return *this;
    }
    ~bytes() { clear(); }
    size_t size() const { return n; }
    bool empty() const { return n == 0; }
    unsigned char* data() { return p; }
    const unsigned char* data() const { return p; }
    // `count` more bytes at the end, for the caller to fill.
    unsigned char* extend(size_t count) {
        if (n + count > cap) grow(n + count);
        unsigned char* at = p + n;
        n += count;
        return at;
    }
    void resize(size_t count) {  // only ever shortens
        top = std::max(top, n);
        n = count < n ? count : n;
    }
    void clear() {
        if (area.holds(p)) {
            area.release(std::max(top, n));
        } else if (p != local) {
            std::free(p);
        }
        p = local, n = 0, cap = LOCAL, top = 0;
    }
    void shrink_to_fit() {
        if (p == local || n == cap) return;
        if (area.holds(p) && n > LOCAL) return leavearea(n);
        if (n <= LOCAL) {
            size_t keep = n;
            memcpy(local, p, n);
            clear();
            n = keep;
            return;
        }
        void* q = std::realloc(p, n);
        if (q != nullptr) p = static_cast<unsigned char*>(q), cap = n;
    }

private:
    static constexpr size_t LOCAL = 40;
    void take(bytes& o) {
        n = o.n, cap = o.cap, top = o.top;
        if (o.p == o.local) {
            memcpy(local, o.local, n);
            p = local;
        } else {
            p = o.p;
        }
        if (area.holds(p)) area.moved(this);
        o.p = o.local, o.n = 0, o.cap = LOCAL, o.top = 0;
    }
    [[gnu::noinline]] void grow(size_t need) {
        size_t c = std::max(need, std::max<size_t>(cap * 2, 256));
        if (area.holds(p)) return leavearea(std::max(need, 2 * n));  // it outgrew even the area
        unsigned char* q = c > largearea::FROM ? area.claim(this, c) : nullptr;
        if (q != nullptr) {
            memcpy(q, p, n);
            if (p != local) std::free(p);
            p = q, cap = largearea::SIZE, top = 0;
            return;
        }
        void* h = p == local ? std::malloc(c) : std::realloc(p, c);
        if (h == nullptr) nomemory();
        if (p == local) memcpy(h, local, n);
        p = static_cast<unsigned char*>(h);
        cap = c;
    }
    // The records go from the large area to a heap block of `c` bytes.
    void leavearea(size_t c) {
        void* h = std::malloc(c);
        if (h == nullptr) nomemory();
        memcpy(h, p, n);
        area.release(std::max(top, n));
        p = static_cast<unsigned char*>(h), cap = c, top = 0;
    }
    [[noreturn]] static void nomemory() {
        fputs("zek: out of memory for the undo journal\n", stderr);
        std::abort();
    }
    unsigned char* p = local;
    size_t n = 0, cap = LOCAL;
    size_t top = 0;  // in the large area: the most it has held (n only tells the present)
    unsigned char local[LOCAL];
};

struct step {
    unsigned long id = 0;  // names the state the step leads to
    corestate before;      // restored when the step is undone
    bytes data;
};
constexpr long STEPCOST = static_cast<long>(sizeof(step));

struct corejournal {
    std::deque<step> undo, redo;  // oldest first; redo's last is the next to redo
    unsigned openserial = 0;      // jserial of the step open at undo.back()
    bool discarded = false;       // the open step outgrew the bound: nothing more of it is kept
    bool cut = false;             // history was dropped because it outgrew the bound
    unsigned long base = 0;       // the state at the bottom of the undo stack
    // The states in which the corefile was found unedited (fetched, saved, cleared, or never
    // marked), since its file was last written: undo and redo to one of them clear the flag.
    std::unordered_set<unsigned long> clean;
    bool openclean = false;       // the step still open is one of them
    unsigned long lastclean = 0;  // the one found last
    char filename[NAMELEN + 1] = {};  // the name under which the last of them was found
    struct stat file = {};            // and that file as it was then
};

// Whether the corefile's file `name` is still the one seen at the last clean state (which is
// then brought up to date): a file written in the meantime matches no state found clean before.
bool samefile(corejournal& j, const char* name) {
    if (name[0] == 0) return true;  // no name, no file written
    struct stat now = {};
    bool there = stat(name, &now) == 0;
    const struct stat& known = j.file;
    bool same = there && strcmp(j.filename, name) == 0 && now.st_ino == known.st_ino && now.st_dev == known.st_dev &&
                now.st_size == known.st_size && now.st_mtim.tv_sec == known.st_mtim.tv_sec &&
                now.st_mtim.tv_nsec == known.st_mtim.tv_nsec;
    j.file = now;
    snprintf(j.filename, sizeof j.filename, "%s", name);
    return same;
}

corejournal journals[NUMCORE];
unsigned long lastid = 0;
long& jbytes = jpace.bytes;
long& boundnow = jpace.bound;  // past it, records give way at once
unsigned& touched = jpace.touched;

// While undo or redo plays a step, what it records goes here.
struct replaying {
    int core;
    step* into;
    bool lost;  // it outgrew the bound
};
replaying* replay = nullptr;

// The corefiles whose steps were given up in step `serial`: their changes are not looked at.
struct gaveup {
    unsigned serial = 0;
    unsigned cores = 0;
};
gaveup given;

// The step boundaries' memory.
// The current corefile's cursor and marks when the key operation began.
struct marks {
    LINE *lnptr = nullptr, *disln = nullptr, *starA = nullptr, *starB = nullptr;
    int curcol = 1, starcount = 0, cstarA = 0, cstarB = 0, cstarcount = 0, curflag = 1;
    char nextstar = 'A', cnextstar = 'A';
};
marks snapshot;
int snapcore = -1;
char wasedited[NUMCORE];
bool& mayrename = jpace.rename;
const char* holding = nullptr;

long get32(const unsigned char* p) {
    uint32_t u;
    memcpy(&u, p, 4);
    return static_cast<long>(u);
}

void set32(unsigned char* p, long value) {
    auto u = static_cast<uint32_t>(value);
    memcpy(p, &u, 4);
}

void put32(bytes& v, long value) { set32(v.extend(4), value); }

unsigned long position(const corejournal& j) { return j.undo.empty() ? j.base : j.undo.back().id; }

void dropsteps(std::deque<step>& steps) {
    for (const step& s : steps) jbytes -= STEPCOST + static_cast<long>(s.data.size());
    steps.clear();
}

int numberof(int n, const LINE* l, const LINE* fallback) {
    int k = findline(n, l);
    if (k < 0) k = findline(n, fallback);
    return k;
}

corestate capture(int n) {
    const COREFILE& live = core[n];
    marks c = snapshot;
    if (n != snapcore) {
        c = {live.lnptr, live.disln, live.starA, live.starB, live.curcol, live.starcount, live.cstarA,
             live.cstarB, live.cstarcount, live.curflag, live.nextstar, live.cnextstar};
    }
    corestate s;
    const LINE* at = c.lnptr;
    int line = findline(n, at);
    if (line < 0) line = findline(n, at = live.lnptr);
    // the window top is at most a screen above the cursor line: counted up from it, not searched
    int top = -1;
    for (int i = 0; line >= 0 && i <= line && i <= depth; i++, at = at->up) {
        if (at == c.disln) {
            top = line - i;
            break;
        }
    }
    s.line = std::max(1, line);
    s.col = c.curcol;
    s.top = std::max(1, top >= 0 ? top : numberof(n, c.disln, live.disln));
    s.stara = c.starA != nullptr ? std::max(0, findline(n, c.starA)) : 0;
    s.starb = c.starB != nullptr ? std::max(0, findline(n, c.starB)) : 0;
    s.nextstar = c.nextstar;
    s.starcount = c.starcount;
    s.cstara = c.cstarA;
    s.cstarb = c.cstarB;
    s.cnextstar = c.cnextstar;
    s.cstarcount = c.cstarcount;
    s.curflag = c.curflag;
    memcpy(s.filname, live.filname, sizeof s.filname);  // names change only after the first record
    return s;
}

void restore(const corestate& s) {
    COREFILE& c = cur();
    int count = c.lncount;
    int line = std::clamp(s.line, 1, std::max(1, count));
    c.lnptr = lineat(corenum, line);
    c.curline = line;
    c.curcol = s.col;
    int top = std::clamp(s.top, 1, line);
    c.disln = line - top >= depth ? c.lnptr : lineat(corenum, top);
    c.starA = s.stara > 0 && s.stara <= count ? lineat(corenum, s.stara) : nullptr;
    c.starB = s.starb > 0 && s.starb <= count ? lineat(corenum, s.starb) : nullptr;
    c.nextstar = s.nextstar;
    c.starcount = s.starcount;
    c.cstarA = s.cstara;
    c.cstarB = s.cstarb;
    c.cnextstar = s.cnextstar;
    c.cstarcount = s.cstarcount;
    c.curflag = s.curflag;
    memcpy(c.filname, s.filname, sizeof c.filname);
}

long currentbound() {
    long live = 0;
    for (const COREFILE& c : core) live += c.charcount;
    long room = hiaddr - live;
    return std::min(undolimit, std::max(0L, room));
}

bool isopen(const corejournal& j) { return j.openserial == jserial && !j.discarded && !j.undo.empty(); }

bool dropopen(long over);
void giveup(int n);

// Whether the bottom of corefile j's undo stack may go: not when it is the step being recorded.
bool evictable(const corejournal& j) { return !j.undo.empty() && !(isopen(j) && j.undo.size() == 1); }

// Gives up the oldest steps of the undo stacks, oldest first, until the journal holds no more
// than `room`; false when none that may go is left.
bool evictundo(long room) {
    while (jbytes > room) {
        // the corefile with the oldest step, and the oldest step of all the others
        int best = -1;
        unsigned long bestid = 0, next = ULONG_MAX;
        for (int n = 0; n < NUMCORE; n++) {
            if (!evictable(journals[n])) continue;
            unsigned long id = journals[n].undo.front().id;
            if (best < 0 || id < bestid) {
                if (best >= 0) next = bestid;
                best = n, bestid = id;
            } else {
                next = std::min(next, id);
            }
        }
        if (best < 0) return false;
        // its steps go while they are older than every other corefile's
        corejournal& j = journals[best];
        j.cut = true;  // undo stops short of where it could have gone: it says so
        do {
            j.base = j.undo.front().id;
            jbytes -= STEPCOST + static_cast<long>(j.undo.front().data.size());
            j.undo.pop_front();
        } while (jbytes > room && evictable(j) && j.undo.front().id < next);
    }
    return true;
}

// Gives up the far end of a redo stack; false when there is none.
bool evictredo() {
    for (corejournal& j : journals) {
        if (j.redo.empty()) continue;
        jbytes -= STEPCOST + static_cast<long>(j.redo.front().data.size());
        j.redo.pop_front();
        return true;
    }
    return false;
}

// Gives up the largest step still being recorded that is larger than `over` (with its
// corefile's whole history, which cannot be undone past it), or the one undo or redo is
// recording; false when there is none.
bool dropopen(long over) {
    int best = -1;
    long largest = over;
    for (int n = 0; n < NUMCORE; n++) {
        if (!isopen(journals[n])) continue;
        long size = STEPCOST + static_cast<long>(journals[n].undo.back().data.size());
        if (size > largest) {
            largest = size;
            best = n;
        }
    }
    if (replay != nullptr && !replay->lost && STEPCOST + static_cast<long>(replay->into->data.size()) > largest) {
        replay->lost = true;
        jbytes -= static_cast<long>(replay->into->data.size());
        replay->into->data.clear();
        return true;
    }
    if (best < 0) return false;
    giveup(best);
    return true;
}

// Gives up the step that corefile n is recording, with its whole history.
void giveup(int n) {
    if (given.serial != jserial) given = {jserial, 0};
    given.cores |= 1u << n;
    corejournal& j = journals[n];
    dropsteps(j.undo);
    dropsteps(j.redo);
    j.base = ++lastid;
    j.cut = true;
    j.discarded = true;
}

// Forgets the clean states that undo and redo can no longer reach.
void prune(corejournal& j) {
    std::unordered_set<unsigned long> reachable{j.base};
    for (const step& s : j.undo) reachable.insert(s.id);
    for (const step& s : j.redo) reachable.insert(s.id);
    for (auto it = j.clean.begin(); it != j.clean.end();) {
        it = reachable.count(*it) != 0 ? std::next(it) : j.clean.erase(it);
    }
}

void enforce() {
    boundnow = currentbound();
    // a step that alone outgrows the bound goes first, and takes none of the others with it
    while (jbytes > boundnow && dropopen(boundnow)) {
    }
    if (jbytes <= boundnow) return;
    // Old steps go until a sixteenth of the bound is free again, so that a long run of small
    // steps drops them in batches instead of one at every step; steps being recorded go only
    // when nothing else is left and the bound still does not hold.
    evictundo(boundnow - boundnow / 16);
    while (jbytes > boundnow && (evictredo() || dropopen(-1))) {
    }
}

// The step that records the changes of corefile n now, or nullptr when nothing is recorded.
step* target(int n) {
    if (undolimit <= 0 || n < 0 || n >= VIEWCORE || holding != nullptr) return nullptr;
    if (replay != nullptr) return replay->core == n && !replay->lost ? replay->into : nullptr;
    corejournal& j = journals[n];
    if (j.openserial == jserial) {
        if (j.discarded || j.undo.empty()) return nullptr;
        step& s = j.undo.back();
        if (j.openclean) {
            j.clean.erase(s.id);  // saved half way through the step
            j.lastclean = 0;
            j.openclean = false;
        }
        return &s;
    }
    j.openserial = jserial;
    j.discarded = false;
    j.openclean = false;
    if (!j.redo.empty()) dropsteps(j.redo);  // a new change: what was undone cannot come back
    j.undo.emplace_back();
    step& s = j.undo.back();
    s.id = ++lastid;
    s.before = capture(n);
    jbytes += STEPCOST;
    touched |= 1u << n;
    return &s;
}

void grew(const step* s, size_t before) {
    jbytes += static_cast<long>(s->data.size()) - static_cast<long>(before);
    if (jbytes > boundnow) enforce();
}

// The last record of a step: its op, line and count, or false when the step has none.
bool lastrecord(const step& s, int& op, long& k, long& count) {
    if (s.data.size() < HEAD + TRAIL) return false;
    const unsigned char* r = s.data.data() + get32(s.data.data() + s.data.size() - TRAIL);
    op = r[0];
    k = get32(r + 1);
    count = get32(r + 5);
    return true;
}

size_t lastrecordstart(const step& s) { return static_cast<size_t>(get32(s.data.data() + s.data.size() - TRAIL)); }

// A record's head written at w; the end of what was written.
unsigned char* headat(unsigned char* w, unsigned char op, long k, long count) {
    w[0] = op;
    set32(w + 1, k);
    set32(w + 5, count);
    return w + HEAD;
}

void head(step& s, unsigned char op, long k, long count) { headat(s.data.extend(HEAD), op, k, count); }

// A line's kind, length and text written at w, which has room for its 5 + length bytes; the
// end of what was written.
unsigned char* copyline(unsigned char* w, const LINE* l, int length) {
    w[0] = static_cast<unsigned char>(static_cast<signed char>(l->object));
    set32(w + 1, length);
    if (length > 0) memcpy(w + 5, textbase + l->index, static_cast<size_t>(length));
    return w + 5 + length;
}

void appendcopy(bytes& v, const LINE* l) {
    int length = linechars(l);
    copyline(v.extend(5 + static_cast<size_t>(length)), l, length);
}

// Undoing records: what room they need, and playing them backwards.
void needs(const step& s, long& chars, int& lines) {
    chars = 0;
    lines = 0;
    size_t at = 0;
    while (at + HEAD + TRAIL <= s.data.size()) {
        const unsigned char* r = s.data.data() + at;
        long count = get32(r + 5);
        size_t p = at + HEAD;
        if (r[0] != R_INS) {
            for (long i = 0; i < count; i++) {
                long length = get32(s.data.data() + p + 1);
                chars += length;
                lines += 1;
                p += 5 + static_cast<size_t>(length);
            }
        }
        at = p + TRAIL;
    }
}

void play(const step& s) {
    COREFILE& c = cur();
    size_t end = s.data.size();
    while (end >= HEAD + TRAIL) {
        size_t start = static_cast<size_t>(get32(s.data.data() + end - TRAIL));
        const unsigned char* r = s.data.data() + start;
        int k = static_cast<int>(get32(r + 1));
        long count = get32(r + 5);
        const unsigned char* p = r + HEAD;
        if (r[0] == R_INS) {
            c.lnptr = lineat(corenum, k);
            for (long i = 0; i < count && c.lnptr != c.header; i++) removeline();
        } else if (r[0] == R_REM) {
            c.lnptr = lineat(corenum, k - 1);
            for (long i = 0; i < count; i++) {
                int length = static_cast<int>(get32(p + 1));
                insertline(static_cast<signed char>(p[0]), p + 5, length);
                p += 5 + length;
            }
        } else {
            LINE* l = lineat(corenum, k);
            if (l != c.header) setline(l, static_cast<signed char>(p[0]), p + 5, static_cast<int>(get32(p + 1)));
        }
        end = start;
    }
    if (c.lncount == 0) {
        // never left without lines, whatever the records say
        c.lnptr = c.header;
        allocln(OBJ_EMPTY, 0);
    }
}

void closestep() {
    for (unsigned look = touched; look != 0; look &= look - 1) {
        int n = __builtin_ctz(look);
        corejournal& j = journals[n];
        if (!isopen(j)) continue;
        step& s = j.undo.back();
        if (s.data.empty()) {
            unsigned long id = s.id;
            jbytes -= STEPCOST;
            j.undo.pop_back();
            if (j.clean.erase(id) != 0) j.clean.insert(position(j));
            j.lastclean = 0;
        } else {
            s.data.shrink_to_fit();
        }
    }
    touched = 0;
}

void newstep() {
    closestep();
    jserial++;
}

// Undo (back) or redo: the step is played backwards, what it does recorded as its opposite.
void travel(bool back) {
    newstep();
    int n = corenum;
    corejournal& j = journals[n];
    std::deque<step>& from = back ? j.undo : j.redo;
    if (undolimit <= 0 || n >= VIEWCORE || from.empty()) {
        if (!back) {
            progress("Nothing to redo");
        } else {
            progress(j.cut ? "No further undo: older changes outgrew the undo memory" : "Nothing to undo");
        }
        return;
    }
    step s = std::move(from.back());
    from.pop_back();
    long chars;
    int lines;
    needs(s, chars, lines);
    if (inadequate(lines, chars)) {
        if (!full) garbage();
        if (full || inadequate(lines, chars)) {
            from.push_back(std::move(s));
            diserr(back ? "inadequate free space for undo" : "inadequate free space for redo");
            return;
        }
    }
    step into;
    into.id = s.id;
    into.before = capture(n);
    replaying r{n, &into, false};
    replay = &r;
    jbytes += STEPCOST;
    play(s);
    replay = nullptr;
    restore(s.before);
    jbytes -= STEPCOST + static_cast<long>(s.data.size());
    std::deque<step>& to = back ? j.redo : j.undo;
    if (!r.lost) {
        into.data.shrink_to_fit();
        to.push_back(std::move(into));
    } else {
        jbytes -= STEPCOST;
        dropsteps(to);  // the way on is lost with this step
        if (!back) {
            j.base = ++lastid;
            j.cut = true;
        }
    }
    COREFILE& c = cur();
    c.edited = j.clean.count(position(j)) != 0 ? 0 : 1;
    for (int m = 0; m < NUMCORE; m++) wasedited[m] = core[m].edited;  // the flag set here is no save
    mayrename = true;
    redisplay = 1;
    newstep();
    enforce();
}

// The line that the last single insertion went after, while nothing else has been recorded
// since: a line inserted after the line it inserted (as a fetch, a merge or a listing adds
// line after line) grows the same insert record without numbering any line.
struct lastinsert {
    unsigned serial = 0;
    int core = -1;
    const step* s = nullptr;
    size_t size = 0;
    const LINE* after = nullptr;
};
lastinsert insertion;

[[gnu::noinline]] void recordchange(LINE* l);

}  // namespace

void initjournal() {
    insertion = lastinsert();
    given = gaveup();
    for (corejournal& j : journals) j = corejournal();
    lastid = 0;
    jbytes = 0;
    jserial = 1;
    replay = nullptr;
    snapcore = -1;
    jpace = journalpace();
    holding = nullptr;
    memset(wasedited, 0, sizeof wasedited);
    undolimit = UNDOLIMIT;
    journalforget();
}

void journalforget() {
    for (int n = 0; n < NUMCORE; n++) {
        corejournal& j = journals[n];
        dropsteps(j.undo);
        dropsteps(j.redo);
        j.base = ++lastid;
        j.clean.clear();
        j.lastclean = 0;
        if (!core[n].edited) j.clean.insert(j.base);
        j.filename[0] = 0;
        samefile(j, core[n].filname);
        j.openclean = false;
        j.cut = false;
        j.discarded = false;
    }
    touched = 0;
    jpace.settled = 0;
    jserial++;
}

void journalhold(const char* keys) {
    holding = keys;
    jpace.typing = false;
}

void stepopen(bool typing, bool command) {
    if (undolimit <= 0) {
        jpace.typing = false;
        return;
    }
    if (command) {
        // only commands clear the edited flag (and rename corefiles); keys only set it
        mayrename = true;
        for (int n = 0; n < NUMCORE; n++) wasedited[n] = core[n].edited;
    }
    bool scripted = keyreads == jpace.reads;
    bool run = typing && jpace.typing && corenum == jpace.core && cur().lnptr->jstamp == jserial;
    if (holding != nullptr && !stringonstack(holding)) {
        holding = nullptr;
        scripted = run = false;
    }
    if (!scripted && !run) newstep();
    jpace.reads = keyreads;
    jpace.typing = typing && holding == nullptr;
    jpace.core = corenum;
    if (run) return;  // the corefile's step is open: its state before it is taken
    const COREFILE& c = cur();
    snapshot = {c.lnptr, c.disln, c.starA, c.starB, c.curcol, c.starcount, c.cstarA,
                c.cstarB, c.cstarcount, c.curflag, c.nextstar, c.cnextstar};
    snapcore = corenum;
    if (!scripted && !run) boundnow = currentbound();
}

void stepclose() {
    if (undolimit <= 0) {
        mayrename = false;
        return;
    }
    // after a key, only the corefiles it changed are looked at, and of those only the ones not
    // yet found edited; after a command or undo, all
    if (mayrename) jpace.settled = 0;
    unsigned look = mayrename ? (1u << NUMCORE) - 1 : touched & ~jpace.settled;
    for (; look != 0; look &= look - 1) {
        int n = __builtin_ctz(look);
        if (core[n].edited) {
            jpace.settled |= 1u << n;
            continue;
        }
        corejournal& j = journals[n];
        if (strcmp(j.filename, core[n].filname) != 0) {
            samefile(j, core[n].filname);  // another file: the states found clean are so for theirs
        } else if (mayrename && wasedited[n] && !samefile(j, core[n].filname)) {
            j.clean.clear();  // cleared by a write of the file: no other state matches it now
            j.lastclean = 0;
        }
        unsigned long here = position(j);
        j.openclean = isopen(j) && j.undo.back().id == here;
        if (here == j.lastclean) continue;
        j.clean.insert(here);
        j.lastclean = here;
        if (j.clean.size() > 2 * (j.undo.size() + j.redo.size()) + 64) prune(j);
    }
    mayrename = false;
    if (jbytes > boundnow) enforce();
}


void jnoteinsert(LINE* after, int count) {
    step* s = target(corenum);
    if (s == nullptr || count <= 0) return;
    size_t before = s->data.size();
    const lastinsert& li = insertion;
    if (count == 1 && li.s == s && li.serial == jserial && li.core == corenum && li.size == before &&
        after->up == li.after) {
        // `after` is the line inserted last, which the last record's run holds: the run grows
        unsigned char* countat = s->data.data() + lastrecordstart(*s) + 5;
        set32(countat, get32(countat) + 1);
        insertion.after = after;
        return;
    }
    insertion = lastinsert();
    long k = linenumber(corenum, after) + 1;
    int op;
    long k0, c0;
    if (lastrecord(*s, op, k0, c0) && op == R_INS && k >= k0 && k <= k0 + c0) {
        set32(s->data.data() + lastrecordstart(*s) + 5, c0 + count);  // the run grows
    } else {
        head(*s, R_INS, k, count);
        put32(s->data, static_cast<long>(before));
        grew(s, before);
        if (target(corenum) != s) return;  // the bound gave the step up
    }
    if (count == 1) insertion = {jserial, corenum, s, s->data.size(), after};
}

void jnoteremove(LINE* first, int count) {
    insertion = lastinsert();
    step* s = target(corenum);
    if (s == nullptr || count <= 0) return;
    size_t before = s->data.size();
    long k = linenumber(corenum, first);
    int op;
    long k0, c0;
    bool known = lastrecord(*s, op, k0, c0);
    if (known && op == R_INS && k >= k0 && k + count <= k0 + c0) {
        // lines that this step inserted last go again: the insert shrinks
        size_t start = lastrecordstart(*s);
        if (c0 == count) {
            s->data.resize(start);
        } else {
            set32(s->data.data() + start + 5, c0 - count);
        }
        grew(s, before);
        return;
    }
    bool merge = known && op == R_REM && k0 == k;
    if (replay == nullptr) {
        // A removal that makes the step outgrow the bound gives the step up at once, as the
        // bound would once the text had been copied, without copying it: the copy would take the
        // journal past the bound of the step (`boundnow`), and the step alone would be larger
        // than the bound as it is now.
        long grown = merge ? 0 : static_cast<long>(HEAD + TRAIL);
        long pastbound = boundnow - jbytes;
        long toolarge = currentbound() - STEPCOST - static_cast<long>(before);
        long enough = std::max(pastbound, toolarge);
        const LINE* l = first;
        for (int i = 0; i < count && grown <= enough; i++, l = l->down) grown += 5 + linechars(l);
        if (grown > pastbound && grown > toolarge) {
            giveup(corenum);
            enforce();
            return;
        }
    }
    size_t start;
    long total = count;
    if (merge) {
        start = lastrecordstart(*s);  // a removal at the same place: one record
        s->data.resize(s->data.size() - TRAIL);
        total += c0;
        set32(s->data.data() + start + 5, total);
    } else {
        start = before;
        head(*s, R_REM, k, count);
    }
    LINE* l = first;
    for (int i = 0; i < count; i++, l = l->down) appendcopy(s->data, l);
    put32(s->data, static_cast<long>(start));
    grew(s, before);
}

void jnotechange(LINE* l) {
    if (l->jstamp == jserial) return;  // recorded or inserted in this step already
    l->jstamp = jserial;
    // a change that outgrew the bound goes on without being looked at
    if (given.serial == jserial && (given.cores >> corenum & 1) != 0 && replay == nullptr) return;
    recordchange(l);
}

namespace {

void recordchange(LINE* l) {
    insertion = lastinsert();
    step* s = target(corenum);
    if (s == nullptr) return;
    size_t before = s->data.size();
    long k = linenumber(corenum, l);
    int length = linechars(l);
    unsigned char* w = s->data.extend(HEAD + 5 + static_cast<size_t>(length) + TRAIL);
    set32(copyline(headat(w, R_CHG, k, 1), l, length), static_cast<long>(before));
    grew(s, before);
}

}  // namespace

void undo() { travel(true); }
void redo() { travel(false); }

void setundolimit(long kilobytes) {
    newstep();
    if (kilobytes <= 0) {
        undolimit = 0;
        journalforget();
        return;
    }
    undolimit = kilobytes < LONG_MAX / 1000 ? kilobytes * 1000 : LONG_MAX;
    enforce();
}

int undosteps(int n) { return n >= 0 && n < NUMCORE ? static_cast<int>(journals[n].undo.size()) : 0; }
int redosteps(int n) { return n >= 0 && n < NUMCORE ? static_cast<int>(journals[n].redo.size()) : 0; }
long journalbytes() { return jbytes; }

}  // namespace zek
