// The lexicon: entries read from lexicon files, compiled (attributes as sorted type and value
// bytes, the frequency as four digits) and kept per terminal, newest first.
#pragma once

#include <string>
#include <vector>

namespace zek {

constexpr int DICTBUFSIZE = 1024;  // characters of one compiled entry, with its terminator
constexpr int MAXCOMPOUNDS = 25;   // compounds in the attribute field of one entry
constexpr int COMPOUNDSIZE = 40;   // characters of one compiled compound, with its terminator
constexpr int MAXRESTORED = 1024;  // entries read back with stored trees
constexpr int MAXREPORTS = 50;     // errors listed for one reading
constexpr unsigned char ATTRMARKER = 25;  // begins a compiled attribute component

struct recnode {
    recnode* previous;  // the entry read before this one
    char* recordptr;    // the compiled entry
};

// One list head per terminal, the entry read last first; empty while no lexicon is loaded.
extern std::vector<recnode*> dictionary;
extern recnode* restoredlexarray[MAXRESTORED];
extern int lastrestored;
extern long numentries;
extern long numerrors;

void initdict();
void readdict(const char* file);
int readentry(int linktolexicon);
void clearlexicon();
void printlex();
void clearrecoveredlexicon();
std::string fourdigits(long n);
void d_err(const char* msg, const char* text);

}  // namespace zek
