// The syntax file compiler. Each rule body becomes a compact text: keywords and structure as
// single bytes, node names and attribute compounds as text, field numbers, counts and
// variable numbers as single bytes. A rule with any error is dropped whole.
#include "genra/syn_read.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/syn_builtIn.h"
#include "genra/syn_globals.h"
#include "genra/syn_misc.h"
#include "genra/xref.h"

namespace zek {

namespace {

constexpr int MAXCHOICEDEPTH = 19;

// Where a compound is read: what it may hold and what ends it.
enum context { IN_RHS, IN_GUARD, IN_TAG, IN_TRANSRHS, IN_INDIRECTION, IN_TRANSGUARD };

// Where the rule being read is named, for the cross-reference.
q_place ruleplace;

struct compiler {
    bool bad = false;
    std::vector<std::string> varnames;  // the active attribute variables, numbered from 1
    std::vector<xref_name> nodes;       // the node names met, for the cross-reference

    void error(const char* a, const char* b = "", const char* c = "") {
        q_err(a, b, c);
        bad = true;
    }

    static bool digits(const char* s) { return s[0] != 0 && strspn(s, "0123456789") == strlen(s); }

    int variable(const char* name) const {
        for (int v = static_cast<int>(varnames.size()); v >= 1; v--) {
            if (varnames[static_cast<size_t>(v - 1)] == name) return v;
        }
        return 0;
    }

    void declare(std::string& out, unsigned char code, const std::string& name, const std::string& tail) {
        if (varnames.size() >= MAXVARIABLES) {
            error("Too many variables active. ", name.c_str());
            return;
        }
        varnames.push_back(name);
        out += static_cast<char>(code);
        out += static_cast<char>(varnames.size());
        out += tail;
    }

    // A compound: names joined by "." or "/" (a mark), a leading "/" allowed.
    void compattr(std::string& out, context where) {
        bool expectname = true;
        bool any = false;
        for (;;) {
            int tok = q_peep();
            if (tok == '/') {
                if (where == IN_TAG && any) break;
                out += '/';
                expectname = true;
                q_next();
            } else if (tok == '.') {
                if (expectname) {
                    error("Unexpected ", tok2str(tok), " in attribute");
                } else {
                    out += '.';
                    expectname = true;
                }
                q_next();
            } else if (tok == TOK_IDENT) {
                if (!expectname) {
                    if (where == IN_TAG) break;
                    error("Unexpected identifier: ", identbuf, " in attribute");
                    q_next();
                    continue;
                }
                int v = where == IN_RHS || where == IN_TRANSRHS || where == IN_INDIRECTION ? variable(identbuf) : 0;
                if (v > 0) {
                    out += static_cast<char>(RN_VAR);
                    out += static_cast<char>(v);
                } else if (lookup_attr(identbuf)) {
                    out += identbuf;
                } else {
                    error("Unknown attribute", identbuf);
                }
                expectname = false;
                any = true;
                q_next();
            } else {
                break;
            }
        }
        if (!any || expectname) error("Missing compound attribute.");
    }

    void quoted(std::string& out) {
        out += '"';
        q_next();
        int tok;
        while ((tok = q_peep()) != TOK_QUOTE && tok != TOK_EOF) {
            out += static_cast<char>(tok);
            q_next();
        }
        out += '"';
        if (tok == TOK_QUOTE) q_next();
    }

    // "[" items "]".
    void attrlist(std::string& out, context where) {
        out += '[';
        q_next();
        for (;;) {
            int tok = q_peep();
            if (tok == ']') {
                q_next();
                break;
            }
            if (tok == TOK_EOF || tok == TOK_PERCENT) {
                error("Improper token: ", tok2str(tok));
                break;
            }
            if (tok == TOK_PRE) {
                out += static_cast<char>(RN_PRE);
                q_next();
                compattr(out, IN_TAG);
            } else if (tok == '!') {
                if (where != IN_INDIRECTION) error("! not permitted in this context.");
                out += '!';
                q_next();
                if (q_peep() == TOK_IDENT || q_peep() == '/') compattr(out, where);  // ! and its compound
            } else if (tok == '-') {
                if (where != IN_TRANSRHS) error("MINUS not permitted in this context.");
                out += '-';
                q_next();
                compattr(out, where);
            } else if (tok == TOK_IDENT && digits(identbuf) && where == IN_TRANSRHS) {
                int n = atoi(identbuf);
                q_next();
                if (q_peep() == '!') {
                    q_next();
                } else {
                    error("! missing");
                }
                out += '!';
                out += static_cast<char>(n > 0 && n < 256 ? n : 255);
                compattr(out, where);
            } else if (tok == TOK_IDENT || tok == '/' || tok == '.') {
                compattr(out, where);
                if (q_peep() == TOK_PRE) {
                    out += static_cast<char>(RN_PRE);
                    q_next();
                    compattr(out, IN_TAG);
                }
            } else {
                error("Improper token: ", tok2str(tok));
                q_next();
                continue;
            }
            tok = q_peep();
            if (tok == ',') {
                out += ',';
                q_next();
            } else if (tok != ']') {
                error("Improper token: ", tok2str(tok));
                if (tok == TOK_EOF || tok == TOK_PERCENT) break;
                q_next();
            }
        }
        out += ']';
    }

