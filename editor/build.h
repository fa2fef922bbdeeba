// Objects and structure builders: views, record lines and their fields, the record template,
// and typing into records and mathematics lines.
#pragma once

namespace zek {

constexpr int MAXFIELDS = 100;

// Field of the cursor, set by findfield and fieldlen.
extern int fieldnum;
extern long recptr;
extern int fieldsiz;

// The record template, per field number 1..100.
extern int frow[MAXFIELDS + 1];
extern int fcol[MAXFIELDS + 1];
extern int maxfieldlen[MAXFIELDS + 1];
extern char ftype[MAXFIELDS + 1];
extern int numfields;
extern char* tempbufptr;
extern char* mrgbufptr;

void initbuild();
void makeobject();
void makerec();
void makegraph();
void objset();
void setspecs();
int writetemplate(int wron);
void findfield();
void fieldlen();
void bldrec();
int xbldrec();  // 1 when the character was accepted
// 1 when field `field` takes the character `ch` typed back (not from its own key) by its type.
int fieldaccepts(int field, int ch);
void bldmath();
void recmath();
void instabrow();
void instabcol();
void insmath(const char* string, int length);
void insnode(int symbol, const char* string);
int skipbars(int num, int ch1, int ch2, int direction, int bflag);
int skipforward(int num, int ch1, int ch2);
int skipback(int num, int ch1, int ch2);
int getnum(const char*& q);
int getfieldpar();

extern const int checktable[5][9];

// The table node whose marker (245) is at the cursor: its content runs from just after the
// node start (246) to the marker; rows end with 244, cells are separated by 243.
struct tableinfo {
    int start;  // column of the first content character
    int numrows;
    int numcols;
};
bool measuretable(tableinfo& t);  // false when the cursor is not on a table's marker

}  // namespace zek
