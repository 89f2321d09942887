#include "platform/foundation/Strings.h"

#include <gtest/gtest.h>

namespace {

using Parts = std::vector<std::string>;

// Callers tell "a//b" from "a/b" and a trailing separator from none, so
// empty parts must survive.
TEST(StringsTest, SplitKeepsEmptyParts) {
    EXPECT_EQ(foundation::split("a//b/", '/'), (Parts{"a", "", "b", ""}));
    EXPECT_EQ(foundation::split("/a", '/'), (Parts{"", "a"}));
    EXPECT_EQ(foundation::split("", '/'), (Parts{""}));
    EXPECT_EQ(foundation::split("word", '\n'), (Parts{"word"}));
}

}  // namespace
