// Merging: field collection from records and paragraphs, template expansion with references,
// the backquote and references past the last field, text merges into corefile 16, the
// expression merge, assignment lines, and the three views.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editor/build.h"
#include "editor/centre.h"
#include "editor/check.h"
#include "editor/corutils.h"
#include "editor/float.h"
#include "editor/getparam.h"
#include "editor/merger.h"
#include "editor/reformat.h"
#include "editor/scan.h"
#include "editor/scrin.h"
#include "editor/view.h"
#include "genra/uninstall.h"
#include "tests/unit/editkeys.h"
#include "tests/unit/harness.h"

using namespace zek;
using namespace zektest;
using Seqs = std::vector<std::string>;

namespace {

// The expansion of `templ` with the cursor at `col` of line 1 of `text` in view `view`
// (records in views 1 and 2), and its result code after a "/".
std::string expansion(int view, const std::string& text, int col, const std::string& templ) {
    fresh();
    if (view == 0) {
        settext(text);
    } else {
        records(text, view);
    }
    cur().curcol = col;
    mrgptr = templ.c_str();
    mrglen = static_cast<int>(templ.size());
    int rc = merge();
    return std::string(reinterpret_cast<const char*>(textbase + avail), static_cast<size_t>(mrgavail - avail)) +
           "/" + std::to_string(rc);
}

std::string fields(int n) {
    std::string s;
    for (int i = 1; i <= n; i++) s += "f" + std::to_string(i) + "|";
    return s;
}

std::string words(int n) {
    std::string s;
    for (int i = 1; i <= n; i++) s += "w" + std::to_string(i) + " ";
    return s;
}

// The sequences that draw field `n` of the page view, without their text.
bool drawn(const Seqs& s, const std::string& prefix) {
    return std::any_of(s.begin(), s.end(), [&](const std::string& q) { return q == prefix; });
}

}  // namespace

TEST(Merge, ExpandsReferencesAgainstRecordsAndParagraphs) {
    const struct { int view; std::string text; int col; std::string templ; std::string result; } cases[] = {
        {1, "Smith|John|", 1, "Dear #2 #1,\r", "Dear John Smith,\r/0"},
        {1, "Smith|John|", 9, "#1", "Smith/0"},  // a record is read from its first field
        {1, fields(12), 1, "#12`3 #1`#2", "f123 f1f2/0"},
        {1, "a|b|c|", 1, "x#4y", "x/3"},
        {1, "a|b|c|", 1, "#0", "/3"},
        {1, "a||c", 1, "[#2][#3]", "[][c]/0"},
        {1, "a|b|", 1, "# #x ``#", "# #x #/0"},
        {1, "a|b|", 1, "<\xff>#2\xff#", "<?>b?#/0"},  // the free mark is never text
        {1, fields(60), 1, "#50", "f50/0"},
        {1, fields(60), 1, "#51", "/3"},
        {1, "", 1, "#1", "/3"},
        // text: the words of the paragraph from the cursor, at most 50
        {0, "  one two\nthree  four\n\nfive", 1, "#1-#3-#4", "one-three-four/0"},
        {0, "  one two\nthree  four\n\nfive", 1, "#5", "/3"},
        {0, "one\n  two", 1, "#2", "/3"},  // not at the left margin: another paragraph
        {0, "alpha beta gamma", 7, "#1", "beta/0"},
        {0, words(60), 1, "#50", "w50/0"},
        {0, words(60), 1, "#51", "/3"},
        {3, "one\ntwo", 1, "#2", "/3"},  // outside the text view a line ends the fields
    };
    for (const auto& c : cases) {
        EXPECT_EQ(expansion(c.view, c.text, c.col, c.templ), c.result) << c.templ << " on " << c.text;
    }
    // A template is read once for many records: one changed in its own buffer is read again.
    records("a|b|", 1);
    static char changing[] = "<#1>";
    mrgptr = changing;
    mrglen = 4;
    for (char field : {'1', '2', '1'}) {
        changing[2] = field;
        ASSERT_EQ(merge(), 0);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(textbase + avail), static_cast<size_t>(mrgavail - avail)),
                  field == '1' ? "<a>" : "<b>");
    }
}

