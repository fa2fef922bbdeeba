// Parameter entry on the command line: templates, defaults, parsing, the string destinations
// and the control notation in braces.
#pragma once

#include "editor/corutils.h"

namespace zek {

constexpr int MAXPARAMS = 25;
constexpr int PLINEMAX = 48;     // characters a user may type on the parameter line
constexpr int PSTRINGSIZE = 128;  // typed characters, bars and the appended defaults

extern int param[MAXPARAMS];
extern int paramcount;
extern char curfile[NAMELEN + 1];
extern char termstring[NAMELEN + 1];
extern char picstring[NAMELEN + 1];
extern char mathstring[NAMELEN + 1];
extern char pstring[PSTRINGSIZE];
extern int sptr;
extern int tptr;
extern int done;

// The buffers filled by string parameters, indexed by string code minus '1' (codes '1'..'G').
constexpr int NUMDEST = 23;
extern char* destination[NUMDEST];
extern int ctrltype[NUMDEST];

void initgetparam();
void prmptpar(int n);
void disprompt();
void getparam();
void add_defaults();
void gstr();
void gint();

// The control notation. transchar stores the translation of `ch` at *dest and returns 1, or
// returns 0 when nothing is stored (a brace, or a code 0 that would end the string).
// resettrans() starts a new string: translation on, control mode off.
void resettrans();
int transchar(int ch, char* dest);
// untranschar writes the shown form of `ch` at dest (at most 3 characters) and returns how
// many; untransdone() closes an open brace group at the end of a string.
int untranschar(int ch, char* dest);
int untransdone(char* dest);
// The shown form of a whole stored string, cut to fit `size`.
void untransstring(const char* src, char* dst, int size);

}  // namespace zek
