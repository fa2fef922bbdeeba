// A worker of genra serve: the learner's page and the JSON API over HTTP, with its own engine.
// A learner's session is a signed token that holds all there is to know of it (the seed of the
// question's run, a digest of that run's sentences, the score), so any worker of any server
// with the same key and exercise answers any request.
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <httplib.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "genra/cli/serve.h"
#include "genra/feedback.h"

namespace zek {

using json = nlohmann::ordered_json;

namespace {

// ---- session tokens: "1.ISSUED.SEED.ASKED.RIGHT.ANSWERED.DIGEST.SIGNATURE" ----

struct session_state {
    long issued = 0;             // seconds since the epoch: sessions expire by it
    unsigned long seed = 0;      // of the question's run
    unsigned long asked = 0, right = 0;
    bool answered = false;       // the question has been answered (and counted)
    std::string digest;          // of the run's sentences
};

std::string base64url(const unsigned char* data, size_t n) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    for (size_t i = 0; i < n; i += 3) {
        uint32_t v = static_cast<uint32_t>(data[i]) << 16;
        if (i + 1 < n) v |= static_cast<uint32_t>(data[i + 1]) << 8;
        if (i + 2 < n) v |= data[i + 2];
        for (size_t k = 0; k < 4 && k <= n - i; k++) out += digits[(v >> (18 - 6 * k)) & 63];
    }
    return out;
}

std::string signature(const std::string& key, const std::string& payload) {
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(payload.data()),
         payload.size(), mac, &length);
    return base64url(mac, length);
}

std::string make_token(const std::string& key, const session_state& s) {
    std::string payload = "1." + std::to_string(s.issued) + "." + std::to_string(s.seed) + "." + std::to_string(s.asked) +
                          "." + std::to_string(s.right) + "." + (s.answered ? "1" : "0") + "." + s.digest;
    return payload + "." + signature(key, payload);
}

bool digits(const std::string& text, size_t most, unsigned long* value) {
    if (text.empty() || text.size() > most || text.find_first_not_of("0123456789") != std::string::npos) return false;
    *value = strtoul(text.c_str(), nullptr, 10);
    return true;
}

// Reads a token signed with `key` and not older than `ttl` seconds; otherwise says why not.
bool read_token(const std::string& key, long ttl, const std::string& token, session_state& s, std::string& why) {
    why = "unknown session: start a new one";
    if (token.size() > SESSIONMAX) return false;
    size_t dot = token.rfind('.');
    if (dot == std::string::npos) return false;
    std::string payload = token.substr(0, dot), mac = token.substr(dot + 1), expected = signature(key, payload);
    if (mac.size() != expected.size() || CRYPTO_memcmp(mac.data(), expected.data(), mac.size()) != 0) return false;
    std::vector<std::string> f;
    for (size_t at = 0;;) {
        size_t next = payload.find('.', at);
        f.push_back(payload.substr(at, next == std::string::npos ? std::string::npos : next - at));
        if (next == std::string::npos) break;
        at = next + 1;
    }
    unsigned long issued = 0, answered = 0;
    if (f.size() != 7 || f[0] != "1" || !digits(f[1], 12, &issued) || !digits(f[2], 10, &s.seed) ||
        !digits(f[3], 10, &s.asked) || !digits(f[4], 10, &s.right) || !digits(f[5], 1, &answered) || answered > 1 ||
        f[6].size() != 16) {
        return false;
    }
    s.issued = static_cast<long>(issued);
    s.answered = answered == 1;
    s.digest = f[6];
    long now = static_cast<long>(time(nullptr));
    if (s.issued > now + 60) return false;  // no server of ours made it
    if (now - s.issued > ttl) {
        why = "this session has expired: start a new one";
        return false;
    }
    return true;
}

// ---- per-client limits in the shared table ----

double now_seconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

uint64_t client_key(const std::string& address) {
    uint64_t h = 14695981039346656037ULL;
    for (char c : address) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return h == 0 ? 1 : h;
}

