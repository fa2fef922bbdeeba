// Storing the last run's trees and chosen entries as text (leaf lists, full trees with node
// paths, indented trees) into the current corefile or to the driver program, and reading a
// stored file back so that the sentences and lookups of a run exist again.
#pragma once

#include <string>
#include <vector>

#include "genra/trees.h"

namespace zek {

constexpr int SIGNATURESIZE = 100;            // path characters of a node, with the terminator
constexpr int MAXPATHSTEPS = SIGNATURESIZE - 1;
constexpr int RECOVERTREES = 23;              // 0 ROOT, 1..20 the further roots, 22 old ROOT
constexpr int OLDROOTSLOT = 22;
constexpr int OLDROOTNUMBER = 999999;         // the stored number of the untransformed ROOT
constexpr int MAXNODELINES = 1024;            // node lines read back for one tree
constexpr int STORELINEMAX = 1099;            // characters of one line put into a corefile

extern int xmit;  // the store goes to the driver (1) or into the current corefile (0)
// The path of the node being written: "S" steps to the first child, "R" to the next sibling.
extern char signature[SIGNATURESIZE];
extern int siglen;

// A node line read back: a tree line placed by its path, or a list line (a leaf in order).
struct storedline {
    bool list = false;
    std::string path;
    std::string name;
    std::string attributes;  // compounds as printed, separated by ","
    std::string word;        // without its quotes
    int lookup = -1;         // the LEX number, -1 for none
    int number = 0;          // the line's place among the tree's node lines, from 1
};

extern std::vector<storedline> recoveredstrings[RECOVERTREES];
extern int nodetorecover;  // the tree being read, -1 while lines are skipped
extern int nodecounter;    // node lines read for it

// style 0 leaf lists, 1 full trees, 2 indented trees; destination 0 corefile, 1 driver.
void store(int style, int destination);
// One tree: its "$t"/"$l" line and its nodes.
void storesingle(t_treenode tree, int number, int style);
// The nodes of a tree depth first, each with its path (style 1) or indentation (style 2).
void storetree(t_treenode tree, int style);
// The leaves of a tree along its leaf thread.
void storeleafnodes(t_treenode tree);
// The line of one node; the path or indentation comes from `signature`.
void storenode(t_treenode node, int style);
// The part of a node line before its name: "N|G|" or the path and "|G|" (style 1), two
// blanks per "S" of the path (style 2), nothing (style 0).
std::string storepath(int style);
// "$L" and one line per lookup of the run.
void storelexicon();
// A compiled entry with its attribute field in names: "noun.sing, <high".
std::string outputrecord(const char* entry);
// Sends a line to the driver (xmit 1 and a driver connected) or into the current corefile.
void transmit(const std::string& line);

// Reads a stored file back (RECOVER).
void restorenode(const char* filename);
// Reads the node lines of one tree (kind 1 tree lines, 0 list lines) up to the next "$".
void xrestorenode(int kind);
bool there_has_been_no_generation();

}  // namespace zek
