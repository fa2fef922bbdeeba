// genra serve: the exercise for learners' browsers. The parent process reads the options, the
// signing key, the exercise grammar (loaded once, before the workers are forked, so each
// starts with the engine ready) and the page; it reserves the address, forks the workers, which
// listen on it together (SO_REUSEPORT), starts another worker when one dies, and stops them all
// on SIGTERM or SIGINT.
#include <fcntl.h>
#include <getopt.h>
#include <netdb.h>
#include <openssl/rand.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "editor/sys_linux.h"
#include "genra/cli/cli.h"
#include "genra/cli/serve.h"
#include "genra/feedback.h"

namespace zek {

static const char usage[] =
    "usage: genra serve [-h] [--host H] [--port P] [--workers N] [--secret-file F] [--web DIR]\n"
    "                   [--rate R] [--sessions S] [--session-ttl T] [--max-body B] [--threads N]\n"
    "                   [--trust-proxy] [GRAMMAR]";

static void help() {
    printf("%s\n\n"
           "Serves the exercise of GRAMMAR (a grammar folder or a manifest file with the roots\n"
           "QUESTION and ANSWER) to learners' browsers: the page at http://HOST:PORT/ and its JSON\n"
           "API, POST /api/question and POST /api/answer (docs/serve.md). Without GRAMMAR: %s.\n\n"
           "Sessions are signed with the key in GENRA_SECRET or in the file named by --secret-file\n"
           "(at least 16 characters; servers that share the key share their learners); without\n"
           "either the server makes a key of its own, and its sessions end with it.\n\n"
           "options:\n"
           "  --host H          the address to listen on (default 127.0.0.1: this machine only)\n"
           "  --port P          the port (default 8080; 0 takes a free one, shown at start)\n"
           "  --workers N       worker processes, each with its own engine (default: one per core)\n"
           "  --secret-file F   the file that holds the signing key\n"
           "  --web DIR         the folder of the page (default: %s)\n"
           "  --rate R          requests a second per client, in bursts of up to 4R (default 50;\n"
           "                    0: no limit); past it the answer is 429\n"
           "  --sessions S      new sessions a minute per client (default 120; 0: no limit)\n"
           "  --session-ttl T   seconds a session lives without being used (default 10800)\n"
           "  --max-body B      bytes of a request body (default 8192); past it the answer is 413\n"
           "  --threads N       connections a worker serves at once (default 128)\n"
           "  --trust-proxy     behind a proxy: the client is the last address of X-Forwarded-For\n"
           "  -h, --help        this text\n\n"
           "exit status: 0 stopped by SIGTERM or SIGINT, 1 the grammar, the page or the address\n"
           "cannot be used, 2 a wrong command line\n",
           usage, default_exercise().c_str(), ZEK_WEB);
}

// The page's folder: web/ of the working directory when it is the source tree's root.
static std::string default_web() {
    FILE* f = fopenregular("web/index.html", "r");
    if (f == nullptr) return ZEK_WEB;
    fclose(f);
    return "web";
}

// A whole file into `out`, at most `most` bytes; false when it cannot be read or is larger.
static bool readfile(const std::string& name, size_t most, std::string& out) {
    FILE* f = fopenregular(name.c_str(), "r");
    if (f == nullptr) return false;
    out.clear();
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) {
        out.append(buffer, n);
        if (out.size() > most) break;
    }
    bool ok = !ferror(f) && out.size() <= most;
    fclose(f);
    return ok;
}

// The address, reserved: bound but not listening, so that no other program takes it while
// the workers bind it beside each other. -1 with a message when it cannot be had.
static int reserve(serve_options& o) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    std::string port = std::to_string(o.port);
    if (int e = getaddrinfo(o.host.c_str(), port.c_str(), &hints, &found)) {
        fprintf(stderr, "genra serve: %s: %s\n", o.host.c_str(), gai_strerror(e));
        return -1;
    }
    int fd = socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
    int on = 1;
    if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // Bound alone first, so that an address another server listens on (this one's kind too)
    // is refused; then open to the workers.
    if (fd < 0 || bind(fd, found->ai_addr, found->ai_addrlen) != 0 ||
        setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on) != 0) {
        fprintf(stderr, "genra serve: cannot listen on %s port %d: %s\n", o.host.c_str(), o.port, strerror(errno));
        if (fd >= 0) close(fd);
        freeaddrinfo(found);
        return -1;
    }
    freeaddrinfo(found);
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    o.port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                               : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return fd;
}

namespace {

struct parent {
    serve_options& o;
    rate_table* limits;
    int reserved;
    sigset_t handled;
    std::vector<pid_t> workers;
    std::vector<time_t> deaths;  // when workers died, to tell a fault at start from bad luck

