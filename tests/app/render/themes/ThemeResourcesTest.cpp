// What the build draws into themes/: every picture the cards, the chooser
// and the pickers name, at its size, and templates that hold their keys.

#include "app/render/DynamicPageReplacer.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/Image.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

std::string themesFile(const std::string& name) { return std::string(TOLLIVAR_BUILD_RESOURCES) + "/themes/" + name; }

std::vector<int> cardNumbers() {
    std::vector<int> numbers;
    for (int n = 1; n <= 9; ++n) numbers.push_back(n);
    for (int n = 20; n <= 24; ++n) numbers.push_back(n);
    for (int n = 50; n <= 64; ++n) numbers.push_back(n);
    return numbers;
}

}  // namespace

TEST(ThemeResources, EveryPictureIsThereAtItsSize) {
    struct Expected {
        std::string name;
        int width, height;
        bool transparent;
    };
    std::vector<Expected> expected;
    for (int n : cardNumbers()) {
        expected.push_back({foundation::format("theme_bg_%.2d.jpg", {int64_t(n)}), 1280, 720, false});
        expected.push_back({foundation::format("theme_%.2d.png", {int64_t(n)}), 142, 80, false});
    }
    expected.push_back({"theme_00.png", 142, 80, false});
    for (int n = 0; n <= 3; ++n) expected.push_back({foundation::format("fade_%d.png", {int64_t(n)}), 250, 160, false});
    for (int n = 0; n <= 7; ++n)
        expected.push_back({foundation::format("edit_effect_%d.png", {int64_t(n)}), 250, 160, false});
    for (int n = 0; n <= 2; ++n) expected.push_back({foundation::format("mask_%d.png", {int64_t(n)}), 250, 160, false});
    for (int n = 20; n <= 37; ++n) {
        expected.push_back({foundation::format("foreground_%.2d.png", {int64_t(n)}), 250, 160, false});
        if (n > 20) expected.push_back({foundation::format("foreground_%.2d_bg.png", {int64_t(n)}), 1920, 1080, true});
    }
    expected.push_back({"gallery_bg.jpg", 1024, 768, false});
    for (const Expected& e : expected) {
        auto image = graphics::Image::load(themesFile(e.name));
        ASSERT_TRUE(image.ok()) << e.name;
        EXPECT_EQ(image->pixelWidth(), e.width) << e.name;
        EXPECT_EQ(image->pixelHeight(), e.height) << e.name;
        // An overlay leaves the middle of the picture free for the movie.
        if (e.transparent) {
            EXPECT_LT(image->pixelAt(e.width / 2, e.height / 2 + 100).a, 255) << e.name;
        }
    }
}

TEST(ThemeResources, TemplatesHoldTheirKeysAndNoOutsideReference) {
    for (int theme = 1; theme <= 9; ++theme) {
        std::string title =
            testsupport::readFileBytes(themesFile(foundation::format("theme_title_%.2d.html", {int64_t(theme)})));
        std::string credits =
            testsupport::readFileBytes(themesFile(foundation::format("theme_credits_%.2d.html", {int64_t(theme)})));
        for (const char* key :
             {"META_RECORD_OUTLINE_MOVIE_NAME", "META_RECORD_OUTLINE_STAR", "META_RECORD_OUTLINE_STUDIO",
              "Theme_Credits_Present_key", "Theme_Credits_Starring_key"})
            EXPECT_NE(title.find(key), std::string::npos) << theme << " " << key;
        for (const char* key : {"META_RECORD_OUTLINE_DIRECTED_BY", "META_RECORD_OUTLINE_PRODUCED_BY",
                                "META_RECORD_OUTLINE_WRITTEN_BY", "META_RECORD_OUTLINE_EDITED_BY",
                                "META_RECORD_OUTLINE_MUSIC_BY", "Theme_Credits_A_key", "Theme_Credits_film_key"})
            EXPECT_NE(credits.find(key), std::string::npos) << theme << " " << key;
        for (const std::string& page : {title, credits}) {
            EXPECT_EQ(page.find("http"), std::string::npos);
            EXPECT_EQ(page.find("url("), std::string::npos);
        }
    }
    std::string card = testsupport::readFileBytes(themesFile("theme_card_20.html"));
    EXPECT_NE(card.find("META_RECORD_OUTLINE_MOVIE_NAME"), std::string::npos);
    // Every fixed word has an English text of its own.
    for (const std::string& word : DynamicPageReplacer::fixedWords()) EXPECT_NE(foundation::localized(word), word);
}
