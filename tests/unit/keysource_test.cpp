// The keystroke source: key planes, numeric codes, function keys, pushed strings with keyboard
// markers, the script constructs and the small key readers built on fetchchar.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>

#include "editor/scrin.h"
#include "editor/terminal_xq.h"
#include "tests/unit/harness.h"

using namespace zek;
using zektest::fresh;
using zektest::keytrace;

namespace {

const std::string ESC = "\x1b";

std::string bytes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes) s += static_cast<char>(c);
    return s;
}

// Translates the brace notation of the script constructs into their bytes.
std::string script(const std::string& text) {
    static const struct { const char* name; unsigned char code; } table[] = {
        {"{-}", 217}, {"{=}", 211}, {"{<}", 251}, {"{>}", 252}, {"{^}", 253}, {"{$}", 254},
        {"{%}", 247}, {"{?}", 241}, {"{:}", 245}, {"{.}", 246}, {"{&}", 214},
    };
    std::string out;
    for (size_t i = 0; i < text.size();) {
        bool found = false;
        for (const auto& t : table) {
            if (text.compare(i, 3, t.name) == 0) {
                out += static_cast<char>(t.code);
                i += 3;
                found = true;
                break;
            }
        }
        if (!found) out += text[i++];
    }
    return out;
}

// Runs a script as a pushed string on a fresh state with register 0 at `reg` and returns
// the keys it delivers. The buffer stays alive until the next call.
std::string runscript(const std::string& text, int reg = 0) {
    static std::string buffer;
    fresh();
    buffer = script(text);
    vl_result[0] = reg;
    pushfn(buffer.c_str());
    return keytrace();
}

}  // namespace

TEST(KeySource, PlainBytesAndIgnoredKeys) {
    fresh("a5!\r\n\b\x7f\x06\x01z" + ESC + "?y");  // the help key does nothing without a screen
    EXPECT_EQ(keytrace(), "a5!<1><1><5><5><10>zy");
}

TEST(KeySource, PrefixPlanesDeliverOneKeyPerSequence) {
    fresh(ESC + "[A" + ESC + "B" + ESC + ESC + "A" + ESC + ESC + ESC + "C" + ESC + "n");
    EXPECT_EQ(keytrace(), "<20><18><20><19><31>");
    fresh(ESC + "[[A");  // "[" in the second plane returns to the first
    EXPECT_EQ(keytrace(), bytes({226}));
}

TEST(KeySource, AccentedLettersFromThePrefixPlanes) {
    fresh(ESC + "A" + ESC + "E" + ESC + "I" + ESC + "O" + ESC + "U" + ESC + "a" + ESC + "c" +
          ESC + "e" + ESC + "i" + ESC + "o");
    EXPECT_EQ(keytrace(), bytes({226, 234, 238, 244, 251, 225, 231, 233, 237, 243}));
    fresh(ESC + "[a" + ESC + "[e" + ESC + "[i" + ESC + "[o" + ESC + "[u" + ESC + "[N");
    EXPECT_EQ(keytrace(), bytes({224, 232, 236, 242, 249, 241}));
    EXPECT_EQ(type, OP_OTHER);
}

TEST(KeySource, NumericKeyCodes) {
    fresh(ESC + "[2~" + ESC + "[3~" + ESC + "[216~" + ESC + "[0000000000002~");
    EXPECT_EQ(keytrace(), "<22><5><28><22>");
    fresh(ESC + "[0~" + ESC + "[1~" + ESC + "[39~");
    EXPECT_EQ(keytrace(), bytes({128, 129, 167}));
    fresh(ESC + "[999~z");
    EXPECT_EQ(keytrace(), "z") << "code 239 has no default binding";
    fresh(ESC + "[2xy");
    EXPECT_EQ(keytrace(), "<22>y") << "the byte that ends a code is consumed";
}

TEST(KeySource, NumericCodesClampTo239) {
    fresh(ESC + "[240~" + ESC + "[999~" + ESC + "[98765432109876543210~" + ESC + "[238~");
    intran[PLANENUM + MAXKEYCODE] = 19;
    EXPECT_EQ(keytrace(), "<19><19><19>");
}

TEST(KeySource, TransbUpperCasesOnlyNameLetters) {
    fresh("az-5" + ESC + "e");
    transb = 1;
    EXPECT_EQ(keytrace(), "AZ-5" + bytes({233}));
}

