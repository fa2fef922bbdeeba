// Reading and writing corefiles as text files, the file checks, and whole-file reading for
// procedures and templates.
#include "editor/file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "editor/build.h"
#include "editor/check.h"
#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/scan.h"
#include "editor/screen.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/sys_linux.h"
#include "editor/sysutils.h"
#include "editor/tabs.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"
#include "editor/view.h"

namespace zek {

int ioerr = 0;
int linetype = 0;
char listfile[49];
char listinitfile[49];
char* loadbufptr = nullptr;
int loadtype = 0;
static bool replacedff = false;  // a byte 255 was met in the file being read
// UPDATE moved this file to its .bak copy and queued the SAVE that writes it anew: a failure
// of that SAVE puts the old file back under its name, with its permission bits.
static char updated[NAMELEN + 1];
static mode_t updatedmode = 0;

constexpr long MAXWHOLEFILE = 1 << 20;  // procedure, template and merge files

void initfile_io() {
    ioerr = 0;
    linetype = 0;
    listfile[0] = listinitfile[0] = 0;
    loadtype = 0;
    updated[0] = 0;
}

// The checks. Each refuses with its message through diserr and sets del to 2.

static bool emptyname() {
    if (curfile[0] != 0) return false;
    diserr("Empty filename");
    del = 2;
    return true;
}

static void refuse(const char* message) {
    diserr(message);
    del = 2;
}

// Only regular files pass: a directory, a FIFO or a device is refused like a missing file.
static bool opens(const char* name, int flags) {
    int fd = openregular(name, flags);
    if (fd < 0) return false;
    close(fd);
    return true;
}

int mayread(const char* name) { return opens(name, O_RDONLY) ? 1 : 0; }
int maywrite(const char* name) { return opens(name, O_WRONLY) ? 1 : 0; }
int maycreate(const char* name, bool keep) {
    if (!opens(name, O_WRONLY | O_CREAT | O_EXCL)) return 0;
    if (!keep) unlink(name);
    return 1;
}

static bool readable(const char* name) { return mayread(name) == 1; }

void fpr() {
    if (emptyname()) return;
    if (!readable(curfile)) refuse("File not found (or no read permission)");
}

void fpw() {
    if (emptyname()) return;
    if (!maywrite(curfile)) refuse("File not found (or no write permission)");
}

void faw() {
    if (emptyname()) return;
    if (!maycreate(curfile, true)) refuse("File already exists (or no write permission)");
}

void fpx() {
    if (emptyname()) return;
    struct stat st;
    if (stat(curfile, &st) != 0 || S_ISDIR(st.st_mode)) {
        refuse("Requested file cannot be located (or is not executable)!");
    }
}

void fprs() {
    if (curfile[0] == 0 || !readable(curfile)) del = 2;
}

// The file being read, through a buffer of our own: reading is a tight loop over the bytes,
// and the characters go straight into the free end of the character array.
static int readfd = -1;
static unsigned char readbuf[1 << 16];
static size_t readpos = 0;
static size_t readlen = 0;

// The bytes that need more than copying besides the line feed: carriage returns, tabs,
// vertical tabs and the free mark. Where the next of each stands in the buffer is found with
// memchr once per buffer and again only when it has been passed, so that a line without them
// is found with one memchr and taken with one memcpy.
static const unsigned char specials[] = {'\r', '\t', 11, FREEPOS};
constexpr int NSPECIALS = sizeof specials;
static size_t nextat[NSPECIALS];
static size_t nextspecial = 0;  // the least of them: no such byte lies before it

static void findspecials(size_t from) {
    nextspecial = readlen;
    for (int i = 0; i < NSPECIALS; i++) {
        if (nextat[i] < from) {
            const void* p = memchr(readbuf + from, specials[i], readlen - from);
            nextat[i] = p != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(p) - readbuf) : readlen;
        }
        if (nextat[i] < nextspecial) nextspecial = nextat[i];
    }
}

static bool refill() {
    ssize_t got;
    do {
        got = read(readfd, readbuf, sizeof readbuf);
    } while (got < 0 && errno == EINTR);
    readpos = 0;
    readlen = got > 0 ? static_cast<size_t>(got) : 0;
    for (size_t& at : nextat) at = 0;
    nextspecial = 0;
    return readlen > 0;
}

