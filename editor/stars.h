// Starred blocks: marking, deleting to corefile 0, recovering, copying and moving.
#pragma once

namespace zek {

struct coreline;

// The block being worked on: its first and last line in text order, its size, and whether it
// holds the current line, the window's top line, a starred line.
extern coreline* first;
extern coreline* last;
extern int lines_;
extern long charcount;
extern int b_curline;
extern int b_disln;
extern int b_star;

int delstar();
void clrstars();
void locatestars();
void findinfo();
void detach();
void attach();
// Moves the starred block of corefile `source` after the current line of corefile `dest`.
void moveblock(int source, int dest);

void makestars();
void delete_();
void recover();
void copyop();
void gnr_moveblock();
void gnr_sleep();

}  // namespace zek
