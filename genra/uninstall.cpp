// The table of description file kinds, loading and removing them, and the generator's
// command and key operations.
#include "genra/uninstall.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "editor/getparam.h"
#include "editor/corutils.h"
#include "editor/linutils.h"
#include "editor/dxio_xq.h"
#include "editor/sysutils.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/terminal_xq.h"
#include "genra/attr_data.h"
#include "genra/input_base.h"
#include "genra/lex_read.h"
#include "genra/lex_scan.h"
#include "genra/lt_input.h"
#include "genra/lt_mem.h"
#include "genra/lt_rule.h"
#include "genra/misc.h"
#include "genra/morphology.h"
#include "genra/print_procs.h"
#include "genra/semantic.h"
#include "genra/stud_err.h"
#include "genra/stud_ind.h"
#include "genra/stud_mor.h"
#include "genra/stud_phon.h"
#include "genra/stud_read.h"
#include "genra/syn_builtIn.h"
#include "genra/syn_cf.h"
#include "genra/syn_globals.h"
#include "genra/syn_misc.h"
#include "genra/syn_read.h"
#include "genra/terminal.h"
#include "genra/trees.h"
#include "genra/utilities.h"

namespace zek {

int installed = 0;
unsigned long grammarstamp = 0;
std::string genrafilename[59];
int synstat = 0;
int userstat = 0;
std::string error_function[MAXROOTS + 1];
char q_error[49];

// Kinds whose readers come with later work: nothing to free yet.
static void nothing() {}

static void removelexicon() {
    lt_cleanup(1);    // an enumeration walks the lexicon's lists
    clear_SE_PRE(1);  // no tree or preselection may keep an entry of it
    purgelookups(0);
    clearlexicon();
}

// Removing the syntax or user file: its rules go, with the run made from them.
static void removesyntax() { dump_syntax(); }

const qfile_entry qfile_table[NUMQFILES] = {
    {"dummy", 0, nullptr, nullptr, ' '},
    {"AT", QF_AT | QF_LE | QF_MR | QF_GP, clearattributes, clearattributes, 'a'},
    {"US", QF_US, removesyntax, nothing, 'u'},
    {"SY", QF_US | QF_SY, removesyntax, nothing, 's'},
    {"MO", QF_MO, clear_mrules, init_mrules, 'm'},
    {"TB", QF_TB, clear_tables, nullptr, 'T'},
    {"TM", QF_TM | QF_LE | QF_MR, clear_terminals, clear_terminals, 't'},
    {"LE", QF_LE | QF_GP, removelexicon, nullptr, 'L'},
    {"IP", QF_IP, clear_phon_tables, clear_phon_tables, 'p'},
    {"MR", QF_MR, clear_mrdata, clear_mrdata, 'e'},
    {"TG", QF_TG, clear_tag_tables, clear_tag_tables, 'g'},
    {"SM", QF_SM, clear_sem_trans, clear_sem_trans, '@'},
    {"LX", QF_LX, purge_lt_rules, initialize_lt_rules, 'x'},
    {"GP", QF_GP, clear_GP, clear_GP, '@'},
    {"ALL", QF_ALL, nullptr, nullptr, ' '},
};

void putgenrafile(const char* name, char letter) {
    char text[NAMELEN + 8];
    snprintf(text, sizeof text, "%c%s", letter, name);
    putstring(text, 'V');
    int slot = letter - '@';
    if (slot >= 0 && slot < 59) genrafilename[slot] = name;
}

std::string bits_to_text(int bits) {
    std::string text;
    for (int row = 1; row < NUMQFILES - 1; row++) {
        if (!(bits & (1 << (row - 1)))) continue;
        if (!text.empty()) text += ", ";
        text += qfile_table[row].cmdletts;
    }
    return text.empty() ? "none" : text;
}

int text_to_bits(const char* text) {
    for (const char* p = text; *p != 0; p++) {
        if (!isalpha(static_cast<unsigned char>(*p)) && *p != ' ' && *p != ',') {
            diserr("improper character in parameter");
            return 0;
        }
    }
    int bits = 0;
    std::string code;
    for (const char* p = text;; p++) {
        if (*p == ',' || *p == 0) {
            if (!code.empty()) {
                int row = 1;
                while (row < NUMQFILES && code != qfile_table[row].cmdletts) row++;
                if (row < NUMQFILES) {
                    bits |= qfile_table[row].filebits;
                } else {
                    q_printf(MSGCORE, "%s not a file kind", code.c_str());
                }
            }
            code.clear();
            if (*p == 0) break;
        } else if (*p != ' ') {
            code += static_cast<char>(toupper(static_cast<unsigned char>(*p)));
        }
    }
    return bits;
}

void uninstall(int bits) {
    grammarstamp++;
    int removed = bits & installed;
    for (int row = 1; row < NUMQFILES - 1; row++) {
        int bit = 1 << (row - 1);
        if (!(removed & bit)) continue;
        if (qfile_table[row].uninstaller != nullptr) qfile_table[row].uninstaller();
        putgenrafile("", qfile_table[row].putvlett);
    }
    installed &= ~removed;
    q_printf(MSGCORE, "uninstalled: %s", bits_to_text(removed).c_str());
}

void uninstall_n(int row) { uninstall(qfile_table[row].filebits); }

void resetgenra() {
    clear_SE_PRE(1);
    while (syntax_stack != nullptr) {
        syn_rule* r = syntax_stack;
        syntax_stack = r->next;
        delete r;
    }
    while (trans_stack != nullptr) {
        transformation* t = trans_stack;
        trans_stack = t->next;
        delete t;
    }
    add_built_in();
    init_morph_passes();
    for (int row = 1; row < NUMQFILES - 1; row++) {
        if (qfile_table[row].initializer != nullptr) qfile_table[row].initializer();
    }
    initinput();
    removelexicon();
    clearrecoveredlexicon();
    installed = 0;
    grammarstamp++;
    synstat = userstat = 0;
    for (std::string& name : genrafilename) name.clear();
    for (std::string& f : error_function) f.clear();
    rootsetinit = 0;
    delayptr = lt_delayptr = 0;
    MState = 0;
    nodecount = 0;
}

void initgenra() {
    reseed(0);
    resetgenra();
}

template <typename T>
static long listlength(const T* list) {
    long n = 0;
    for (; list != nullptr; list = list->next) n++;
    return n;
}

// How much of a kind is loaded, and its unit (singular); nullptr for a kind without a count.
static const char* kindsize(int row, long& size) {
    switch (row) {
        case 1: size = total_types - 1; return "attribute";
        case 2:
        case 3:
            // the files' rules and transformations, not the barriers between files nor the
            // built-in transformations
            size = 0;
            for (const syn_rule* r = syntax_stack; r != nullptr; r = r->next) size += r->name != BARRIER ? 1 : 0;
            for (const transformation* t = trans_stack; t != nullptr; t = t->next) {
                size += t->name != BARRIER && t->functionPtr == nullptr ? 1 : 0;
            }
            return "rule";
        case 4: size = numrules + 1; return "rule";
        case 5: size = listlength(tablelist); return "table";
        case 6: size = terminal_count; return "terminal";
        case 7: size = numentries; return "entry";
        case 8: size = listlength(phontablelist); return "table";
        case 10: size = static_cast<long>(taglist.size()); return "tag";
        case 11: size = listlength(sem_trans_list); return "transformation";
        case 12:
            size = 0;
            for (const LTRULE* r : ltruleheader) size += r != nullptr ? 1 : 0;
            return "rule";
        default: size = 0; return nullptr;
    }
}

// The error lines ("ERROR ...") among the last `count` lines of corefile 7.
static long errorlines(int count) {
    const COREFILE& c = core[MSGCORE];
    long n = 0;
    const LINE* l = c.header->up;
    for (int i = 0; i < count && l != c.header; i++, l = l->up) {
        if (l->object != OBJ_EMPTY && l->length >= 5 && memcmp(textbase + l->index, "ERROR", 5) == 0) n++;
    }
    return n;
}

// Reads the file named by curfile as the kind of `row` and, in screen mode, confirms what it
// brought: "english.lex: 212 entries, 0 errors". A lexicon counts its own entries and errors
// (it stops writing error lines after a number of them).
template <typename Reader>
static void readcounted(int row, Reader reader) {
    grammarstamp++;
    long before = 0;
    kindsize(row, before);
    int lines = core[MSGCORE].lncount;
    reader(curfile);
    long after = 0;
    const char* unit = kindsize(row, after);
    long errors = errorlines(core[MSGCORE].lncount - lines);
    if (row == 7) {
        before = 0;
        errors = numerrors;
    }
    const char* base = strrchr(curfile, '/');
    base = base != nullptr ? base + 1 : curfile;
    char text[NAMELEN + 80];
    if (unit != nullptr) {
        long n = after - before;
        std::string noun = unit;
        if (n != 1) noun = noun == "entry" ? "entries" : noun + "s";
        snprintf(text, sizeof text, "%s: %ld %s, %ld error%s%s", base, n, noun.c_str(), errors,
                 errors == 1 ? "" : "s", errors > 0 ? " (corefile 7)" : "");
    } else {
        snprintf(text, sizeof text, "%s: read, %ld error%s%s", base, errors, errors == 1 ? "" : "s",
                 errors > 0 ? " (corefile 7)" : "");
    }
    confirm(text);
}

// Loads the file named by curfile as the kind of `row`: the kinds that depend on it go first.
template <typename Reader>
static void load(int row, Reader reader) {
    uninstall_n(row);
    readcounted(row, reader);
    putgenrafile(curfile, qfile_table[row].putvlett);
    installed |= 1 << (row - 1);
}

void qreadattr() { load(1, readattr); }
void qreadterm() { load(6, read_terminals); }

void qreadlex() {
    if (!(installed & QF_TM)) {
        diserr("Terminals file not present");
        return;
    }
    load(7, [](const char* file) {
        initdict();
        readdict(file);
    });
}

void addlex() {
    if (installed & QF_LE) {
        readcounted(7, readdict);
        return;
    }
    diserr("Lexicon not present; defaulting to LExicon");
    qreadlex();
}

void qreadsyn() {
    load(3, read_syntax);
    synstat = q_stat == 2;
    userstat = 0;
}

void qreaduser() {
    load(2, read_syntax);
    userstat = q_stat == 2;
}

void qreadmorph() { load(4, new_readmorph); }
void qreadtables() { load(5, new_readtables); }

void qreadipa() { load(8, phon_readtables); }
void qreadmerror() { load(9, merror_readtables); }
void qreadtag() { load(10, tag_readtables); }

// SMTRANSF records no file name.
void qreadsem() {
    uninstall_n(11);
    readcounted(11, read_sem_trans);
    installed |= QF_SM;
}
void qreadtrans() { load(12, readlextrans); }

void rm_qfiles() {
    int bits = text_to_bits(picstring);
    if (bits == 0) return;
    uninstall(bits);
    if (bits & QF_SY) synstat = 0;
    if (bits & QF_US) userstat = 0;
}

void qdisplay() {
    switch (param[1]) {
        case 0: progress(bits_to_text(installed).c_str()); break;
        case 1:
        case 2:
            if (there_has_been_no_generation()) {
                diserr("No generated sentence");
            } else {
                store(param[1] == 1 ? 2 : 1, param[1] == 1 ? 0 : 1);
            }
            break;
        case 3: print_cf(); break;
        case 4: print_transf(); break;
        case 5: print_tables(); break;
        case 6: print_mrules(); break;
        case 7: printlex(); break;
        case 8: print_preselect_list(); break;
        default: break;
    }
}

void qfreq() {
    if (!(installed & QF_LE)) {
        diserr("Lexicon not present");
        return;
    }
    vary_frequency(picstring);
}

void rnset() { reseed(static_cast<unsigned long>(static_cast<unsigned int>(param[1]))); }

void rnprint() {
    int c = param[1];
    printseed(c <= 0 || c > 18 ? MSGCORE : c);
}

void qerrorinput() {
    int k = param[1];
    if (k > MAXROOTS || k < 0) {
        diserr("Integer too high");
        return;
    }
    // A queued run of the old keys must not read the text being replaced.
    std::string& f = error_function[k];
    if (!f.empty()) dropslotsin(f.c_str(), f.c_str() + f.size());
    f = q_error;
}

void lextrans() { inittrans(param[1]); }
void qroot() { err_set_rootset(picstring); }
void qstoretree() { store(param[1], param[2]); }
void qrestoretree() { restorenode(picstring); }

void qtalk() {
    if (progstate != 1) return;
    int k = param[1];
    const char* sentence = k >= 0 && k < NUMROOTS ? genSentences[k].c_str() : "";
    todriverf("START\n%s\nEND\n", sentence);
    todriverflush();
}

// Screen mode: the sentences of the run just made, on the message row ("Question: ...
// Answer: ..." for a grammar with those roots).
static void confirmsentences() {
    std::string text;
    for (int i = 1; i < NUMROOTS; i++) {
        if (getrule(tree_roots[i].name) == nullptr) continue;
        std::string label = tree_roots[i].message;
        while (!label.empty() && label.back() == ' ') label.pop_back();
        if (!text.empty()) text += "   ";
        text += label + ": " + genSentences[i];
    }
    if (text.empty()) text = genSentences[0];
    confirm(text.c_str());
}

void generate() {
    if (!(installed & QF_LE)) {
        diserr("There is no lexicon");
        return;
    }
    if (!synstat && !userstat) {
        diserr("There is no ROOT rule");
        return;
    }
    interpret();
    redisplay = 1;
    confirmsentences();
}

void qglobpre() {
    uninstall_n(13);
    global_preselect();
    installed |= QF_GP;
}

void disp_sent() {
    int k = gnum();
    if (k > MAXROOTS) {
        diserr("Integer too high");
        return;
    }
    sentence_to_core(k, corenum);
}

void qcompare() {
    response = getresponse();
    int k = gnr_comp();
    if (!error_function[k].empty()) pushfn(error_function[k].c_str());
}

void qnewcompare() {
    response = getresponse();
    err_analysis(response.c_str());
}

void qcompsingle() {
    int k = gnum();
    if (k > MAXROOTS) {
        diserr("Integer too high");
        return;
    }
    response = getresponse();
    err_analysis_single(response.c_str(), k);
}

void qenummorph() { generate_enumerations(); }

void resumelx() {
    exectrans();
    redisplay = 1;
}
// The current line of the current corefile, at most SEMBUF characters (one more is taken, so
// that a longer line is refused as too long rather than cut).
void qmakepre() {
    const LINE* l = cur().lnptr;
    int n = linechars(l);
    if (n > SEMBUF + 1) n = SEMBUF + 1;
    std::string text;
    for (int col = 1; col <= n; col++) text += static_cast<char>(textbase[l->index + col - 1]);
    analyse_sem_expr(text.c_str());
}

}  // namespace zek
