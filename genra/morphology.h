// Morphology: the rules and tables files, morph expressions that inflect the word of a leaf,
// the guard language over neighbouring leaves (also used by the guards of syntax rules), and
// the morphology passes run over every finished tree.
#pragma once

#include <string>

#include "genra/trees.h"

namespace zek {

constexpr int MAXPASSROWS = 22;   // tree 0 (ROOT), 1..20 (the further roots), 21 (phonology)
constexpr int MAXMRULES = 500;    // rules of one morphology file
constexpr int MSTACKSIZE = 100;   // nesting levels of one expression evaluation
constexpr int MOUTMAX = 119;      // characters of the word being built
constexpr int TABLEREFMAX = 99;   // characters of a table reference
constexpr int MBUFMAX = 999;      // characters kept of one guard, expression or table element
constexpr int DEFSTACKSIZE = 20;  // nested groups in a guard

// One guarded alternative of a morphology rule. The guard ends with ":", the expression with "|".
struct subrule {
    std::string rulename;
    std::string guard;
    std::string mexp;
    subrule* nextsub = nullptr;
};
typedef subrule MSUBRULE;

// A named table of morph expressions (also the phonology tables): each element followed by "|".
struct table {
    std::string tablename;
    std::string elements;
    int count = 0;
    table* next = nullptr;
};
typedef table TABLE;

extern MSUBRULE* ruleheader[MAXMRULES];
extern int numrules;  // the number of the last rule read, -1 when none
extern TABLE* tablelist;

// For tree t, the lexicon fields whose expressions run as passes: entries 1 up to the first 0.
extern int morph_passes[MAXPASSROWS][6];
void init_morph_passes();

void new_readmorph(const char* filename);
void m_read();
void new_readtables(const char* filename);
void table_read();
void init_mrules();
void clear_mrules();
void clear_subrules(MSUBRULE* s);
void clear_tables();
void m_check();
void table_check();
void print_mrules();
void print_tables();

void morph_tree(t_treenode root, int pass);
// Inflects the leaf with the expression in field `pass` of its entry; 1 when its word was
// replaced, 0 when the leaf was left alone.
int morph_word(t_treenode node, int pass);
// Evaluates an expression for current_node; the result is left in moutput. MState returns to 0.
void m_exp(const char* text);
void m_rule(int number);
int m_ruleindex(const char* name);
int m_readrulename();
void m_table();
// A further nesting level reading `text`; false (with a message) when 100 levels are open.
bool pushptr(const char* text);
void push_lsp_ptr(t_treenode node);
int mint();
void addch(int c);
// Whether the guard at `text` (ending with ":" or, in a group, ")") holds for current_node.
int m_guard(const char* text);
// The leaf `count` places right of `node` along the leaf thread (left when negative); nullptr
// when the thread ends first.
t_treenode traverseleaves(t_treenode node, int count);
extern t_treenode current_node;
extern char moutput[MOUTMAX + 1];
extern const char* end_guard;    // where the last guard evaluation stopped
extern t_treenode offset_node;  // the leaf the last guard element tested

// The position of the node's value combination for the attribute types named at `text`, and
// the number of combinations in *size; -1 when the node lacks a matching compound.
int match_index(t_treenode node, const char* text, int* size);

// The MPASSES command.
void setmorphpasses();

}  // namespace zek
