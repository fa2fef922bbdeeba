// What every fuzz target shares: the scratch directory with the example files, a fresh engine
// for each input, and the fence around processes, signals and files outside the directory.
#include "tests/fuzz/fuzzkit.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdarg.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "editor/getparam.h"
#include "editor/corutils.h"
#include "genra/uninstall.h"
#include "tests/unit/genrakit.h"
#include "tests/unit/harness.h"

namespace fs = std::filesystem;

namespace {

bool fenced = false;
std::string scratch;  // the scratch directory, absolute and ending with "/"
std::vector<std::pair<std::string, std::string>> fixture;  // relative name, contents

// A name the fenced editor may touch: relative, or inside the scratch directory, and without a
// ".." component.
bool allowed(const char* path) {
    if (!fenced) return true;
    if (path == nullptr) return false;
    std::string p = path;
    if (p == ".." || p.rfind("../", 0) == 0 || p.find("/../") != std::string::npos ||
        (p.size() >= 3 && p.compare(p.size() - 3, 3, "/..") == 0)) {
        return false;
    }
    return p[0] != '/' || p.compare(0, scratch.size(), scratch) == 0;
}

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int refuse(int why) {
    errno = why;
    return -1;
}

void readfixture(const fs::path& from, const std::string& as) {
    std::ifstream in(from, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    for (const auto& [name, contents] : fixture) {
        if (name == as) return;  // the first file of a name wins
    }
    fixture.emplace_back(as, bytes.str());
}

}  // namespace

// The fence: the editor's calls reach these before the C library's.
extern "C" {

// open and open64 take the mode only with O_CREAT (or O_TMPFILE); it is passed on either way.
#define ZEK_FUZZ_OPEN(name)                                                  \
    int name(const char* path, int flags, ...) {                             \
        va_list ap;                                                          \
        va_start(ap, flags);                                                 \
        mode_t mode = static_cast<mode_t>(va_arg(ap, int));                  \
        va_end(ap);                                                          \
        if (!allowed(path)) return refuse(EACCES);                           \
        return real<int (*)(const char*, int, ...)>(#name)(path, flags, mode); \
    }
ZEK_FUZZ_OPEN(open)
ZEK_FUZZ_OPEN(open64)
#undef ZEK_FUZZ_OPEN

int openat(int dir, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = static_cast<mode_t>(va_arg(ap, int));
    va_end(ap);
    if (fenced && (dir != AT_FDCWD || !allowed(path))) return refuse(EACCES);
    return real<int (*)(int, const char*, int, ...)>("openat")(dir, path, flags, mode);
}

int mkstemp(char* templ) {
    if (!allowed(templ)) return refuse(EACCES);
    return real<int (*)(char*)>("mkstemp")(templ);
}

int unlink(const char* path) {
    if (!allowed(path)) return refuse(EACCES);
    return real<int (*)(const char*)>("unlink")(path);
}

int remove(const char* path) {
    if (!allowed(path)) return refuse(EACCES);
    return real<int (*)(const char*)>("remove")(path);
}

int rename(const char* from, const char* to) {
    if (!allowed(from) || !allowed(to)) return refuse(EACCES);
    return real<int (*)(const char*, const char*)>("rename")(from, to);
}

int link(const char* from, const char* to) {
    if (!allowed(from) || !allowed(to)) return refuse(EACCES);
    return real<int (*)(const char*, const char*)>("link")(from, to);
}

int mkdir(const char* path, mode_t mode) {
    if (!allowed(path)) return refuse(EACCES);
    return real<int (*)(const char*, mode_t)>("mkdir")(path, mode);
}

int rmdir(const char* path) {
    if (!allowed(path)) return refuse(EACCES);
    return real<int (*)(const char*)>("rmdir")(path);
}

int truncate(const char* path, off_t length) {
    if (!allowed(path)) return refuse(EACCES);
    return real<int (*)(const char*, off_t)>("truncate")(path, length);
}

int chmod(const char* path, mode_t mode) {
    if (!allowed(path)) return refuse(EACCES);
    return real<int (*)(const char*, mode_t)>("chmod")(path, mode);
}

int chdir(const char* path) {
    if (fenced) return refuse(EACCES);
    return real<int (*)(const char*)>("chdir")(path);
}

pid_t fork() {
    if (fenced) return refuse(EAGAIN);
    return real<pid_t (*)()>("fork")();
}

pid_t vfork() {
    if (fenced) return refuse(EAGAIN);
    return real<pid_t (*)()>("fork")();
}

int system(const char* command) {
    if (fenced) return refuse(EAGAIN);
    return real<int (*)(const char*)>("system")(command);
}

FILE* popen(const char* command, const char* mode) {
    if (fenced) {
        errno = EAGAIN;
        return nullptr;
    }
    return real<FILE* (*)(const char*, const char*)>("popen")(command, mode);
}

int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                const posix_spawnattr_t* attrs, char* const argv[], char* const envp[]) {
    if (fenced) return EAGAIN;
    return real<decltype(&posix_spawn)>("posix_spawn")(pid, path, actions, attrs, argv, envp);
}

int posix_spawnp(pid_t* pid, const char* file, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attrs, char* const argv[], char* const envp[]) {
    if (fenced) return EAGAIN;
    return real<decltype(&posix_spawnp)>("posix_spawnp")(pid, file, actions, attrs, argv, envp);
}

// The pause key sleeps three seconds by design: a fuzzed script presses it often.
unsigned int sleep(unsigned int seconds) {
    if (fenced) return 0;
    return real<unsigned int (*)(unsigned int)>("sleep")(seconds);
}

int kill(pid_t pid, int sig) {
    if (fenced) return refuse(ESRCH);
    return real<int (*)(pid_t, int)>("kill")(pid, sig);
}

}  // extern "C"

namespace zekfuzz {

// A relative name made absolute from the working directory; the text lives as long as the
// process, as the fuzzer's arguments do.
static char* absolute(const std::string& option, const char* name) {
    static std::deque<std::string> kept;
    fs::path path = name;
    kept.push_back(option + (path.is_absolute() || path.empty() ? path : fs::current_path() / path).string());
    return kept.back().data();
}

void setup(int* argc, char*** argv, bool casefiles) {
    if (!scratch.empty()) return;
    for (int i = 1; argc != nullptr && i < *argc; i++) {
        char*& arg = (*argv)[i];
        if (arg[0] != '-') {
            arg = absolute("", arg);
            continue;
        }
        for (const char* option : {"-dict=", "-artifact_prefix=", "-exact_artifact_path=",
                                   "-merge_control_file=", "-features_dir="}) {
            size_t n = strlen(option);
            if (strncmp(arg, option, n) == 0) arg = absolute(option, arg + n);
        }
    }
    // A memory file system where there is one: every input lays its files anew. The folders
    // of runs that ended in a crash (which skips the removal at exit) go first.
    fs::path base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    for (const auto& entry : fs::directory_iterator(base)) {
        std::string n = entry.path().filename().string();
        int pid = 0;
        if (sscanf(n.c_str(), "zekfuzz-%d-", &pid) == 1 && pid > 0 && real<int (*)(pid_t, int)>("kill")(pid, 0) != 0 &&
            errno == ESRCH) {
            std::error_code ignored;
            fs::remove_all(entry.path(), ignored);
        }
    }
    std::string templ = (base / ("zekfuzz-" + std::to_string(getpid()) + "-XXXXXX")).string();
    char* name = templ.data();
    if (mkdtemp(name) == nullptr) abort();
    char* resolved = realpath(name, nullptr);
    if (resolved == nullptr || chdir(resolved) != 0) abort();
    scratch = std::string(resolved) + "/";
    free(resolved);
    // The directory goes when the process ends, however it ends short of a crash.
    atexit([] { fs::remove_all(scratch); });
    if (freopen("/dev/null", "w", stdout) == nullptr) abort();

    fs::path source = ZEK_SOURCE_DIR;
    for (const auto& entry : fs::directory_iterator(source / "examples" / "grammar")) {
        // under both names: a grammar file's %INCLUDE names its neighbour as a plain name
        readfixture(entry.path(), "examples/grammar/" + entry.path().filename().string());
        readfixture(entry.path(), entry.path().filename().string());
    }
    readfixture(source / "examples" / "welcome.txt", "welcome.txt");
    // The files of the end-to-end cases, so that their key scripts (the key source's seeds)
    // find what they fetch; the first case holding a name gives its contents.
    if (!casefiles) return;
    std::vector<fs::path> cases;
    for (const auto& entry : fs::directory_iterator(source / "tests" / "e2e" / "cases")) cases.push_back(entry.path());
    std::sort(cases.begin(), cases.end());
    for (const fs::path& c : cases) {
        if (!fs::is_directory(c / "files")) continue;
        for (const auto& entry : fs::directory_iterator(c / "files")) {
            if (entry.is_regular_file() && entry.file_size() < 65536) {
                readfixture(entry.path(), entry.path().filename().string());
            }
        }
    }
}

// Lays the fixture anew, touching only what the last input changed: a file of the fixture that
// is not as it was laid is written again, and every other entry goes.
static void layfixture() {
    static std::map<std::string, struct stat> laid;
    auto same = [](const struct stat& a, const struct stat& b) {
        return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
               a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_mode == b.st_mode;
    };
    std::vector<std::pair<fs::path, bool>> extra;  // and whether it is a folder
    for (auto it = fs::recursive_directory_iterator(scratch); it != fs::recursive_directory_iterator(); ++it) {
        std::string name = it->path().string().substr(scratch.size());
        struct stat st;
        if (lstat(it->path().c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode) && (name == "examples" || name == "examples/grammar")) continue;
        auto known = laid.find(name);
        if (S_ISREG(st.st_mode) && known != laid.end() && same(known->second, st)) continue;
        extra.emplace_back(it->path(), S_ISDIR(st.st_mode));
        if (S_ISDIR(st.st_mode)) it.disable_recursion_pending();
    }
    for (const auto& [p, folder] : extra) {
        if (folder) fs::permissions(p, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(p);
        laid.erase(p.string().substr(scratch.size()));
    }
    fs::create_directories(scratch + "examples/grammar");
    for (const auto& [name, contents] : fixture) {
        if (laid.count(name) != 0) continue;
        writefile(name.c_str(), contents);
        struct stat st;
        if (stat(name.c_str(), &st) == 0) laid[name] = st;
    }
}

Input::Input(long keys, bool reset) {
    setup(nullptr, nullptr);
    layfixture();
    if (reset) zektest::fresh();
    zektest::keylimit(keys);
    fenced = true;
}

Input::~Input() { fenced = false; }

void writefile(const char* name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void runcommand(void (*operation)(), const char* file) {
    snprintf(zek::curfile, sizeof zek::curfile, "%s", file);
    operation();
}

void loadexamples(const std::vector<const char*>& kinds) {
    static const struct {
        const char* kind;
        void (*operation)();
        const char* file;
    } table[] = {
        {"AT", zek::qreadattr, "english.att"},  {"TM", zek::qreadterm, "english.tmn"},
        {"LE", zek::qreadlex, "english.lex"},   {"SY", zek::qreadsyn, "english.syn"},
        {"MO", zek::qreadmorph, "english.mor"}, {"TB", zek::qreadtables, "english.tbl"},
        {"IP", zek::qreadipa, "english.ipa"},   {"MR", zek::qreadmerror, "english.mer"},
        {"TG", zek::qreadtag, "english.tag"},   {"SM", zek::qreadsem, "english.sem"},
        {"LX", zek::qreadtrans, "english.ltr"},
    };
    for (const char* kind : kinds) {
        for (const auto& row : table) {
            if (strcmp(row.kind, kind) != 0) continue;
            std::string path = std::string("examples/grammar/") + row.file;
            runcommand(row.operation, path.c_str());
        }
    }
    zektest::report();  // what the loads said goes
}

void show(const std::vector<int>& corefiles) {
    if (getenv("ZEK_FUZZ_SHOW") == nullptr) return;
    for (int c : corefiles) fprintf(stderr, "corefile %d:\n%s\n", c, zektest::coretext(c).c_str());
}

}  // namespace zekfuzz