TEST(KeySource, FunctionKeys) {
    fresh(ESC + "1" + ESC + "2z" + ESC + "[225~" + ESC + "[Q" + ESC + "[17~");
    snprintf(fn[1], sizeof fn[1], "ab");
    snprintf(fn[2], sizeof fn[2], "%s", "");
    snprintf(fn[6], sizeof fn[6], "6");
    EXPECT_EQ(keytrace(), "abz6") << "an empty function key delivers nothing";
    fresh(ESC + "0");
    EXPECT_EQ(keytrace(), "<21>up<1>");
}

TEST(KeySource, PushedStringsAreReadLastInFirstOutAndTheEleventhIsIgnored) {
    fresh("k");
    static const char* const strings[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "X"};
    for (const char* s : strings) pushfn(s);
    EXPECT_EQ(fnptr, MAXPUSH);
    EXPECT_EQ(keytrace(), "jihgfedcbak");
    EXPECT_EQ(fnptr, 0);
}

TEST(KeySource, SuspendInsideAStringReadsTheKeyboardUntilResume) {
    static const std::string text = "a" + ESC + "\x19" + "b";
    fresh(std::string("xy\0z", 4));
    pushfn(text.c_str());
    EXPECT_EQ(keytrace(), "axybz");

    static const std::string plane1 = "a" + bytes({128 + 25}) + "b";  // the code itself
    fresh("x" + ESC + "\x17" + "z");
    pushfn(plane1.c_str());
    EXPECT_EQ(keytrace(), "axbz");
}

TEST(KeySource, InterruptActsAsTheCommandKeyAndEndsEveryScript) {
    fresh("a");
    IntHandler(2);
    EXPECT_EQ(keytrace(), "<21>a");
    static const std::string endless = script("{$}5{<}x{>}");
    static const std::string outer = script("y{<}{<}");
    fresh("a");
    pushfn(outer.c_str());
    pushfn(nullptr);  // a keyboard marker
    pushfn(endless.c_str());
    EXPECT_EQ(keytrace(4), "xxxx");
    IntHandler(2);
    EXPECT_TRUE(fnptr == 1 && loopptr == 0 && loopdepth == 0);
    EXPECT_EQ(keytrace(), "<21>a");
}

TEST(ScriptConstructs, CountedLoopTypesItsBodyAndRestoresTheLevel) {
    fresh();
    static const std::string loop = script("{$}3{<}{^}x{>}{%}");
    vl_result[0] = 7;
    pushfn(loop.c_str());
    EXPECT_EQ(keytrace(), "xxx");
    EXPECT_EQ(loopdepth, 0);
    EXPECT_EQ(loopptr, 0);
    EXPECT_EQ(vl_result[0], 7);
}

TEST(ScriptConstructs, NestedLoops) {
    EXPECT_EQ(runscript("{$}2{<}{^}{$}2{<}{^}x{>}{%}y{>}{%}z"), "xxyxxyz");
    EXPECT_EQ(loopdepth, 0);
    EXPECT_EQ(loopptr, 0);
}

TEST(ScriptConstructs, ZeroCountSkipsTheBodyWithItsInnerLoops) {
    EXPECT_EQ(runscript("{$}0{<}{^}a{<}b{>}c{>}d{%}"), "d");
    EXPECT_EQ(loopptr, 0);
    EXPECT_EQ(loopdepth, 0);
}

TEST(ScriptConstructs, Conditions) {
    EXPECT_EQ(runscript("{?}a{:}b{.}c", 1), "ac");
    EXPECT_EQ(runscript("{?}a{:}b{.}c", 0), "bc");
    EXPECT_EQ(runscript("{?}a{:}b{.}c", -2), "bc");
    EXPECT_EQ(runscript("{?}a{.}c", 0), "c");
    EXPECT_EQ(runscript("{=}3 yes{:}no{.}", 3), "yes");
    EXPECT_EQ(runscript("{=}3no blank{:}x{.}", 3), "no blank");
    EXPECT_EQ(runscript("{=}3 yes{:}no{.}", 4), "no");
    EXPECT_EQ(runscript("{%}{%}a"), "a");
    EXPECT_EQ(loopdepth, 0);
}

TEST(ScriptConstructs, CodesWithoutAnAction) {
    EXPECT_EQ(runscript("{&}a{.}b{>}c"), "abc") << "no loop is open";
    static const std::string text = "a" + bytes({200}) + "b";
    fresh();
    intran[200] = OP_NOCONSTRUCT;
    pushfn(text.c_str());
    EXPECT_EQ(keytrace(), "ab");
}

