// Lexical transformations: the rules reader and its errors, variables bound and released while
// the enumeration backtracks, right sides with every reference form and failure, selection and
// the listings, and inline transformations during a seeded generation run.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "editor/corutils.h"
#include "editor/getparam.h"
#include "editor/syshandler.h"
#include "genra/attr_data.h"
#include "genra/lt_misc.h"
#include "genra/lt_rule.h"
#include "genra/misc.h"
#include "genra/syn_globals.h"
#include "genra/uninstall.h"
#include "genra/utilities.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

const char* const ATTRIBUTES = "cat ( noun, name ) number ( sing, plur ) gender ( masc, fem ) level ( low < high )";
// Read newest first: each terminal's entries are tried from the last line up.
const char* const LEXICON =
    "\"box\"|N|noun, number, gender|3|$PL|\n"
    "\"girl\"|N|noun, number, fem, >low|5|$PL|\n"
    "\"boy\"|N|noun, number, masc|5|$PL|\n"
    "\"Anna\"|NAME|name, sing, fem|1|\n"
    "\"Tom\"|NAME|name, sing, masc|1|\n";
const char* const MORPHOLOGY = "RULE PL\n \"*x\" : ! \"es\" ;\n * : ! \"s\" ;\n";

class LexTrans : public ::testing::Test {
   protected:
    void SetUp() override {
        fresh();
        loadgrammar(ATTRIBUTES, "N NAME X", LEXICON);
        writefile("m.mor", MORPHOLOGY);
        snprintf(curfile, sizeof curfile, "m.mor");
        qreadmorph();
        report();
    }
    ScratchDir scratch;
};

Lines loadrules(const std::string& text) {
    writefile("r.ltr", text);
    snprintf(curfile, sizeof curfile, "r.ltr");
    qreadtrans();
    return report();
}

// The lines that selecting rule n and one resumelx write into corefile 1 (the results) and 7.
Lines runrule(int n, Lines* messages = nullptr) {
    corenum = 1;
    clrfile();
    inittrans(n);
    exectrans();
    Lines out;
    for (int i = 2; linetext(1, i) != "<none>"; i++) out.push_back(linetext(1, i));
    Lines r = report();
    if (messages != nullptr) *messages = r;
    return out;
}

bool has(const Lines& lines, const std::string& text) {
    for (const std::string& l : lines) {
        if (l.find(text) != std::string::npos) return true;
    }
    return false;
}

}  // namespace

