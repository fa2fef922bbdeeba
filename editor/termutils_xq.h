// The terminal: curses start-up, the raw key-input mode, the window size and the bell.
// The only module that includes the curses and terminfo headers.
#pragma once

namespace zek {

extern int hasterminal;  // 1 while curses drives a real terminal

void stermpars();
int getwindsize();
void initerm();
void reseterm();
void physterm();
void setintran();
void scrclear();
void restorecursor();
void screenrefresh();
void ringbell();          // the terminal's own bell, only when a terminal is present
extern void (*bellwatch)();  // test hook: called for every bell, terminal or not
void endterminal();       // leaves curses for good at exit
void entercamode();       // sends enter_ca_mode and restores the program mode on resume

}  // namespace zek