// Bytes that need more than copying: line ends, carriage returns, tabs and the free mark.
static bool specialbyte[256];
static bool specialready = false;

static void preparespecial() {
    if (specialready) return;
    for (int c : {10, 11, 13, 9, 255}) specialbyte[c] = true;
    specialready = true;
}

// Reads one line into the free end of the array. Returns 0 at the end of the file when
// nothing was read; the characters stand at textbase[avail .. avail + *len).
static int gline(int* len) {
    unsigned char* dst = textbase + avail;
    long room = hiaddr - avail;
    long n = 0;
    bool any = false;
    bool ended = false;
    while (!ended) {
        if (readpos == readlen && !refill()) break;
        any = true;
        // Fast path: the rest of the line lies in the buffer and needs nothing but copying.
        if (nextspecial < readpos) findspecials(readpos);
        const unsigned char* start = readbuf + readpos;
        const void* nl = memchr(start, '\n', readlen - readpos);
        if (nl != nullptr) {
            size_t span = static_cast<size_t>(static_cast<const unsigned char*>(nl) - start);
            if (readpos + span <= nextspecial && static_cast<long>(span) <= room - n) {
                memcpy(dst + n, start, span);
                n += static_cast<long>(span);
                readpos += span + 1;
                ended = true;
                break;
            }
        }
        const unsigned char* p = readbuf + readpos;
        const unsigned char* e = readbuf + readlen;
        while (p < e) {
            unsigned char c = *p++;
            if (!specialbyte[c]) {
                if (n >= room) {
                    ioerr = 1;
                    ended = true;
                    break;
                }
                dst[n++] = c;
                continue;
            }
            if (c == '\n' || c == 11) {
                ended = true;
                break;
            }
            if (c == '\r') continue;
            if (c == '\t' && octflag == 0) {
                do {
                    if (n >= room) break;
                    dst[n++] = ' ';
                } while (!tabcol(static_cast<int>(n) + 1));
                continue;
            }
            if (c == FREEPOS) {
                // 255 marks free positions in the array and cannot be held as text.
                c = '?';
                replacedff = true;
            }
            if (n >= room) {
                ioerr = 1;
                ended = true;
                break;
            }
            dst[n++] = c;
        }
        readpos = static_cast<size_t>(p - readbuf);
    }
    if (!any) {
        ioerr = 2;
        return 0;
    }
    if (!ended) ioerr = 2;  // the last line had no line end
    while (n > 0 && dst[n - 1] == ' ') n--;
    linetype = OBJ_EMPTY;
    if (fetchstyle == 1 && n >= 2 && dst[0] == '\\') {
        int kind = OBJ_TEXT;
        switch (dst[1]) {
            case 'r': kind = OBJ_RECORD; break;
            case 'm': kind = OBJ_MATH; break;
            case 'h': kind = OBJ_H; break;
            case 'a': kind = OBJ_A; break;
            case 'l': kind = OBJ_PICTURE; break;
            default: break;
        }
        linetype = kind;
        if (kind != OBJ_TEXT) {
            memmove(dst, dst + 2, static_cast<size_t>(n - 2));
            n -= 2;
        }
    }
    if (linetype == OBJ_PICTURE && n > 0) {
        // Our pictures carry no description: text behind the marker is not a picture.
        ioerr = 3;
        return 0;
    }
    if (linetype == OBJ_EMPTY && n > 0) linetype = OBJ_TEXT;
    *len = static_cast<int>(n);
    return 1;
}

// Whether the record just read (its `len` characters wait at `avail`) passes the record check.
// The check reads a record where it stands, so a header of its own is spliced in after the
// current line for the check alone: a record the check drops leaves no trace in the corefile,
// its line numbering or the undo journal.
static bool recordpasses(int len) {
    COREFILE& c = cur();
    LINE* before = c.lnptr;
    LINE probe;
    probe.object = OBJ_RECORD;
    probe.length = len;
    probe.index = static_cast<int>(avail);
    probe.up = before;
    probe.down = before->down;
    before->down->up = &probe;
    before->down = &probe;
    c.lnptr = &probe;
    c.lncount += 1;
    avail += len;  // the check works in the free store beyond the record
    bool passes = filterpasses();
    avail -= len;
    c.lncount -= 1;
    probe.down->up = before;
    before->down = probe.down;
    c.lnptr = before;
    return passes;
}

