// Rubout and deletion, the 80-character recover ring and the operations that type it back.
#pragma once

namespace zek {

constexpr int DELBUFSIZE = 80;
extern char delbuf[DELBUFSIZE];
extern int delptr;

void initrubout();
void savechar(int c);

void rubtxt();
void rubrec();
void rubfield();
void copyfield();
void deline();
void delword();
void delwordend();
void rectxt();
void recrec();
void recword();
void recfield();
void copytxt();
void rubmath();

}  // namespace zek
