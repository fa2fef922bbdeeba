// Reading the terminals file and finding terminals by name.
#include "genra/terminal.h"

#include <cstring>

#include "genra/input_base.h"
#include "genra/xref.h"

namespace zek {

std::vector<std::string> terminal_table;
int terminal_count = 0;
static int lastfound = -1;

int lookup_terminal(const char* name) {
    size_t n = strcspn(name, "|");
    auto same = [&](int t) {
        const std::string& s = terminal_table[static_cast<size_t>(t)];
        return s.size() == n && s.compare(0, n, name, n) == 0;
    };
    if (lastfound >= 0 && lastfound < terminal_count && same(lastfound)) return lastfound;
    for (int t = 0; t < terminal_count; t++) {
        if (same(t)) return lastfound = t;
    }
    return -1;
}

void clear_terminals() {
    terminal_table.clear();
    terminal_count = 0;
    lastfound = -1;
}

void read_terminals(const char* file) {
    clear_terminals();
    file_operation = "terminals input";
    file_position[0] = 0;
    q_stat = 0;
    openfile(file, 0);
    for (int tok = q_peep(); tok != TOK_EOF; q_next(), tok = q_peep()) {
        if (tok != TOK_IDENT) {
            q_err("Unexpected symbol", tok2str(tok), "");
            continue;
        }
        if (lookup_terminal(identbuf) >= 0) {
            q_err("Repeated terminal", identbuf, "");
        } else if (terminal_count >= MAXTERMINALS) {
            q_err("Too many terminals (at most 128): ", identbuf, "");
            q_stat = 1;
        } else {
            terminal_table.push_back(identbuf);
            terminal_count++;
            if (q_xref != nullptr) q_xref->terminals.push_back({identbuf, q_here()});
        }
    }
    file_operation = "";
}

}  // namespace zek
