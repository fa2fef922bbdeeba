// The learner's exercise: UTF-8 and Latin-1, an answer made ready for the analysis (marks,
// case, refusals), and the analysis' report told in plain words on the example exercise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "genra/feedback.h"
#include "genra/utilities.h"
#include "tests/unit/harness.h"

using namespace zek;

namespace {

TEST(Feedback, Utf8ToLatin1) {
    struct {
        const char* in;
        bool ok;
        const char* out;
        std::vector<std::string> refused;
    } cases[] = {
        {"plain", true, "plain", {}},
        {"Th\xc3\xa9 \xc3\xbc\xc3\x9f", true, "Th\xe9 \xfc\xdf", {}},     // é ü ß
        {"\xc5\x81\xc3\xb3\x64\xc5\xba \xc5\x81", false, "", {"\xc5\x81", "\xc5\xba"}},  // Ł twice, ź
        {"\xe2\x82\xac", false, "", {"\xe2\x82\xac"}},                    // €
        {"\xf0\x9f\x98\x80", false, "", {"\xf0\x9f\x98\x80"}},            // an emoji
        {"\xc3", false, "", {}},                                          // cut short
        {"\xc0\xaf", false, "", {}},                                      // overlong "/"
        {"\xed\xa0\x80", false, "", {}},                                  // a surrogate
        {"\xff", false, "", {}},
        {"\x80", false, "", {}},
    };
    for (const auto& c : cases) {
        std::string out;
        std::vector<std::string> refused;
        EXPECT_EQ(utf8_to_latin1(c.in, out, refused), c.ok) << c.in;
        if (c.ok) {
            EXPECT_EQ(out, c.out);
        }
        EXPECT_EQ(refused, c.refused) << c.in;
    }
    EXPECT_EQ(latin1_to_utf8("Th\xe9 \xdf"), "Th\xc3\xa9 \xc3\x9f");
}

exercise_question handmade() {
    exercise_question q;
    q.run = {{"QUESTION", "Does Maria see the dog?", {}},
             {"ANSWER", "Maria sees the dog", {{"N", "Maria", {}}, {"V", "sees", {}}, {"DET", "the", {}}, {"N", "dog^", {}}}}};
    return q;
}

TEST(Feedback, AnswersMadeReady) {
    struct {
        const char* in;
        answer_refusal refusal;
        const char* response;
    } cases[] = {
        {"Maria sees the dog.", answer_refusal::none, "Maria sees the dog"},
        {"  MARIA   Sees the DOG !!", answer_refusal::none, "Maria sees the dog"},  // case follows the run's words
        {"\xc2\xbfmaria, sees \"the\" dog?", answer_refusal::none, "Maria sees the dog"},
        {"Thé dogs", answer_refusal::none, "th\xe9 dogs"},  // not in the run: lower case
        {"a|b ~{C}SH~", answer_refusal::none, "a|b ~{c}sh~"},
        {"", answer_refusal::empty, ""},
        {" ?!.,; ", answer_refusal::empty, ""},
        {"the\x03SH", answer_refusal::control, ""},
        {"the \x1b[2J", answer_refusal::control, ""},
        {"the \xc2\x85 dog", answer_refusal::control, ""},  // a C1 control
        {"the \xc5\x81\xc3\xb3\x64\xc5\xba dog", answer_refusal::letters, ""},
        {"the \xff dog", answer_refusal::not_utf8, ""},
    };
    for (const auto& c : cases) {
        prepared_answer a = prepare_answer(c.in, handmade());
        EXPECT_EQ(a.refusal, c.refusal) << c.in;
        EXPECT_EQ(a.response, c.response) << c.in;
        EXPECT_EQ(a.refusal == answer_refusal::none, a.message.empty()) << c.in;
    }
    EXPECT_EQ(prepare_answer("  Maria sees  ", handmade()).shown, (std::vector<std::string>{"Maria", "sees"}));
    // 199 letters in words pass; one more is refused, as is text far too long to look at.
    std::string words;
    while (words.size() < 199) words += words.empty() ? "ab" : " ab";
    words.resize(199);
    EXPECT_EQ(prepare_answer(words, handmade()).refusal, answer_refusal::none);
    EXPECT_EQ(prepare_answer(words + "c", handmade()).refusal, answer_refusal::too_long);
    EXPECT_EQ(prepare_answer(words + std::string(1000, ' '), handmade()).refusal, answer_refusal::none);
    EXPECT_EQ(prepare_answer(std::string(4000, ' ') + "a", handmade()).refusal, answer_refusal::too_long);
    EXPECT_EQ(prepare_answer(words, handmade()).message, "");
    EXPECT_NE(prepare_answer("\xc5\x81", handmade()).message.find("\xc5\x81"), std::string::npos);
}

TEST(Feedback, Sentences) {
    EXPECT_EQ(as_sentence("the king sees the stories now"), "The king sees the stories now.");
    EXPECT_EQ(as_sentence("\xe9t\xe9 is here!"), "\xc9t\xe9 is here!");
    EXPECT_EQ(as_sentence(""), "");
}

// The example exercise, with the seed and answers of the exercise driver's own run.
class ExampleExercise : public ::testing::Test {
protected:
    void SetUp() override {
        zektest::fresh();
        std::vector<q_report> reports;
        ASSERT_TRUE(read_manifest(std::string(ZEK_EXAMPLES) + "/exercise.manifest", m, reports));
        ASSERT_TRUE(load_grammar(m, reports)) << reports.front().message;
        ASSERT_EQ(cannot_exercise(), nullptr);
        reseed(123457);
    }

