// The terminal: curses start-up, the raw key-input mode, the window size and the bell, and in
// screen mode the drawing of the screen model. The only module that includes the curses and
// terminfo headers.
#pragma once

#include <cstddef>

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

// The built-in front-end (screen mode). The model of editor/screen.h is copied to the terminal
// here; reseterm leaves the screen (drawing is held until physterm takes it back, with a repaint).
void screendraw(int force);  // draws what changed; without force at most every few milliseconds
void screenrepaint();        // the next draw repaints the whole terminal (after foreign output)
bool stdoutisscreen();       // standard output is the terminal that the screen is drawn on
// Writes Latin-1 text to standard output (the terminal, off the screen) in the terminal's
// character set: "?" for what it cannot show.
void showonterminal(const char* text, size_t size);

}  // namespace zek