class tablelock {
public:
    explicit tablelock(rate_table* t) : table(t) {
        // A worker that died holding the lock leaves the table as it was: good enough to go on.
        if (pthread_mutex_lock(&table->lock) == EOWNERDEAD) pthread_mutex_consistent(&table->lock);
    }
    ~tablelock() { pthread_mutex_unlock(&table->lock); }
    tablelock(const tablelock&) = delete;
    tablelock& operator=(const tablelock&) = delete;

private:
    rate_table* table;
};

// Takes one request (and, for a new session, one session) from the client's allowance; the
// text of the refusal when there is none left.
const char* take_allowance(rate_table* t, const serve_options& o, uint64_t client, bool newsession) {
    if (t == nullptr || (o.rate <= 0 && (o.sessions <= 0 || !newsession))) return nullptr;
    const double now = now_seconds();
    const double burst = o.rate * 4, sessionburst = o.sessions;
    tablelock lock(t);
    // Eight slots a client may take; a new client takes a free one or the one idle longest.
    client_slot* slot = nullptr;
    client_slot* oldest = nullptr;
    for (int k = 0; k < 8 && slot == nullptr; k++) {
        client_slot& s = t->slots[(client + static_cast<uint64_t>(k)) % LIMITSLOTS];
        if (s.client == client) slot = &s;
        if (oldest == nullptr || s.client == 0 || (oldest->client != 0 && s.last < oldest->last)) oldest = &s;
    }
    if (slot == nullptr) {
        slot = oldest;
        *slot = client_slot{client, burst, sessionburst, now};
    }
    double elapsed = std::max(0.0, now - slot->last);
    slot->last = now;
    slot->requests = std::min(burst, slot->requests + elapsed * o.rate);
    slot->sessions = std::min(sessionburst, slot->sessions + elapsed * o.sessions / 60);
    if (o.rate > 0) {
        if (slot->requests < 1) return "too many requests: wait a moment";
        slot->requests -= 1;
    }
    if (newsession && o.sessions > 0) {
        if (slot->sessions < 1) return "too many new sessions from your address: wait a minute";
        slot->sessions -= 1;
    }
    return nullptr;
}

// ---- the worker ----

struct worker {
    const serve_options& o;
    rate_table* limits;
    // The engine is single-threaded: one request at a time uses it. A plain mutex, not one
    // that hands on in order: measured, it serves a fifth more rounds, and at the rates a
    // server is meant for its slowest answers stay well under 50 ms (docs/serve.md).
    std::mutex engine;

    static void reply(httplib::Response& res, int status, const json& body) {
        res.status = status;
        res.set_header("Cache-Control", "no-store");
        res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json; charset=utf-8");
    }

    static void refuse(httplib::Response& res, int status, const std::string& message) {
        reply(res, status, json{{"error", message}});
    }

    std::string client(const httplib::Request& req) const {
        if (o.trustproxy) {
            std::string forwarded = req.get_header_value("X-Forwarded-For");
            size_t comma = forwarded.rfind(',');
            std::string last = comma == std::string::npos ? forwarded : forwarded.substr(comma + 1);
            last.erase(0, last.find_first_not_of(' '));
            if (!last.empty()) return last;
        }
        return req.remote_addr;
    }

    // False (and the 429 sent) when the client has used up its allowance.
    bool allowed(const httplib::Request& req, httplib::Response& res, bool newsession) {
        const char* why = take_allowance(limits, o, client_key(client(req)), newsession);
        if (why == nullptr) return true;
        res.set_header("Retry-After", newsession ? "60" : "1");
        refuse(res, 429, why);
        return false;
    }

    // The body as a JSON object, or the 400 sent.
    static bool object(const httplib::Request& req, httplib::Response& res, json& body) {
        body = req.body.empty() ? json::object() : json::parse(req.body, nullptr, false);
        if (body.is_object()) return true;
        refuse(res, 400, "the body must be a JSON object");
        return false;
    }

    static bool text(const json& body, const char* field, std::string& out) {
        auto f = body.find(field);
        if (f == body.end() || !f->is_string()) return false;
        out = f->get<std::string>();
        return true;
    }

    static json score(const session_state& s) { return json{{"right", s.right}, {"asked", s.asked}}; }