    // The next run's question, answered: its problems as "kind position word expected: explanation".
    std::vector<std::string> answer(const std::string& text, answer_feedback* out = nullptr) {
        exercise_question q;
        q.run = generate_once();
        answer_feedback f = check_answer(prepare_answer(text, q), explanations(m));
        std::vector<std::string> told;
        for (const answer_problem& p : f.problems) {
            told.push_back(p.kind + " " + std::to_string(p.position) + " " + p.word + " " + p.expected + ": " + p.explanation);
        }
        if (out != nullptr) *out = f;
        return told;
    }

    grammar_manifest m;
};

TEST_F(ExampleExercise, FeedbackInPlainWords) {
    answer_feedback f;
    EXPECT_EQ(answer("Their children watched your cat recently.", &f), std::vector<std::string>{});
    EXPECT_TRUE(f.right);
    EXPECT_EQ(f.good_answer, "Their children watched your cat recently.");
    EXPECT_EQ(answer("The king see the storys now.", &f),
              (std::vector<std::string>{
                  "form 3 see sees: you wrote \"see\": here the sentence needs the singular, \"sees\"",
                  "spelling 5 storys stories: \"storys\" is misspelt: it is written \"stories\""}));
    EXPECT_FALSE(f.right);
    EXPECT_EQ(f.good_answer, "The king sees the stories now.");
    ASSERT_EQ(f.words.size(), 6u);
    EXPECT_EQ(f.words[2].word + " " + f.words[2].kind + " " + f.words[3].kind, "see form right");
    EXPECT_EQ(answer("Today the men saw her cofee!", &f),
              std::vector<std::string>{"sound 6 cofee coffee: \"cofee\" sounds right but is written \"coffee\""});
    EXPECT_EQ(f.good_answer, "Today the men saw her coffee.");  // the closest of the answers
    // "Does the child see their girl now?": a wrong word for one, several missing in one place,
    // and nothing in plain words that looks like a code.
    EXPECT_EQ(answer("the cats eat"),
              (std::vector<std::string>{"wrong 2 cats child: you wrote \"cats\": here the sentence needs \"child\"",
                                        "wrong 3 eat sees: you wrote \"eat\": here the sentence needs \"sees\"",
                                        "missing 4 their girl now their girl now: 3 words are missing after \"eat\""}));
    EXPECT_EQ(answer("x the baby will like these stories tomorrow", &f),
              std::vector<std::string>{"extra 1 x : \"x\" is not needed here"});
    EXPECT_EQ(f.words.front().kind, "extra");
}

}  // namespace