TEST(Merge, TextMergesBecomeLinesOfCorefile16) {
    fresh();
    records("Smith|John|\nDoe|Jane|", 1);
    strcpy(mrgstring, "Dear #2 #1,\r\rYours\r");
    runkeys("\x1bM" + DOWN + "\x1bM");
    EXPECT_EQ(coretext(16), "\nDear John Smith,\n\nYours\nDear Jane Doe,\n\nYours");
    EXPECT_EQ(core[16].lnptr, core[16].header->up) << "the last line added is current";
    EXPECT_EQ(core[16].disln, core[16].lnptr);
    EXPECT_EQ(corenum, 1);
    EXPECT_EQ(storeproblems(), "");
    // a reference past the record's fields stops the text there and says so
    strcpy(mrgstring, "To #1 #3 and more");
    takesequences();
    runkeys("\x1bM");
    EXPECT_EQ(linetext(16, core[16].lncount), "To Doe ");
    Seqs s = takesequences();
    EXPECT_TRUE(drawn(s, "$mhMerge stopped: no field 3"));
    // the merge template of TEMPLATE 2 (in view 1 only), 5000 characters of it
    std::string big(5000, 'x');
    for (size_t i = 99; i < big.size(); i += 100) big[i] = '\r';
    mrgbufptr = strdup(big.c_str());
    int before = core[16].lncount;
    runkeys("\x1b" "F");
    EXPECT_EQ(core[16].lncount, before + 50);
    EXPECT_EQ(linetext(16, before + 1), std::string(99, 'x'));
    EXPECT_EQ(storeproblems(), "");
}

TEST(Merge, ATextMergeThatDoesNotFitIsCutAndSaid) {
    fresh();
    records(std::string(900, 'a') + "|", 1);
    fillstore(2000);
    strcpy(mrgstring, "#1#1#1\r");
    takesequences();
    runkeys("\x1bM\r");
    EXPECT_EQ(storeproblems(), "");
    EXPECT_LE(avail, hiaddr);
    EXPECT_EQ(linetext(16, 2), std::string(1800, 'a')) << "what fits below the limit is kept";
    EXPECT_TRUE(drawn(takesequences(), "$meWarning: operation may not have been completed"));
    // plain template text is cut where the room ends
    fresh();
    records("a|", 1);
    fillstore(2000);
    long room = hiaddr - avail;
    mrgbufptr = strdup(std::string(5000, 'y').c_str());
    takesequences();
    runkeys("\x1b" "F\r");
    EXPECT_EQ(storeproblems(), "");
    EXPECT_EQ(linetext(16, core[16].lncount), std::string(static_cast<size_t>(room), 'y'));
    EXPECT_TRUE(drawn(takesequences(), "$meWarning: operation may not have been completed"));
}

TEST(Merge, ExpressionMergeSetsTheRegister) {
    fresh();
    records("3|4|\n3|x|", 1);
    strcpy(expression, "#1*#2");
    takeoutput();
    runkeys("\x1b@");
    EXPECT_EQ(reg(), 12);
    runkeys(DOWN + "\x1b@");  // "3*x": the x ends the expression before the product's operand
    strcpy(expression, "#1*#5");
    runkeys("\x1b@");
    EXPECT_EQ(reg(), 12) << "a template cut short is not evaluated";
    EXPECT_EQ(takeoutput(), "12\r\nFP Syntax Error\r\nFP Syntax Error\r\n");
}