// Reads lines first..last of curfile after the current line. The lines are built as a run of
// their own and linked in after the current line at the end (or where the reading stopped),
// one insertion for the whole run; with a record check each line is linked as it comes, since
// the check reads it where it stands.
static void gfile() {
    int first = param[2];
    int last = param[3];
    if (first == 0 && last == 0) {
        first = 1;
        last = 200000;
    }
    ioerr = 0;
    replacedff = false;
    preparespecial();
    readfd = openregular(curfile, O_RDONLY);
    if (readfd < 0) return;
    readpos = readlen = 0;
    // With a record check only the record lines that pass it are kept.
    bool filter = filterprepare();
    // A whole file is about to fill the array (a checked one keeps too little to prepare for).
    struct stat st;
    if (!filter && first <= 1 && fstat(readfd, &st) == 0) prepareroom(static_cast<long>(st.st_size));
    COREFILE& c = cur();
    LINE* runfirst = nullptr;
    LINE* runlast = nullptr;
    int runlines = 0;
    long runchars = 0;
    int number = 1;
    for (; number <= last && ioerr == 0; number++) {
        int len = 0;
        if (!gline(&len)) break;
        if (number < first) {
            if (ioerr == 2) break;
            continue;
        }
        int kind = linetype;
        if (filter) {
            if (kind != OBJ_RECORD || !recordpasses(len)) continue;
            allocln(OBJ_RECORD, len);
            if (len > 0) linkphys();
        } else {
            LINE* l = spareheader();
            if (l == nullptr) {
                ioerr = 1;
                break;
            }
            if (kind == OBJ_PICTURE) len = 0;
            l->object = kind;
            l->length = len;
            l->index = avail;
            avail += len;
            if (len > 0) linkline(l);
            l->up = runlast;
            if (runlast != nullptr) runlast->down = l;
            if (runfirst == nullptr) runfirst = l;
            runlast = l;
            runlines++;
            runchars += len;
        }
        if (reserve == nullptr) ioerr = 1;
    }
    if (runlines > 0) {
        linkrun(corenum, c.lnptr, runfirst, runlast, runlines, runchars);
        c.lnptr = runlast;
    }
    // The default range ends at line 200000: a longer file is cut there, which is said as
    // when the store is full, so that nobody writes the short copy back unawares.
    if (ioerr == 0 && number > last && last == 200000 && (readpos < readlen || refill())) ioerr = 1;
    close(readfd);
    readfd = -1;
}

static void getfile() {
    gfile();
    if (ioerr == 1) diserr(" File Truncated ");
    if (ioerr == 3) diserr(" Bad Picture Encountered ");
    if (replacedff) progress(" Bytes of value 255 were read as ? ");
}

void fetchfile() {
    removefile();
    initfile();
    garbage();
    getfile();
    COREFILE& c = cur();
    if (c.lncount == 0) {
        c.lnptr = c.header;
        allocln(OBJ_EMPTY, 0);
        makeobject();
    }
    nmeset();
    wrwholescreen();
    c.edited = 0;
}

void insrtfile() {
    COREFILE& c = cur();
    LINE* here = c.lnptr;
    getfile();
    c.lnptr = here;
    redisplay = 1;
    c.edited = 1;
}

void appendfile() {
    COREFILE& c = cur();
    LINE* here = c.lnptr;
    c.lnptr = c.header->up;
    getfile();
    c.lnptr = here;
    redisplay = 1;
    c.edited = 1;
}

// The object marker that a line of kind `object` is written with; nullptr for a removed line,
// which is not written.
static const char* markerof(int object) {
    switch (object) {
        case OBJ_TEXT:
        case OBJ_EMPTY: return "";
        case OBJ_RECORD: return "\\r";
        case OBJ_MATH: return "\\m";
        case OBJ_H: return "\\h";
        case OBJ_A: return "\\a";
        case OBJ_PICTURE: return "\\l";
        default: return nullptr;
    }
}