TEST_F(LexTrans, ReaderReportsEachErrorAndGoesOnWithTheNextRule) {
    struct Case {
        const char* rule;
        std::vector<const char*> errors;
    } cases[] = {
        {"RULE 0 ? _makes_ x %", {"Rule number out of range or garbled 0"}},
        {"RULE 500 ? _makes_ x %", {"Rule number out of range or garbled 500"}},
        {"RULE 1a ? _makes_ x %", {"Rule number out of range or garbled 1a"}},
        {"RULE % ", {"Unable to get rule number"}},
        {"junk here", {"Warning -- characters ignored"}},
        {"RULE 3 ( g gender ) ? _makes_ x %", {"   Syntax Error. 2", "   Error reading common attribute clause", "Failed to load rule 3"}},
        {"RULE 3 ( : gender ) ? _makes_ x %", {"   Syntax Error. 1"}},
        {"RULE 3 ( g : ) ? _makes_ x %", {"   Syntax Error. 3"}},
        {"RULE 3 ( g : fem ) ? _makes_ x %", {"   Attribute type unknown: fem", "   Error reading common attribute clause"}},
        {"RULE 3 ( g : gender h : number ) ? _makes_ x %", {"   Syntax Error."}},
        {"RULE 3 ? | N | number _makes_ x %",
         {"   Attribute classes not legal in LSPs:  number", "   Error in field 3 of LSP", "   Error reading Lexical Search Pattern", "Failed to load rule 3"}},
        {"RULE 3 ? | N | zzz _makes_ x %", {"   Attribute unknown: zzz", "   Error in field 3 of LSP"}},
        {"RULE 3 ? | N | sing . _makes_ x %", {"   Error in field 3 of LSP"}},
        {"RULE 3 ? | \"N\" _makes_ x %", {"   Error in field 2 of LSP"}},
        {"RULE 3 ? % x %", {"   Unexpected end of rule token encountered.  Expected one of the following:  | _and_ _makes_", "   Error in field 1 of LSP"}},
        {"RULE 3 ? | N | sing | a _is_ _makes_ x %", {"   Unexpected reserved word encountered.", "   Error after field 3 of LSP"}},
        {"RULE 3 ? _makes_ x RULE 4 ? _makes_ y %", {"   Unexpected reserved word encountered.", "   Error reading right hand side"}},
    };
    for (const Case& c : cases) {
        Lines r = loadrules(std::string("RULE 9 ? _makes_ a %\n") + c.rule + "\nRULE 9 ? _makes_ b %\nRULE 2 ? _makes_ c %\n");
        for (const char* e : c.errors) EXPECT_TRUE(has(r, e)) << c.rule << " should give: " << e;
        EXPECT_TRUE(has(r, "Rule discarded -- duplicate rule  9")) << c.rule;
        ASSERT_NE(ltruleheader[2], nullptr) << c.rule << ": the rule after the faulty one is read";
        EXPECT_EQ(ltruleheader[2]->rhs, "c");
        EXPECT_EQ(ltruleheader[9]->rhs, "a") << "the first of two rules 9 stays";
        EXPECT_EQ(ltruleheader[3], nullptr) << c.rule;
    }
    // The end of the file inside a rule.
    struct Case eofs[] = {
        {"RULE 3 ? | N | sing | x", {"   Unexpected end of file.", "   Error after field 3 of LSP"}},
        {"RULE 3 ? _makes_ \"x %", {"   Unexpected end of file.", "   Error reading right hand side"}},
        {"RULE 3 ( g : gender", {"   Syntax Error.", "   Error reading common attribute clause"}},
    };
    for (const Case& c : eofs) {
        Lines r = loadrules(std::string("RULE 2 ? _makes_ c %\n") + c.rule);
        for (const char* e : c.errors) EXPECT_TRUE(has(r, e)) << c.rule << " should give: " << e;
        EXPECT_TRUE(has(r, "Failed to load rule 3")) << c.rule;
        EXPECT_NE(ltruleheader[2], nullptr);
    }
    // Bounds: a field of 1024 characters, a right side of 4095.
    auto quoted = [](size_t n, char c) { return "\"" + std::string(n - 2, c) + "\""; };
    Lines r = loadrules("RULE 3 " + quoted(1024, 'w') + " _makes_ x %\nRULE 4 ? _makes_ " + quoted(4095, 'y') +
                        " %\nRULE 5 " + quoted(1023, 'w') + " _makes_ " + quoted(4094, 'y') + " %\n");
    EXPECT_TRUE(has(r, "   Buffer overflow.  Expected one of the following:  | _and_ _makes_"));
    EXPECT_TRUE(has(r, "   Buffer overflow.  Expected one of the following:  %"));
    EXPECT_EQ(ltruleheader[3], nullptr);
    EXPECT_EQ(ltruleheader[4], nullptr);
    ASSERT_NE(ltruleheader[5], nullptr);
    EXPECT_EQ(ltruleheader[5]->rhs.size(), 4094u);
    // Fields of more than 30750 characters in all; variables and values past 5000 entries.
    std::string many = "RULE 6 ? | N | ?";
    for (int i = 0; i < 31; i++) many += " | " + quoted(1000, 'f');
    std::string values;
    for (int i = 0; i < 1700; i++) values += "sing, ";
    r = loadrules(many + " _makes_ x %\n" + "RULE 7 ( a : number ) ? | N | " + values + "plur _makes_ x %\n" +
                  "RULE 8 ? | N | " + values + "plur _makes_ x %\n" + "RULE 9 ( a : number ) ? | N | " + values +
                  "plur _makes_ x %\n" + "RULE 10 ( a : number, b : gender, c : number ) ? _makes_ x %\n");
    EXPECT_TRUE(has(r, "   Buffer overflow.  Expected one of the following:  | _and_ _makes_"));
    EXPECT_TRUE(has(r, "Failed to load rule 6"));
    EXPECT_TRUE(has(r, "   Ran out of table space for attributes"));
    EXPECT_NE(ltruleheader[7], nullptr);
    EXPECT_NE(ltruleheader[8], nullptr);
    EXPECT_EQ(ltruleheader[9], nullptr) << "the table is full half way through";
    EXPECT_EQ(ltruleheader[10], nullptr) << "no entry left for its variables";
    EXPECT_EQ(lt_delayptr, DELAYSIZE);
}

