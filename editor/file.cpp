// Reading and writing corefiles as text files, the file checks, and whole-file reading for
// procedures and templates.
#include "editor/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "editor/build.h"
#include "editor/check.h"
#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/sysutils.h"
#include "editor/tabs.h"
#include "editor/terminal_xq.h"

namespace zek {

int ioerr = 0;
int linetype = 0;
char listfile[49];
char listinitfile[49];
char* loadbufptr = nullptr;
int loadtype = 0;
static FILE* fptr = nullptr;
static bool replacedff = false;  // a byte 255 was met in the file being read

constexpr long MAXWHOLEFILE = 1 << 20;  // procedure, template and merge files

void initfile_io() {
    ioerr = 0;
    linetype = 0;
    listfile[0] = listinitfile[0] = 0;
    loadtype = 0;
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

static bool readable(const char* name) {
    int fd = open(name, O_RDONLY);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    close(fd);
    return ok;
}

void fpr() {
    if (emptyname()) return;
    if (!readable(curfile)) refuse("File not found (or no read permission)");
}

void fpw() {
    if (emptyname()) return;
    int fd = open(curfile, O_WRONLY);
    if (fd < 0) {
        refuse("File not found (or no write permission)");
        return;
    }
    close(fd);
}

void faw() {
    if (emptyname()) return;
    int fd = open(curfile, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) {
        refuse("File already exists (or no write permission)");
        return;
    }
    close(fd);
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

// Reads one line into the free end of the array. Returns 0 at the end of the file when
// nothing was read; the characters stand at textbase[avail .. avail + *len).
static int gline(int* len) {
    int n = 0;
    int c = EOF;
    bool any = false;
    while ((c = getc_unlocked(fptr)) != EOF) {
        any = true;
        if (c == '\n' || c == 11) break;
        if (c == '\r') continue;
        if (avail + n >= hiaddr) {
            ioerr = 1;
            break;
        }
        if (c == '\t' && octflag == 0) {
            do {
                textbase[avail + n++] = ' ';
            } while (!tabcol(n + 1) && avail + n < hiaddr);
            continue;
        }
        if (c == FREEPOS) {
            // 255 marks free positions in the array and cannot be held as text.
            c = '?';
            replacedff = true;
        }
        textbase[avail + n++] = static_cast<unsigned char>(c);
    }
    if (!any) {
        ioerr = 2;
        return 0;
    }
    if (c == EOF) ioerr = (ioerr == 1) ? 1 : 2;
    while (n > 0 && textbase[avail + n - 1] == ' ') n--;
    linetype = OBJ_EMPTY;
    long start = avail;
    if (fetchstyle == 1 && n >= 2 && textbase[start] == '\\') {
        int kinds = 0;
        switch (textbase[start + 1]) {
            case 'r': kinds = OBJ_RECORD; break;
            case 'm': kinds = OBJ_MATH; break;
            case 'h': kinds = OBJ_H; break;
            case 'a': kinds = OBJ_A; break;
            case 'l': kinds = OBJ_PICTURE; break;
            default: kinds = OBJ_TEXT; break;
        }
        linetype = kinds;
        if (kinds != OBJ_TEXT) {
            memmove(textbase + start, textbase + start + 2, static_cast<size_t>(n - 2));
            n -= 2;
        }
    }
    if (linetype == OBJ_PICTURE && n > 0) {
        // Our pictures carry no description: text behind the marker is not a picture.
        ioerr = 3;
        return 0;
    }
    if (linetype == OBJ_EMPTY && n > 0) linetype = OBJ_TEXT;
    *len = n;
    return 1;
}

// Reads lines first..last of curfile after the current line.
static void gfile() {
    int first = param[2];
    int last = param[3];
    if (first == 0 && last == 0) {
        first = 1;
        last = 200000;
    }
    ioerr = 0;
    replacedff = false;
    fptr = fopen(curfile, "r");
    if (fptr == nullptr) return;
    static char buffer[1 << 16];
    setvbuf(fptr, buffer, _IOFBF, sizeof buffer);
    for (int number = 1; number <= last && ioerr == 0; number++) {
        int len = 0;
        if (!gline(&len)) break;
        if (number < first) {
            if (ioerr == 2) break;
            continue;
        }
        int kind = linetype;
        if (kind == OBJ_PICTURE) {
            allocln(OBJ_PICTURE, 0);
        } else {
            allocln(kind, len);
            if (len > 0) linkphys();
        }
        if (reserve == nullptr) ioerr = 1;
    }
    fclose(fptr);
    fptr = nullptr;
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

// Writes one line with its object marker; returns false when the write failed.
static bool pline(FILE* out, const LINE* l) {
    const char* marker = "";
    switch (l->object) {
        case OBJ_TEXT:
        case OBJ_EMPTY: break;
        case OBJ_RECORD: marker = "\\r"; break;
        case OBJ_MATH: marker = "\\m"; break;
        case OBJ_H: marker = "\\h"; break;
        case OBJ_A: marker = "\\a"; break;
        case OBJ_PICTURE: marker = "\\l"; break;
        default: return true;  // a removed line is not written
    }
    fputs(marker, out);
    if (l->object != OBJ_PICTURE && l->object != OBJ_EMPTY && l->linked) {
        fwrite(textbase + l->index, 1, static_cast<size_t>(l->length), out);
    }
    if (lfonly == 0) putc('\r', out);
    return putc('\n', out) != EOF;
}

// Writes lines first..last of the current corefile; trailing blanks are removed first.
static void pfile(FILE* out) {
    int first = param[2];
    int last = param[3];
    if (first == 0 && last == 0) {
        first = 1;
        last = 200000;
    }
    detrfile();
    const COREFILE& c = cur();
    int number = 1;
    for (const LINE* l = c.header->down; l != c.header && number <= last; l = l->down, number++) {
        if (number >= first && !pline(out, l)) ioerr = 1;
    }
    if (ferror(out)) ioerr = 1;
}

// Writes the range to curfile opened with `how`; reports a failed write.
static bool putfile(const char* how) {
    ioerr = 0;
    FILE* out = fopen(curfile, how);
    if (out == nullptr) {
        ioerr = 1;
    } else {
        pfile(out);
        if (fclose(out) != 0) ioerr = 1;
    }
    if (ioerr == 1) {
        diserr(" Write Failed ");
        return false;
    }
    return true;
}

void savefile() {
    if (putfile("w")) cur().edited = 0;
}

void ovrwritefile() {
    if (strcmp(curfile, cur().filname) != 0) {
        if (diserr(" Check name, not file fetched ") != 1) {
            del = 2;
            return;
        }
    }
    if (putfile("w")) cur().edited = 0;
}

void join() { putfile("a"); }

void deletefile() {
    if (unlink(curfile) != 0) diserr("Unable to delete file");
}

// Quotes a name for the shell; names typed as file parameters hold no quote characters.
static void shellquote(const char* name, char* out, int size) {
    snprintf(out, static_cast<size_t>(size), "'%s'", name);
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
    if (readable(targetstring)) {
        char question[80];
        snprintf(question, sizeof question, " Overwrite file:%s?", targetstring);
        if (diserr(question) != 1) {
            del = 2;
            return;
        }
    }
    char from[64], to[64], command[160];
    shellquote(curfile, from, sizeof from);
    shellquote(targetstring, to, sizeof to);
    snprintf(command, sizeof command, "mv -- %s %s", from, to);
    int status = system(command);
    if (status == -1 || (WIFEXITED(status) && WEXITSTATUS(status) == 127)) {
        diserr("Couldn't exec command to rename file");
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
    if (rename(name, backup) != 0) {
        char message[80];
        snprintf(message, sizeof message, "Unable to create .bak file:errno=%d. Update cancelled.", errno);
        diserr(message);
        del = 2;
        return;
    }
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
    int saved = corenum;
    int n = param[1];
    if (n >= 1 && n <= 18) corenum = n;
    pfile(out);
    fputs("$$$\r\n", out);
    fflush(out);
    corenum = saved;
}

// Reads a whole file through the control translation ("~" switches it) into a new buffer
// ended by `terminator`; returns nullptr when the file cannot be read or is too long.
static char* readfile(const char* name, char terminator) {
    FILE* in = fopen(name, "r");
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
        if (size + 2 > capacity) {
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