// Writes one line with its object marker; returns false when the write failed.
static bool pline(FILE* out, const LINE* l) {
    const char* marker = markerof(l->object);
    if (marker == nullptr) return true;  // a removed line is not written
    for (const char* m = marker; *m != 0; m++) putc_unlocked(*m, out);
    if (l->object != OBJ_PICTURE && l->object != OBJ_EMPTY && l->linked) {
        fwrite_unlocked(textbase + l->index, 1, static_cast<size_t>(l->length), out);
    }
    if (lfonly == 0) putc_unlocked('\r', out);
    return putc_unlocked('\n', out) != EOF;
}

// Writes lines first..last of the current corefile; the trailing blanks of every line of the
// corefile are removed on the way. The lines are put together in a block of their own, written
// whenever it fills, so that a line costs one copy rather than calls into the stream.
static long written = 0;  // lines pfile wrote last
static unsigned char pbuf[1 << 16];
static size_t pused = 0;
// Writing to a file that is then flushed to the disk: the disk is asked to start on each
// megabyte as soon as it is written, so that the final flush waits for less.
static bool kickwriteback = false;
static off_t kickedupto = 0;
static off_t flushedupto = 0;

static bool pflush(FILE* out) {
    bool ok = fwrite_unlocked(pbuf, 1, pused, out) == pused;
    flushedupto += static_cast<off_t>(pused);
    pused = 0;
    if (kickwriteback && flushedupto - kickedupto >= (1 << 20)) {
        sync_file_range(fileno(out), kickedupto, flushedupto - kickedupto, SYNC_FILE_RANGE_WRITE);  // a hint
        kickedupto = flushedupto;
    }
    return ok;
}

static void pfile(FILE* out) {
    written = 0;
    int first = param[2];
    int last = param[3];
    if (first == 0 && last == 0) {
        first = 1;
        last = 200000;
    }
    const COREFILE& c = cur();
    int number = 1;
    pused = 0;
    kickedupto = flushedupto = 0;
    bool ok = true;
    for (LINE* l = c.header->down; l != c.header; l = l->down, number++) {
        trimline(l);
        if (number < first || number > last) continue;
        written++;
        const char* marker = markerof(l->object);
        if (marker == nullptr) continue;
        bool text = l->object != OBJ_PICTURE && l->object != OBJ_EMPTY && l->linked;
        size_t length = text ? static_cast<size_t>(l->length) : 0;
        if (pused + length + 4 > sizeof pbuf) {
            ok = pflush(out) && ok;
            if (length + 4 > sizeof pbuf) {
                // a line longer than the block goes on its own
                ok = fwrite_unlocked(marker, 1, strlen(marker), out) == strlen(marker) && ok;
                ok = fwrite_unlocked(textbase + l->index, 1, length, out) == length && ok;
                flushedupto += static_cast<off_t>(strlen(marker) + length);
                length = 0;
                marker = "";
            }
        }
        for (const char* m = marker; *m != 0; m++) pbuf[pused++] = static_cast<unsigned char>(*m);
        memcpy(pbuf + pused, textbase + l->index, length);
        pused += length;
        if (lfonly == 0) pbuf[pused++] = '\r';
        pbuf[pused++] = '\n';
    }
    ok = pflush(out) && ok;
    if (!ok || ferror(out)) ioerr = 1;
}

// Writes the range to `out` and flushes it to the disk; false when any of it failed. The
// stream stays open.
static bool writerange(FILE* out) {
    setvbuf(out, nullptr, _IONBF, 0);  // pfile writes whole blocks of its own
    ioerr = 0;
    kickwriteback = true;
    pfile(out);
    kickwriteback = false;
    if (fflush(out) != 0) ioerr = 1;
    if (ioerr == 0 && fsync(fileno(out)) != 0 && errno != EINVAL) ioerr = 1;
    return ioerr == 0;
}

// Writes the range into the file `name` holds open (created or truncated); false on failure.
static bool writeinplace(const char* name) {
    FILE* out = fopenregular(name, "w");
    if (out == nullptr) return false;
    bool ok = writerange(out);
    return fclose(out) == 0 && ok;
}

