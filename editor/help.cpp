// The help view: its text is made afresh from the key table (so KEY changes show), the table of
// the terminal's keys and the command table; the view scrolls it over the screen.
#include "editor/help.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "editor/commands.h"
#include "editor/editor.h"
#include "editor/screen.h"
#include "editor/scrin.h"
#include "editor/syshandler.h"
#include "editor/termkeys.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"

namespace zek {

namespace {

// A byte as a key: "Ctrl-X", "ESC", "Tab", "Space", "DEL" or the character.
std::string charname(int c) {
    switch (c) {
        case 0: return "NUL";
        case 9: return "Tab";
        case 27: return "ESC";
        case 32: return "Space";
        case 127: return "DEL";
        default: break;
    }
    if (c < 32) return std::string("Ctrl-") + static_cast<char>(c + 64);
    return std::string(1, static_cast<char>(c));
}

// A key of the key table by its index: plain, after ESC, after ESC [ (or ESC ESC), or a code.
std::string keyname(int index) {
    if (index < PLANE1) return charname(index);
    if (index < PLANE2) return "ESC " + charname(index - PLANE1);
    if (index < PLANENUM) return "ESC [ " + charname(index - PLANE2);
    return "ESC [ " + std::to_string(index - PLANENUM) + " ~";
}

bool typingop(int op) { return op == OP_OTHER || op == OP_DIGIT || op == OP_NAME; }

bool alnum(int c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Runs of three or more consecutive letters or digits as "a..z", other codes one by one.
std::string ranges(const std::vector<int>& codes, std::string (*name)(int)) {
    std::string out;
    for (size_t i = 0; i < codes.size();) {
        size_t j = i;
        while (j + 1 < codes.size() && codes[j + 1] == codes[j] + 1 && alnum(codes[j]) && alnum(codes[j + 1])) j++;
        if (!out.empty()) out += ' ';
        if (j - i >= 2) {
            out += name(codes[i]) + ".." + name(codes[j]);
        } else {
            for (size_t k = i; k <= j; k++) out += (k > i ? " " : "") + name(codes[k]);
        }
        i = j + 1;
    }
    return out;
}

// Every key of the table, by operation: plain printable keys that type themselves are
// summarised, numeric codes grouped into runs.
std::map<int, std::vector<std::string>> keysbyop() {
    std::map<int, std::vector<std::string>> keys;
    std::map<int, std::vector<int>> printable;
    std::map<int, std::vector<int>> numeric;
    for (int i = 0; i < KEYTABLESIZE; i++) {
        int op = intran[i];
        if (op == 0) continue;
        if (i >= PLANENUM) {
            numeric[op].push_back(i - PLANENUM);
        } else if (i >= 32 && i <= 126 && typingop(op) && char_map[i] == i) {
            printable[op].push_back(i);
        } else if (typingop(op) && i >= PLANE1 && char_map[i] >= 160) {
            keys[op].push_back(keyname(i) + " " + std::string(1, static_cast<char>(char_map[i])));
        } else {
            keys[op].push_back(keyname(i));
        }
    }
    for (auto& [op, codes] : printable) {
        std::string label = ranges(codes, charname);
        if (label.size() > 24) label = "the other printable keys";
        keys[op].insert(keys[op].begin(), label);
    }
    for (auto& [op, codes] : numeric) {
        for (size_t i = 0; i < codes.size();) {
            size_t j = i;
            while (j + 1 < codes.size() && codes[j + 1] == codes[j] + 1) j++;
            if (j - i >= 2) {
                keys[op].push_back("ESC [ " + std::to_string(codes[i]) + ".." + std::to_string(codes[j]) + " ~");
            } else {
                for (size_t k = i; k <= j; k++) keys[op].push_back(keyname(PLANENUM + codes[k]));
            }
            i = j + 1;
        }
    }
    return keys;
}

std::string ophelp(int op) {
    if (op > 0 && op < NUMOPS && edittable[op].help != nullptr) return edittable[op].help;
    if (const char* text = keysourcehelp(op)) return text;
    return "operation " + std::to_string(op);
}

// Breaks text into lines of at most `width` characters at blanks (a longer word is cut).
std::vector<std::string> wrap(const std::string& text, int width, const char* separator = " ") {
    std::vector<std::string> out;
    if (width < 1) width = 1;
    std::string line;
    size_t sep = std::string(separator).size();
    size_t i = 0;
    while (i <= text.size()) {
        size_t next = text.find(separator, i);
        if (next == std::string::npos) next = text.size();
        std::string word = text.substr(i, next - i);
        if (next < text.size() && sep > 1) word += separator[0];  // a list keeps its commas
        std::string candidate = line.empty() ? word : line + " " + word;
        if (static_cast<int>(candidate.size()) <= width) {
            line = candidate;
        } else {
            if (!line.empty()) out.push_back(line);
            while (static_cast<int>(word.size()) > width) {
                out.push_back(word.substr(0, static_cast<size_t>(width)));
                word.erase(0, static_cast<size_t>(width));
            }
            line = word;
        }
        i = next + sep;
    }
    if (!line.empty() || out.empty()) out.push_back(line);
    return out;
}

// Two columns: the left text (a list, broken at ", ") and the right one beside it; on a
// narrow screen the right text goes under the left, indented.
void entry(std::vector<std::string>& out, const std::string& left, const std::string& right, int width,
           int leftwidth, const char* separator = ", ") {
    if (width < 40) {
        for (const std::string& l : wrap(left, width, separator)) out.push_back(l);
        for (const std::string& r : wrap(right, width - 4)) out.push_back("    " + r);
        return;
    }
    std::vector<std::string> l = wrap(left, leftwidth, separator);
    std::vector<std::string> r = wrap(right, width - leftwidth - 3);
    for (size_t i = 0; i < std::max(l.size(), r.size()); i++) {
        std::string line = " " + (i < l.size() ? l[i] : std::string());
        if (i < r.size()) {
            line.resize(static_cast<size_t>(leftwidth) + 3, ' ');
            line += r[i];
        }
        out.push_back(line);
    }
}

// The parameter kinds as words: the string buffers by their code, the others by kind.
std::string paramname(char kind, char qualifier) {
    switch (kind) {
        case 'c':
            switch (qualifier) {
                case '2': return "pattern";
                case 'D': return "replacement";
                case '3': case '4': return "template";
                case '5': return "command";
                case 'B': return "expression";
                case 'C': return "check";
                case 'G': return "keys";
                default: return "text";
            }
        case 'd': return std::string("digit 0-") + qualifier;
        case 'f': return "file";
        case 'g': return qualifier == 'L' ? "last line" : "first line";
        case 'h': return "line";
        case 'k': return "letter";
        default: return "number";
    }
}

std::string parameters(const CMDSPEC& c) {
    // Field j - 1 of the default string is the default of parameter j (the first parameter
    // has none: its field is a placeholder).
    std::vector<std::string> defaults;
    std::string field;
    for (const char* p = c.defstr; *p != 0; p++) {
        if (*p == '|') {
            defaults.push_back(field);
            field.clear();
        } else {
            field += *p;
        }
    }
    std::string out;
    int j = 0;
    for (const char* p = c.paramtype; p[0] != 0 && p[1] != 0; p += 2, j++) {
        if (p[0] == 'e') return "(RETURN)";
        if (!out.empty()) out += " | ";
        out += paramname(p[0], p[1]);
        if (j >= 1 && static_cast<size_t>(j) < defaults.size() && !defaults[static_cast<size_t>(j)].empty()) {
            out += " (" + defaults[static_cast<size_t>(j)] + ")";
        }
    }
    return out;
}

void heading(std::vector<std::string>& out, const std::string& text, int width) {
    if (!out.empty()) out.push_back("");
    for (const std::string& l : wrap(text, width)) out.push_back(l);
}

}  // namespace

std::vector<std::string> helplines(int width) {
    std::vector<std::string> out;
    int keywidth = std::min(26, width / 3);
    std::map<int, std::vector<std::string>> keys = keysbyop();
    auto listop = [&](int op) {
        auto found = keys.find(op);
        if (found == keys.end()) return;
        std::string left;
        for (const std::string& k : found->second) left += (left.empty() ? "" : ", ") + k;
        entry(out, left, ophelp(op), width, keywidth);
        keys.erase(found);
    };
    heading(out, "KEYS   (ESC x: ESC, then x;  ESC [ x: also ESC ESC x;  Ctrl-x: x with Ctrl held)", width);
    listop(OP_HELP);
    for (int op = 1; op < NUMOPS; op++) {
        if (op != OP_HELP && (op < OP_PREFIX1 || op > OP_NUMCODE) && (op < OP_RESUME || op > OP_ACK)) listop(op);
    }
    heading(out, "FUNCTION KEYS   (FUNCTION n|string sets string n)", width);
    for (int op = OP_FNKEY0; op <= OP_FNKEY0 + 9; op++) listop(op);
    heading(out, "DRIVER PROGRAMS AND SCRIPTS", width);
    for (int op = OP_RESUME; op <= OP_ACK; op++) listop(op);
    for (int op = OP_MATCHTEST; op <= OP_ENDIF; op++) listop(op);
    heading(out, "PREFIXES", width);
    for (int op = OP_PREFIX1; op <= OP_NUMCODE; op++) listop(op);
    std::vector<int> left;  // numbers that no section names (a KEY to a number beyond the table)
    for (const auto& k : keys) left.push_back(k.first);
    for (int op : left) listop(op);

    heading(out, "KEYS OF THE TERMINAL   (screen mode; any other rings the bell)", width);
    for (const termkeybinding& b : termkeybindings()) entry(out, termkeyname(b.key), ophelp(b.op), width, keywidth);

    heading(out, "COMMANDS   (Ctrl-C; type the first two letters, the parameters separated by |, RETURN)", width);
    for (int i = 0; i < NUMCOMMANDS && std::string(commands[i].name) != "**"; i++) {
        const CMDSPEC& c = commands[i];
        std::string right = parameters(c);
        entry(out, c.name, right, width, 17);
        if (c.help != nullptr) entry(out, "", c.help, width, 17);
        if (c.prompt[0] != 0) entry(out, "", std::string("asks: ") + c.prompt, width, 17);
    }
    return out;
}

void helpview() {
    if (!screenmode || !hasterminal) return;
    int top = 0;
    for (;;) {
        int rows = cmdline + 1;
        int page = rows > 3 ? rows - 2 : 1;
        std::vector<std::string> lines = helplines(swidth + 2);
        int last = std::max(0, static_cast<int>(lines.size()) - page);
        top = std::clamp(top, 0, last);
        char footer[160];
        snprintf(footer, sizeof footer, " %d-%d of %zu   Up Down PgUp PgDn Home End: move   q or ESC: back to the text",
                 top + 1, std::min(top + page, static_cast<int>(lines.size())), lines.size());
        if (!helpdraw(lines, top, " zek: every key and command", footer)) return;
        if (pendingsignals != 0) {
            runsignals();  // a resize lays the text out again
            continue;
        }
        termkey key;
        int byte = nextbyte(key);
        if (byte < 0) continue;
        int op = byte == TERMINALKEY ? termkeyop(key) : (byte < PLANE1 ? intran[byte] : 0);
        if (byte == 'q' || byte == 'Q' || byte == 27 || op == OP_HELP || op == OP_COMMAND) {
            if (byte == 27) dropunread();  // what came with the ESC belongs to it
            break;
        }
        if (op == 20 || byte == 'k') top -= 1;
        if (op == 18 || op == OP_RETURN || byte == 'j') top += 1;
        if (op == 28 || byte == 'b') top -= page;
        if (op == 30 || byte == ' ' || byte == 'f') top += page;
        if (op == 66 || byte == 'g') top = 0;
        if (op == 68 || byte == 'G') top = last;
    }
    helpclose();
}

}  // namespace zek