    pid_t start(int number, int ready) {
        fflush(stdout);
        fflush(stderr);
        pid_t pid = fork();
        if (pid != 0) return pid;
        close(reserved);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_IGN);
        o.ready = ready;
        _exit(run_worker(o, limits, number));
    }

    void stopall() {
        for (pid_t pid : workers) {
            if (pid > 0) kill(pid, SIGTERM);
        }
        timespec wait{5, 0};
        time_t until = time(nullptr) + 5;
        for (;;) {
            pid_t pid;
            while ((pid = waitpid(-1, nullptr, WNOHANG)) > 0) {
                for (pid_t& w : workers) {
                    if (w == pid) w = 0;
                }
            }
            bool left = false;
            for (pid_t w : workers) left = left || w > 0;
            if (!left) return;
            if (time(nullptr) >= until) break;
            sigset_t child;
            sigemptyset(&child);
            sigaddset(&child, SIGCHLD);
            sigtimedwait(&child, nullptr, &wait);
        }
        for (pid_t w : workers) {
            if (w > 0) kill(w, SIGKILL);
        }
        while (waitpid(-1, nullptr, 0) > 0) {
        }
    }

    // Waits for signals: a worker that died is replaced; SIGTERM, SIGINT and SIGHUP stop all.
    int watch() {
        for (;;) {
            siginfo_t info;
            int sig = sigwaitinfo(&handled, &info);
            if (sig < 0) continue;
            if (sig != SIGCHLD) {
                fprintf(stderr, "genra serve: stopping\n");
                stopall();
                return 0;
            }
            int status;
            pid_t pid;
            while ((pid = waitpid(-1, &status, WNOHANG)) > 0) {
                for (size_t k = 0; k < workers.size(); k++) {
                    if (workers[k] != pid) continue;
                    if (WIFSIGNALED(status)) {
                        fprintf(stderr, "genra serve: worker %zu (process %d) was ended by signal %d; starting another\n",
                                k + 1, pid, WTERMSIG(status));
                    } else {
                        fprintf(stderr, "genra serve: worker %zu (process %d) ended with status %d; starting another\n",
                                k + 1, pid, WEXITSTATUS(status));
                    }
                    time_t now = time(nullptr);
                    deaths.push_back(now);
                    size_t recent = 0;
                    for (time_t d : deaths) recent += now - d < 10 ? 1 : 0;
                    if (recent > 2 * workers.size() + 3) {
                        fprintf(stderr, "genra serve: the workers keep dying; stopping\n");
                        workers[k] = 0;
                        stopall();
                        return 1;
                    }
                    workers[k] = start(static_cast<int>(k) + 1, -1);
                }
            }
        }
    }
};

}  // namespace

