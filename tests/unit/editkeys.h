// Keys of the default key table and small set-ups shared by the editing and display tests.
#pragma once

#include <string>

#include "editor/corutils.h"
#include "editor/editor.h"
#include "editor/termutils_xq.h"
#include "tests/unit/harness.h"

namespace zektest {

inline const std::string RIGHT = "\x1b[C";
inline const std::string LEFT = "\x1b[D";
inline const std::string DOWN = "\x1b[B";
inline const std::string UP = "\x1b[A";
inline const std::string RUBOUT = "\b";
inline const std::string INSERTMODE = "\x17";  // ^W
inline const std::string RECOVERCHAR = "\x15";  // ^U
inline const std::string RECOVERWORD = "\x1b\x14";  // ESC ^T
inline const std::string DELWORD = "\x1b\x04";  // ESC ^D
inline const std::string DELWORDEND = "\x1b[W";
inline const std::string DELLINEEND = "\x1b[d";
inline const std::string SPLIT = "\x1b[s";
inline const std::string JOIN = "\x1b[j";
inline const std::string FLIP = "\x0c";  // ^L
inline const std::string LINEDRAW = "\x1b[g";
inline const std::string TAB = "\t";
inline const std::string PAGEDOWN = "\x11";  // ^Q
inline const std::string PAGEUP = "\x10";    // ^P

// Lines from `text` ("\n"-separated, fields ended by "|") as record lines in view `view`.
inline void records(const std::string& text, int view) {
    settext(text);
    for (zek::LINE* l = zek::cur().header->down; l != zek::cur().header; l = l->down) {
        if (l->object == zek::OBJ_TEXT) l->object = zek::OBJ_RECORD;
    }
    zek::cur().viewtype = view;
    zek::cureditmask = zek::editmask[view];
}

// Counts the terminal bells from now on.
inline int bells = 0;
inline void countbells() {
    bells = 0;
    zek::bellwatch = [] { bells++; };
}

}  // namespace zektest
