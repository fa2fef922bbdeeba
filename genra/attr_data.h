// The attribute table: the types and values declared by the attribute file, the orders of
// ordered types (their transitive closure), the sorted lookup table of all names, and the
// table of attribute occurrences (`delayed`) that compounds refer to.
#pragma once

#include <string>
#include <vector>

namespace zek {

constexpr int MAXTYPES = 254;     // type numbers 1..253; entry 0 is never used
constexpr int MAXVALUES = 254;    // value numbers 1..253 of one type
constexpr int TYPENAMELEN = 31;
constexpr int DELAYSIZE = 5000;   // attribute occurrences of one run
constexpr int NOVALUE = 255;      // value byte of a compiled component naming only its type

struct attr_table_entry {
    char type[TYPENAMELEN + 1] = {};
    int entries = 1;                    // one more than the number of values
    std::vector<std::string> list;      // value names, index 1 upwards
    std::vector<int> valence;           // the number written before each value, 0 if none
    int partial = 0;                    // the values are ordered
    std::vector<unsigned char> trans;   // entries x entries: (a, b) is 1 when a is at or below b
};

struct attr_qlookup {
    const char* text;
    int type;
    int number;  // value number, -1 for a type name
};

// One attribute occurrence: a type with a value chosen now or later.
struct t_delay {
    int class_;
    int choice;  // -1 while no value is chosen
    int fixed;   // made with a value, or chosen since
};

extern attr_table_entry attr_table[MAXTYPES];
extern int total_types;  // one more than the number of types
extern std::vector<attr_qlookup> q_att_table;
extern int att_class;
extern int att_value;

extern t_delay delayed[DELAYSIZE];
extern int delayptr;
extern t_delay lt_delayed[DELAYSIZE];
extern int lt_delayptr;
extern int MState;  // 1 while lexical transformations run

void readattr(const char* fname);
void initattributes();
void clearattributes();
int lookup_attr(const char* text);
const char* att_get_name(int class_, int value);
int valid(int sign, int class_, int dict_choice, int match_choice);

// A new entry of `delayed` (the last one again when the table is full, with "Delay table
// exceeded" in the message corefile).
int newdelay(int class_, int choice);

}  // namespace zek
