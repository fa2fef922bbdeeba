// The built-in front-end's screen model: every "$" sequence decoded into rows of characters,
// the status fields, the tab ruler, the message and command lines and the cursor. No terminal.
#pragma once

#include <string>
#include <vector>

namespace zek {

// How a cell is drawn; the terminal layer turns these into attributes.
enum : unsigned char {
    CELL_PLAIN = 0,
    CELL_FLAG,    // the line flags left and right of a text row
    CELL_FIELD,   // the width of a record field
    CELL_STATUS,  // the status line
    CELL_RULER,   // the tab ruler
    CELL_ERROR,   // an error message
    CELL_WAIT,    // the mark of a message that waits for RETURN or rubout
    CELL_NOTE,    // a confirmation of finished work on the message row
    CELL_FOUND,   // the text a search found
};

// The layout: row 0 the status line, row 1 the ruler, rows 2 (windowtop) to rows - 3
// (windowend) the text, rows - 2 (helpline) the message line, rows - 1 (cmdline) the command
// line. Columns follow the sequences: column 0 and cols - 1 hold the line flags, a "$p" or
// "$TR" column c is the terminal column c - 1.
class screenmodel {
public:
    static constexpr int MINROWS = 5;
    static constexpr int MINCOLS = 3;
    static constexpr const char* WAITMARK = "  <return>";

    screenmodel(int rows = 24, int cols = 80);

    // A new size: everything but the focus and a waiting error is cleared, every row is to be
    // drawn again.
    void resize(int rows, int cols);
    // Decodes one composed sequence; anything it cannot read changes nothing.
    void feed(const char* sequence);

    int rows() const { return nrows; }
    int cols() const { return ncols; }
    int helpline() const { return nrows - 2; }
    int cmdline() const { return nrows - 1; }
    int windowend() const { return nrows - 3; }

    // The characters of a row (cols bytes, the codes as sent: Latin-1) and their cell kinds.
    std::string row(int r) const;
    unsigned char kind(int r, int c) const;
    // Where the terminal cursor belongs: the text cursor, the end of the command line while a
    // command key is awaited, the end of a waiting message.
    int cursorrow() const;
    int cursorcol() const;

    // The last payload of a message window ('w', 'r', 'c', 'l', 'v', 'n', 'm', 't', 'e', 'h',
    // 'f', 'i', 'b', 'M', 'U', 'V'); empty when none was sent since the last regeneration.
    std::string field(char letter) const;
    const std::string& message() const { return messagetext; }
    // The confirmation shown on the message row until the next key ("$mk"), and the text a
    // search found, highlighted from the text cursor until the next key ("$Th" length).
    const std::string& note() const { return notetext; }
    int found() const { return foundlength; }
    const std::string& command() const { return commandtext; }
    bool waiting() const { return waitack; }

    // Rows changed since the last clean(), and whether a regeneration asked for a repaint.
    bool dirty(int r) const;
    bool repaintasked() const { return repaint; }
    void markall();
    void clean();

private:
    enum focus_t { FOCUS_TEXT, FOCUS_COMMAND };

    int nrows = 0;
    int ncols = 0;
    std::vector<unsigned char> cells;
    std::vector<unsigned char> kinds;
    std::vector<bool> changed;
    bool repaint = true;

    std::string fields[128];
    std::string messagetext;
    bool messageerror = false;
    bool waitack = false;
    std::string commandtext;
    focus_t focus = FOCUS_COMMAND;
    int textrow = 2;
    int textcol = 1;
    std::string notetext;
    int foundlength = 0;

    bool intext(int r) const { return r >= 2 && r <= windowend(); }
    void put(int r, int c, unsigned char ch, unsigned char k);
    void clearrow(int r, int from, int to);
    // Writes text from column `at` of a row, cut after column `last`; returns the column after it.
    int puttext(int r, int at, int last, const std::string& text, unsigned char k);
    void fieldchanged(char letter);
    void drawstatus();
    void drawruler();
    void drawmessage();
    void drawcommand();
    void regenerate();
    void keyarrived();  // a key ends the confirmation and the highlight
    void movetext(int r, int c);
};

extern int screenmode;  // 1 when the built-in front-end draws the screen through curses
extern screenmodel scrmodel;

// Hands one sequence to the model, first fitting the model to the editor's geometry when a
// regeneration begins.
void screenfeed(const char* text);
// Fits the model to the editor's geometry (cmdline + 1 rows, swidth + 2 columns).
void screenfit();

}  // namespace zek