TEST_F(LexTrans, AnInterruptedRunIsContinuedOrAbandoned) {
    loadrules("RULE 1 ? | N _makes_ !1 % RULE 2 ? | NAME _makes_ !1 %");
    setsig();
    raise(SIGINT);
    corenum = 1;
    inittrans(1);
    exectrans();
    EXPECT_NE(StackPtr, nullptr);
    EXPECT_EQ(report(), Lines({"LT rule selected: 1.", "LT run interrupted: 0 words generated; resumelx continues"}));
    inittrans(2);
    EXPECT_EQ(StackPtr, nullptr) << "selecting a rule abandons the run";
    exectrans();
    EXPECT_NE(StackPtr, nullptr);
    runsignals();
    exectrans();
    EXPECT_EQ(report(), Lines({"LT rule selected: 2.", "LT run interrupted: 0 words generated; resumelx continues",
                               "Total Words Generated: 2."}));
    for (int sig : {SIGTSTP, SIGCONT, SIGWINCH, SIGPIPE, SIGFPE, SIGINT, SIGXFSZ}) signal(sig, SIG_DFL);
}

TEST_F(LexTrans, RulesAreStoredAndListed) {
    Lines r = loadrules(
        "{ a comment } RULE 7 ( g : gender, n : number )\n"
        "  \"b*\" | N | g.n, noun | ? | \"$PL\" _and_ ? | NAME _lsp_ Tom\n"
        "_makes_ !1.2 \"-\" g | n %\n");
    ASSERT_NE(ltruleheader[7], nullptr);
    const LTRULE* rule = ltruleheader[7];
    EXPECT_EQ(rule->rhs, "!1.2\"-\"" + encode_lt_var(rule->rule_vars->index) + "|" + encode_lt_var(rule->rule_vars->next->index));
    ltr_dump(7);
    Lines expect = {
        "Rule 7",
        "   Variables in Common Attribute Clause:",
        "        Name: g    Index: 0     Type Number: 3",
        "        Name: n    Index: 1     Type Number: 2",
        "   LSP:",
        "        Field 1: (4) \"b*\"",
        "        Field 2: (1) N",
        "        Field 3: (2 attributes) - gender.number, noun",
        "        Fields : (24) \"b*\"|N|g.n,noun|?|\"$PL\"|",
        "   LSP:",
        "        Field 1: NULL",
        "        Field 2: (4) NAME",
        "        Field 3: (0 attributes) - ",
        "        Fields : (7) ?|NAME|",
        "   LSP:",
        "        Field 1: (3) Tom",
        "        Field 2: (1) ?",
        "        Field 3: (0 attributes) - ",
        "        Fields : (4) Tom|",
        "   RHS: (14) !1.2\"-\"g|n",
    };
    EXPECT_EQ(report(), expect);
    // Reloading drops the old rules; removing the kind empties the table.
    loadrules("RULE 8 ? _makes_ x %");
    EXPECT_EQ(ltruleheader[7], nullptr);
    ASSERT_NE(ltruleheader[8], nullptr);
    snprintf(picstring, sizeof picstring, "lx");
    rm_qfiles();
    EXPECT_EQ(ltruleheader[8], nullptr);
    EXPECT_EQ(lt_delayptr, 0);
}

