// Reading lexicon files. Entries are compiled into a buffer, then copied into blocks of
// storage owned by the lexicon, so that a large lexicon costs few allocations.
#include "genra/lex_read.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "editor/scrout.h"
#include "genra/attr_data.h"
#include "genra/input_base.h"
#include "genra/lex_scan.h"
#include "genra/terminal.h"
#include "genra/xref.h"

namespace zek {

std::vector<recnode*> dictionary;
recnode* restoredlexarray[MAXRESTORED];
int lastrestored = 0;
long numentries = 0;
long numerrors = 0;

// Storage of entries and their list nodes, released as a whole.
struct pool {
    std::vector<std::unique_ptr<char[]>> blocks;
    size_t used = 0;
    size_t size = 0;

    char* take(size_t n) {
        n = (n + alignof(recnode) - 1) & ~(alignof(recnode) - 1);
        if (blocks.empty() || used + n > size) {
            size = std::max<size_t>(n, 1 << 20);
            blocks.push_back(std::make_unique<char[]>(size));
            used = 0;
        }
        char* p = blocks.back().get() + used;
        used += n;
        return p;
    }
    void clear() {
        blocks.clear();
        used = size = 0;
    }
};
static pool lexpool;       // the lexicon's entries
static pool restoredpool;  // entries read back with stored trees

std::string fourdigits(long n) {
    if (n > 9999) n = 9999;
    if (n < 0) n = 0;
    char text[8];
    snprintf(text, sizeof text, "%04ld", n);
    return text;
}

static void d_err_at(const q_place& where, const char* msg, const char* text) {
    numerrors++;
    if (numerrors <= MAXREPORTS) {
        q_err_at(where, msg, text, "");
    } else {
        q_notice(where, false, msg, text);  // past the listed ones, only for a program that counts them
    }
}

void d_err(const char* msg, const char* text) { d_err_at(q_here(), msg, text); }

void initdict() {
    dictionary.assign(static_cast<size_t>(terminal_count), nullptr);
    lexicon_cleared();
}

void clearlexicon() {
    dictionary.clear();
    lexicon_cleared();
    lexpool.clear();
}

void clearrecoveredlexicon() {
    lastrestored = 0;
    restoredpool.clear();
}

void printlex() {
    for (recnode* head : dictionary) {
        for (recnode* r = head; r != nullptr; r = r->previous) q_line(MSGCORE, 0, r->recordptr);
    }
}

namespace {

// The entry being compiled.
struct entrybuilder {
    char dictbuf[DICTBUFSIZE];
    int dictptr = 0;
    bool full = false;
    void put(char c) {
        if (dictptr < DICTBUFSIZE - 1) {
            dictbuf[dictptr++] = c;
        } else {
            full = true;
        }
    }
    void put(const char* s) {
        for (; *s != 0; s++) put(*s);
    }
    void puttoken(int tok) {
        if (tok == TOK_IDENT) {
            put(identbuf);
        } else {
            put(static_cast<char>(tok));
        }
    }
};

// The compounds of the attribute field: each held with a leading "=" unless it begins with a
// sign, so that the first type number always stands at offset 2.
struct attributefield {
    char attribarray[MAXCOMPOUNDS][COMPOUNDSIZE];
    int count = 0;
    char current[COMPOUNDSIZE];
    int length = 0;
    bool overflow = false;

