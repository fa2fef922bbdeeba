// genra serve: what its parent process and its workers share. The parent reads the options,
// the signing key, the exercise and the page, reserves the address and forks the workers;
// each worker serves HTTP with its own single-threaded engine (api.cpp).
#pragma once

#include <pthread.h>

#include <cstdint>
#include <map>
#include <string>

namespace zek {

constexpr size_t SECRETLEAST = 16;       // bytes of a signing key given to the server
constexpr size_t SESSIONMAX = 512;       // characters of a session token that is read at all
constexpr int LIMITSLOTS = 8192;         // clients whose request rates are followed at once

struct serve_options {
    std::string host = "127.0.0.1";
    int port = 8080;
    int workers = 0;              // 0: one per core
    int threads = 128;            // connections a worker serves at once
    std::string key;              // the signing key of session tokens
    long sessionttl = 3 * 3600;   // seconds a session lives without being used
    double rate = 50;             // requests a second per client (0: no limit)
    double sessions = 120;        // new sessions a minute per client (0: no limit)
    size_t maxbody = 8192;        // bytes of a request body
    bool trustproxy = false;      // the client is the last address of X-Forwarded-For
    int parent = 0;               // the parent's process id: a worker never outlives it
    int ready = -1;               // a worker writes a byte here once it listens
    std::map<std::string, std::string> explain;  // the exercise's words for values and tags
    std::map<std::string, std::pair<std::string, std::string>> pages;  // path: type, content
};

// The request rates of clients, in memory shared by all workers of a server so that a limit
// holds whichever worker a request reaches. A fixed table: a client not seen for a while
// gives its slot to a new one, so the memory never grows.
struct client_slot {
    uint64_t client = 0;   // a hash of the address; 0: free
    double requests = 0;   // tokens left for requests
    double sessions = 0;   // tokens left for new sessions
    double last = 0;       // when the slot was last used (seconds, monotonic)
};
struct rate_table {
    pthread_mutex_t lock;
    client_slot slots[LIMITSLOTS];
};

// Makes the shared table (before the workers are forked). nullptr when it cannot be had.
rate_table* make_rate_table();

// Serves HTTP on the address that the parent reserved, until SIGTERM. `number` names the
// worker in the X-Genra-Worker header. Returns the process' exit status.
int run_worker(const serve_options& o, rate_table* limits, int number);

}  // namespace zek
