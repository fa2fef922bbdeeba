// Screen mode's terminal keys and help view: which byte runs are whole keys, what each key does,
// and the help text made from the key and command tables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editor/commands.h"
#include "editor/editor.h"
#include "editor/help.h"
#include "editor/scrin.h"
#include "editor/termkeys.h"
#include "tests/unit/harness.h"

using namespace zek;

namespace {

// A terminal description of the kind a console has: F1 as ESC [ [ A, Ctrl-Up named.
const char* consolecaps(const char* name) {
    if (strcmp(name, "kf1") == 0) return "\x1b[[A";
    if (strcmp(name, "khome") == 0) return "\x1b[1~";
    if (strcmp(name, "kUP5") == 0) return "\x1b[1;5A";
    if (strcmp(name, "kf13") == 0) return "\x1b[25~";
    return nullptr;
}

std::string classified(const std::string& bytes, termkey& k) {
    seqstate s = termkeys.classify(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), k);
    return s == SEQ_KEY ? "key" : s == SEQ_PREFIX ? "prefix" : "not";
}

}  // namespace

TEST(TerminalKeys, SequencesAreWholeKeysPrefixesOrTheEditorsOwn) {
    loadtermkeys(consolecaps);
    const struct {
        const char* bytes;
        const char* state;
        int key;
        int mods;
    } cases[] = {
        {"\x1b", "prefix", 0, 0},
        {"\x1b[", "prefix", 0, 0},
        {"\x1bO", "prefix", 0, 0},
        {"\x1b[1", "prefix", 0, 0},
        {"\x1b[1;5", "prefix", 0, 0},
        {"\x1b[[", "prefix", 0, 0},  // the console's F1 begins so
        {"\x1b[A", "key", TK_UP, 0},
        {"\x1bOA", "key", TK_UP, 0},
        {"\x1b[1~", "key", TK_HOME, 0},
        {"\x1b[H", "key", TK_HOME, 0},
        {"\x1b[7~", "key", TK_HOME, 0},
        {"\x1b[4~", "key", TK_END, 0},
        {"\x1bOF", "key", TK_END, 0},
        {"\x1b[5~", "key", TK_PGUP, 0},
        {"\x1b[2~", "key", TK_INSERT, 0},
        {"\x1b[3~", "key", TK_DELETE, 0},
        {"\x1bOP", "key", TK_F1, 0},
        {"\x1b[[A", "key", TK_F1, 0},
        {"\x1b[24~", "key", TK_F12, 0},
        {"\x1b[25~", "key", TK_F1, TKM_SHIFT},
        {"\x1b[1;5D", "key", TK_LEFT, TKM_CTRL},
        {"\x1b[1;5A", "key", TK_UP, TKM_CTRL},
        {"\x1b[1;2C", "key", TK_RIGHT, TKM_SHIFT},
        {"\x1b[3;7~", "key", TK_DELETE, TKM_CTRL | TKM_ALT},
        {"\x1b[1;2P", "key", TK_F1, TKM_SHIFT},
        {"\x1b[Z", "key", TK_BACKTAB, 0},
        {"\x1b[29~", "key", TK_UNKNOWN, 0},  // a number no key has: still never typed
        {"\x1b[?1;2c", "key", TK_UNKNOWN, 0},
        {"\x1bg", "not", 0, 0},       // the editor's ESC keys
        {"\x1bOx", "not", 0, 0},
        {"\x1b\x1b", "not", 0, 0},
        {"\x1b[s", "not", 0, 0},      // and its ESC [ keys
        {"\x1b[\x08", "not", 0, 0},
        {"\x1b[\x7f", "not", 0, 0},
        {"\x1b[2x~", "not", 0, 0},    // a final byte before the end
        {"x", "not", 0, 0},
    };
    for (const auto& c : cases) {
        termkey k;
        EXPECT_EQ(classified(c.bytes, k), c.state) << ::testing::PrintToString(std::string(c.bytes));
        if (std::string(c.state) != "key") continue;
        EXPECT_EQ(k.key, c.key) << ::testing::PrintToString(std::string(c.bytes));
        EXPECT_EQ(k.mods, c.mods) << ::testing::PrintToString(std::string(c.bytes));
    }
    loadtermkeys(nullptr);  // without a description: the shared forms only
    termkey k;
    EXPECT_EQ(classified("\x1b[[", k), "not");
    EXPECT_EQ(classified("\x1bOQ", k), "key");
    EXPECT_EQ(k.key, TK_F1 + 1);
}

