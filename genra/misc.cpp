// The generation run and the sentences it leaves.
#include "genra/misc.h"

#include <cstring>

#include "editor/corutils.h"
#include "editor/linutils.h"
#include "editor/scrout.h"
#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/indirect.h"
#include "genra/input_base.h"
#include "genra/lex_read.h"
#include "genra/lex_scan.h"
#include "genra/morphology.h"
#include "genra/syn_cf.h"
#include "genra/syn_globals.h"
#include "genra/syn_misc.h"
#include "genra/syn_tran.h"
#include "genra/utilities.h"

namespace zek {

char sentbuf[1024];
char sentbuf2[1024];
std::string response;

void purge_all_trees() {
    purge_tree(&root);
    purge_tree(&oldroot);
    for (t_treenode& r : rootPtrs) purge_tree(&r);
}

void clear_SE_PRE(int global) {
    purge_all_trees();
    for (std::string& s : genSentences) s.clear();
    generated = false;
    clearrecoveredlexicon();
    empty_preselect_list(global);
    if (global) {
        global_barrier = 0;
        global_delayptr = 0;
    }
    purgelookups(global_barrier);
    delayptr = global_delayptr;
}

void clear_GP() { clear_SE_PRE(1); }

void global_preselect() {
    clear_GP();
    const char* rule = getrule("PRESELECT");
    if (rule != nullptr) construct_preselect(rule, 1);
    make_all_choices();
    globalpre_list = preselect_list;
    global_barrier = d_table_count;
    global_delayptr = delayptr;
    q_line(MSGCORE, 0, "Global preselection complete");
}

void fill_all_words(t_treenode tree, int from) {
    for (t_treenode leaf : leavesof(tree)) {
        if (leaf->dictionary != nullptr && leaf->index >= from) fill_word(leaf);
    }
}

std::string entryword(const char* entry) {
    const char* end = getfieldptr(entry, 2);
    size_t n = static_cast<size_t>(end - entry);
    if (n > 0 && entry[n - 1] == '|') n--;
    std::string word(entry, n);
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') word = word.substr(1, word.size() - 2);
    return word;
}

void setwords(t_treenode tree) {
    for (t_treenode leaf : leavesof(tree)) {
        const t_dict_lookup* d = leaf->dictionary;
        bool found = d != nullptr && d->error == 0 && d->dictionary != nullptr && d->dictionary != noterminal;
        leaf->morphed_word = found ? entryword(d->dictionary) : std::string();
    }
}

std::string new_extract_sentence(t_treenode tree) {
    std::string sentence;
    for (t_treenode leaf = tree != nullptr ? tree->right : nullptr; leaf != nullptr; leaf = leaf->right) {
        if (leaf->morphed_word.empty()) continue;
        if (!sentence.empty()) sentence += ' ';
        sentence += leaf->morphed_word;
    }
    return sentence;
}

void postmorph() {
    size_t n = 0;
    bool capital = false;
    for (const char* p = sentbuf; *p != 0 && n < sizeof sentbuf2 - 1; p++) {
        char c = *p;
        if (c == '^' || c == '`') {
            if (c == '^') {
                while (n > 0 && sentbuf2[n - 1] == ' ') n--;
            } else {
                capital = true;
            }
            while (p[1] == ' ') p++;
            continue;
        }
        unsigned char u = static_cast<unsigned char>(c);
        if (capital && ((u >= 'a' && u <= 'z') || (u >= 224 && u <= 254))) c = static_cast<char>(u - 32);
        capital = false;
        sentbuf2[n++] = c;
    }
    sentbuf2[n] = 0;
}

void finish(t_treenode tree, int number, const char* label) {
    progress("Processing Indirections");
    process_indirections(tree);
    for (int i = 1; i < 6 && morph_passes[number][i] != 0; i++) morph_tree(tree, morph_passes[number][i]);
    std::string sentence = new_extract_sentence(tree);
    snprintf(sentbuf, sizeof sentbuf, "%s", sentence.c_str());
    progress("Post Morphology");
    postmorph();
    genSentences[number] = sentbuf2;
    q_printf(MSGCORE, "%s : %s", label, sentbuf2);
}

void interpret() {
    preselect_barrier = global_barrier;
    clear_SE_PRE(0);
    const char* preselect = getrule("PRESELECT");
    if (preselect != nullptr) {
        construct_preselect(preselect, 0);
        make_all_choices();
        preselect_barrier = d_table_count;
    }
    progress("Expanding Root");
    q_line(MSGCORE, 0, "Generation results:");
    nodecount = 0;
    treestate = 0;
    root = makenode("ROOT");
    expand_tree(root);
    bool further = false;
    for (int i = 1; i < NUMROOTS; i++) {
        if (getrule(tree_roots[i].name) == nullptr) continue;
        further = true;
        progress(tree_roots[i].message);
        nodecount = 0;
        treestate = 1;
        rootPtrs[i] = makenode(tree_roots[i].name);
        expand_tree(rootPtrs[i]);
        transform(rootPtrs[i]);
        thread(rootPtrs[i]);
    }
    if (!further) {
        oldroot = copytree(root);
        thread(oldroot);
        progress("Transforming Root");
        treestate = 0;
        transform(root);
        thread(root);
        make_all_choices();
        fill_all_words(root, preselect_barrier);
        getwords(preselect_barrier);
        setwords(root);
        finish(root, 0, "Transformed Sentence");
    } else {
        make_all_choices();
        for (int i = 1; i < NUMROOTS; i++) {
            if (rootPtrs[i] != nullptr) fill_all_words(rootPtrs[i], preselect_barrier);
        }
        getwords(preselect_barrier);
        for (int i = 1; i < NUMROOTS; i++) {
            if (rootPtrs[i] == nullptr) continue;
            setwords(rootPtrs[i]);
            finish(rootPtrs[i], i, tree_roots[i].message);
        }
    }
    generated = true;
    q_line(MSGCORE, 0, "  ******");
    clearhelp();
}

void sentence_to_core(int n, int corefile) {
    if (n < 0 || n >= NUMROOTS || genSentences[n].empty()) {
        char text[64];
        snprintf(text, sizeof text, "sentence %i does not exist", n);
        diserr(text);
        return;
    }
    q_line(corefile, 0, genSentences[n].c_str());
}

int gnr_comp() {
    for (int k = 1; k < NUMROOTS; k++) {
        if (!genSentences[k].empty() && genSentences[k] == response) return k;
    }
    return 0;
}

std::string getresponse() {
    std::string text;
    const COREFILE& c = cur();
    bool first = true;
    for (const LINE* l = c.lnptr; l != c.header; l = l->down) {
        int from = first ? c.curcol : 1;
        first = false;
        int n = linechars(l);
        for (int col = from; col <= n; col++) text += static_cast<char>(textbase[l->index + col - 1]);
        text += ' ';
    }
    std::string collapsed;
    bool cut = false;
    for (size_t i = 0; i < text.size(); i++) {
        char ch = text[i];
        if (ch == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
        if (collapsed.size() >= RESPONSEMAX) {
            cut = text.find_first_not_of(' ', i) != std::string::npos;
            break;
        }
        collapsed += ch;
    }
    if (cut) {
        q_printf(MSGCORE, "Response longer than %zu characters: only its first %zu are analysed", RESPONSEMAX, RESPONSEMAX);
    }
    if (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
    return collapsed;
}

}  // namespace zek
