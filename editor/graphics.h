// Picture objects. Pictures are created empty and every graphics operation does nothing.
#pragma once

namespace zek {

struct coreline;

void freepic(coreline* line);
// Gives `to` a copy of the picture of `from` (pictures are empty: there is nothing to copy).
void copypic(const coreline* from, coreline* to);

void grops();
void rubgraph();
void pickpoint();
void picleft();
void picright();
void picup();
void picdown();
void droppoint();
void nextitem();
void previtem();
void addpic();
void remember();
void preview();

}  // namespace zek