TEST(TerminalKeys, Utf8CharactersAreWholeIncompleteOrRefused) {
    const struct {
        const char* bytes;
        int result;
        long code;
    } cases[] = {
        {"\xc3\xa9", 2, 0xE9},          // é, typed as Latin-1 233
        {"\xc3", 0, 0},                   // more to come
        {"\xc2\xa0", 2, 0xA0},          // the first code above the controls
        {"\xc5\x91", 2, 0x151},         // ő: whole, but beyond Latin-1
        {"\xe2\x82\xac", 3, 0x20AC},   // the euro sign
        {"\xe2\x82", 0, 0},
        {"\xf0\x9f\x98\x80", 4, 0x1F600},
        {"\xc3\x41", -1, 0},             // a lead byte broken off by an ASCII letter
        {"\xa9", -1, 0},                  // a continuation byte alone
        {"\xc0\xa9", -1, 0},             // overlong forms and surrogates are no UTF-8
        {"\xe0\x80\xa9", -1, 0},
        {"\xed\xa0\x80", -1, 0},
        {"\xf5\x80\x80\x80", -1, 0},
    };
    for (const auto& c : cases) {
        long code = 0;
        int got = utf8char(reinterpret_cast<const unsigned char*>(c.bytes), strlen(c.bytes), code);
        EXPECT_EQ(got, c.result) << c.bytes;
        if (got > 0) {
            EXPECT_EQ(code, c.code) << c.bytes;
        }
    }
}

TEST(TerminalKeys, EachKeyDoesAnOperationThatFitsOrNothing) {
    const struct {
        termkey key;
        int op;
        const char* name;
    } cases[] = {
        {{TK_HOME, 0}, 66, "Home"},
        {{TK_END, 0}, 68, "End"},
        {{TK_PGUP, 0}, 28, "PgUp"},
        {{TK_PGDN, 0}, 30, "PgDn"},
        {{TK_INSERT, 0}, 22, "Insert"},
        {{TK_DELETE, 0}, OP_DELETE, "Delete"},
        {{TK_LEFT, TKM_CTRL}, 82, "Ctrl-Left"},
        {{TK_RIGHT, TKM_CTRL}, 81, "Ctrl-Right"},
        {{TK_UP, 0}, 20, "Up"},
        {{TK_F1, 0}, OP_HELP, "F1"},
        {{TK_F1 + 4, 0}, OP_FNKEY0 + 5, "F5"},
        {{TK_F1 + 9, 0}, 0, "F10"},
        {{TK_LEFT, TKM_SHIFT}, 0, "Shift-Left"},
        {{TK_HOME, TKM_CTRL | TKM_ALT}, 0, "Ctrl-Alt-Home"},
        {{TK_BACKTAB, 0}, 0, "Shift-Tab"},
        {{TK_UNKNOWN, 0}, 0, "an unknown key"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(termkeyop(c.key), c.op) << c.name;
        EXPECT_EQ(termkeyname(c.key), c.name);
    }
}

// The help text lists what the tables hold at the time: a key bound with KEY appears beside
// its operation, every command with its parameters and defaults, and every row fits the width.
TEST(HelpView, TextComesFromTheTablesAndFitsTheScreen) {
    zektest::fresh();
    intran[PLANE1 + 'Q'] = 20;  // KEY: ESC Q moves up as well
    std::string text;
    for (int width : {80, 30}) {
        std::vector<std::string> rows = helplines(width);
        for (const std::string& r : rows) EXPECT_LE(static_cast<int>(r.size()), width) << r;
        if (width == 80) {
            for (const std::string& r : rows) text += r + "\n";
        }
    }
    for (int i = 0; std::string(commands[i].name) != "**"; i++) {
        EXPECT_NE(text.find(std::string("\n ") + commands[i].name + " "), std::string::npos) << commands[i].name;
    }
    EXPECT_LT(text.find("cursor right"), text.find("ESC Q"));
    EXPECT_LT(text.find("ESC Q"), text.find("open the command line"));
    EXPECT_LT(text.find("ESC Z"), text.find("ESC W"));  // undo and redo, by their operation numbers
    for (const char* part : {"ESC ?  ", "ESC [ 5 ~", "file | first line (1) | last line (200000) | check", "number (15)",
                             "digit 0-7 | pattern",
                             "asks: 0:char; 1:word", "Home  ", "Ctrl-Left", "0..9", "ESC e \xe9",
                             "run function-key string 3", "ESC 3", "in scripts, {?}", "ESC [ 224 ~"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
    zektest::fresh();
    std::string fresh;
    for (const std::string& r : helplines(80)) fresh += r + "\n";
    EXPECT_EQ(fresh.find("ESC Q"), std::string::npos) << "KEY's binding went with the fresh table";
}
