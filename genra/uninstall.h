// The generator bound into the editor: start-up, the key operations and the command operations.
#pragma once

namespace zek {

extern char q_error[49];

void qreadattr();
void qreadsyn();
void qreadmorph();
void qreadlex();
void qreadtables();
void qreadterm();
void qreaduser();
void qreadipa();
void qreadmerror();
void qreadsem();
void qreadtag();
void qreadtrans();
void rm_qfiles();
void lextrans();
void addlex();
void setmorphpasses();
void qdisplay();
void qfreq();
void qroot();
void rnset();
void rnprint();
void testinput();
void qerrorinput();
void qstoretree();
void qrestoretree();
void qtalk();

void initgenra();

void generate();
void qcompsingle();
void qglobpre();
void resumelx();
void qcompare();
void disp_sent();
void qnewcompare();
void qenummorph();
void qmakepre();

}  // namespace zek