// Replaces the file `name` with the range: the text is written to a new file beside it, which
// is renamed over it only when complete, so that a failed write leaves the old file exactly as
// it was. The new file takes the old one's permission bits (and owner, where that is allowed);
// a symbolic link is followed and the file it names replaced. Where no file can be made beside
// it (a directory without write permission), the file is written in place.
static bool replacefile(const char* name) {
    char target[PATH_MAX];
    if (realpath(name, target) == nullptr) snprintf(target, sizeof target, "%s", name);
    struct stat old;
    bool known = stat(target, &old) == 0;
    char temp[PATH_MAX + 16];
    const char* slash = strrchr(target, '/');
    int dirlength = slash != nullptr ? static_cast<int>(slash - target) + 1 : 0;
    snprintf(temp, sizeof temp, "%.*s.%s-XXXXXX", dirlength, target, target + dirlength);
    int fd = mkstemp(temp);
    if (fd < 0) return writeinplace(name);
    if (known) {
        if (fchown(fd, old.st_uid, old.st_gid) != 0) {
            // another owner cannot be given away: the file becomes the user's own
        }
        if (fchmod(fd, old.st_mode & 07777) != 0) {
            // the new file cannot take the old one's permissions: the old file is rewritten in
            // place instead, which keeps them
            close(fd);
            unlink(temp);
            return writeinplace(name);
        }
    }
    FILE* out = fdopen(fd, "w");
    if (out == nullptr) {
        close(fd);
        unlink(temp);
        return false;
    }
    bool ok = writerange(out);
    if (fclose(out) != 0) ok = false;
    if (!ok) {
        unlink(temp);
        return false;
    }
    if (rename(temp, target) != 0) {
        unlink(temp);
        return writeinplace(name);  // renaming refused (a sticky directory, say)
    }
    return true;
}

// Screen mode: "Saved 12 lines to notes.txt".
static void confirmwrite(const char* verb, const char* preposition) {
    char text[NAMELEN + 64];
    snprintf(text, sizeof text, "%s %ld line%s %s %s", verb, written, written == 1 ? "" : "s", preposition, curfile);
    confirm(text);
}

static void writefailed() {
    ioerr = 1;
    diserr(" Write Failed ");
    cur().edited = 1;  // what the file lacks is only in the corefile: leaving must warn
}

// The check has created the file; a write that fails removes it again.
void savefile() {
    bool afterupdate = updated[0] != 0 && strcmp(updated, curfile) == 0;
    updated[0] = 0;
    FILE* out = fopenregular(curfile, "w");
    bool ok = out != nullptr;
    if (ok && afterupdate) fchmod(fileno(out), updatedmode);
    if (ok) ok = writerange(out);
    if (out != nullptr && fclose(out) != 0) ok = false;
    if (ok) {
        cur().edited = 0;
        confirmwrite("Saved", "to");
        return;
    }
    unlink(curfile);
    if (afterupdate) {
        char backup[NAMELEN + 8];
        snprintf(backup, sizeof backup, "%s.bak", curfile);
        rename(backup, curfile);
    }
    writefailed();
}

void ovrwritefile() {
    if (strcmp(curfile, cur().filname) != 0) {
        if (diserr(" Check name, not file fetched ") != 1) {
            del = 2;
            return;
        }
    }
    if (replacefile(curfile)) {
        cur().edited = 0;
        confirmwrite("Saved", "to");
    } else {
        writefailed();
    }
}

// Appends the range; a write that fails cuts the file back to its old length.
void join() {
    int fd = openregular(curfile, O_WRONLY | O_APPEND);
    if (fd < 0) {
        writefailed();
        return;
    }
    off_t oldlength = lseek(fd, 0, SEEK_END);
    int keep = dup(fd);
    FILE* out = fdopen(fd, "a");
    bool ok = out != nullptr && writerange(out);
    if (out == nullptr) close(fd);
    if (out != nullptr && fclose(out) != 0) ok = false;
    if (!ok && keep >= 0 && oldlength >= 0 && ftruncate(keep, oldlength) != 0) {
        // nothing more can be done: the message says the write failed
    }
    if (keep >= 0) close(keep);
    if (ok) {
        confirmwrite("Added", "to the end of");
    } else {
        writefailed();
    }
}

void deletefile() {
    if (unlink(curfile) != 0) diserr("Unable to delete file");
}

