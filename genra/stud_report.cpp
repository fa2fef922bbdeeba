// The report of one root's comparison.
#include "genra/stud_report.h"

#include <cstdio>
#include <cstdlib>

#include "genra/input_base.h"
#include "genra/stud_ind.h"

namespace zek {

static std::string format(const char* fmt, int a, int b, const std::string& s) {
    char text[64];
    snprintf(text, sizeof text, fmt, a, b);
    return text + s;
}

// The line of expected word i matched by response word j, after its "C%i S%i   ".
static std::string matchline(const lexdiff& d, const std::string& expected, const std::string& response) {
    std::string pair = expected + "/" + response;
    switch (d.matchclass) {
        case MC_EXACT: return "EXACT   " + pair + "\n";
        case MC_MORPH: {
            std::string line = "MORPH    " + pair + " ";
            for (size_t k = 0; k < d.breakup.size(); k++) line += (k > 0 ? "OR  " : "") + d.breakup[k] + "  ";
            return line + "\n";
        }
        case MC_APPROX: return "APPROX   " + pair + "\n";
        case MC_PHONO: {
            std::string line = "PHONO " + pair + "   ";
            if (d.error != "none") {
                line += "\n" + d.error;
            } else {
                for (const std::string& b : d.breakup) line += b + " ";
            }
            return line + "\n";
        }
        default: break;
    }
    const tag_table* t = d.matchclass >= MC_LEX ? tagbynumber(d.matchclass) : nullptr;
    if (t == nullptr) return "";
    return "LEX " + pair + "  " + std::to_string(t->field) + ":" + t->tag + "\n";
}

std::string err_get_report(const wordmatrix& m) {
    q_line(MSGCORE, 0, "Analyzing errors, printing to ERRORSCORE");
    const int x = static_cast<int>(m.expected.size());
    const int y = static_cast<int>(m.response.size());
    std::string report;
    bool correct = true;
    // The nearest response word of each expected word that is not a mismatch.
    std::vector<int> nearest(static_cast<size_t>(x) + 1, 0);
    for (int i = 1; i <= x; i++) {
        for (int j = 1; j <= y; j++) {
            if (m.at(i, j).matchclass == MC_NONE) continue;
            if (nearest[i] == 0 || abs(i - j) < abs(i - nearest[i])) nearest[i] = j;
        }
        if (nearest[i] == 0) {
            report += format("C%i --  MISSING  ", i, 0, m.expected[i - 1].word + "\n");
            correct = false;
        } else if (nearest[i] != i || m.at(i, nearest[i]).matchclass != MC_EXACT) {
            correct = false;
        }
    }
    // Each response word pairs with the first expected word it matches that is still free.
    std::vector<bool> paired(static_cast<size_t>(x) + 1, false);
    for (int j = 1; j <= y; j++) {
        int i = 1;
        while (i <= x && (paired[i] || m.at(i, j).matchclass == MC_NONE)) i++;
        if (i <= x) {
            paired[i] = true;
        } else {
            report += format("-- S%i  EXTRA    ", j, 0, m.response[j - 1] + "\n");
            correct = false;
        }
    }
    if (correct) return "CORRECT\n***\n";
    for (int i = 1; i <= x; i++) {
        if (nearest[i] == 0 || !paired[i]) continue;
        const lexdiff& d = m.at(i, nearest[i]);
        std::string line = matchline(d, m.expected[i - 1].word, m.response[nearest[i] - 1]);
        report += line.empty() ? "unrecognizable match type\n" : format("C%i S%i   ", i, nearest[i], line);
    }
    return report + "***\n";
}

}  // namespace zek