    // The values of a field restriction: identifiers or quoted texts separated by ",".
    void values(std::string& out) {
        bool needvalue = true;
        for (;;) {
            int tok = q_peep();
            if (tok == ',') {
                if (needvalue) {
                    error("Spurious comma in restriction.");
                } else {
                    out += ',';
                }
                needvalue = true;
                q_next();
            } else if (tok == TOK_IDENT || tok == TOK_QUOTE) {
                if (!needvalue) break;  // a second value without a comma
                if (tok == TOK_IDENT) {
                    out += identbuf;
                    q_next();
                } else {
                    quoted(out);
                }
                needvalue = false;
            } else {
                break;
            }
        }
    }

    // A field number as one byte; 0 when the token is no number from 1 to 255.
    static int fieldnumber() {
        if (q_peep() != TOK_IDENT || !digits(identbuf)) return 0;
        long n = atol(identbuf);
        q_next();
        return n >= 1 && n <= 255 ? static_cast<int>(n) : 0;
    }

    void attachments(std::string& out, context where) {
        if (q_peep() == '[') attrlist(out, where);
        while (q_peep() == '/') {
            q_next();
            int tok = q_peep();
            if (tok == TOK_IDENT && digits(identbuf)) {
                int n = fieldnumber();
                if (n == 0) error("Missing field number in restriction.");
                if (q_peep() == '=') {
                    q_next();
                } else {
                    error("Expecting equals ['='].");
                }
                out += '/';
                out += static_cast<char>(n);
                out += '=';
                values(out);
            } else if (tok == TOK_PRE) {
                out += static_cast<char>(RN_PRE);
                q_next();
                compattr(out, IN_TAG);
            } else if (tok == TOK_QUOTE) {
                quoted(out);
            } else if (tok == '+' || tok == '$') {
                q_next();
                if (q_peep() == TOK_IDENT && digits(identbuf)) {
                    out += static_cast<char>(RN_FREQ);
                    if (tok == '$') out += '-';
                    out += identbuf;
                    q_next();
                } else {
                    error("Improper token follows + or $: ", tok2str(q_peep()));
                }
            } else if (tok == '@') {
                q_next();
                int n = fieldnumber();
                if (n == 0) error("Missing field number in indirection.");
                out += '@';
                out += static_cast<char>(n);
                if (q_peep() == ':') {
                    q_next();
                    if (q_peep() == TOK_IDENT) {
                        out += ':';
                        out += identbuf;
                        q_next();
                    } else {
                        error("Expecting tag name.");
                    }
                }
                if (q_peep() == '[') attrlist(out, IN_INDIRECTION);
            } else if (tok == TOK_IDENT) {
                error("Missing field number in restriction.");
                q_next();
            } else {
                error("Improper token follows / : ", tok2str(tok));
                if (tok != TOK_EOF && tok != TOK_PERCENT) q_next();
            }
        }
    }

    // A node: name, or t1:t2:name with transformations to attach; then its attachments.
    void nodeitem(std::string& out, context where) {
        std::vector<std::string> names{identbuf};
        q_place place = q_xref != nullptr ? q_here() : q_place();
        q_next();
        while (q_peep() == ':') {
            q_next();
            if (q_peep() != TOK_IDENT) {
                error("Colon followed by ", tok2str(q_peep()));
                return;
            }
            names.push_back(identbuf);
            q_next();
        }
        out += ' ';
        out += names.back();
        if (q_xref != nullptr) nodes.push_back({names.back(), place});
        for (size_t i = 0; i + 1 < names.size(); i++) {
            out += static_cast<char>(RN_TRANS);
            out += names[i];
        }
        attachments(out, where);
    }

    // Variable names separated by "," and the ":" after them; false (reported) without them.
    bool namelist(std::vector<std::string>& names) {
        while (q_peep() == TOK_IDENT) {
            names.push_back(identbuf);
            q_next();
            if (q_peep() != ',') break;
            q_next();
        }
        if (names.empty() || q_peep() != ':') {
            error("Improper token: ", tok2str(q_peep()));
            return false;
        }
        q_next();
        return true;
    }