TEST(ScriptConstructs, MatchTestComparesAWildcardVariable) {
    static const std::string text = script("{-}2 foo\rA{:}B{.}");
    fresh();
    snprintf(unified[2], sizeof unified[2], "foo");
    pushfn(text.c_str());
    EXPECT_EQ(keytrace(), "A");
    fresh();
    snprintf(unified[2], sizeof unified[2], "fo");
    pushfn(text.c_str());
    EXPECT_EQ(keytrace(), "B");
}

TEST(ScriptConstructs, NestingLevelsInTheSkips) {
    const std::string nested = "{?}{&}{=}2 A{:}B{.}C{:}D{.}E";
    EXPECT_EQ(runscript(nested, 0), "DE");
    EXPECT_EQ(runscript(nested, 2), "ACE");
    EXPECT_EQ(runscript(nested, 1), "BCE");
    const std::string inner = "{?}{?}a{:}b{.}c{:}d{.}e";
    EXPECT_EQ(runscript(inner, 0), "de");
    EXPECT_EQ(runscript(inner, 1), "ace");
}

TEST(ScriptConstructs, ASkipThatReachesTheEndPopsTheString) {
    static const std::string below = "Z";
    static const std::string cond = script("{?}abc");
    static const std::string loop = script("{$}0{<}{^}ab");
    fresh();
    pushfn(below.c_str());
    pushfn(cond.c_str());
    pushfn(loop.c_str());
    EXPECT_EQ(keytrace(), "Z");
    EXPECT_EQ(fnptr, 0);
    EXPECT_EQ(loopptr, 0);
}

TEST(ScriptConstructs, ConstructsTypedOnTheKeyboardAreIgnored) {
    fresh(ESC + "qa" + ESC + "~5b" + bytes({241}) + "c" + ESC + "ud" + ESC + "}e");
    EXPECT_EQ(keytrace(), "a5bcde");
    EXPECT_EQ(loopdepth, 0);
    EXPECT_EQ(loopptr, 0);
}

TEST(KeyReaders, FetchintAndFetchpattReadTheTopString) {
    fresh();
    EXPECT_EQ(fetchint(), 0) << "nothing pushed";
    static const char number[] = "123abc";
    pushfn(number);
    EXPECT_EQ(fetchint(), 123);
    EXPECT_EQ(keytrace(), "abc");

    static const char pattern[] = "a*b\rX";
    pushfn(pattern);
    fetchpatt();
    EXPECT_STREQ(patt, "a*b");
    EXPECT_EQ(keytrace(), "X");

    static const char tail[] = "tail";
    pushfn(tail);
    fetchpatt();
    EXPECT_STREQ(patt, "tail");
    EXPECT_EQ(fnptr, 1) << "the end of the string is not consumed";
    EXPECT_EQ(keytrace(), "");
    EXPECT_EQ(fnptr, 0);
}

TEST(KeyReaders, GcrGnumGlett) {
    fresh("xy\rab\bc");
    gcr();
    EXPECT_EQ(del, 1);
    gcr();
    EXPECT_EQ(del, 2);
    EXPECT_EQ(keytrace(), "c");

    fresh("42x7");
    EXPECT_EQ(gnum(), 42);
    EXPECT_EQ(keytrace(), "7") << "the key that ends the number is consumed";
    fresh("x");
    EXPECT_EQ(gnum(), 0);

    fresh(ESC + "[A\rq!");
    glett();
    EXPECT_EQ(type, OP_NAME);
    EXPECT_EQ(holdch, 'q');
    glett();
    EXPECT_EQ(holdch, '!');
}

// Keys from a pushed string: what the editor sends meanwhile reaches the front-end at most
// FLUSHGAP milliseconds late, not in one write per line; before waiting for a key, at once.
TEST(KeySource, OutputWhileAStringRunsIsFlushedEveryFewMilliseconds) {
    fresh("");
    FILE* file = tmpfile();
    ASSERT_NE(file, nullptr);
    FILE* saved = xqout;
    xqout = file;
    auto written = [&] {
        struct stat st {};
        fstat(fileno(file), &st);
        return static_cast<long>(st.st_size);
    };
    auto now = [] { return std::chrono::steady_clock::now(); };
    flushoutput();
    auto flushed = now();
    xqtransmit("$cone");
    flushsoon();
    if (now() - flushed < std::chrono::milliseconds(FLUSHGAP)) {
        EXPECT_EQ(written(), 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(FLUSHGAP + 2));
    flushsoon();
    EXPECT_EQ(written(), 5);
    xqtransmit("$ctwo");
    flushforkey();
    EXPECT_EQ(written(), 10);
    xqout = saved;
    fclose(file);
}
