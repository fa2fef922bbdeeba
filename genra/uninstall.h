// The generator bound into the editor: which description files are loaded (with the rule that
// reloading a kind removes the kinds that depend on it), the recorded file names, start-up,
// and the operations of the generator's commands and keys.
#pragma once

#include <string>

namespace zek {

constexpr int NUMQFILES = 15;
constexpr int MAXROOTS = 20;

// Bits of the file kinds (row i of qfile_table has bit i - 1).
enum : int {
    QF_AT = 0x1,
    QF_US = 0x2,
    QF_SY = 0x4,
    QF_MO = 0x8,
    QF_TB = 0x10,
    QF_TM = 0x20,
    QF_LE = 0x40,
    QF_IP = 0x80,
    QF_MR = 0x100,
    QF_TG = 0x200,
    QF_SM = 0x400,
    QF_LX = 0x800,
    QF_GP = 0x1000,
    QF_ALL = 0x1fff,
};

struct qfile_entry {
    const char* cmdletts;
    int filebits;
    void (*uninstaller)();
    void (*initializer)();
    char putvlett;
};

extern const qfile_entry qfile_table[NUMQFILES];
extern int installed;
// Changes whenever a description file is read or removed: what was worked out from the
// tables before is to be worked out again.
extern unsigned long grammarstamp;
extern std::string genrafilename[59];
extern int synstat;
extern int userstat;
extern std::string error_function[MAXROOTS + 1];
extern char q_error[49];

void putgenrafile(const char* name, char letter);
void uninstall(int bits);
void uninstall_n(int row);
std::string bits_to_text(int bits);
int text_to_bits(const char* text);

// Start-up: the random source from the clock, every kind set up empty, no file names.
void initgenra();
// The same without seeding (tests start from it and seed themselves).
void resetgenra();

// Command operations.
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
void qdisplay();
void qfreq();
void qroot();
void rnset();
void rnprint();
void qerrorinput();
void qstoretree();
void qrestoretree();
void qtalk();

// Key operations.
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
