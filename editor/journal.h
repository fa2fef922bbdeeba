// The undo journal: for every corefile, the steps that changed its lines, as recorded by the
// line store's own primitives (a line inserted, removed or changed), and the undo and redo keys.
#pragma once

#include "editor/corutils.h"
#include "editor/scrin.h"

namespace zek {

constexpr long UNDOLIMIT = 500000;  // bytes of history by default (and at most the free store)

extern long undolimit;   // bytes the journal may hold; 0: nothing is recorded
extern unsigned jserial;  // the step being recorded: lines it inserted or recorded carry it

void initjournal();

// What the step boundaries look at on every key, kept together so that the common case (one
// more key of a run of typing, in a corefile already marked edited) is decided inline.
struct journalpace {
    long reads = -1;       // keyreads at the last step boundary
    int core = -1;         // the corefile of the last key operation
    bool typing = false;   // it was typing or rubout, with the journal on and nothing held
    bool rename = false;   // a command or undo ran: flags and file names may have changed
    unsigned touched = 0;  // corefiles with a step open in this step
    unsigned settled = 0;  // corefiles found edited since the last command: keys leave them so
    long bytes = 0;        // bytes the journal holds
    long bound = 0;        // the bound as it was when the step began
};
extern journalpace jpace;

void stepopen(bool typing, bool command);
void stepclose();

// Step boundaries. Every key operation and every command begins a step, except that a run of
// typing and rubout on one line is one step, and so is everything that comes from one pushed
// string (a procedure, a function key, a script loop). stepend follows each of them.
inline void stepbegin(bool typing, bool command = false) {
    // the next key of a run: the line it types on was recorded in the step still open
    if (typing && jpace.typing && corenum == jpace.core && cur().lnptr->jstamp == jserial) {
        jpace.reads = keyreads;
        return;
    }
    stepopen(typing, command);
}
inline void stepend() {
    // nothing to look at when no corefile that may be unedited was changed and the bound holds
    if (((jpace.touched & ~jpace.settled) | static_cast<unsigned>(jpace.rename)) == 0 && jpace.bytes <= jpace.bound) return;
    stepclose();
}
// Every corefile's history is dropped; the present texts are where undo stops.
void journalforget();
// Nothing is recorded while `keys` (a pushed string) is being read: the start-up fetch.
void journalhold(const char* keys);

// The line store's notices, for lines of the current corefile, given before the change.
void jnoteinsert(LINE* after, int count);    // `count` lines are to follow `after`
void jnoteremove(LINE* first, int count);    // `count` lines from `first` are to go
void jnotechange(LINE* l);                    // l's characters, length or kind are to change

// The undo (ESC Z) and redo (ESC W) keys, on the current corefile.
void undo();
void redo();
// The EDITOR OPTION that bounds the history: `kilobytes` thousand bytes, 0 for none.
void setundolimit(long kilobytes);

// For tests and the bound: steps that undo and redo can take in corefile n, and the bytes held.
int undosteps(int n);
int redosteps(int n);
long journalbytes();

}  // namespace zek