void newname() {
    if (curfile[0] == 0) {
        diserr("Empty current file name");
        del = 2;
        return;
    }
    if (targetstring[0] == 0) {
        diserr("Empty destination file name");
        del = 2;
        return;
    }
    // A folder as the new name takes the file under its own name.
    std::string target = targetstring;
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        const char* slash = strrchr(curfile, '/');
        if (target.back() != '/') target += '/';
        target += slash != nullptr ? slash + 1 : curfile;
    }
    if (readable(target.c_str())) {
        char question[80];
        snprintf(question, sizeof question, " Overwrite file:%s?", target.c_str());
        if (diserr(question) != 1) {
            del = 2;
            return;
        }
    }
    bool kept = false;
    int err = movefile(curfile, target.c_str(), kept);
    if (err != 0) {
        char message[120];
        if (kept) {
            snprintf(message, sizeof message, "File copied to %s, but the old name stays: %s", target.c_str(), strerror(err));
        } else {
            snprintf(message, sizeof message, "Unable to rename file: %s", strerror(err));
        }
        diserr(message);
        del = 2;
    }
}

void update() {
    static const char savekeys[] = "SA *";
    const char* name = cur().filname;
    if (name[0] == 0) {
        diserr("Empty filename");
        del = 2;
        return;
    }
    if (!readable(name)) {
        diserr("File not saved, do the SAve command first");
        del = 2;
        return;
    }
    char backup[NAMELEN + 8];
    snprintf(backup, sizeof backup, "%s.bak", name);
    struct stat st;
    updatedmode = stat(name, &st) == 0 ? (st.st_mode & 07777) : 0666;
    if (rename(name, backup) != 0) {
        char message[80];
        snprintf(message, sizeof message, "Unable to create .bak file:errno=%d. Update cancelled.", errno);
        diserr(message);
        del = 2;
        return;
    }
    snprintf(updated, sizeof updated, "%s", name);
    pushfn(savekeys);
}

void list() {
    if (listfile[0] == 0) snprintf(listfile, sizeof listfile, "%s", cur().filname);
    if (listfile[0] == 0) {
        diserr("Input file name not specified and No Work file name");
        del = 2;
        return;
    }
    if (listinitfile[0] == 0) snprintf(listinitfile, sizeof listinitfile, "%s", "list.init");
    if (!call_listcom(listfile, param[2], param[3], param[4], listinitfile)) {
        diserr("Error in executing LIST: command not found?");
    }
}

void emit() {
    int destination = param[4];
    if (destination == 1 && (progstate == 0 || zekoutput == nullptr)) return;
    FILE* out = destination == 1 ? zekoutput : xqout;
    if (out == nullptr) return;
    // Emitted onto the terminal that the screen is drawn on, the text is shown off the screen,
    // as a shell command's output is.
    bool offscreen = destination != 1 && out == stdout && stdoutisscreen();
    if (offscreen) {
        reseterm();
        scrclear();
    }
    int saved = corenum;
    int n = param[1];
    if (n >= 1 && n <= 18) corenum = n;
    if (offscreen) {
        // collected first, so that the Latin-1 text is shown in the terminal's character set
        char* text = nullptr;
        size_t size = 0;
        FILE* collected = open_memstream(&text, &size);
        if (collected != nullptr) {
            pfile(collected);
            fputs("$$$\r\n", collected);
            fclose(collected);
            showonterminal(text, size);
        }
        free(text);
    } else {
        if (destination != 1) clearerr(out);
        pfile(out);
        fputs("$$$\r\n", out);
        if (destination == 1) {
            flushdriver();
        } else if (fflush(out) != 0 || ferror(out)) {
            // Standard output is the front-end's pipe (or a file): what it lost is said on
            // standard error, which is still there when that pipe is not.
            int err = errno;
            clearerr(out);
            fprintf(stderr, "zek: EMIT: standard output: %s\n", strerror(err != 0 ? err : EIO));
            diserr(" Write Failed ");
        }
    }
    corenum = saved;
    if (offscreen) backtoscreen();
}

