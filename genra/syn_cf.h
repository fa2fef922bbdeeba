// Interpreting compiled rule text for a node: the attachments that follow a node name
// (attribute lists, restrictions, word patterns, frequency changes, indirections), and leaf
// descriptions typed by the user.
#pragma once

#include <string>

#include "genra/trees.h"

namespace zek {

constexpr unsigned char FREQCODE = 19;  // a frequency change follows
constexpr unsigned char TRANSCODE = 8;  // a transformation name follows
constexpr unsigned char PRECODE = 14;   // a preselection reference follows

// Applies the attachments at p to the node; returns where they end.
const char* add_attachments(t_treenode node, const char* p);
// A leaf description in rule notation turned into the internal notation.
std::string convert_nodetext(const char* text);
// A node made from a leaf description, with its attachments, its lookup made and filled;
// nullptr when the text names no node.
t_treenode nodefromtext(const char* text);

}  // namespace zek
