// The harness itself: a fresh editor starts with twenty one-line corefiles and echoes typing.
#include <gtest/gtest.h>

#include "editor/corutils.h"
#include "tests/unit/harness.h"

TEST(Harness, FreshStateAndTyping) {
    zektest::fresh();
    EXPECT_EQ(zek::corenum, 1);
    for (int n = 0; n < zek::NUMCORE; n++) {
        EXPECT_EQ(zek::core[n].lncount, 1);
        EXPECT_EQ(zek::core[n].header->down->object, zek::OBJ_EMPTY);
    }
    zektest::runkeys("ab");
    EXPECT_EQ(zektest::linetext(1, 1), "ab");
    EXPECT_EQ(zektest::output(), "a\r\nb\r\n");
    EXPECT_EQ(zektest::storeproblems(), "");
}