    void add(char c) {
        if (length >= COMPOUNDSIZE - 2) {
            overflow = true;
            return;
        }
        current[length++] = c;
    }
    void component(int type, int value) {
        if (length == 0) add('=');
        add(static_cast<char>(ATTRMARKER));
        add(static_cast<char>(type));
        add(static_cast<char>(value));
    }
    void sign(char c) {
        if (length == 0) {
            add(c);
        } else {
            add(c);
        }
    }
    void close() {
        if (length == 0) return;
        if (count >= MAXCOMPOUNDS) {
            overflow = true;
        } else {
            current[length] = 0;
            memcpy(attribarray[count++], current, static_cast<size_t>(length) + 1);
        }
        length = 0;
    }
    void write(entrybuilder& b) {
        close();
        char* order[MAXCOMPOUNDS];
        for (int i = 0; i < count; i++) order[i] = attribarray[i];
        std::stable_sort(order, order + count, [](const char* x, const char* y) {
            size_t lx = strlen(x), ly = strlen(y);
            unsigned char tx = lx > 2 ? static_cast<unsigned char>(x[2]) : 0;
            unsigned char ty = ly > 2 ? static_cast<unsigned char>(y[2]) : 0;
            return tx < ty;
        });
        for (int i = 0; i < count; i++) {
            b.put(order[i][0] == '=' ? order[i] + 1 : order[i]);
            b.put(' ');
        }
        count = 0;
    }
};

}  // namespace

int readentry(int linktolexicon) {
    static entrybuilder b;
    static attributefield attrs;
    b.dictptr = 0;
    b.full = false;
    attrs = attributefield();
    char termname[IDENTMAX + 1] = "";
    int termlength = 0;
    int field = 1;
    int closed = 0;
    bool any = false;
    bool rejected = false;
    bool freqseen = false;
    long freq = 1;
    file_position[0] = 0;
    int poslength = 0;
    // Where the entry and its terminal stand, for the reports made at the line's end.
    bool places = q_reports != nullptr;
    q_place entryplace, termplace;

    int tok;
    while ((tok = q_peep()) != TOK_LF && tok != TOK_EOF) {
        if (!any && places) entryplace = termplace = q_here();
        any = true;
        if (field == 1 && tok != '|') {
            const char* text = tok == TOK_IDENT ? identbuf : nullptr;
            char one[2] = {static_cast<char>(tok), 0};
            for (const char* s = text != nullptr ? text : one; *s != 0 && poslength < IDENTMAX; s++) {
                file_position[poslength++] = *s;
            }
            file_position[poslength] = 0;
            b.puttoken(tok);
        } else if (field == 2 && tok != '|') {
            if (tok == TOK_IDENT) {
                if (termlength == 0 && places) termplace = q_here();
                for (const char* s = identbuf; *s != 0 && termlength < IDENTMAX; s++) termname[termlength++] = *s;
                termname[termlength] = 0;
            }
            b.puttoken(tok);
        } else if (field == 3) {
            if (tok == TOK_IDENT) {
                if (!lookup_attr(identbuf)) {
                    d_err("Unknown attribute", identbuf);
                    rejected = true;
                    break;
                }
                attrs.component(att_class, att_value == -1 ? NOVALUE : att_value);
            } else if (tok == '.' || tok == '<' || tok == '>') {
                attrs.sign(static_cast<char>(tok));
            } else if (tok == ',') {
                attrs.close();
            } else if (tok == '|') {
                attrs.write(b);
                b.put('|');
                closed++;
                field++;
            } else {
                d_err("Unexpected character in attribute field", tok2str(tok));
            }
        } else if (field == 4) {
            if (tok == TOK_IDENT && !freqseen) {
                freq = atol(identbuf);
                freqseen = true;
            } else if (tok == '|') {
                b.put(fourdigits(freq).c_str());
                b.put('|');
                closed++;
                field++;
            }
        } else if (tok == '|') {
            b.put('|');
            closed++;
            field++;
            xref_expression_token(-1);
        } else {
            if (field >= 5) xref_expression_token(tok);  // fields 5 on hold morph expressions
            b.puttoken(tok);
        }
        q_next();
    }
    xref_expression_token(-1);
    if (rejected) {
        q_skipline();
        return 0;
    }
    if (tok == TOK_LF) q_next();
    if (!any) return 0;  // an empty line
    // A field left open at the line end is finished as if it had been closed.
    if (field == 3) attrs.write(b);
    if (field == 4) b.put(fourdigits(freq).c_str());
    if (attrs.overflow) {
        d_err_at(entryplace, "Too many attributes, or a compound too long, in entry", file_position);
        return 0;
    }
    if (closed < 2) {
        d_err_at(entryplace, "Entry has fewer than two complete fields", "");
        return 0;
    }
    if (b.full) {
        d_err_at(entryplace, "Entry is too long", "");
        return 0;
    }
    int terminal = lookup_terminal(termname);
    if (linktolexicon == 1 && (terminal < 0 || terminal >= static_cast<int>(dictionary.size()))) {
        d_err_at(termplace, "Terminal not found:", termname);
        return 0;
    }
    bool open = b.dictptr == 0 || b.dictbuf[b.dictptr - 1] != '|';
    if (open && field > 6) b.put('|');
    for (int f = open ? field - 1 : closed; f < 6; f++) b.put('|');
    b.dictbuf[b.dictptr] = 0;
    const char* text = b.dictbuf;
    if (text[0] == '\\' && text[1] == 'r') text += 2;
    size_t length = strlen(text) + 1;
    if (linktolexicon == 1) {
        char* copy = lexpool.take(length);
        recnode* node = reinterpret_cast<recnode*>(lexpool.take(sizeof(recnode)));
        memcpy(copy, text, length);
        *node = {dictionary[static_cast<size_t>(terminal)], copy};
        dictionary[static_cast<size_t>(terminal)] = node;
        lexicon_grown();
    } else {
        if (lastrestored >= MAXRESTORED) {
            d_err_at(entryplace, "Too many entries read back (at most 1024)", "");
            return 0;
        }
        char* copy = restoredpool.take(length);
        recnode* node = reinterpret_cast<recnode*>(restoredpool.take(sizeof(recnode)));
        memcpy(copy, text, length);
        *node = {lastrestored > 0 ? restoredlexarray[lastrestored - 1] : nullptr, copy};
        restoredlexarray[lastrestored++] = node;
    }
    return 1;
}

void readdict(const char* file) {
    numentries = 0;
    numerrors = 0;
    q_stat = 0;
    file_operation = "lexicon input";
    file_position[0] = 0;
    openfile(file, 1);
    while (q_peep() != TOK_EOF) {
        if (readentry(1)) {
            numentries++;
            if (numentries % 100 == 0) {
                char text[64];
                snprintf(text, sizeof text, "Lexical Entries Processed: %ld", numentries);
                progress(text);
            }
        }
    }
    q_printf(MSGCORE, "Total Words: %ld. Number of Errors: %ld", numentries, numerrors);
    file_position[0] = 0;
    file_operation = "";
}

}  // namespace zek
