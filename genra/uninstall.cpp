// The generator bound into the editor: start-up, the key operations and the command operations.
#include "genra/uninstall.h"

namespace zek {

void initgenra() {}

void generate() {}
void qcompsingle() {}
void qglobpre() {}
void resumelx() {}
void qcompare() {}
void disp_sent() {}
void qnewcompare() {}
void qenummorph() {}
void qmakepre() {}

}  // namespace zek