    static unsigned long newseed() {
        unsigned char b[4];
        if (RAND_bytes(b, sizeof b) != 1) return (static_cast<unsigned long>(time(nullptr)) * 2654435761UL & 0xffffffffUL) | 1;
        return (static_cast<unsigned long>(b[0]) << 24 | static_cast<unsigned long>(b[1]) << 16 |
                static_cast<unsigned long>(b[2]) << 8 | b[3]) | 1;
    }

    void question(const httplib::Request& req, httplib::Response& res) {
        json body;
        if (!object(req, res, body)) return;
        session_state s;
        std::string token, why;
        bool fresh = !body.contains("session");
        if (!fresh && !text(body, "session", token)) return refuse(res, 400, "the session must be text");
        if (!allowed(req, res, fresh)) return;
        if (!fresh && !read_token(o.key, o.sessionttl, token, s, why)) return refuse(res, 404, why);
        exercise_question q;
        bool made;
        {
            std::lock_guard<std::mutex> hold(engine);
            made = make_question(newseed(), q);
        }
        if (!made) return refuse(res, 503, "the grammar made no question: try again");
        s.issued = static_cast<long>(time(nullptr));
        s.seed = q.seed;
        s.answered = false;
        s.digest = run_digest(q);
        reply(res, 200, json{{"session", make_token(o.key, s)}, {"question", latin1_to_utf8(q.question)}, {"score", score(s)}});
    }

    void answer(const httplib::Request& req, httplib::Response& res) {
        json body;
        if (!object(req, res, body)) return;
        std::string token, answer, why;
        if (!text(body, "session", token) || !text(body, "answer", answer)) {
            return refuse(res, 400, "the request needs a session and an answer, both text");
        }
        if (!allowed(req, res, false)) return;
        session_state s;
        if (!read_token(o.key, o.sessionttl, token, s, why)) return refuse(res, 404, why);
        answer_feedback f;
        {
            std::lock_guard<std::mutex> hold(engine);
            exercise_question q;
            if (!make_question(s.seed, q) || run_digest(q) != s.digest) {
                return refuse(res, 404, "this session belongs to another exercise: start a new one");
            }
            prepared_answer a = prepare_answer(answer, q);
            if (a.refusal == answer_refusal::too_long) return refuse(res, 413, a.message);
            if (a.refusal != answer_refusal::none) return refuse(res, 422, a.message);
            f = check_answer(a, o.explain);
        }
        if (f.good_answer.empty()) return refuse(res, 503, "the answer could not be compared: try again");
        if (!s.answered) {  // a question counts once, however often its token comes back
            s.asked++;
            if (f.right) s.right++;
            s.answered = true;
        }
        s.issued = static_cast<long>(time(nullptr));
        json words = json::array(), problems = json::array();
        for (const answer_word& w : f.words) words.push_back({{"word", latin1_to_utf8(w.word)}, {"kind", w.kind}});
        for (const answer_problem& p : f.problems) {
            problems.push_back({{"word", latin1_to_utf8(p.word)},
                                {"position", p.position},
                                {"kind", p.kind},
                                {"expected", latin1_to_utf8(p.expected)},
                                {"explanation", p.explanation}});
        }
        reply(res, 200,
              json{{"right", f.right},
                   {"good_answer", latin1_to_utf8(f.good_answer)},
                   {"words", words},
                   {"problems", problems},
                   {"score", score(s)},
                   {"session", make_token(o.key, s)}});
    }

    void page(const httplib::Request& req, httplib::Response& res) {
        if (!allowed(req, res, false)) return;
        auto p = o.pages.find(req.path == "/" ? "/index.html" : req.path);
        if (p == o.pages.end()) return refuse(res, 404, "not found");
        res.set_header("Content-Security-Policy",
                       "default-src 'self'; img-src 'self' data:; base-uri 'none'; form-action 'self'; frame-ancestors 'none'");
        res.set_header("Cache-Control", "no-cache");
        res.set_content(p->second.second, p->second.first.c_str());
    }
};

}  // namespace

rate_table* make_rate_table() {
    void* m = mmap(nullptr, sizeof(rate_table), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) return nullptr;
    rate_table* t = static_cast<rate_table*>(m);  // zero-filled: every slot free
    pthread_mutexattr_t a;
    pthread_mutexattr_init(&a);
    pthread_mutexattr_setpshared(&a, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&a, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&t->lock, &a);
    pthread_mutexattr_destroy(&a);
    return t;
}

