// The screen model of the built-in front-end: each composed sequence changes rows of cells and
// the fields of the status, message and command lines; the terminal layer only copies it out.
#include "editor/screen.h"

#include <cstring>

#include "editor/terminal_xq.h"

namespace zek {

int screenmode = 0;
screenmodel scrmodel;

screenmodel::screenmodel(int rows, int cols) { resize(rows, cols); }

void screenmodel::resize(int rows, int cols) {
    nrows = rows < MINROWS ? MINROWS : rows;
    ncols = cols < MINCOLS ? MINCOLS : cols;
    size_t n = static_cast<size_t>(nrows) * static_cast<size_t>(ncols);
    cells.assign(n, ' ');
    kinds.assign(n, CELL_PLAIN);
    changed.assign(static_cast<size_t>(nrows), true);
    // The fields and the command line are sent again by the regeneration that follows; the
    // focus and a waiting error are not, so they stay.
    for (auto& f : fields) f.clear();
    if (!waitack) {
        messagetext.clear();
        messageerror = false;
    }
    commandtext.clear();
    textrow = 2;
    textcol = 1;
    notetext.clear();
    foundlength = 0;
    repaint = true;
    drawstatus();
    drawruler();
    drawmessage();
}

std::string screenmodel::row(int r) const {
    if (r < 0 || r >= nrows) return std::string();
    const unsigned char* p = &cells[static_cast<size_t>(r) * static_cast<size_t>(ncols)];
    return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(ncols));
}

unsigned char screenmodel::kind(int r, int c) const {
    if (r < 0 || r >= nrows || c < 0 || c >= ncols) return CELL_PLAIN;
    if (foundlength > 0 && r == textrow && intext(r) && c >= textcol && c < textcol + foundlength && c < ncols - 1) {
        return CELL_FOUND;
    }
    return kinds[static_cast<size_t>(r) * static_cast<size_t>(ncols) + static_cast<size_t>(c)];
}

std::string screenmodel::field(char letter) const {
    unsigned char k = static_cast<unsigned char>(letter);
    return k < 128 ? fields[k] : std::string();
}

bool screenmodel::dirty(int r) const { return r >= 0 && r < nrows && changed[static_cast<size_t>(r)]; }

void screenmodel::markall() {
    changed.assign(static_cast<size_t>(nrows), true);
    repaint = true;
}

void screenmodel::clean() {
    changed.assign(static_cast<size_t>(nrows), false);
    repaint = false;
}

int screenmodel::cursorrow() const {
    if (waitack) return helpline();
    if (focus == FOCUS_COMMAND) return cmdline();
    return textrow;
}

int screenmodel::cursorcol() const {
    int c;
    if (waitack) {
        c = static_cast<int>(messagetext.size() + strlen(WAITMARK));
    } else if (focus == FOCUS_COMMAND) {
        c = static_cast<int>(commandtext.size());
    } else {
        c = textcol;
    }
    if (c < 0) c = 0;
    if (c > ncols - 1) c = ncols - 1;
    return c;
}

void screenmodel::put(int r, int c, unsigned char ch, unsigned char k) {
    if (r < 0 || r >= nrows || c < 0 || c >= ncols) return;
    size_t i = static_cast<size_t>(r) * static_cast<size_t>(ncols) + static_cast<size_t>(c);
    if (cells[i] == ch && kinds[i] == k) return;
    cells[i] = ch;
    kinds[i] = k;
    changed[static_cast<size_t>(r)] = true;
}

// Blanks columns from..to (inclusive) of a row.
void screenmodel::clearrow(int r, int from, int to) {
    for (int c = from; c <= to; c++) put(r, c, ' ', CELL_PLAIN);
}

int screenmodel::puttext(int r, int at, int last, const std::string& text, unsigned char k) {
    int c = at;
    for (unsigned char ch : text) {
        if (c > last) break;
        put(r, c++, ch, k);
    }
    return c;
}

