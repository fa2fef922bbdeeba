// Attribute text in rules and lexical entries turned into compounds, the working rows of the
// compound being matched, and the comparisons and printing of compounds and lists.
#pragma once

#include <string>

#include "genra/attr_list.h"

namespace zek {

constexpr int MAXROWS = 20;       // components of one compound
constexpr int MAXVARIABLES = 25;  // attribute variables of one rule
constexpr unsigned char VARMARK = 255;  // in rule text: the compound held in the variable after it

struct attr_row {
    int type = 0;
    int value = -1;   // -1: any value
    int decon = 0;    // written with "/"
    int ltindex = -1; // the lt_delayed entry it came from
    int lttmp = -1;   // a value to write back after a lexical match, -1 if none
};

extern attr_row attr[MAXROWS];
extern int attr_index;
extern int all_values;
extern int all_decon;
extern comp_attr comp_attr_register;
extern comp_attr variable_table[MAXVARIABLES + 1];

const char* text_to_comp_array(const char* r, int decon_allowed);
const char* text_to_comp_struct(const char* r, int decon_allowed);
comp_attr make_full_comp_attr();
comp_attr make_comp_attr();
comp_attr dup_decon_comp_attr(comp_attr c);
void decompose_comp_attr(comp_attr c);
void lt_decompose_comp_attr(comp_attr c);
int compare_comp_attr(comp_attr a, comp_attr b);
comp_attr find_attr(attr_list list);
comp_attr find_attr_in_list(attr_list list, comp_attr c);
comp_attr find_type_in_attr(int d, attr_list list);
std::string print_comp_attr(comp_attr c);
std::string print_attr_list(attr_list l);

// A value is drawn for occurrence d if it has none yet; every occurrence below delayptr.
void make_choice(int d);
void make_all_choices();

}  // namespace zek
