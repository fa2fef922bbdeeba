// The cross-reference that readers fill for genra check.
#include "genra/xref.h"

namespace zek {

grammar_xref* q_xref = nullptr;

void xref_syntax_begins() {
    if (q_xref != nullptr) q_xref->syntaxfiles.push_back(q_xref->rules.size());
}

void xref_syntax_removed() {
    if (q_xref == nullptr || q_xref->syntaxfiles.empty()) return;
    q_xref->rules.resize(q_xref->syntaxfiles.back());
    q_xref->syntaxfiles.pop_back();
}

void xref_expression_token(int tok) {
    static bool afterdollar = false;
    static xref_name lastname;  // an identifier not after "$": a table's name if "(" follows
    static q_place dollar;
    if (q_xref == nullptr) return;
    if (tok == TOK_IDENT && afterdollar) {
        q_xref->morphrefs.push_back({identbuf, dollar});
        afterdollar = false;
        lastname.name.clear();
        return;
    }
    if (tok == '(' && !lastname.name.empty()) q_xref->tablerefs.push_back(lastname);
    lastname.name.clear();
    afterdollar = tok == '$';
    if (afterdollar) dollar = q_here();
    if (tok == TOK_IDENT) lastname = {identbuf, q_here()};
}

}  // namespace zek
