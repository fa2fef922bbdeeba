// Picture objects. Pictures are created empty and every graphics operation does nothing.
#pragma once

namespace zek {

struct coreline;

void freepic(coreline* line);

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
