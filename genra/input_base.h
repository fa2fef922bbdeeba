// The generator's reading of description files: the tokenizer shared by every reader (comments,
// quotes, line mode, %INCLUDE, %define macros), the reporting helpers warn and q_err, the line
// output q_line into corefiles, and the TSTINPUT listing.
#pragma once

#include <string>
#include <vector>

namespace zek {

// Token codes delivered by q_peep. Other codes are characters delivered as themselves.
enum : int {
    TOK_INCLUDE = 1,  // handled inside the tokenizer
    TOK_IDENT = 3,    // its text is in identbuf
    TOK_EOF = 4,
    TOK_INHERIT = 5,
    TOK_CHOOSE = 6,
    TOK_RULE = 7,
    TOK_TRANSFORMATION = 8,
    TOK_PRIORITY = 9,  // also _and_, _lsp_
    TOK_LF = 10,       // only in line mode
    TOK_MAKES = 11,    // also _rhs_
    TOK_ILT = 12,
    TOK_PRE = 14,  // also _in_
    TOK_SELECT = 16,
    TOK_IS = 17,
    TOK_DEFINE = 18,  // handled inside the tokenizer
    TOK_QUOTE = 34,
    TOK_PERCENT = 37,  // the lone word "%"
};

constexpr int IDENTMAX = 39;       // characters of an identifier
constexpr int INCLUDEDEPTH = 5;    // files nested below the outermost one
constexpr int FILENAMEMAX = 79;    // characters of an included file's name
constexpr int MACRONAMEMAX = 49;
constexpr int MACROTEXTMAX = 999;
constexpr int MACRODEPTH = 20;     // macro texts read at once
constexpr int POSITIONMAX = 120;   // characters of file_position

// The corefile that receives the generator's messages and results.
constexpr int MSGCORE = 7;

// Identifier characters: letters, digits, "_", the accented letters of the class table, "%".
bool identchar(int c);

extern char identbuf[IDENTMAX + 1];
extern int iptr;
extern int istate;  // 0 outside quotes and comments, 1 within quotes, 2 within a comment
extern int ccount;
extern int lfret;  // line ends are delivered as tokens
extern const char* file_operation;
extern char file_position[POSITIONMAX + 1];
extern int q_stat;

// Where a token stands: the file as it was opened, its line and its column (bytes) from 1. A
// token read from a macro's text stands where the macro was named; line 0 means no file.
struct q_place {
    std::string file;
    int line = 0;
    int column = 0;
};
q_place q_here();  // the current token's place (before any token: where reading stopped)

// A report of a reader as a program outside the editor shows it: its place, whether it is only
// a warning, and the message without the corefile line's prefix.
struct q_report {
    q_place where;
    bool warning = false;
    std::string message;
};
// When set, warn, q_err and q_notice also append every report here (the corefile 7 lines
// stay exactly as they are). Reports made while no file is read have an empty place.
extern std::vector<q_report>* q_reports;
// A report for q_reports alone, at `where`: no line goes to corefile 7. The texts are joined
// as q_err joins them.
void q_notice(const q_place& where, bool warning, const char* msga, const char* msgb = "", const char* msgc = "");

// Lines written by q_line and reports made by q_notice so far: a step that changed neither
// reported nothing.
extern long q_reportcount;

// Appends `text` as a new last line of `corefile` (of line type `linetype`, 0 for text) and
// makes it that corefile's current line; the current corefile stays. q_printf formats first.
void q_line(int corefile, int linetype, const char* text);
void q_printf(int corefile, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Makes `fn` the only file being read (any files still open are closed first) in line mode
// when `lfr` is 1, and reads up to the first token. False when it cannot be opened: then
// q_peep yields the end of input.
bool openfile(const char* fn, int lfr);
// Starts a description file's reading named `operation` (which error lines name): opens it
// in token mode, or reports "unable to open file: " and sets q_stat to 1.
void openreading(const char* filename, const char* operation);
// Ends the reading that openreading started.
void endreading();
int q_peep();
void q_next();
void replenish();
void tokenize();
const char* tok2str(int tok);
int getone();
void closefile();
// Consumes every token up to the end of input, so that every open file is closed and
// reported; readers call it when they stop early.
void q_skipall();
// Consumes tokens up to and including the next line end (or up to the end of input).
void q_skipline();

struct macrodef;
const macrodef* macrosearch(const char* name);
void macrofree();

void warn(int c, int st);
void q_err(const char* msga, const char* msgb, const char* msgc);
// q_err at a place other than the current token's (a reader that reports at a line's end what
// belongs to its start).
void q_err_at(const q_place& where, const char* msga, const char* msgb, const char* msgc);

// The TSTINPUT command: the token stream of the file named by curfile into corefile 7.
void testinput();

// Resets the tokenizer (closes files, frees macros) at start-up.
void initinput();

}  // namespace zek