    // INHERIT or CHOOSE: groups of variables, each with a compound, ended by ";".
    void vargroups(std::string& out, unsigned char code) {
        q_next();
        for (;;) {
            std::vector<std::string> names;
            if (!namelist(names)) return;
            std::string compound;
            compattr(compound, IN_RHS);
            for (const std::string& name : names) declare(out, code, name, compound);
            if (q_peep() == ';') {
                q_next();
                return;
            }
            if (q_peep() != ',') return;
            q_next();
        }
    }

    // SELECT: variables, ":", then _pre_ and a tag, or a compound, _pre_ and a tag.
    void select(std::string& out) {
        q_next();
        std::vector<std::string> names;
        if (!namelist(names)) return;
        std::string tail;
        if (q_peep() != TOK_PRE) compattr(tail, IN_RHS);
        if (q_peep() == TOK_PRE) {
            tail += static_cast<char>(RN_PRE);
            q_next();
            compattr(tail, IN_TAG);
        } else {
            error("Improper token: ", tok2str(q_peep()));
        }
        for (const std::string& name : names) declare(out, RN_SELECT, name, tail);
        if (q_peep() == ';') q_next();
    }

    struct choice {
        size_t countat;  // the count byte in the text
        int count;
        size_t variables;  // active variables when the choice opened
        q_place where;     // its "(", where an unclosed choice is reported
    };

    // A right-hand side, up to "%", "<", ">" or the end.
    void rhs(std::string& out) {
        out += static_cast<char>(RN_RHS);
        std::vector<choice> open;
        for (;;) {
            int tok = q_peep();
            if (tok == TOK_PERCENT || tok == '<' || tok == '>' || tok == TOK_EOF) break;
            if (tok == TOK_IDENT) {
                nodeitem(out, IN_RHS);
            } else if (tok == TOK_INHERIT || tok == TOK_CHOOSE) {
                vargroups(out, tok == TOK_INHERIT ? RN_INHERIT : RN_CHOOSE);
            } else if (tok == TOK_SELECT) {
                select(out);
            } else if (tok == '(') {
                if (open.size() >= MAXCHOICEDEPTH) {
                    error("Choices Nested too deep. ");
                    q_next();
                    continue;
                }
                out += '(';
                open.push_back({out.size(), 1, varnames.size(), q_reports != nullptr ? q_here() : q_place()});
                out += '\1';
                out += '|';
                q_next();
            } else if (tok == '|') {
                if (open.empty()) {
                    error("| appears outside parentheses");
                } else {
                    if (++open.back().count > 255) error("Choices Nested too deep. ");
                    varnames.resize(open.back().variables);
                    out += '|';
                }
                q_next();
            } else if (tok == ')') {
                if (open.empty()) {
                    error("Unmatched )");
                } else {
                    out[open.back().countat] = static_cast<char>(open.back().count);
                    varnames.resize(open.back().variables);
                    open.pop_back();
                    out += ')';
                }
                q_next();
            } else {
                error("Improper token: ", tok2str(tok));
                q_next();
            }
        }
        if (!open.empty()) {
            q_err_at(open.back().where, "There are unmatched ('s", "", "");
            bad = true;
        }
    }

    // "<" and a guard up to ":".
    void guard(std::string& out) {
        out += '<';
        q_next();
        for (;;) {
            int tok = q_peep();
            if (tok == ':') {
                out += ':';
                q_next();
                return;
            }
            if (tok == TOK_IDENT || tok == '/') {
                compattr(out, IN_GUARD);
            } else if (tok == TOK_PRE || tok == TOK_IS) {
                out += static_cast<char>(tok == TOK_PRE ? RN_PRE : RN_IS);
                q_next();
                compattr(out, tok == TOK_PRE ? IN_TAG : IN_GUARD);
            } else if (tok == '(' || tok == ')' || tok == ',' || tok == '|') {
                out += static_cast<char>(tok);
                q_next();
            } else {
                error("Encountered ", tok2str(tok), " instead of colon.");
                return;
            }
        }
    }

