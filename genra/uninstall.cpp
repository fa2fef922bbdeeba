// The table of description file kinds, loading and removing them, and the generator's
// command and key operations.
#include "genra/uninstall.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "editor/getparam.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/terminal_xq.h"
#include "genra/attr_data.h"
#include "genra/input_base.h"
#include "genra/lex_read.h"
#include "genra/lex_scan.h"
#include "genra/morphology.h"
#include "genra/terminal.h"
#include "genra/trees.h"
#include "genra/utilities.h"

namespace zek {

int installed = 0;
std::string genrafilename[59];
int synstat = 0;
int userstat = 0;
std::string error_function[MAXROOTS + 1];
char q_error[49];

// Kinds whose readers come with later work: nothing to free yet.
static void nothing() {}

static void removelexicon() {
    purgelookups(0);
    clearlexicon();
}

const qfile_entry qfile_table[NUMQFILES] = {
    {"dummy", 0, nullptr, nullptr, ' '},
    {"AT", QF_AT | QF_LE | QF_MR | QF_GP, clearattributes, clearattributes, 'a'},
    {"US", QF_US, nothing, nothing, 'u'},
    {"SY", QF_US | QF_SY, nothing, nothing, 's'},
    {"MO", QF_MO, nothing, nothing, 'm'},
    {"TB", QF_TB, nothing, nullptr, 'T'},
    {"TM", QF_TM | QF_LE | QF_MR, clear_terminals, clear_terminals, 't'},
    {"LE", QF_LE | QF_GP, removelexicon, nullptr, 'L'},
    {"IP", QF_IP, nothing, nothing, 'p'},
    {"MR", QF_MR, nothing, nothing, 'e'},
    {"TG", QF_TG, nothing, nothing, 'g'},
    {"SM", QF_SM, nullptr, nullptr, '@'},
    {"LX", QF_LX, nothing, nothing, 'x'},
    {"GP", QF_GP, nothing, nothing, '@'},
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
    for (int row = 1; row < NUMQFILES - 1; row++) {
        if (qfile_table[row].initializer != nullptr) qfile_table[row].initializer();
    }
    initinput();
    removelexicon();
    clearrecoveredlexicon();
    installed = 0;
    synstat = userstat = 0;
    for (std::string& name : genrafilename) name.clear();
    for (std::string& f : error_function) f.clear();
    delayptr = lt_delayptr = 0;
    MState = 0;
    nodecount = 0;
}

void initgenra() {
    reseed(0);
    resetgenra();
}

// Loads the file named by curfile as the kind of `row`: the kinds that depend on it go first.
template <typename Reader>
static void load(int row, Reader reader) {
    uninstall_n(row);
    reader(curfile);
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
        readdict(curfile);
        return;
    }
    diserr("Lexicon not present; defaulting to LExicon");
    qreadlex();
}

// The kinds whose readers come later: their removal rule already applies.
void qreadsyn() { uninstall_n(3); }
void qreaduser() { uninstall_n(2); }
void qreadmorph() { uninstall_n(4); }
void qreadtables() { uninstall_n(5); }
void qreadipa() { uninstall_n(8); }
void qreadmerror() { uninstall_n(9); }
void qreadtag() { uninstall_n(10); }
void qreadsem() { uninstall_n(11); }
void qreadtrans() { uninstall_n(12); }

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
        case 2: diserr("No generated sentence"); break;
        case 7: printlex(); break;
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
    error_function[k] = q_error;
}

void lextrans() {}
void qroot() {}
void qstoretree() {}
void qrestoretree() {}
void qtalk() {}

void generate() {
    if (!(installed & QF_LE)) {
        diserr("There is no lexicon");
        return;
    }
    if (!synstat && !userstat) {
        diserr("There is no ROOT rule");
        return;
    }
}

void qcompsingle() {}
void qglobpre() {}
void resumelx() {}
void qcompare() {}
void disp_sent() {}
void qnewcompare() {}
void qenummorph() {}
void qmakepre() {}

}  // namespace zek