TEST_F(LexTrans, SelectingAndRunning) {
    Lines m;
    runrule(1, &m);
    EXPECT_EQ(m, Lines({"Rule has not been loaded yet - 1", "No Rule has been initialized"}));
    loadrules("RULE 1 ? | N | noun _makes_ w | % RULE 2 ? | NOSUCH _makes_ w %");
    runrule(0, &m);
    EXPECT_EQ(m, Lines({"Rule number out of range: 0", "No Rule has been initialized"}));
    runrule(500, &m);
    EXPECT_EQ(m.front(), "Rule number out of range: 500");
    // One copy of the literal right side per noun.
    EXPECT_EQ(runrule(1, &m), Lines({"w|", "w|", "w|"}));
    EXPECT_EQ(m, Lines({"LT rule selected: 1.", "Total Words Generated: 3."}));
    EXPECT_EQ(core[1].header->down->down->object, OBJ_RECORD);
    EXPECT_EQ(runrule(2, &m), Lines());
    EXPECT_EQ(m, Lines({"LT rule selected: 2.", "Terminal class not recognized - NOSUCH"}));
    EXPECT_EQ(lt_getlspptr(1)->dictionary->class_, "NOSUCH");
    EXPECT_EQ(lt_getlspptr(2), nullptr);
    EXPECT_EQ(report(), Lines({"      Bad LSP number"}));
    uninstall(QF_LX);
    report();
    EXPECT_EQ(lt_getlspptr(1), nullptr);
    EXPECT_EQ(report(), Lines({"   Rule has not been selected yet "}));
}

TEST_F(LexTrans, VariablesAgreeAndAreReleasedOnBacktracking) {
    loadrules(
        "RULE 1 ( g : gender ) ? | NAME | g _and_ ? | N | g _makes_ !1.1 !1.2 g %\n"
        // The right side's morph expression leaves the evaluator in its normal state: the
        // next entries must still bind the variable.
        "RULE 2 ( g : gender ) ? | NAME | g _and_ ? | N | g _makes_ [#1.2 \"-\" !] g %\n"
        // A quoted word pattern matches without its own quotes; "?" walks every terminal.
        "RULE 3 \"b*\" | ? _makes_ !1 | !2 %\n"
        "RULE 4 ( g : gender, n : number ) ? | ? | n, g _makes_ !1 n g %\n");
    // Tom binds masc and Anna fem; box leaves its gender open and agrees with both.
    Lines both = {"\"Tom\"\"boy\"masc", "\"Tom\"\"box\"masc", "\"Anna\"\"girl\"fem", "\"Anna\"\"box\"fem"};
    EXPECT_EQ(runrule(1), both);
    EXPECT_EQ(runrule(2), Lines({"\"boy-Tom\"masc", "\"box-Tom\"masc", "\"girl-Anna\"fem", "\"box-Anna\"fem"}));
    EXPECT_EQ(runrule(1), both) << "a second run starts afresh";
    EXPECT_EQ(runrule(3), Lines({"\"boy\"|N", "\"box\"|N"}));
    // An open number binds nothing (the type name is written); each entry binds afresh.
    EXPECT_EQ(runrule(4), Lines({"\"boy\"numbermasc", "\"girl\"numberfem", "\"box\"numbergender", "\"Tom\"singmasc",
                                 "\"Anna\"singfem"}));
    EXPECT_EQ(MState, 0);
    for (const lt_var_list* v = ltruleheader[4]->rule_vars; v != nullptr; v = v->next) {
        EXPECT_EQ(lt_delayed[v->index].choice, -1) << v->name << " is released at the end";
    }
}

