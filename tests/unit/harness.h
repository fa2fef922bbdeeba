// Runs the editor in process on a fresh state: keys from a memory stream, forwarded output
// captured in memory, no terminal and no signal handlers.
#pragma once

#include <string>
#include <vector>

namespace zek {
struct coreline;
}

namespace zektest {

// Raised by the key source when the test's keys run out, so that a test never hangs.
struct EndOfInput {};

// Resets every module to its load-time state, points the key source at `keys` and output at
// a fresh memory buffer, and queues nothing.
void fresh(const std::string& keys = "");

// Replaces the remaining keys.
void setkeys(const std::string& keys);

// Ends the input (EndOfInput) once fetchchar has taken `n` more bytes, from the keys or from
// pushed strings, so that a script that loops for ever cannot hang a run. fresh() lifts it.
void keylimit(long n);

// Runs editor passes until the keys run out. Returns the number of passes made.
int runkeys(const std::string& keys);

// Everything forwarded to the front-end since the last call to fresh() or takeoutput().
std::string output();
std::string takeoutput();

// Every sequence handed to xqtransmit since the last call to fresh() or takesequences(),
// forwarded or not.
std::vector<std::string> takesequences();

// Reads keys with fetchchar until the keys run out (or `limit` keys were delivered) and
// describes them: the character for character keys (operations 2, 3, 4), "<n>" for any
// other operation number n.
std::string keytrace(int limit = 1000);

// Line n (1-based) of the current corefile; its header when there are fewer lines.
zek::coreline* line(int n);

// Text of line n (1-based) of corefile c, and the current corefile's line texts joined by "\n".
std::string linetext(int c, int n);
std::string coretext(int c);

// Puts text into the current corefile, replacing its contents: one line per "\n"-separated part.
void settext(const std::string& text);

// A scratch directory that is the working directory for its lifetime, then removed.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::string path;
    std::string saved;
};

// Fills corefile 2 with one line so that the live text leaves `room` positions below hiaddr.
void fillstore(long room);

// Checks the store's invariants; returns an empty string when they hold, else what is wrong.
std::string storeproblems();

}  // namespace zektest