int run_worker(const serve_options& o, rate_table* limits, int number) {
    // The worker ends with its parent, and SIGTERM (or SIGINT) stops it between requests.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // for every thread; one waits for them
    if (getppid() != o.parent) return 0;          // the parent has gone already

    worker w{o, limits, {}};
    httplib::Server svr;
    int listening = -1;
    svr.set_socket_options([&listening](int sock) {
        int on = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        setsockopt(sock, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
        listening = sock;
    });
    const int threads = o.threads;
    svr.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    svr.set_tcp_nodelay(true);
    svr.set_read_timeout(5, 0);   // a client that sends its request slowly is let go
    svr.set_write_timeout(5, 0);  // and one that stops reading the answer
    svr.set_keep_alive_timeout(5);
    svr.set_keep_alive_max_count(1000);
    svr.set_payload_max_length(o.maxbody);
    svr.set_default_headers({{"X-Genra-Worker", std::to_string(number)}, {"X-Content-Type-Options", "nosniff"}});

    svr.Post("/api/question", [&w](const httplib::Request& req, httplib::Response& res) { w.question(req, res); });
    svr.Post("/api/answer", [&w](const httplib::Request& req, httplib::Response& res) { w.answer(req, res); });
    // The pages' paths as the library's patterns (regular expressions).
    auto pattern = [](const std::string& path) {
        std::string out;
        for (char c : path == "/index.html" ? std::string("/") : path) out += c == '.' ? std::string("\\.") : std::string(1, c);
        return out;
    };
    for (const auto& [path, content] : o.pages) {
        svr.Get(pattern(path), [&w](const httplib::Request& req, httplib::Response& res) { w.page(req, res); });
    }
    // Every other method on a known path: 405, with the method that is allowed.
    auto wrongmethod = [](const char* allow) {
        return [allow](const httplib::Request&, httplib::Response& res) {
            res.set_header("Allow", allow);
            worker::refuse(res, 405, std::string("method not allowed: use ") + allow);
        };
    };
    for (const char* path : {"/api/question", "/api/answer"}) {
        svr.Get(path, wrongmethod("POST"));
        svr.Put(path, wrongmethod("POST"));
        svr.Patch(path, wrongmethod("POST"));
        svr.Delete(path, wrongmethod("POST"));
        svr.Options(path, wrongmethod("POST"));
    }
    for (const auto& [path, content] : o.pages) {
        svr.Post(pattern(path), wrongmethod("GET, HEAD"));
        svr.Put(pattern(path), wrongmethod("GET, HEAD"));
        svr.Patch(pattern(path), wrongmethod("GET, HEAD"));
        svr.Delete(pattern(path), wrongmethod("GET, HEAD"));
        svr.Options(pattern(path), wrongmethod("GET, HEAD"));
    }
    // What the library answers by itself (404, 413, 400 ...) gets a body in the API's form.
    svr.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        const char* what = res.status == 404   ? "not found"
                           : res.status == 413 ? "the request is too large"
                           : res.status == 414 ? "the address is too long"
                                               : "bad request";
        worker::refuse(res, res.status, what);
        return httplib::Server::HandlerResponse::Handled;
    }));
    svr.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        worker::refuse(res, 500, "internal error");
    });

    if (!svr.bind_to_port(o.host, o.port)) {
        fprintf(stderr, "genra serve: worker %d cannot listen on %s port %d: %s\n", number, o.host.c_str(), o.port,
                strerror(errno));
        return 1;
    }
    if (listening >= 0) ::listen(listening, 1024);  // the library's own backlog is short
    if (o.ready >= 0) {
        if (write(o.ready, "r", 1) != 1) return 1;
        close(o.ready);
    }
    std::thread stopper([&svr, stop] {
        int sig = 0;
        sigwait(&stop, &sig);
        svr.stop();
    });
    bool served = svr.listen_after_bind();
    // listen_after_bind ends by stop(), or on a fault of the socket: then the stopper is woken.
    if (stopper.joinable()) {
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
    }
    return served ? 0 : 1;
}

}  // namespace zek