TEST_F(LexTrans, RightSidesReferencesAndFailures) {
    loadrules(
        "RULE 1 \"girl\" | N _and_ ? | NAME | fem _makes_ !1.2 / !2 / !3 / !3-number-fem / !3.2-cat / !4 / !5 / [!\"s\"] %\n"
        "RULE 11 \"girl\" | N _makes_ !3-low %\n"
        "RULE 2 \"girl\" | N _makes_ !3-level %\n"
        "RULE 3 \"girl\" | N _makes_ !6 %\n"
        "RULE 4 \"girl\" | N _makes_ a!b %\n"
        "RULE 5 \"girl\" | N _makes_ [!\"s\" %\n"
        "RULE 6 \"girl\" | N _makes_ [\"" + std::string(98, 'x') + "\"] %\n"
        "RULE 7 \"girl\" | N _makes_ %\n"
        "RULE 8 \"girl\" | N _makes_ \"" + std::string(1030, 'z') + "\" %\n"
        "RULE 9 \"girl\" | N _makes_ !1.3 %\n"
        "RULE 10 \"girl\" | N _makes_ [$PL] %\n");
    EXPECT_EQ(runrule(1), Lines({"\"Anna\"/N/noun,number,fem,>low,/noun,>low,/sing,fem,/0005/$PL/\"girls\""}));
    // ">low" is a partial position: the value name leaves it alone, the type name removes it.
    EXPECT_EQ(runrule(2), Lines({"noun,number,fem,"}));
    EXPECT_EQ(runrule(11), Lines({"noun,number,fem,>low,"}));
    EXPECT_EQ(runrule(10), Lines({"\"girls\""}));
    struct Failure {
        int rule;
        const char* message;
    } failures[] = {
        {3, "   Bad LSP field reference -- field 6 from lsp 1"},
        {4, "   Syntax error near '!' in right hand side of rule "},
        {5, "   Expecting closing brace for morphology expression "},
        {6, "   Morphology string too long "},
        {7, "   Right hand side of rule is null"},
        {8, "   Result of LT rule too long "},
        {9, "   Bad LSP field reference -- field 1 from lsp 3"},
    };
    for (const Failure& f : failures) {
        Lines m;
        EXPECT_EQ(runrule(f.rule, &m), Lines()) << f.rule;
        EXPECT_EQ(m, Lines({"LT rule selected: " + std::to_string(f.rule) + ".", f.message})) << "the run ends at the failure";
        EXPECT_EQ(StackPtr, nullptr);
    }
}

TEST_F(LexTrans, InlineTransformationsDuringGeneration) {
    // The plural of a noun chosen by the entry's own LSP, from a lookup of terminal X; a second
    // entry's LSP selects the first one (nested: the inner one is made first); a third names
    // no entry that exists.
    writefile("more.lex",
              "_ilt_ | X | sing | 1 | _lsp_ \"boy\" | N | noun, masc _rhs_ [$PL] | N | plur, !3-number |\n"
              "_ilt_ | X | plur | 1 | _lsp_ ? | X | sing _rhs_ [! \"!\"] | X |\n"
              "_ilt_ | X | masc | 1 | _lsp_ \"zz\" | N _rhs_ !1 |\n");
    snprintf(curfile, sizeof curfile, "more.lex");
    addlex();
    loadsyntax("ROOT = X[sing] X[plur] %\n");
    seed = 12345;
    interpret();
    EXPECT_EQ(genSentences[0], "boys boys!");
    EXPECT_EQ(std::string(dict_table[0].dictionary), "\"boys\"|N|plur,noun,masc,|");
    for (int i = 0; i < d_table_count; i++) EXPECT_EQ(dict_table[i].lspseq, nullptr);
    Lines r = report();
    EXPECT_FALSE(has(r, "ERROR")) << r.front();
    loadsyntax("ROOT = X[masc] %\n");
    interpret();
    EXPECT_EQ(genSentences[0], "");
    r = report();
    EXPECT_TRUE(has(r, "No lexical entry found for N"));
    EXPECT_TRUE(has(r, "   Bad LSP field reference -- field 1 from lsp 1"));
}
