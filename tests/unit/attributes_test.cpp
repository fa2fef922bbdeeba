// The attribute file: types, values, valences and orders with their closure, the lookup
// table and its warnings, the table limits, and compounds made from attribute text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/getparam.h"
#include "genra/attr_data.h"
#include "genra/attr_fns.h"
#include "genra/input_base.h"
#include "genra/uninstall.h"
#include "tests/unit/genrakit.h"

using namespace zek;
using namespace zektest;
using Lines = std::vector<std::string>;

namespace {

class Attributes : public ::testing::Test {
   protected:
    void SetUp() override { fresh(); }
    ScratchDir scratch;
};

Lines readfrom(const std::string& text) {
    writefile("a.att", text);
    readattr("a.att");
    Lines r;
    for (const std::string& line : report()) {
        if (line.rfind("Finished reading", 0) != 0) r.push_back(line);
    }
    return r;
}

int type(const char* name) {
    EXPECT_TRUE(lookup_attr(name)) << name;
    return att_class;
}

int value(const char* name) {
    EXPECT_TRUE(lookup_attr(name)) << name;
    return att_value;
}

}  // namespace

TEST_F(Attributes, TypesValuesValencesAndOrders) {
    EXPECT_EQ(readfrom("{ c }\nnumber ( 2 sing , plur, sing )\ndegree ( low < mid, mid < high, top )\n"
                       "cat ( noun , verb ) % anything ( here"),
              Lines{});
    EXPECT_EQ(total_types, 4);
    const attr_table_entry& number = attr_table[type("number")];
    EXPECT_EQ(number.entries, 3) << "a repeated value is not added again";
    EXPECT_EQ(number.valence[value("sing")], 2);
    EXPECT_EQ(number.valence[value("plur")], 0);
    EXPECT_FALSE(number.partial);
    int degree = type("degree");
    int low = value("low"), mid = value("mid"), high = value("high"), top = value("top");
    EXPECT_TRUE(attr_table[degree].partial);
    // low < high only by the closure of the two declared pairs.
    const struct {
        int sign, dict, match, ok;
    } cases[] = {
        {'<', high, low, 1}, {'<', low, high, 0}, {'>', low, high, 1}, {'>', high, low, 0},
        {'<', low, low, 1},  {'>', high, high, 1}, {'<', top, low, 0}, {0, high, low, 0},
        {'=', mid, mid, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(valid(c.sign, degree, c.dict, c.match), c.ok) << char(c.sign) << c.dict << " " << c.match;
    }
    EXPECT_EQ(valid('<', type("number"), value("plur"), value("sing")), 0) << "an unordered type compares equal";
    EXPECT_EQ(valid('>', type("number"), value("plur"), value("plur")), 1);
    EXPECT_STREQ(att_get_name(degree, -1), "degree");
    EXPECT_STREQ(att_get_name(degree, mid), "mid");
    EXPECT_STREQ(att_get_name(degree, 5), "IllegalValue");
    EXPECT_STREQ(att_get_name(9, 1), "IllegalClass");
    EXPECT_FALSE(lookup_attr("anything")) << "nothing after the end mark is read";
}

TEST_F(Attributes, MisplacedTokensDuplicatesAndLimits) {
    Lines r = readfrom("a ( x y ) ( b ) c ( y, ) d ( ; )");
    EXPECT_EQ(r, (Lines{"ERROR attribute input a Inappropriate identifier: y ",
                        "ERROR attribute input a Inappropriate char '(' ",
                        "ERROR attribute input c Inappropriate char ')' ",
                        "ERROR attribute input d Inappropriate char ';' ",
                        "ERROR attribute input d Inappropriate char ')' ",
                        "ERROR attribute input  Warning: attribute value  y  duplicated"}));
    EXPECT_TRUE(lookup_attr("y"));
    std::string many;
    for (int i = 1; i <= 300; i++) many += "t" + std::to_string(i) + " ( v" + std::to_string(i) + " ) ";
    r = readfrom(many + std::string(32, 'L') + " ( w )");
    EXPECT_EQ(total_types, MAXTYPES);
    EXPECT_EQ(r.size(), 48u);
    EXPECT_EQ(r[0], "ERROR attribute input t254 Too many attribute types (at most 253):  t254 ");
    EXPECT_FALSE(lookup_attr("v254")) << "the values of a refused type are not added";
    std::string values = "big (";
    for (int i = 1; i <= 260; i++) values += " v" + std::to_string(i) + ",";
    r = readfrom(values + " z )");
    EXPECT_EQ(attr_table[1].entries, MAXVALUES);
    EXPECT_EQ(r[0], "ERROR attribute input big Table full big ");
    EXPECT_EQ(r.size(), 8u);
    r = readfrom(std::string(32, 'L') + " ( w )");
    EXPECT_EQ(r[0], "ERROR attribute input " + std::string(32, 'L') + " Attribute type name longer than 31 characters:  " +
                        std::string(32, 'L') + " ");
    EXPECT_EQ(total_types, 1);
}

TEST_F(Attributes, CompoundsFromTextPrintingAndLists) {
    readfrom("cat ( noun, verb ) number ( sing, plur ) gender ( masc, fem )");
    const char* rest = text_to_comp_array("noun./sing.gender]x", 1);
    EXPECT_STREQ(rest, "]x");
    ASSERT_EQ(attr_index, 3);
    EXPECT_TRUE(attr[1].decon == 1 && attr[2].value == -1 && all_values == 0 && all_decon == 0);
    comp_attr made = make_comp_attr();
    EXPECT_EQ(print_comp_attr(made), "noun.gender") << "marked components are left out";
    text_to_comp_struct("noun.sing", 0);
    comp_attr ns = comp_attr_register;
    text_to_comp_struct("verb", 0);
    attr_list list = nullptr;
    add_attr_to_list(&list, ns);
    add_attr_to_list(&list, comp_attr_register);
    EXPECT_EQ(print_attr_list(list), "noun.sing, verb");
    text_to_comp_struct("sing.masc", 0);
    comp_attr sm = comp_attr_register;
    text_to_comp_struct("masc.sing", 0);
    comp_attr ms = comp_attr_register;
    attr_list two = nullptr;
    add_attr_to_list(&two, duplicate_comp_attr(ms));
    EXPECT_FALSE(present_compound(two, sm)) << "order matters";
    EXPECT_TRUE(present_compound(two, ms));
    append_attr(&two, duplicate_comp_attr(ms));
    EXPECT_EQ(attr_list_count(two), 1);
    combine_attr_list(&two, list);
    EXPECT_EQ(print_attr_list(two), "masc.sing, noun.sing, verb");
    attr_list copy = duplicate_attr_list(two);
    new_attr_remove(&copy, attr_list_element(copy, 2));
    EXPECT_EQ(print_attr_list(copy), "masc.sing, verb");
    // find_attr: rows against compounds; a row without a value agrees with any value.
    text_to_comp_array("noun.number", 0);
    EXPECT_EQ(find_attr(list), ns);
    text_to_comp_array("verb.sing", 0);
    EXPECT_EQ(find_attr(list), nullptr);
    EXPECT_EQ(text_to_comp_struct("noun.bogus.x y", 0), std::string(" y"));
    EXPECT_EQ(comp_attr_register, nullptr);
    EXPECT_EQ(report(), (Lines{"ERROR   Unknown attribute bogus.x "}));
    for (attr_list* l : {&list, &two, &copy}) purge_attr_list(l);
    for (comp_attr* c : {&made, &sm, &ms}) purge_comp_attr(c);
}

TEST_F(Attributes, TheOccurrenceTableIsBounded) {
    readfrom("cat ( noun )");
    delayptr = DELAYSIZE - 3;
    for (int i = 0; i < 5; i++) text_to_comp_struct("noun", 0), purge_comp_attr(&comp_attr_register);
    EXPECT_EQ(delayptr, DELAYSIZE - 1);
    EXPECT_EQ(report(), (Lines{"Delay table exceeded"}));
}
