#include "app/core/KWProfanityFilter.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <set>

namespace {

struct LanguageScope : testsupport::ScopedEnvironment {
    explicit LanguageScope(const char* language) : ScopedEnvironment({{"LANGUAGE", language}}) {}
};

class KWProfanityFilterTest : public ::testing::Test {
protected:
    KWProfanityFilterTest() : resources_(folders_.root() + "/resources"), bundle_(resources_) {
        std::filesystem::create_directories(resources_ + "/strings");
        std::ofstream(resources_ + "/strings/en-prof") << "darn\n\nheck\nfr[iu]g\n(unclosed\n";
    }

    testsupport::TempAppFolders folders_;
    std::string resources_;
    foundation::Bundle bundle_;
};

bool onlyAlphabet(const std::string& mask) {
    return mask.find_first_not_of(KWProfanityFilter::kReplacementAlphabet) == std::string::npos;
}

}  // namespace

TEST_F(KWProfanityFilterTest, MasksWholeWordsInAnyCapitals) {
    LanguageScope english("en_GB");
    KWProfanityFilter filter(bundle_);
    std::string out = filter.filterText("Darn it, darnation! DARN.");
    ASSERT_EQ(out.size(), std::string("Darn it, darnation! DARN.").size());
    std::string first = out.substr(0, 4), second = out.substr(20, 4);
    EXPECT_TRUE(onlyAlphabet(first)) << out;
    EXPECT_EQ(first, second) << "one word gets one mask per call";
    EXPECT_EQ(out.substr(4, 16), " it, darnation! ");
    EXPECT_EQ(out.back(), '.');
}

TEST_F(KWProfanityFilterTest, ListedPatternsMatchAndBrokenOnesAreSkipped) {
    LanguageScope english("en");
    KWProfanityFilter filter(bundle_);
    std::string out = filter.filterText("frig frug frag");
    // The mask has the pattern's length, as the list gives the pattern.
    EXPECT_EQ(out.substr(out.size() - 5), " frag");
    EXPECT_TRUE(onlyAlphabet(out.substr(0, 7)));
    EXPECT_EQ(filter.filterText("nothing to hide"), "nothing to hide");
}

TEST_F(KWProfanityFilterTest, DifferentWordsGetMasksDrawnSeparately) {
    LanguageScope english("en");
    KWProfanityFilter filter(bundle_);
    std::set<std::string> masks;
    for (int i = 0; i < 40; ++i) {
        std::string out = filter.filterText("darn heck");
        EXPECT_TRUE(onlyAlphabet(out.substr(0, 4)) && onlyAlphabet(out.substr(5, 4))) << out;
        masks.insert(out.substr(0, 4));
        masks.insert(out.substr(5, 4));
    }
    EXPECT_GT(masks.size(), 10u) << "masks are random";
}

TEST_F(KWProfanityFilterTest, OtherLanguagesLeaveTextAloneUntilEnglishComesBack) {
    KWProfanityFilter filter(bundle_);
    {
        LanguageScope german("de_DE");
        EXPECT_EQ(filter.filterText("darn heck"), "darn heck");
    }
    LanguageScope english("en_US");
    EXPECT_NE(filter.filterText("darn"), "darn");
}

TEST_F(KWProfanityFilterTest, UnicodeTextAroundWordsSurvives) {
    LanguageScope english("en");
    KWProfanityFilter filter(bundle_);
    std::string out = filter.filterText("Größe heck Größe");
    EXPECT_EQ(out.substr(0, 8), "Größe ");
    EXPECT_EQ(out.substr(out.size() - 8), " Größe");
}

TEST(KWProfanityFilterMask, HasTheRequestedLengthFromTheAlphabet) {
    EXPECT_EQ(KWProfanityFilter::cleanWordWithLength(0), "");
    EXPECT_EQ(KWProfanityFilter::cleanWordWithLength(-3), "");
    std::string mask = KWProfanityFilter::cleanWordWithLength(50);
    EXPECT_EQ(mask.size(), 50u);
    EXPECT_TRUE(onlyAlphabet(mask));
}

TEST(KWProfanityFilterResource, TheShippedListMasksCommonWords) {
    LanguageScope english("en");
    foundation::Bundle bundle(std::string(TOLLIVAR_SOURCE_DIR) + "/resources");
    KWProfanityFilter filter(bundle);
    EXPECT_NE(filter.filterText("shit happens"), "shit happens");
    EXPECT_EQ(filter.filterText("Scunthorpe"), "Scunthorpe");
}