TEST(Merge, AssignmentLinesWriteFields) {
    fresh();
    corenum = 17;
    settext("#3:#1+#2\nnot an assignment\n#9:1\n#x:1\n#2:1/\n#4:#1*1000000\n#1:1/4");
    corenum = 1;
    records("3|4|9|xyz|", 1);
    ftype[1] = 'j';
    runkeys("\x1b$");
    // field 3 gets 7; field 9 does not exist; "1/" fails: "****" over the old contents;
    // 3000000 does not fit 5 places; 0.25 is refused by a digits-only field, as is "****"
    EXPECT_EQ(linetext(1, 1), "3|****|7|****|");
    EXPECT_EQ(cur().edited, 1);
    EXPECT_EQ(core[17].lnptr, core[17].header->down) << "corefile 17 keeps its cursor";
    EXPECT_EQ(fperror, 0);
    EXPECT_EQ(ni, oldindex);
    EXPECT_EQ(storeproblems(), "");
    // a last field without its bar takes no value
    fresh();
    corenum = 17;
    settext("#2:5");
    corenum = 1;
    records("1|2", 1);
    runkeys("\x1b$");
    EXPECT_EQ(linetext(1, 1), "1|*");
}

TEST(View, FilesAndGeneratorFilesAreShownUntilReturn) {
    fresh();
    corenum = 3;
    settext("one\ntwo");
    strcpy(cur().filname, "x.txt");
    corenum = 2;
    cur().viewtype = 2;
    tempbufptr = strdup("Name: #1/20/c\x04");
    writetemplate(0);
    takesequences();
    setkeys("");
    runkeys("\x03VI1\r\r\r");
    Seqs s = takesequences();
    EXPECT_TRUE(drawn(s, "$TR6,22,48,x.txt")) << "field 4: the name of corefile 3";
    EXPECT_TRUE(drawn(s, "$TR6,55,8,2")) << "its lines";
    EXPECT_TRUE(drawn(s, "$TR6,72,8,6")) << "its characters";
    EXPECT_TRUE(drawn(s, "$TR21,16,8,6")) << "the total, on the last row of a 24-line screen";
    EXPECT_TRUE(drawn(s, "$mm<return>"));
    EXPECT_EQ(corenum, 2);
    EXPECT_EQ(cureditmask, editmask[2]);
    EXPECT_EQ(frow[1], 3) << "the corefile's own template is back";
    EXPECT_EQ(numfields, 1);
    EXPECT_EQ(core[19].lncount, 1);
    EXPECT_EQ(core[19].header->down->object, OBJ_EMPTY);
    EXPECT_EQ(storeproblems(), "");

    genrafilename['a' - '@'] = "g.at";
    genrafilename['x' - '@'] = "g.lx";
    runkeys("\x03VI2\r\r\r");
    s = takesequences();
    EXPECT_TRUE(drawn(s, "$TR3,26,48,g.at"));
    EXPECT_TRUE(drawn(s, "$TR14,26,48,g.lx"));
    EXPECT_EQ(corenum, 2);
}

TEST(View, ThePageEditsSettingsAndStringsUntilReturn) {
    fresh();
    strcpy(fn[1], "x\ry");
    strcpy(scanpattern, "old");
    strcpy(expression, "#1+1");
    lrcswitch = 3;
    scanunit = 7;
    takesequences();
    std::string down14;
    for (int i = 0; i < 14; i++) down14 += DOWN;
    runkeys("\x03VI0\r");
    Seqs s = takesequences();
    EXPECT_TRUE(drawn(s, "$TR4,23,48,x{M}y")) << "control characters in brace notation";
    EXPECT_TRUE(drawn(s, "$TR14,23,48,#1+1"));
    EXPECT_TRUE(drawn(s, "$TR18,65,1,3"));
    EXPECT_EQ(corenum, VIEWCORE);
    EXPECT_EQ(cur().viewtype, 7);
    EXPECT_EQ(mode, 1) << "the command line has closed";
    // the search pattern becomes "new", the hyphenation level 2; RETURN reads the page back
    runkeys(down14 + "new" + DOWN + DOWN + DOWN + "2\r");
    EXPECT_STREQ(scanpattern, "new");
    EXPECT_EQ(hyphlevel, 2);
    EXPECT_EQ(scanunit, 7) << "an unchanged digit leaves its setting";
    EXPECT_EQ(lrcswitch, 3);
    EXPECT_STREQ(fn[1], "x\ry") << "an unchanged string is not read back";
    EXPECT_EQ(corenum, 1);
    EXPECT_EQ(mode, 0) << "the command key was queued";
}
