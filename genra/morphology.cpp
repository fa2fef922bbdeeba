// Morphology (being written).
#include "genra/morphology.h"

namespace zek {

int morph_passes[MAXPASSROWS][6];
t_treenode current_node = nullptr;
char moutput[120];

void init_morph_passes() {
    for (int t = 0; t < MAXPASSROWS; t++) {
        for (int i = 0; i < 6; i++) morph_passes[t][i] = 0;
        morph_passes[t][1] = t == 21 ? 22 : 5;
        morph_passes[t][2] = t == 21 ? 23 : 6;
    }
}

void new_readmorph(const char*) {}
void new_readtables(const char*) {}
void init_mrules() {}
void clear_mrules() {}
void clear_tables() {}
void print_mrules() {}
void print_tables() {}
void morph_tree(t_treenode, int) {}
int morph_word(t_treenode, int) { return 0; }
void m_exp(const char*) {}
int m_guard(const char*) { return 1; }
int match_index(t_treenode, const char*, int* size) {
    *size = 0;
    return -1;
}
void setmorphpasses() {}

}  // namespace zek
