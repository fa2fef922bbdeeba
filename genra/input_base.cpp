// The tokenizer of the description files, the generator's reporting helpers and its line
// output. One file set is read at a time: a stack of files (the outermost and its %INCLUDEs),
// a stack of macro texts read before the rest of the file, and a queue of the tokens made from
// one input character.
#include "genra/input_base.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "editor/corutils.h"
#include "editor/getparam.h"
#include "editor/linutils.h"
#include "editor/sys_linux.h"
#include "editor/syshandler.h"
#include "genra/xref.h"

namespace zek {

char identbuf[IDENTMAX + 1];
int iptr = 0;
int istate = 0;
int ccount = 0;
int lfret = 0;
const char* file_operation = "";
char file_position[POSITIONMAX + 1];
int q_stat = 0;
std::vector<q_report>* q_reports = nullptr;

constexpr int ENDFILE = -1;  // what getone gives at the end of the input

struct tokenelement {
    std::string_view tokenword;  // its length rules out nearly every identifier at once
    int token;
};

static const tokenelement tokentable[] = {
    {"INHERIT", TOK_INHERIT},
    {"inherit", TOK_INHERIT},
    {"CHOOSE", TOK_CHOOSE},
    {"choose", TOK_CHOOSE},
    {"SELECT", TOK_SELECT},
    {"select", TOK_SELECT},
    {"RULE", TOK_RULE},
    {"rule", TOK_RULE},
    {"TRANSFORMATION", TOK_TRANSFORMATION},
    {"transformation", TOK_TRANSFORMATION},
    {"%INCLUDE", TOK_INCLUDE},
    {"%include", TOK_INCLUDE},
    {"%", TOK_PERCENT},
    {"PRIORITY", TOK_PRIORITY},
    {"priority", TOK_PRIORITY},
    {"_and_", TOK_PRIORITY},
    {"_makes_", TOK_MAKES},
    {"_ilt_", TOK_ILT},
    {"_lsp_", TOK_PRIORITY},
    {"_rhs_", TOK_MAKES},
    {"_pre_", TOK_PRE},
    {"_in_", TOK_PRE},
    {"_is_", TOK_IS},
    {"%define", TOK_DEFINE},
    {"", -1},
};

// Where a character or token stands: `file` indexes the names of the files of this reading.
struct tokpos {
    int file = -1;
    int line = 0;
    int column = 0;
};
static std::vector<std::string> posfiles;
static tokpos charpos;      // the character getone gave last
static tokpos identpos;     // the first character of the identifier being collected
static tokpos macrorefpos;  // the macro reference whose text is being read

// The token queue: the tokens made from one input character, each with its place.
struct queuetype {
    int queue[45];
    tokpos where[45];
    int head = 0;
    int tail = -1;
    int length = 0;
};
static queuetype tokenq;

// The files being read: the outermost at 0, each %INCLUDE one above.
struct fileinf {
    int fd = -1;
    std::string f_name;
    int f_line = 1;  // the line count of the closing report (a %define line is not counted)
    int nameindex = -1;
    int pline = 1;  // the place of the byte read last, every line counted
    int pcol = 0;
    bool atnewline = false;
    unsigned char buffer[1 << 16];
    size_t pos = 0;
    size_t len = 0;
    bool ended = false;
};
static std::unique_ptr<fileinf> filestack[INCLUDEDEPTH + 1];
static int fsptr = -1;
// A file that includes itself on many lines would be opened that many times to the fifth
// power: one reading follows at most MAXINCLUDES inclusions (tried or made).
constexpr int MAXINCLUDES = 1000;
static int includes = 0;

struct macrodef {
    std::string name;
    std::string def;
    macrodef* another;
};
static macrodef* macrodict = nullptr;
static const char* macrostack[MACRODEPTH + 1];
static int macroptr = 0;
// A macro whose text ends in a reference to itself is used up before that reference is
// expanded, so nesting alone cannot stop it: expansions made without a file character read
// in between are counted instead.
static long filechars = 0;
static long expandedat = -1;
static int chain = 0;

static char outbuf[60];

bool identchar(int c) { return c == '%' || (c > 0 && c < 256 && c != 4 && (charkind[c] & CK_LETTER) != 0); }

static void enqueue_at(int tok, const tokpos& where) {
    if (tokenq.length >= static_cast<int>(sizeof tokenq.queue / sizeof tokenq.queue[0])) return;
    tokenq.tail = (tokenq.tail + 1) % 45;
    tokenq.queue[tokenq.tail] = tok;
    tokenq.where[tokenq.tail] = where;
    tokenq.length++;
}

static void enqueue(int tok) { enqueue_at(tok, charpos); }

static q_place placeof(const tokpos& p) {
    q_place place;
    if (p.file >= 0 && p.file < static_cast<int>(posfiles.size())) {
        place.file = posfiles[static_cast<size_t>(p.file)];
        place.line = p.line;
        place.column = p.column;
    }
    return place;
}

q_place q_here() { return placeof(tokenq.length > 0 ? tokenq.where[tokenq.head] : charpos); }

// The three texts of a report joined as the corefile line joins them, blanks run together.
static std::string joined(const char* a, const char* b, const char* c) {
    std::string text;
    for (const char* part : {a, b, c}) {
        for (const char* p = part; *p != 0; p++) {
            bool blank = *p == ' ';
            if (blank && (text.empty() || text.back() == ' ')) continue;
            text += *p;
        }
        if (!text.empty() && text.back() != ' ') text += ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

void q_notice(const q_place& where, bool warning, const char* msga, const char* msgb, const char* msgc) {
    q_reportcount++;
    if (q_reports == nullptr) return;
    std::string text = joined(msga, msgb, msgc);
    // A message that calls itself a warning is one, and says so only through its kind.
    if (strncasecmp(text.c_str(), "warning", 7) == 0) {
        warning = true;
        size_t n = 7;
        while (n < text.size() && (text[n] == ':' || text[n] == ' ' || text[n] == '-')) n++;
        text.erase(0, n);
    }
    q_reports->push_back({where, warning, text});
}

static void emptyqueue() {
    tokenq.head = 0;
    tokenq.tail = -1;
    tokenq.length = 0;
}

long q_reportcount = 0;

void q_line(int corefile, int linetype, const char* text) {
    q_reportcount++;
    // The array cannot hold the free mark 255 as text: such bytes are shown as "?".
    char line[1100];
    // A line without it that fits, with room in the store, is appended as it stands.
    size_t length = strlen(text);
    if (length < sizeof line - 1 && memchr(text, FREEPOS, length) == nullptr &&
        (avail + static_cast<long>(length) <= hiaddr || full)) {
        appendline(corefile, text, linetype);
        return;
    }
    size_t n = 0;
    for (const char* p = text; *p != 0 && n < sizeof line - 1; p++) {
        line[n++] = static_cast<unsigned char>(*p) == FREEPOS ? '?' : *p;
    }
    line[n] = 0;
    if (avail + static_cast<long>(n) > hiaddr && !full) garbage();
    appendline(corefile, line, linetype);
}

void q_printf(int corefile, const char* format, ...) {
    char text[1100];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    q_line(corefile, 0, text);
}

void warn(int c, int st) {
    char name[16];
    switch (c) {
        case 9: snprintf(name, sizeof name, "tab"); break;
        case 10: snprintf(name, sizeof name, "new line"); break;
        case 13: snprintf(name, sizeof name, "CR"); break;
        case ENDFILE: snprintf(name, sizeof name, "EOF"); break;
        default:
            if (c < 32 || c == 127) {
                snprintf(name, sizeof name, "code %d", c);
            } else {
                snprintf(name, sizeof name, "%c", c);
            }
    }
    static const char* const states[] = {"outside quotes/comments", "within quotes", "within comments"};
    const char* state = states[st < 0 || st > 2 ? 0 : st];
    q_printf(MSGCORE, "%s warning: %s %s", file_operation, name, state);
    q_notice(placeof(charpos), true, name, state);
}

void q_err_at(const q_place& where, const char* msga, const char* msgb, const char* msgc) {
    q_printf(MSGCORE, "ERROR %s %s %s %s %s", file_operation, file_position, msga, msgb, msgc);
    q_notice(where, false, msga, msgb, msgc);
}

void q_err(const char* msga, const char* msgb, const char* msgc) { q_err_at(q_here(), msga, msgb, msgc); }

const macrodef* macrosearch(const char* name) {
    for (macrodef* m = macrodict; m != nullptr; m = m->another) {
        if (m->name == name) return m;
    }
    return nullptr;
}

void macrofree() {
    while (macrodict != nullptr) {
        macrodef* next = macrodict->another;
        delete macrodict;
        macrodict = next;
    }
    macroptr = 0;
}

// The next byte of the current file, ENDFILE at its end (and at every call after it).
static int filebyte() {
    fileinf& f = *filestack[fsptr];
    if (f.pos == f.len) {
        if (f.ended) return ENDFILE;
        if (interruptpending()) {
            // The user asked to stop: the rest of every open file is left unread.
            q_line(MSGCORE, 0, "reading interrupted");
            for (int i = 0; i <= fsptr; i++) filestack[i]->ended = true;
            return ENDFILE;
        }
        ssize_t got;
        do {
            got = read(f.fd, f.buffer, sizeof f.buffer);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            f.ended = true;
            return ENDFILE;
        }
        f.pos = 0;
        f.len = static_cast<size_t>(got);
    }
    filechars++;
    if (f.atnewline) {
        f.pline++;
        f.pcol = 0;
    }
    f.pcol++;
    int c = f.buffer[f.pos++];
    f.atnewline = c == '\n';
    return c;
}

int getone() {
    while (macroptr > 0) {
        const char*& p = macrostack[macroptr];
        if (*p != 0) {
            charpos = macrorefpos;
            return static_cast<unsigned char>(*p++);
        }
        macroptr--;
    }
    if (fsptr < 0) return ENDFILE;
    int c = filebyte();
    const fileinf& f = *filestack[fsptr];
    charpos = {f.nameindex, f.pline, c == ENDFILE ? f.pcol + 1 : f.pcol};
    return c;
}

void closefile() {
    if (fsptr < 0) return;
    fileinf& f = *filestack[fsptr];
    if (f.fd >= 0) close(f.fd);
    f.fd = -1;
    q_printf(MSGCORE, "Finished reading %s from file '%s' [%d lines.]", file_operation, f.f_name.c_str(),
             f.f_line - 1);
    f.f_name.clear();
}

// Pushes `name` on the file stack; false when it cannot be opened.
static bool pushfile(const char* name) {
    int fd = openregular(name, O_RDONLY);
    if (fd < 0) return false;
    fsptr++;
    if (!filestack[fsptr]) filestack[fsptr] = std::make_unique<fileinf>();
    fileinf& f = *filestack[fsptr];
    f.fd = fd;
    f.f_name = name;
    f.f_line = 1;
    f.nameindex = static_cast<int>(posfiles.size());
    posfiles.emplace_back(name);
    f.pline = 1;
    f.pcol = 0;
    f.atnewline = false;
    f.pos = f.len = 0;
    f.ended = false;
    return true;
}

// Closes every file without a report: a new reading starts afresh.
static void dropfiles() {
    for (; fsptr >= 0; fsptr--) {
        fileinf& f = *filestack[fsptr];
        if (f.fd >= 0) close(f.fd);
        f.fd = -1;
        f.f_name.clear();
    }
}

static void include() {
    int c;
    do {
        c = getone();
    } while (c != '"' && c != ENDFILE);
    char name[FILENAMEMAX + 1];
    int n = 0;
    if (c == '"') {
        for (c = getone(); c != '"' && c != ENDFILE; c = getone()) {
            if (n < FILENAMEMAX && c != 0) name[n++] = static_cast<char>(c);
        }
    }
    name[n] = 0;
    q_place directive = placeof(identpos);
    if (includes >= MAXINCLUDES) {
        if (includes++ == MAXINCLUDES) q_err_at(directive, "too many inclusions (at most 1000): ", name, "");
        q_stat = 1;
        return;
    }
    includes++;
    if (interruptpending()) return;  // the reading is being ended
    if (fsptr >= INCLUDEDEPTH) {
        q_err_at(directive, "inclusion depth too great ", name, "");
        q_stat = 1;
    } else if (!pushfile(name)) {
        q_err_at(directive, "unable to open file: ", name, "");
        q_stat = 1;
    }
}

static void define() {
    int c = getone();
    while (c == ' ' || c == '\t') c = getone();
    std::string name;
    while (identchar(c)) {
        if (static_cast<int>(name.size()) < MACRONAMEMAX) name += static_cast<char>(c);
        c = getone();
    }
    while (c == ' ' || c == '\t') c = getone();
    std::string text;
    while (c != '\n' && c != ENDFILE) {
        if (c != '\r' && c != 0 && static_cast<int>(text.size()) < MACROTEXTMAX) text += static_cast<char>(c);
        c = getone();
    }
    macrodict = new macrodef{name, text, macrodict};
}

// The keyword token that `word` spells, or 0.
static int keyword(std::string_view word) {
    for (const tokenelement* t = tokentable; t->token != -1; t++) {
        if (word == t->tokenword) return t->token;
    }
    return 0;
}

void tokenize() {
    if (iptr == 0) return;
    identbuf[iptr] = 0;
    int tok = keyword(std::string_view(identbuf, static_cast<size_t>(iptr)));
    iptr = 0;
    if (tok == TOK_INCLUDE) {
        include();
    } else if (tok == TOK_DEFINE) {
        if (macroptr == 0) define();
    } else if (tok != 0) {
        enqueue_at(tok, identpos);
    } else if (identbuf[0] == '%' && macrosearch(identbuf + 1) != nullptr) {
        chain = filechars == expandedat ? chain + 1 : 1;
        expandedat = filechars;
        if (chain > MACRODEPTH) {
            q_err_at(placeof(identpos), "macro expands into itself: ", identbuf, "");
        } else if (macroptr < MACRODEPTH) {
            if (macroptr == 0) macrorefpos = identpos;
            macrostack[++macroptr] = macrosearch(identbuf + 1)->def.c_str();
        }
    } else {
        enqueue_at(TOK_IDENT, identpos);
        if (q_xref != nullptr) q_xref->identifiers[file_operation].insert(identbuf);
        return;
    }
    identbuf[0] = 0;
}

// A file that ends inside a quote or a comment does not carry it into the including file.
static void endoffile() {
    closefile();
    fsptr--;
    istate = 0;
}

static void countline() {
    if (fsptr >= 0) filestack[fsptr]->f_line++;
}

void replenish() {
    emptyqueue();
    if (fsptr < 0) {
        macrofree();
        enqueue(TOK_EOF);
        return;
    }
    int c = getone();
    if (istate == 0) {
        if (c == '\t' || c == '\r' || c == ' ') {
            tokenize();
        } else if (c == '\n') {
            countline();
            tokenize();
            if (lfret) enqueue(TOK_LF);
        } else if (c == '"') {
            tokenize();
            enqueue(TOK_QUOTE);
            istate = 1;
            ccount = 0;
        } else if (c == '{') {
            tokenize();
            istate = 2;
            ccount = 0;
        } else if (c == '}') {
            warn(c, 0);
            tokenize();
            enqueue('}');
        } else if (c == ENDFILE) {
            // A macro or an included file named by the file's last word is read before it ends.
            int depth = fsptr;
            int macros = macroptr;
            tokenize();
            if (fsptr == depth && macroptr <= macros) endoffile();
        } else if (identchar(c)) {
            if (iptr == 0) identpos = charpos;
            if (iptr < IDENTMAX) {
                identbuf[iptr++] = static_cast<char>(c);
            } else {
                identbuf[IDENTMAX] = 0;
                q_err_at(placeof(identpos), "identifier truncated: ", identbuf, "");
            }
        } else if (c < 32 || c == 127) {
            // A control byte would read as a token code (4 as the end of input): it is dropped.
            tokenize();
            warn(c, 0);
        } else {
            tokenize();
            enqueue(c);
        }
    } else if (istate == 1) {
        ccount++;
        if (c == '\t' || c == '\r') {
            warn(c, 1);
        } else if (c == '\n') {
            countline();
            if (lfret) {
                warn(c, 1);
                enqueue(TOK_LF);
                istate = 0;
            }
        } else if (c == '"') {
            istate = 0;
            if (ccount > 80) q_err("warning: very long quoted string", "", "");
            enqueue(TOK_QUOTE);
        } else if (c == '{' || c == '|' || c == '}') {
            warn(c, 1);
            enqueue(c);
        } else if (c == ENDFILE) {
            warn(c, 1);
            endoffile();
        } else if (c < 32 || c == 127) {
            warn(c, 1);
        } else {
            enqueue(c);
        }
    } else {
        ccount++;
        if (c == '\n') {
            countline();
            if (lfret) warn(c, 2);
        } else if (c == '{' || c == '|') {
            warn(c, 2);
        } else if (c == '}') {
            istate = 0;
            if (ccount > 300) q_err("warning: very long comment", "", "");
        } else if (c == ENDFILE) {
            warn(c, 2);
            endoffile();
        }
    }
}

static void fill() {
    while (tokenq.length == 0) replenish();
}

bool openfile(const char* fn, int lfr) {
    dropfiles();
    posfiles.clear();
    charpos = tokpos();
    includes = 0;
    macrofree();
    emptyqueue();
    istate = 0;
    iptr = 0;
    identbuf[0] = 0;
    lfret = lfr;
    bool opened = pushfile(fn);
    fill();
    return opened;
}

void openreading(const char* filename, const char* operation) {
    file_operation = operation;
    file_position[0] = 0;
    q_stat = 0;
    if (!openfile(filename, 0)) {
        q_err("unable to open file: ", filename, "");
        q_stat = 1;
    }
}

void endreading() {
    file_operation = "";
    file_position[0] = 0;
}

int q_peep() {
    fill();
    return tokenq.queue[tokenq.head];
}

void q_next() {
    fill();
    if (tokenq.queue[tokenq.head] == TOK_IDENT) identbuf[0] = 0;
    tokenq.head = (tokenq.head + 1) % 45;
    tokenq.length--;
    fill();
}

void q_skipall() {
    while (q_peep() != TOK_EOF) q_next();
}

void q_skipline() {
    while (q_peep() != TOK_LF && q_peep() != TOK_EOF) q_next();
    if (q_peep() == TOK_LF) q_next();
}

const char* tok2str(int tok) {
    switch (tok) {
        case TOK_IDENT: snprintf(outbuf, sizeof outbuf, "identifier: %s", identbuf); return outbuf;
        case TOK_EOF: return "EOF";
        case TOK_LF: return "linefeed";
        case TOK_QUOTE: return "quote";
        default: break;
    }
    for (const tokenelement* t = tokentable; t->token != -1; t++) {
        if (t->token == tok) {
            snprintf(outbuf, sizeof outbuf, "token: %s", t->tokenword.data());
            return outbuf;
        }
    }
    snprintf(outbuf, sizeof outbuf, "char '%c'", tok);
    return outbuf;
}

void testinput() {
    file_operation = "test input";
    openfile(curfile, 1);
    while (q_peep() != TOK_EOF) {
        q_line(MSGCORE, 0, tok2str(q_peep()));
        q_next();
    }
    q_line(MSGCORE, 0, "end of input");
    file_operation = "";
}

void initinput() {
    dropfiles();
    macrofree();
    emptyqueue();
    istate = 0;
    iptr = 0;
    identbuf[0] = 0;
    lfret = 0;
    file_operation = "";
    file_position[0] = 0;
    q_stat = 0;
}

}  // namespace zek
