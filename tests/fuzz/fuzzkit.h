// What every fuzz target shares: a scratch directory holding the example files, a fresh
// engine for each input, and a fence around what the editor may do to the machine meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zekfuzz {

// Once per process: makes the scratch directory the working directory, sends the editor's
// own standard output to /dev/null and reads the fixture files into memory: the example
// grammar, the welcome text and, with `casefiles`, the files of the end-to-end cases. The
// fuzzer's arguments that name files or folders are made absolute first, so that they still
// name them from the scratch directory.
void setup(int* argc, char*** argv, bool casefiles = false);

// For one input: lays the fixture files anew in the scratch directory (whatever the last
// input left there goes), resets every module of the engine, fences the process (below) and
// bounds the keys fetchchar may take. The destructor takes the fence down.
//
// While an Input lives, no process is started (fork, exec, system, posix_spawn fail with
// EAGAIN), no signal is sent, the working directory stays, sleep returns at once, and files
// are opened, made, renamed or removed only inside the scratch directory: a fuzzed key script
// may type SHELL, RUN, CD, DELETE or OVERWRITE with any name, or the pause key.
// With `reset` false the engine is left as the last input left it (a target whose setup is
// too dear to repeat resets what it uses itself).
struct Input {
    explicit Input(long keys = 20000, bool reset = true);
    ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
};

// The fuzzer's bytes as a string.
inline std::string text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Runs a command's operation on a file parameter, as the command line would after its checks.
void runcommand(void (*operation)(), const char* file);

// Writes bytes to a file of the scratch directory.
void writefile(const char* name, const std::string& bytes);

// Loads the example grammar's files of the given kinds, in the order given ("AT", "TM",
// "LE", "SY", "MO", "TB", "IP", "MR", "TG", "SM", "LX").
void loadexamples(const std::vector<const char*>& kinds);

// With ZEK_FUZZ_SHOW set in the environment, writes the lines of the corefiles named to
// standard error: what a target did with an input, for whoever replays it.
void show(const std::vector<int>& corefiles);

}  // namespace zekfuzz
