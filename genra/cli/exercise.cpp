// genra exercise: the learner's exercise in a terminal. A question, the learner's answer read
// with line editing (arrows, history), the analysis' feedback in plain words, a running score.
#include <editline/readline.h>
#include <getopt.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "genra/cli/cli.h"
#include "genra/feedback.h"
#include "genra/utilities.h"

namespace zek {

static const char usage[] = "usage: genra exercise [-h] [--rounds N] [--seed S] [GRAMMAR]";

static void help() {
    printf("%s\n\n"
           "Asks the questions of an exercise grammar (one with the roots QUESTION and ANSWER) one\n"
           "by one, reads each answer, and tells what was right and what was wrong, in plain words,\n"
           "with a running score. Answers are edited with the arrow keys and recalled from the\n"
           "history with up and down; an empty answer, Ctrl-D or Ctrl-C ends the exercise. Without\n"
           "a terminal the answers are read line by line from standard input.\n"
           "GRAMMAR is a grammar folder or a manifest file; without it: %s.\n\n"
           "options:\n"
           "  --rounds N    ask N questions (1 to 1000000); default: until the learner stops\n"
           "  --seed S      the random seed of the questions (1 to 4294967295); the same seed asks\n"
           "                the same questions. Default: the manifest's seed, else the clock\n"
           "  -h, --help    this text\n\n"
           "exit status: 0 done, 1 the grammar has errors or makes no exercise, 2 a wrong command line\n",
           usage, default_exercise().c_str());
}

std::string default_exercise() { return default_grammar() + "/exercise.manifest"; }

// The seed of question n of an exercise that starts from `seed`: the same for every machine.
unsigned long question_seed(unsigned long seed, unsigned long n) {
    uint64_t z = (static_cast<uint64_t>(seed) << 32 | n) + 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return static_cast<unsigned long>((z ^ (z >> 31)) & 0xffffffffUL) | 1;
}

int load_exercise(const std::string& grammar, grammar_manifest& m) {
    std::vector<q_report> reports;
    if (!read_manifest(grammar, m, reports)) {
        print_reports(stderr, m.folder, reports);
        return EXIT_FOUND;
    }
    start_engine();
    bool clean = load_grammar(m, reports);
    print_reports(stderr, m.folder, reports, false);
    if (const char* why = cannot_exercise()) {
        print_reports(stderr, m.folder, {{{m.manifest, 0, 0}, false, why}});
        return EXIT_FOUND;
    }
    return clean ? 0 : EXIT_FOUND;
}

// Ctrl-C ends the exercise at once, wherever it waits: the terminal as it was, the score, and
// the exit status 0. What the handler writes is made ready after every round.
static termios saved_terminal;
static bool terminal_saved = false;
static char farewell[128] = "\nGoodbye.\n";

static void oninterrupt(int) {
    if (terminal_saved) tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal);
    ssize_t written = write(STDOUT_FILENO, farewell, strlen(farewell));
    (void)written;
    _exit(0);
}

static void setfarewell(unsigned long right, unsigned long asked) {
    snprintf(farewell, sizeof farewell, "\nScore: %lu of %lu. Goodbye.\n", right, asked);
}

// One answer: from the line editor on a terminal, else a line of standard input (shown after
// the prompt, as the learner would have seen it typed). False at the end of input or on Ctrl-C.
static bool readanswer(bool terminal, std::string& answer) {
    if (terminal) {
        char* line = readline("> ");
        if (line == nullptr) {
            free(line);
            return false;
        }
        answer = line;
        free(line);
        if (!answer.empty()) add_history(answer.c_str());
        return true;
    }
    fputs("> ", stdout);
    answer.clear();
    int c;
    while ((c = getchar()) != EOF && c != '\n') {
        if (answer.size() < 65536) answer += static_cast<char>(c);
    }
    if (c == EOF && answer.empty()) {
        putchar('\n');
        return false;
    }
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    printf("%s\n", answer.c_str());
    return true;
}

int exercise_main(int argc, char** argv) {
    static const option options[] = {{"help", no_argument, nullptr, 'h'},
                                     {"rounds", required_argument, nullptr, 'r'},
                                     {"seed", required_argument, nullptr, 's'},
                                     {nullptr, 0, nullptr, 0}};
    unsigned long rounds = 0, seed = 0;
    opterr = 0;
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, "+:h", options, nullptr)) != -1;) {
        switch (c) {
            case 'h': help(); return 0;
            case 'r':
                if (!number_option("exercise", usage, "--rounds", optarg, 1, 1000000, &rounds)) return EXIT_USAGE;
                break;
            case 's':
                if (!number_option("exercise", usage, "--seed", optarg, 1, 4294967295UL, &seed)) return EXIT_USAGE;
                break;
            default: return option_error("exercise", usage, c, argv);
        }
    }
    if (argc - optind > 1) return usage_error("exercise", usage, "one grammar at most");
    grammar_manifest m;
    if (int status = load_exercise(optind < argc ? argv[optind] : default_exercise(), m)) return status;
    if (seed == 0) seed = m.hasseed && m.seed != 0 ? m.seed : static_cast<unsigned long>(time(nullptr)) ^ static_cast<unsigned long>(getpid());
    std::map<std::string, std::string> explain = explanations(m);

    setlocale(LC_ALL, "");  // the line editor reads the terminal's letters (UTF-8) as such
    bool terminal = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
    if (terminal && tcgetattr(STDIN_FILENO, &saved_terminal) == 0) terminal_saved = true;
    setfarewell(0, 0);
    struct sigaction sa {};
    sa.sa_handler = oninterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    if (terminal) {
        rl_catch_signals = 0;  // the handler above is the one that acts
        using_history();
    }
    printf("Answer each question with a full sentence. An empty answer%s ends the exercise.\n",
           terminal ? ", Ctrl-D or Ctrl-C" : "");
    unsigned long asked = 0, right = 0;
    for (unsigned long n = 1; rounds == 0 || n <= rounds; n++) {
        exercise_question q;
        if (!make_question(question_seed(seed, n), q)) {
            fprintf(stderr, "genra exercise: this run made no question\n");
            return EXIT_FOUND;
        }
        printf("\nQuestion %lu: %s\n", n, latin1_to_utf8(q.question).c_str());
        fflush(stdout);
        prepared_answer a;
        for (;;) {
            std::string answer;
            if (!readanswer(terminal, answer) || answer.find_first_not_of(" \t") == std::string::npos) {
                printf("\nScore: %lu of %lu. Goodbye.\n", right, asked);
                return 0;
            }
            a = prepare_answer(answer, q);
            if (a.refusal == answer_refusal::none) break;
            printf("That answer cannot be checked: %s. Try again.\n", a.message.c_str());
            fflush(stdout);
        }
        answer_feedback f = check_answer(a, explain);
        asked++;
        if (f.right) {
            right++;
            printf("Right!");
        } else {
            printf("Not quite. A good answer: %s\n", latin1_to_utf8(f.good_answer).c_str());
            for (const answer_problem& p : f.problems) printf("  %s\n", p.explanation.c_str());
        }
        printf("%sScore: %lu of %lu\n", f.right ? " " : "", right, asked);
        fflush(stdout);
        setfarewell(right, asked);
    }
    printf("\nScore: %lu of %lu. Goodbye.\n", right, asked);
    return 0;
}

}  // namespace zek
