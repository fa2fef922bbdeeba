// Generation trees: the tree node, the table of lexical lookups that leaves refer to, and the
// operations that make, fill and free them.
#pragma once

#include <string>
#include <vector>

#include "genra/attr_list.h"
#include "genra/indir_list.h"

namespace zek {

struct s_treenode;

constexpr int MAXLOOKUPS = 1024;

// A transformation: clauses of a guard over a node's children and a right-hand side, or a
// built-in operation.
struct sub_trans {
    std::string guard;
    std::string rule;
};

struct transformation {
    std::string name;
    int priority = 5;
    std::vector<sub_trans> first;
    void (*functionPtr)(s_treenode*) = nullptr;
    transformation* next = nullptr;
};

// The lexical lookup of a leaf: what its entry must satisfy, and the entry chosen.
struct t_dict_lookup {
    std::string class_;          // the terminal name
    char* dictionary = nullptr;  // the chosen entry; nullptr when none qualified
    attr_list attributes = nullptr;
    std::string preferredchoice;  // a word pattern, empty for none
    int error = 0;               // 0 found, 1 no such terminal, 2 not reported, 3 no entry
    std::string fields;          // restrictions in entry layout ("?" for none), empty for none
    int pointed_at = 0;          // the lookup is to be made
    int vf = -1;                 // frequency change
    s_treenode* lspseq = nullptr;  // the LSP nodes of a selected _ilt_ entry, owned
    std::string iltentry;          // the entry an inline transformation made (`dictionary` then points here)
};

// A morphological variant of a leaf made by the response analysis: the alternatives applied
// (attrcomb[0] is their count n, attrcomb[1..n] their `delayed` entries) and the word they give.
struct morphvar {
    int attrcomb[11] = {};
    std::string variant;
};

// The value of `dictionary` when the terminal is not in the table.
extern char noterminal[];

struct s_treenode {
    std::string name;
    t_dict_lookup* dictionary = nullptr;  // shared by nodes of the same preselection
    int index = -1;
    std::string morphed_word;
    std::string preferredchoice;
    std::string restrictions;
    int vf = -1;
    attr_list attributes = nullptr;
    indir_list indirections = nullptr;
    std::vector<transformation> transformations;  // copies of those attached to the node
    std::vector<morphvar> mvar;  // variants of the last analysis, the one made last at the back
    s_treenode* sibling = nullptr;
    s_treenode* son = nullptr;
    s_treenode* left = nullptr;
    s_treenode* right = nullptr;
};
typedef s_treenode* t_treenode;

// The lookups of the runs, MAXLOOKUPS of them. A block of them is made when one of its lookups
// is first used, so that a session that never generates does not pay for the whole table.
// Blocks live as long as the program, as a table of fixed size would: what the lookups hold
// at the end stays reachable from them.
class lookuptable {
public:
    t_dict_lookup& operator[](int i) {
        t_dict_lookup*& block = blocks[i / BLOCK];
        if (block == nullptr) block = new t_dict_lookup[BLOCK];
        return block[i % BLOCK];
    }

private:
    static constexpr int BLOCK = 64;
    t_dict_lookup* blocks[MAXLOOKUPS / BLOCK] = {};
};
extern lookuptable dict_table;
extern int d_table_count;
extern int nodecount;

t_treenode makenode(const char* name);
// A copy of the node's texts, attributes, indirections and transformations; it shares the
// lookup and has no links.
t_treenode copy_node(t_treenode n);
// The node and everything below it (not its siblings).
t_treenode copytree(t_treenode t);
void purge_node(t_treenode* n);
void purge_tree(t_treenode* t);
// Links the leaves of the tree left to right (left, right); the root's right is the first leaf.
void thread(t_treenode t);
// The leaves of a tree, left to right.
std::vector<t_treenode> leavesof(t_treenode t);
// An owned copy of the identifier characters at p; p moves past them.
std::string getident(const char** p);
void terminal_node(t_treenode node);
void fill_word(t_treenode node);
// Frees the lookups from `barrier` on and makes `barrier` the count in use.
void purgelookups(int barrier);
// Puts `pattern` into field n (from 1) of an entry-layout text: missing fields before it
// become "?", and a field that already holds a pattern gets "," and the new one.
void insertfield(std::string& text, int n, const std::string& pattern);

}  // namespace zek