// Reads a whole file through the control translation ("~" switches it) into a new buffer
// ended by `terminator` (and by 0 after it); returns nullptr when the file cannot be read or
// is too long.
static char* readfile(const char* name, char terminator) {
    FILE* in = fopenregular(name, "r");
    if (in == nullptr) return nullptr;
    long size = 0;
    long capacity = 5120;
    char* buffer = static_cast<char*>(malloc(static_cast<size_t>(capacity)));
    if (buffer == nullptr) {
        fclose(in);
        return nullptr;
    }
    bool translating = false;
    resettrans();
    int c;
    while ((c = getc(in)) != EOF && c != 255) {
        if (c == '\r' || c == 0) continue;
        if (c == '~') {
            translating = !translating;
            resettrans();
            continue;
        }
        if (c == '\n') c = '\r';
        if (size + 3 > capacity) {
            if (capacity >= MAXWHOLEFILE) {
                free(buffer);
                fclose(in);
                return nullptr;
            }
            capacity *= 2;
            char* bigger = static_cast<char*>(realloc(buffer, static_cast<size_t>(capacity)));
            if (bigger == nullptr) {
                free(buffer);
                fclose(in);
                return nullptr;
            }
            buffer = bigger;
        }
        if (translating) {
            size += transchar(c, buffer + size);
        } else {
            buffer[size++] = static_cast<char>(c);
        }
    }
    fclose(in);
    buffer[size++] = terminator;
    if (terminator != 0) buffer[size++] = 0;  // a template stays a C string behind its 4
    char* fitted = static_cast<char*>(realloc(buffer, static_cast<size_t>(size)));
    return fitted != nullptr ? fitted : buffer;
}

// Replaces a whole-file buffer; a pushed string still reading the old one is dropped first.
static bool replacebuffer(char*& slot, char terminator) {
    char* fresh = readfile(curfile, terminator);
    if (fresh == nullptr) {
        diserr("File not found (or too long to load)");
        del = 2;
        return false;
    }
    if (slot != nullptr) {
        dropslotsin(slot, slot + strlen(slot));
        free(slot);
    }
    slot = fresh;
    return true;
}

void savename(char* out, size_t size, const char* file) { snprintf(out, size, "%s.zek-save", file); }

// Writes corefile n to the new file `name`; 0 when it is complete, else the error, and then no
// file is left behind.
static int writecopy(int n, const char* name) {
    int fd = openregular(name, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return errno;
    FILE* out = fdopen(fd, "w");
    if (out == nullptr) {
        int err = errno;
        close(fd);
        unlink(name);
        return err;
    }
    int saved = corenum;
    corenum = n;
    detrfile();  // as SAVE writes it
    corenum = saved;
    int err = 0;
    const COREFILE& c = core[n];
    for (const LINE* l = c.header->down; l != c.header && err == 0; l = l->down) {
        if (!pline(out, l)) err = errno != 0 ? errno : EIO;
    }
    if (err == 0 && fflush(out) != 0) err = errno != 0 ? errno : EIO;
    if (err == 0 && fsync(fd) != 0 && errno != EINVAL) err = errno;
    if (fclose(out) != 0 && err == 0) err = errno != 0 ? errno : EIO;
    if (err != 0) unlink(name);
    return err;
}

void savework(const char* why) {
    // No signal may break a write half way; they are all answered by the exit that follows.
    sigset_t all, before;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &before);
    for (int n = 0; n < VIEWCORE; n++) {
        if (!core[n].edited) continue;
        char base[PATH_MAX];
        if (core[n].filname[0] != 0) {
            savename(base, sizeof base, core[n].filname);
        } else {
            snprintf(base, sizeof base, "zek-core%d.zek-save", n);
        }
        char name[PATH_MAX + 8];
        snprintf(name, sizeof name, "%s", base);
        int err = EEXIST;
        for (int k = 2; k <= 100 && err == EEXIST; k++) {
            errno = 0;
            err = writecopy(n, name);
            if (err == EEXIST) snprintf(name, sizeof name, "%s.%d", base, k);
        }
        if (err == 0) {
            fprintf(stderr, "zek: %s: corefile %d saved in %s\n", why, n, name);
        } else {
            fprintf(stderr, "zek: %s: corefile %d not saved: %s: %s\n", why, n, name, strerror(err));
        }
    }
    fflush(stderr);
    sigprocmask(SIG_SETMASK, &before, nullptr);
}

void loadfile() {
    loadtype = 2;
    if (replacebuffer(loadbufptr, 0)) pushfn(loadbufptr);
}

void settemplate() {
    bool merge = param[1] == 2;
    loadtype = merge ? 3 : 1;
    replacebuffer(merge ? mrgbufptr : tempbufptr, merge ? 0 : 4);
}

}  // namespace zek
