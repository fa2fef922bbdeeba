// The command line: a loop inside the editor loop that reads two letters, completes the name,
// reads the parameters and runs the command, until RETURN on an empty command line.
#include "editor/prcmnd.h"

#include <cstring>

#include "editor/commands.h"
#include "editor/corutils.h"
#include "editor/cursors.h"
#include "editor/display.h"
#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/journal.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/termutils_xq.h"
#include "editor/terminal_xq.h"

namespace zek {

static void commandkey() {
    cmdcur();
    fetchchar();
    rmcmdcur();
}

int getcmnd() {
    prmptpar(0);
    int savedtransb = transb;
    transb = 1;
    char letters[2] = {0, 0};
    int count = 0;
    while (count < 2) {
        commandkey();
        bool letter = (type == OP_DIGIT || type == OP_NAME);
        if (count == 0) {
            if (type == OP_RETURN) {
                transb = savedtransb;
                return -1;
            }
        } else if (type == OP_DELETE) {
            backspace();
            count = 0;
            continue;
        }
        if (letter) {
            letters[count++] = static_cast<char>(holdch);
            putcmdlett(holdch);
        }
    }
    transb = savedtransb;
    for (int i = 0; i < NUMCOMMANDS; i++) {
        const char* name = commands[i].name;
        if (strcmp(name, "**") == 0) break;
        if (name[0] == letters[0] && name[1] == letters[1]) {
            for (const char* p = name + 2; *p != 0; p++) putcmdlett(*p);
            putcmdlett(' ');
            return i;
        }
    }
    ringbell();
    diserr("Invalid Command Request");
    return -2;
}

void prcmnd() {
    int savedmode = mode;
    mode = 0;
    while (mode == 0) {
        cmdptr = getcmnd();
        if (cmdptr == -1) {
            mode = savedmode;
        } else if (cmdptr >= 0) {
            const CMDSPEC& command = commands[cmdptr];
            if (full && (command.sideffects & CF_FULL)) {
                diserr("files full; command ignored");
            } else {
                stepbegin(false, true);
                if ((command.sideffects & CF_WARN) && cur().edited) progress("Warning: corefile not saved");
                if (command.prompt[0] != 0) progress(command.prompt);
                getparam();
                if (del != 2) command.checker();
                if (del != 2) command.cmdop();
                if (!(command.sideffects & CF_NORESULT)) vl_result[loopdepth] = (del == 2) ? 0 : 1;
                fixcursor();
                display();
                COREFILE& c = cur();
                if (command.sideffects & CF_LINE) c.curline = linenumber(corenum, c.lnptr);
                collectifneeded();
                stepend();
                putstats();
                if (command.sideffects & CF_NAME) putfname();
            }
        }
        clearhelp();
        xqtransmit("$Cx");
        shadow_ptr = 0;
    }
    mode = savedmode;
    prmptpar(mode);
}

}  // namespace zek
