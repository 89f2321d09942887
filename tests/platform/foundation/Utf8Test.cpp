#include "platform/foundation/Utf8.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// A sequence put at every offset of ASCII text, so that it falls inside,
// across and after each run of bytes checked together.
TEST(Utf8, ValidityDoesNotDependOnWhereASequenceStands) {
    struct Case {
        std::string sequence;
        bool valid;
    };
    const Case cases[] = {{"\xc3\xa9", true},  {"\xe6\x97\xa5", true},  {"\xf4\x8f\xbf\xbf", true},
                          {"\xff", false},     {"\x80", false},         {"\xc3", false},
                          {"\xc0\xaf", false}, {"\xed\xa0\x80", false}, {"\xf4\x90\x80\x80", false}};
    for (const Case& c : cases)
        for (size_t before = 0; before <= 17; ++before) {
            const std::string text = std::string(before, 'a') + c.sequence + std::string(17 - before, 'z');
            EXPECT_EQ(foundation::isValidUtf8(text), c.valid) << before;
        }
    EXPECT_TRUE(foundation::isValidUtf8(""));
    EXPECT_TRUE(foundation::isValidUtf8(std::string(64, 'x')));
}

}  // namespace
