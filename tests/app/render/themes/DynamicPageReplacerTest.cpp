#include "app/core/KWProjects.h"
#include "app/render/DynamicPageReplacer.h"
#include "app/render/OutlineTexts.h"
#include "support/TempAppFolders.h"

#include <gtest/gtest.h>

using foundation::Dictionary;

TEST(DynamicPageReplacer, FillsEscapedTextsAndBlanksKeysWithoutOne) {
    struct Case {
        const char* page;
        Dictionary texts;
        const char* filled;
    } cases[] = {
        {"<h1>META_RECORD_OUTLINE_MOVIE_NAME</h1>",
         {{"META_RECORD_OUTLINE_MOVIE_NAME", "Tom & Jerry"}},
         "<h1>Tom &amp; Jerry</h1>"},
        {"<p>META_RECORD_OUTLINE_STAR</p>", {{"META_RECORD_OUTLINE_STAR", "A</br>B"}}, "<p>A</br>B</p>"},
        {"<p>META_RECORD_OUTLINE_STAR</p>",
         {{"META_RECORD_OUTLINE_STAR", "<b>x</b> \"q\""}},
         "<p>&lt;b&gt;x&lt;/b&gt; &quot;q&quot;</p>"},
        {"<p>META_RECORD_OUTLINE_STAR</p>", {{"META_RECORD_OUTLINE_STAR", "one\ntwo"}}, "<p>one</br>two</p>"},
        {"META_RECORD_OUTLINE_STUDIO|Theme_Credits_Present_key|META_RECORD_OUTLINE_MOVIE_NAME",
         {{"META_RECORD_OUTLINE_MOVIE_NAME", "Hi"}},
         "||Hi"},
        // A number is no text: the key is blanked, not shown.
        {"[META_RECORD_OUTLINE_MUSIC_BY]", {{"META_RECORD_OUTLINE_MUSIC_BY", 5}}, "[]"},
        // Every occurrence, and a text holding a key is not filled again.
        {"META_RECORD_OUTLINE_MOVIE_NAME/META_RECORD_OUTLINE_MOVIE_NAME",
         {{"META_RECORD_OUTLINE_MOVIE_NAME", "META_RECORD_OUTLINE_STAR"}, {"META_RECORD_OUTLINE_STAR", "x"}},
         "META_RECORD_OUTLINE_STAR/META_RECORD_OUTLINE_STAR"},
        {"Theme_Credits_A_key Theme_Credits_film_key",
         {{"Theme_Credits_A_key", "A"}, {"Theme_Credits_film_key", "film by"}},
         "A film by"},
        {"caf\u00e9 \u20ac", {}, "caf\u00e9 \u20ac"},
        {"", {{"META_RECORD_OUTLINE_STAR", "x"}}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(DynamicPageReplacer::fillPage(c.page, c.texts), c.filled) << c.page;
}

TEST(DynamicPageReplacer, KnowsEveryOutlineKeyAndTheNineWords) {
    const auto& keys = DynamicPageReplacer::templateKeys();
    EXPECT_EQ(keys.size(), 17u);
    EXPECT_EQ(DynamicPageReplacer::fixedWords().size(), 9u);
    // No key is part of another, so no order of filling matters.
    for (const std::string& a : keys)
        for (const std::string& b : keys)
            if (a != b) {
                EXPECT_EQ(b.find(a), std::string::npos) << a << " in " << b;
            }
}

TEST(DynamicPageReplacer, ReadsTemplatesFromTheResources) {
    EXPECT_FALSE(DynamicPageReplacer::processFileAtPath("theme_title_99.html", {}));
    auto page = DynamicPageReplacer::processFileAtPath("theme_title_03.html", {{outlinekeys::kMovieName, "X & Y"}});
    ASSERT_TRUE(page);
    EXPECT_NE(page->find("X &amp; Y"), std::string::npos);
    EXPECT_NE(page->find("Sunny Day"), std::string::npos);
    EXPECT_EQ(page->find("META_RECORD_"), std::string::npos);
}

TEST(OutlineTexts, ThePlaceholderOutlineNamesTheMovieAfterTheProject) {
    KWProjects::getInstance().resetForTesting();
    testsupport::TempAppFolders folders;
    struct Case {
        foundation::Value name;
        std::string expected;
    } cases[] = {{"Clay Day", "Clay Day"}, {"", "My Stop Ziruru Movie"}, {foundation::Value(), "My Stop Ziruru Movie"}};
    for (const Case& c : cases) {
        auto project = ProjectModel::create();
        if (c.name.isNull()) {
            project->getMetaData()->remove(projectkeys::kName);
        } else {
            project->getMetaData()->set(projectkeys::kName, c.name);
        }
        Dictionary outline = placeholderOutline(*project);
        EXPECT_EQ(outline.size(), 8u);
        EXPECT_EQ(outline.get(outlinekeys::kMovieName).asString(), c.expected);
        EXPECT_EQ(outline.get(outlinekeys::kStudio).asString(), "Acme Studios");
        EXPECT_EQ(outline.get(outlinekeys::kMusicBy).asString(), "iTunes");
        EXPECT_EQ(outline.get(outlinekeys::kDirectedBy).asString(), "Me");
    }
    KWProjects::getInstance().resetForTesting();
}
