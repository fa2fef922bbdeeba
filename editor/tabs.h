// The margins and tab stops shared by typing, motion, reformat and file reading, and the ruler.
#pragma once

namespace zek {

constexpr int TABCOLS = 145;  // tab stops at columns 0..144

extern int lmargin;
extern int rmargin;
extern char tabs[TABCOLS];

void inittabs();
int tabcol(int c);
void tabcur();
void tabset();
void settabs();
void marginchk();
void marleft();
void maright();
void prtabs();

}  // namespace zek
