// A load on genra serve: N simulated learners, each a thread with its own connection, ask a
// question and answer it until the time is up: as fast as they can, or all together at RATE
// rounds a second. Prints the rounds (question and answer) a second, the latency of rounds and
// of requests at the 50th and 99th percentile, and the errors, as one JSON object.
//
// usage: serve_load PORT LEARNERS SECONDS [RATE]
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

struct tally {
    std::vector<double> rounds, requests;  // milliseconds
    long errors = 0;
    std::string firsterror;
};

double ms(clock_type::time_point a, clock_type::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Answers of every kind: a right one is rare, most have a few mistakes, as a class's have.
const char* const answers[] = {"the children are watching the cat now", "The king see the storys now.",
                               "your woman will drink her cofee today", "they ate it", "x"};

void learner(int port, clock_type::time_point until, int number, double every, double offset, tally& t) {
    httplib::Client c("127.0.0.1", port);
    c.set_keep_alive(true);
    c.set_tcp_nodelay(true);  // as browsers do: a request is not held back for an acknowledgement
    c.set_connection_timeout(10, 0);
    c.set_read_timeout(30, 0);
    std::string session;
    auto post = [&](const char* path, const nlohmann::json& body, nlohmann::json& reply) {
        auto start = clock_type::now();
        auto r = c.Post(path, body.dump(), "application/json");
        t.requests.push_back(ms(start, clock_type::now()));
        if (!r || r->status != 200) {
            if (t.errors++ == 0) t.firsterror = std::string(path) + ": " + (r ? std::to_string(r->status) + " " + r->body : httplib::to_string(r.error()));
            return false;
        }
        reply = nlohmann::json::parse(r->body, nullptr, false);
        return reply.is_object();
    };
    // With a rate, a learner starts a round every `every` seconds, the learners spread over it.
    auto due = clock_type::now() + std::chrono::duration_cast<clock_type::duration>(std::chrono::duration<double>(offset));
    for (long n = number; clock_type::now() < until; n++) {
        if (every > 0) {
            std::this_thread::sleep_until(due);
            due += std::chrono::duration_cast<clock_type::duration>(std::chrono::duration<double>(every));
        }
        auto start = clock_type::now();
        nlohmann::json q, a;
        if (!post("/api/question", session.empty() ? nlohmann::json::object() : nlohmann::json{{"session", session}}, q)) {
            session.clear();
            continue;
        }
        session = q["session"].get<std::string>();
        if (!post("/api/answer", {{"session", session}, {"answer", answers[n % 5]}}, a) || !a.contains("right")) continue;
        session = a["session"].get<std::string>();
        t.rounds.push_back(ms(start, clock_type::now()));
    }
}

double percentile(std::vector<double>& v, double p) {
    if (v.empty()) return 0;
    size_t k = std::min(v.size() - 1, static_cast<size_t>(p / 100 * static_cast<double>(v.size())));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        fprintf(stderr, "usage: serve_load PORT LEARNERS SECONDS [RATE]\n");
        return 2;
    }
    int port = atoi(argv[1]), learners = atoi(argv[2]);
    double seconds = atof(argv[3]), rate = argc == 5 ? atof(argv[4]) : 0;
    double every = rate > 0 ? learners / rate : 0;
    std::vector<tally> tallies(static_cast<size_t>(learners));
    auto start = clock_type::now();
    auto until = start + std::chrono::duration_cast<clock_type::duration>(std::chrono::duration<double>(seconds));
    std::vector<std::thread> threads;
    for (int k = 0; k < learners; k++) threads.emplace_back(learner, port, until, k, every, every * k / learners, std::ref(tallies[static_cast<size_t>(k)]));
    for (std::thread& t : threads) t.join();
    double elapsed = ms(start, clock_type::now()) / 1000;
    tally all;
    for (tally& t : tallies) {
        all.rounds.insert(all.rounds.end(), t.rounds.begin(), t.rounds.end());
        all.requests.insert(all.requests.end(), t.requests.begin(), t.requests.end());
        all.errors += t.errors;
        if (all.firsterror.empty()) all.firsterror = t.firsterror;
    }
    nlohmann::json out = {{"learners", learners},
                          {"rate_asked", rate},
                          {"seconds", elapsed},
                          {"rounds", all.rounds.size()},
                          {"rounds_per_second", static_cast<double>(all.rounds.size()) / elapsed},
                          {"round_p50_ms", percentile(all.rounds, 50)},
                          {"round_p99_ms", percentile(all.rounds, 99)},
                          {"request_p50_ms", percentile(all.requests, 50)},
                          {"request_p99_ms", percentile(all.requests, 99)},
                          {"errors", all.errors},
                          {"first_error", all.firsterror}};
    printf("%s\n", out.dump().c_str());
    return 0;
}
