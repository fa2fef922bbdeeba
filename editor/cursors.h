// Cursor motion by character, line, field, record, page and word, and the window following it.
#pragma once

namespace zek {

extern int greenx;
extern int greeny;
extern int curtabnode;

void initcursors();
void fixcursor();
void mwd();
void retrn();
void downline();
void upline();
void curleft();
void curright();
void downrec();
void uprec();
void downfield();
void upfield();
void up_page();
void downpage();
void leftm();
void rightm();
void downm();
void upm();
void downrow();
void uprow();
void greencur();
void begline();
void endline();
void xnextword();
void xprevword();
void xnextnumx();
void gotobottom();

}  // namespace zek