int serve_main(int argc, char** argv) {
    static const option options[] = {{"help", no_argument, nullptr, 'h'},
                                     {"host", required_argument, nullptr, 'H'},
                                     {"port", required_argument, nullptr, 'p'},
                                     {"workers", required_argument, nullptr, 'w'},
                                     {"secret-file", required_argument, nullptr, 'k'},
                                     {"web", required_argument, nullptr, 'W'},
                                     {"rate", required_argument, nullptr, 'r'},
                                     {"sessions", required_argument, nullptr, 's'},
                                     {"session-ttl", required_argument, nullptr, 't'},
                                     {"max-body", required_argument, nullptr, 'b'},
                                     {"threads", required_argument, nullptr, 'T'},
                                     {"trust-proxy", no_argument, nullptr, 'x'},
                                     {nullptr, 0, nullptr, 0}};
    serve_options o;
    std::string secretfile, web;
    bool secretgiven = false;
    opterr = 0;
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, "+:h", options, nullptr)) != -1;) {
        unsigned long v = 0;
        auto number = [&](const char* flag, unsigned long low, unsigned long high) {
            return number_option("serve", usage, flag, optarg, low, high, &v);
        };
        switch (c) {
            case 'h': help(); return 0;
            case 'H':
                if (*optarg == 0) return usage_error("serve", usage, "--host needs an address");
                o.host = optarg;
                break;
            case 'p': if (!number("--port", 0, 65535)) return EXIT_USAGE; o.port = static_cast<int>(v); break;
            case 'w': if (!number("--workers", 1, 64)) return EXIT_USAGE; o.workers = static_cast<int>(v); break;
            case 'T': if (!number("--threads", 1, 1024)) return EXIT_USAGE; o.threads = static_cast<int>(v); break;
            case 'r': if (!number("--rate", 0, 1000000)) return EXIT_USAGE; o.rate = static_cast<double>(v); break;
            case 's': if (!number("--sessions", 0, 1000000)) return EXIT_USAGE; o.sessions = static_cast<double>(v); break;
            case 't': if (!number("--session-ttl", 1, 2592000)) return EXIT_USAGE; o.sessionttl = static_cast<long>(v); break;
            case 'b': if (!number("--max-body", 256, 1048576)) return EXIT_USAGE; o.maxbody = v; break;
            case 'k': secretfile = optarg; break;
            case 'W': web = optarg; break;
            case 'x': o.trustproxy = true; break;
            default: return option_error("serve", usage, c, argv);
        }
    }
    if (argc - optind > 1) return usage_error("serve", usage, "one grammar at most");

    // The signing key: a file, the environment, or one made now.
    if (!secretfile.empty()) {
        if (!readfile(secretfile, 4096, o.key)) {
            fprintf(stderr, "genra serve: cannot read the secret file %s: %s\n", secretfile.c_str(),
                    errno == EINVAL ? "not a regular file" : errno != 0 ? strerror(errno) : "larger than 4096 bytes");
            return EXIT_FOUND;
        }
        while (!o.key.empty() && strchr("\r\n", o.key.back()) != nullptr) o.key.pop_back();
        secretgiven = true;
    } else if (const char* env = getenv("GENRA_SECRET")) {
        o.key = env;
        secretgiven = true;
    }
    if (secretgiven && o.key.size() < SECRETLEAST) {
        return usage_error("serve", usage, "the secret must have at least 16 characters");
    }
    if (!secretgiven) {
        unsigned char made[32];
        if (RAND_bytes(made, sizeof made) != 1) {
            fprintf(stderr, "genra serve: cannot make a signing key\n");
            return EXIT_FOUND;
        }
        o.key.assign(reinterpret_cast<const char*>(made), sizeof made);
        fprintf(stderr,
                "genra serve: note: no GENRA_SECRET or --secret-file, so the sessions are signed with a key made now:\n"
                "  they end when this server stops, and no other server can take them over\n");
    }

    // The page, read once: a worker never opens a file.
    static const char* const pages[][2] = {{"index.html", "text/html; charset=utf-8"},
                                           {"exercise.css", "text/css; charset=utf-8"},
                                           {"exercise.js", "text/javascript; charset=utf-8"}};
    if (web.empty()) web = default_web();
    for (const auto& p : pages) {
        std::string content, path = web + "/" + p[0];
        if (!readfile(path, 1 << 20, content)) {
            fprintf(stderr, "genra serve: cannot read the page's file %s\n", path.c_str());
            return EXIT_FOUND;
        }
        o.pages[std::string("/") + p[0]] = {p[1], content};
    }

    grammar_manifest m;
    if (int status = load_exercise(optind < argc ? argv[optind] : default_exercise(), m)) return status;
    o.explain = explanations(m);

    if (o.workers == 0) {
        long cores = sysconf(_SC_NPROCESSORS_ONLN);
        o.workers = cores < 1 ? 1 : cores > 64 ? 64 : static_cast<int>(cores);
    }
    int reserved = reserve(o);
    if (reserved < 0) return EXIT_FOUND;
    rate_table* limits = make_rate_table();
    if (limits == nullptr) {
        fprintf(stderr, "genra serve: no shared memory for the rate limits: %s\n", strerror(errno));
        return EXIT_FOUND;
    }
    o.parent = static_cast<int>(getpid());

    parent p{o, limits, reserved, {}, {}, {}};
    sigemptyset(&p.handled);
    for (int sig : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&p.handled, sig);
    sigprocmask(SIG_BLOCK, &p.handled, nullptr);
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        fprintf(stderr, "genra serve: %s\n", strerror(errno));
        return EXIT_FOUND;
    }
    for (int k = 1; k <= o.workers; k++) p.workers.push_back(p.start(k, ready[1]));
    close(ready[1]);
    // Each worker says when it listens; the address is announced when all do.
    int listening = 0;
    char byte;
    while (listening < o.workers && read(ready[0], &byte, 1) == 1) listening++;
    close(ready[0]);
    if (listening < o.workers) {
        fprintf(stderr, "genra serve: the workers could not start\n");
        p.stopall();
        return EXIT_FOUND;
    }
    bool v6 = o.host.find(':') != std::string::npos;
    printf("genra serve: http://%s%s%s:%d/ with %d worker%s\n", v6 ? "[" : "", o.host.c_str(), v6 ? "]" : "", o.port,
           o.workers, o.workers == 1 ? "" : "s");
    fflush(stdout);
    return p.watch();
}

}  // namespace zek