    void clauselength(const std::string& out, size_t start) {
        if (out.size() - start > CLAUSEMAX) error("Rule too long. ");
    }
};

// Skips to the rule's end mark and past it.
void skiprule() {
    while (q_peep() != TOK_PERCENT && q_peep() != TOK_EOF) q_next();
    if (q_peep() == TOK_PERCENT) q_next();
}

void storerule(const std::string& name, const std::string& text, const compiler& c) {
    if (text.size() > RULETEXTMAX) {
        q_printf(MSGCORE, "* WARNING *  %s %s", "Rule ignored: ", name.c_str());
        q_notice(ruleplace, false, "Rule ignored: ", name.c_str());
        return;
    }
    syntax_stack = new syn_rule{name, text, syntax_stack};
    if (name == "ROOT") q_stat = 2;
    if (q_xref != nullptr) q_xref->rules.push_back({name, ruleplace, false, c.nodes});
}

void read_cf_rule(const std::string& name) {
    compiler c;
    std::string out;
    for (;;) {
        int tok = q_peep();
        if (tok == TOK_PERCENT) {
            q_next();
            break;
        }
        if (tok == TOK_EOF) break;
        size_t start = out.size();
        if (tok == '<') {
            size_t variables = c.varnames.size();
            c.guard(out);
            if (!c.bad) c.rhs(out);
            c.varnames.resize(variables);  // a guarded clause's variables end with it
        } else if (tok == '>') {
            out += '>';
            q_next();
            c.rhs(out);
        } else {
            c.rhs(out);
        }
        c.clauselength(out, start);
        if (c.bad) {
            skiprule();
            return;
        }
    }
    storerule(name, out, c);
}

void read_transformation(const std::string& name) {
    compiler c;
    q_next();
    transformation t;
    t.name = name;
    if (q_peep() == TOK_PRIORITY) {
        q_next();
        // Priorities run from 1 to 999: the lowest-number search starts above them.
        if (q_peep() == TOK_IDENT && compiler::digits(identbuf) && atoi(identbuf) > 0 && atoi(identbuf) < 1000) {
            t.priority = atoi(identbuf);
            q_next();
        } else {
            q_err("Expecting Transformation Priority.", "", "");
            if (q_peep() == TOK_IDENT && compiler::digits(identbuf)) q_next();
        }
    }
    while (q_peep() != TOK_PERCENT && q_peep() != TOK_EOF && !c.bad) {
        sub_trans clause;
        for (;;) {
            int tok = q_peep();
            if (tok == ':') {
                q_next();
                break;
            }
            if (tok == TOK_IDENT) {
                clause.guard += ' ';
                clause.guard += identbuf;
                q_next();
                if (q_peep() == '[') c.attrlist(clause.guard, IN_TRANSGUARD);
            } else if (tok == '*') {
                clause.guard += " *";
                q_next();
            } else {
                c.error("Expecting Colon.");
                break;
            }
        }
        if (c.bad) break;
        clause.rule += static_cast<char>(RN_RHS);
        while (q_peep() == TOK_IDENT) c.nodeitem(clause.rule, IN_TRANSRHS);
        if (q_peep() != TOK_PERCENT && q_peep() != TOK_EOF) q_next();  // the token that ends it
        if (clause.guard.size() + clause.rule.size() > CLAUSEMAX) c.error("Rule too long. ");
        t.first.push_back(clause);
    }
    skiprule();
    if (c.bad) return;
    transformation* stored = new transformation(t);
    stored->next = trans_stack;
    trans_stack = stored;
    if (q_xref != nullptr) q_xref->rules.push_back({name, ruleplace, true, c.nodes});
}

void read_preselection(const std::string& name) {
    compiler c;
    std::string out;
    bool first = true;
    for (;;) {
        int tok = q_peep();
        if (tok == TOK_PERCENT || tok == TOK_EOF) break;
        if (!first) {
            // "," as well: the preselection lines that semantic transformations write end with it.
            if (tok != ';' && tok != ',') {
                c.error("Improper token: ", tok2str(tok));
                break;
            }
            q_next();
            if (q_peep() == TOK_PERCENT || q_peep() == TOK_EOF) break;
            out += ';';
        }
        first = false;
        c.compattr(out, IN_GUARD);
        if (q_peep() == ':') {
            q_next();
            out += ':';
            if (q_peep() == TOK_IDENT) {
                c.nodeitem(out, IN_RHS);
            } else {
                c.error("Improper token: ", tok2str(q_peep()));
            }
        }
        if (c.bad) break;
    }
    skiprule();
    if (!c.bad) storerule(name, out, c);
}

}  // namespace

void read_syntax(const char* file) {
    add_built_in();
    add_barrier();
    xref_syntax_begins();
    file_operation = "Syntax Input";
    file_position[0] = 0;
    q_stat = 0;
    openfile(file, 0);
    for (int tok = q_peep(); tok != TOK_EOF; tok = q_peep()) {
        if (tok != TOK_IDENT) {
            q_err("Encountered ", tok2str(tok), " instead of rule name.");
            q_next();
            continue;
        }
        std::string name = identbuf;
        ruleplace = q_here();
        snprintf(file_position, sizeof file_position, "%s", name.c_str());
        q_next();
        if (q_peep() != '=') {
            q_err("Rule name must be followed by =. ", "", "");
            skiprule();
            continue;
        }
        q_next();
        if (q_peep() == TOK_TRANSFORMATION) {
            read_transformation(name);
        } else if (name == "PRESELECT") {
            read_preselection(name);
        } else {
            read_cf_rule(name);
        }
    }
    file_position[0] = 0;
    file_operation = "";
}

}  // namespace zek