// Status line: corefile, view, mode, line and line count, column, file name; on the right the
// results and notices (float, integer and check results, math cursor, "###", generator file).
void screenmodel::drawstatus() {
    std::string left;
    auto slot = [&left](const std::string& text, size_t width) {
        left += text;
        if (left.size() < width) left.append(width - left.size(), ' ');
        left += ' ';
    };
    left = " ";
    slot("core" + fields['w'], 8);
    slot(fields['v'], 18);
    slot(fields['m'], 28);
    slot("line" + fields['r'] + "/" + fields['l'], 46);
    slot("col" + fields['c'], 56);
    left += fields['n'];

    std::string right;
    auto notice = [&right](const std::string& text) {
        if (text.empty()) return;
        if (!right.empty()) right += "  ";
        right += text;
    };
    if (!fields['f'].empty()) notice("= " + fields['f']);
    if (!fields['i'].empty()) notice("= " + fields['i']);
    notice(fields['b']);
    notice(fields['M']);
    notice(fields['U']);
    if (!fields['V'].empty()) notice(fields['V'].substr(0, 1) + " " + fields['V'].substr(1));
    if (!right.empty()) right += ' ';

    size_t width = static_cast<size_t>(ncols);
    if (right.size() > width) right = right.substr(right.size() - width);
    size_t room = width - right.size();
    if (!right.empty() && room > 0) room -= 1;  // one blank between the two parts
    if (left.size() > room) left.resize(room);
    std::string line = left;
    line.append(width - left.size() - right.size(), ' ');
    line += right;
    puttext(0, 0, ncols - 1, line, CELL_STATUS);
}

void screenmodel::drawruler() {
    put(1, 0, ' ', CELL_PLAIN);
    int c = puttext(1, 1, ncols - 2, fields['t'], CELL_RULER);
    clearrow(1, c, ncols - 1);
}

void screenmodel::drawmessage() {
    int r = helpline();
    int c;
    if (messagetext.empty() && !waitack) {
        c = puttext(r, 0, ncols - 1, notetext, CELL_NOTE);
    } else {
        c = puttext(r, 0, ncols - 1, messagetext, messageerror ? CELL_ERROR : CELL_PLAIN);
    }
    if (waitack) c = puttext(r, c, ncols - 1, WAITMARK, CELL_WAIT);
    clearrow(r, c, ncols - 1);
}

// A command longer than the row shows its end, where the typing happens.
void screenmodel::drawcommand() {
    int r = cmdline();
    std::string shown = commandtext;
    size_t room = static_cast<size_t>(ncols - 1);
    if (shown.size() > room) shown = shown.substr(shown.size() - room);
    int c = puttext(r, 0, ncols - 1, shown, CELL_PLAIN);
    clearrow(r, c, ncols - 1);
}

void screenmodel::fieldchanged(char letter) {
    switch (letter) {
        case 't': drawruler(); break;
        case 'e':
        case 'h': drawmessage(); break;
        default: drawstatus(); break;
    }
}

void screenmodel::keyarrived() {
    if (foundlength > 0) {
        foundlength = 0;
        if (intext(textrow)) changed[static_cast<size_t>(textrow)] = true;
    }
    if (!notetext.empty()) {
        notetext.clear();
        drawmessage();
    }
}

// The text cursor moves; a highlight moves with it, so both rows are drawn again.
void screenmodel::movetext(int r, int c) {
    if (foundlength > 0) {
        if (intext(textrow)) changed[static_cast<size_t>(textrow)] = true;
        if (intext(r)) changed[static_cast<size_t>(r)] = true;
    }
    textrow = r;
    textcol = c;
}

// An error that still waits for its answer survives the regeneration (a resize while it waits):
// the person must still see what the keys answer.
void screenmodel::regenerate() {
    for (int r = 0; r < nrows; r++) clearrow(r, 0, ncols - 1);
    for (auto& f : fields) f.clear();
    if (!waitack) {
        messagetext.clear();
        messageerror = false;
    }
    commandtext.clear();
    drawstatus();
    drawruler();
    drawmessage();
    repaint = true;
}

// Reads a decimal number (optionally negative) and moves past it.
static bool number(const char*& p, int& value) {
    bool negative = *p == '-';
    if (negative) p++;
    if (*p < '0' || *p > '9') return false;
    long n = 0;
    while (*p >= '0' && *p <= '9') {
        if (n < 1000000) n = n * 10 + (*p - '0');
        p++;
    }
    value = static_cast<int>(negative ? -n : n);
    return true;
}

static bool comma(const char*& p) {
    if (*p != ',') return false;
    p++;
    return true;
}

