// Picture objects. Pictures are created empty and every graphics operation does nothing.
#include "editor/graphics.h"
#include "editor/corutils.h"

namespace zek {

void freepic(coreline*) {}

void copypic(const coreline*, coreline*) {}

void grops() {}
void rubgraph() {}
void pickpoint() {}
void picleft() {}
void picright() {}
void picup() {}
void picdown() {}
void droppoint() {}
void nextitem() {}
void previtem() {}
void addpic() {}
void remember() {}
void preview() {}

}  // namespace zek
