// Cross-checks of a loaded grammar.
#include "genra/lint.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "genra/lex_read.h"
#include "genra/morphology.h"
#include "genra/stud_ind.h"
#include "genra/syn_globals.h"
#include "genra/syn_misc.h"
#include "genra/terminal.h"
#include "genra/uninstall.h"

namespace zek {

namespace {

bool digits(const std::string& s) { return !s.empty() && strspn(s.c_str(), "0123456789") == s.size(); }

bool istable(const std::string& name) {
    for (const TABLE* t = tablelist; t != nullptr; t = t->next) {
        if (t->tablename == name) return true;
    }
    return false;
}

struct linter {
    const grammar_xref& x;
    const grammar_manifest& m;
    std::vector<q_report>& reports;

    void warning(const q_place& where, const std::string& message) { reports.push_back({where, true, message}); }

    // Names that fail a test, each warned of once, at its first place, with the count of the
    // others ("NOUN ... (and 37 more times)").
    struct onceeach {
        std::vector<xref_name> first;
        std::map<std::string, int> count;
        void add(const xref_name& n) {
            if (count[n.name]++ == 0) first.push_back(n);
        }
        void report(linter& l, const std::string& before, const std::string& after) {
            for (const xref_name& n : first) {
                int more = count[n.name] - 1;
                l.warning(n.where, before + n.name + after +
                                       (more > 0 ? " (and " + std::to_string(more) + (more == 1 ? " more time)" : " more times)") : ""));
            }
        }
    };

    // Node names in rules, preselections and transformations: a number in a transformation
    // stands for what its guard matched.
    void undefinednodes() {
        onceeach undefined;
        for (const xref_rule& r : x.rules) {
            for (const xref_name& n : r.nodes) {
                if (digits(n.name) || getrule(n.name.c_str()) != nullptr || lookup_terminal(n.name.c_str()) >= 0) continue;
                undefined.add(n);
            }
        }
        undefined.report(*this, "", " is neither a rule nor a terminal");
    }

    // Rules that no expansion from a root can reach, judged on the rules in force (a later
    // rule of the same name hides the earlier one).
    void unreachedrules() {
        std::map<std::string, const xref_rule*> inforce;
        for (const xref_rule& r : x.rules) {
            if (!r.transformation) inforce[r.name] = &r;
        }
        std::vector<std::string> roots{"ROOT", "PRESELECT"};
        for (int i = 1; i < NUMROOTS; i++) {
            if (inforce.count(tree_roots[i].name)) roots.push_back(tree_roots[i].name);
        }
        std::map<std::string, bool> reached;
        std::vector<std::string> todo = roots;
        while (!todo.empty()) {
            std::string name = todo.back();
            todo.pop_back();
            if (reached[name]) continue;
            reached[name] = true;
            auto r = inforce.find(name);
            if (r == inforce.end()) continue;
            for (const xref_name& n : r->second->nodes) {
                if (!reached[n.name]) todo.push_back(n.name);
            }
        }
        const char* from = roots.size() > 2 ? "any root" : "ROOT";
        for (const xref_rule& r : x.rules) {
            if (r.transformation || inforce[r.name] != &r || reached[r.name] || named(r.name)) continue;
            warning(r.where, "rule " + r.name + " is not reached from " + from);
        }
    }

    void wordlessterminals() {
        if (!(installed & QF_LE)) return;
        for (const xref_name& t : x.terminals) {
            int n = lookup_terminal(t.name.c_str());
            if (n >= 0 && n < static_cast<int>(dictionary.size()) && dictionary[static_cast<size_t>(n)] == nullptr) {
                warning(t.where, "terminal " + t.name + " has no lexical entry");
            }
        }
    }

    // Named by the manifest's "unused": a value or a rule kept for other files.
    bool named(const std::string& name) const {
        return std::find(m.unused.begin(), m.unused.end(), name) != m.unused.end();
    }

    // A value is used when any file other than the attribute file names it.
    void unusedvalues() {
        for (const grammar_setting& s : m.settings) {
            for (const std::string& name : s.words) {
                bool known = false;
                for (const xref_name& v : x.values) known = known || v.name == name;
                for (const xref_rule& r : x.rules) known = known || r.name == name;
                if (!known) warning(s.where, s.name + ": " + name + " is neither an attribute value nor a rule");
            }
        }
        for (const xref_name& v : x.values) {
            bool used = named(v.name);
            for (const auto& [reading, names] : x.identifiers) {
                if (reading != "attribute input" && names.count(v.name)) used = true;
            }
            if (!used) warning(v.where, "attribute value " + v.name + " is used by no entry and no rule");
        }
    }

    // What an "explain" describes to a learner: an attribute value or a tag of related words.
    void explainednames() {
        for (const grammar_explanation& e : m.explain) {
            bool known = false;
            for (const xref_name& v : x.values) known = known || v.name == e.name;
            for (const tag_table& t : taglist) known = known || t.tag == e.name;
            if (!known) warning(e.where, "explain: " + e.name + " is no attribute value and no tag");
        }
    }

    void missingmorphology() {
        onceeach rules, tables;
        for (const xref_name& r : x.morphrefs) {
            if (m_ruleindex(r.name.c_str()) < 0) rules.add(r);
        }
        for (const xref_name& t : x.tablerefs) {
            if (!istable(t.name)) tables.add(t);
        }
        rules.report(*this, "morph rule ", " is referred to but not defined");
        tables.report(*this, "table ", " is referred to but not defined");
    }
};

}  // namespace

void lint_grammar(const grammar_xref& x, const grammar_manifest& m, std::vector<q_report>& reports) {
    linter l{x, m, reports};
    l.undefinednodes();
    l.unreachedrules();
    l.wordlessterminals();
    l.unusedvalues();
    l.explainednames();
    l.missingmorphology();
}

}  // namespace zek