void screenmodel::feed(const char* s) {
    if (s == nullptr || s[0] != '$' || s[1] == 0) return;
    const char* p = s + 2;
    switch (s[1]) {
        case '+':
            focus = FOCUS_TEXT;
            return;
        case '-':
            keyarrived();
            return;
        case 'X':
        case 'W':
            regenerate();
            return;
        case 'e':
            if (*p == '+' || *p == '-') {
                waitack = *p == '+';
                drawmessage();
            }
            return;
        case 'p': {
            int r = 0;
            int c = 0;
            if (!number(p, r) || !comma(p) || !number(p, c)) return;
            movetext(r, c - 1);
            return;
        }
        case 'c':
            if (*p == 0) return;
            if (intext(textrow)) put(textrow, textcol, static_cast<unsigned char>(*p), CELL_PLAIN);
            textcol += 1;
            return;
        case 'C': {
            char second = *p++;
            switch (second) {
                case '+': focus = FOCUS_COMMAND; return;
                case '-': keyarrived(); return;
                case 'c':
                    if (*p != 0) commandtext += *p;
                    break;
                case 'b':
                    if (!commandtext.empty()) commandtext.pop_back();
                    break;
                case 'x': commandtext.clear(); break;
                case 'L': commandtext = p; break;
                default: return;
            }
            drawcommand();
            return;
        }
        case 'T': {
            char second = *p++;
            int r = 0;
            if (second == 'x') {
                for (int row = 2; row <= windowend(); row++) clearrow(row, 0, ncols - 1);
                return;
            }
            if (second == 'h') {
                int n = 0;
                if (!number(p, n)) return;
                foundlength = n > 0 ? n : 0;
                if (intext(textrow)) changed[static_cast<size_t>(textrow)] = true;
                return;
            }
            if (second == 'f') {
                // the record row's flags: star mark and editability
                if (p[0] != 0) put(2, 0, static_cast<unsigned char>(p[0]), CELL_FLAG);
                if (p[0] != 0 && p[1] != 0) put(2, ncols - 1, static_cast<unsigned char>(p[1]), CELL_FLAG);
                return;
            }
            if (!number(p, r) || !intext(r)) return;
            if (second == 'F') {
                if (!comma(p) || p[0] == 0) return;
                put(r, 0, static_cast<unsigned char>(p[0]), CELL_FLAG);
                if (p[1] != 0) put(r, ncols - 1, static_cast<unsigned char>(p[1]), CELL_FLAG);
            } else if (second == 'L') {
                int c = 1;
                if (comma(p)) c = puttext(r, 1, ncols - 2, p, CELL_PLAIN);
                clearrow(r, c, ncols - 2);
            } else if (second == 'R') {
                int c = 0;
                int width = 0;
                if (!comma(p) || !number(p, c) || !comma(p) || !number(p, width) || !comma(p)) return;
                // a field shows at most its width, so that a long one never covers its neighbour
                int at = c - 1;
                int last = width > 0 && at + width - 1 < ncols - 2 ? at + width - 1 : ncols - 2;
                int end = puttext(r, at, last, p, CELL_FIELD);
                for (int k = end; k <= last; k++) put(r, k, ' ', CELL_FIELD);
            }
            return;
        }
        case 'm': {
            char letter = *p++;
            unsigned char k = static_cast<unsigned char>(letter);
            if (k == 0 || k >= 128) return;
            if (letter == 'k') {
                notetext = p;
                drawmessage();
                return;
            }
            fields[k] = p;
            if (letter == 'h' && waitack) return;  // the waiting error keeps the line
            if (letter == 'e' || letter == 'h') {
                messagetext = p;
                messageerror = letter == 'e';
                if (*p != 0) notetext.clear();  // a new message replaces the confirmation
            }
            fieldchanged(letter);
            return;
        }
        default: return;
    }
}

void screenfit() {
    int rows = cmdline + 1;
    int cols = swidth + 2;
    if (scrmodel.rows() != rows || scrmodel.cols() != cols) scrmodel.resize(rows, cols);
}

void screenfeed(const char* text) {
    if (text[0] == '$' && (text[1] == 'X' || text[1] == 'W')) screenfit();
    scrmodel.feed(text);
}

}  // namespace zek
