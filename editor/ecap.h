// Typing into text, decimal tabs, automatic wrap, split and join, copy from above, flip and line drawing.
#pragma once

namespace zek {

extern int autowrapflag;
extern int dectabflag;
extern int dtstate;
extern int lddel;
extern unsigned char flip[256];

void initecap();
void bldtxt();
void xbldtxt();
void swautowrap();
void decimaltab();

void splitline();
void joinline();
void repchar();
void repline();
void manynulines();
void flipchar();
void ldenter();
void ldexit();
void lddelin();
void lddelout();
void ldleft();
void ldright();
void ldup();
void lddown();

}  // namespace zek
