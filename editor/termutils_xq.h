// The terminal: its key-input mode, the window size and the bell through the terminal interface
// and terminfo, and in screen mode the curses screen that draws the screen model. The only
// module that includes the curses and terminfo headers.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zek {

extern int hasterminal;  // 1 while the editor has the terminal (its key mode; the screen too)
// Why screen mode cannot start on this terminal although it is known ("a terminal that can move
// the cursor"), or nullptr.
extern const char* noscreen;

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
bool utf8terminal();      // screen mode on a terminal whose character set is UTF-8
extern void (*bellwatch)();  // test hook: called for every bell, terminal or not
void endterminal();       // leaves curses for good at exit
void entercamode();       // on resume: the screen's program mode (nothing in the protocol mode)

// The built-in front-end (screen mode). The model of editor/screen.h is copied to the terminal
// here; reseterm leaves the screen (drawing is held until physterm takes it back, with a repaint).
void screendraw(int force);  // draws what changed; without force at most every few milliseconds
void screenrepaint();        // the next draw repaints the whole terminal (after foreign output)
bool stdoutisscreen();       // standard output is the terminal that the screen is drawn on
// The help view over the screen: a title bar, `rows` from `top`, a footer bar. False when the
// screen is not shown (a shell command has the terminal). helpclose gives the screen back.
bool helpdraw(const std::vector<std::string>& rows, int top, const std::string& title, const std::string& footer);
void helpclose();
// Writes Latin-1 text to standard output (the terminal, off the screen) in the terminal's
// character set: "?" for what it cannot show.
void showonterminal(const char* text, size_t size);

}  // namespace zek
