#include "ThemeTestSupport.h"
#include "app/core/Frame.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "app/render/OutlineTexts.h"
#include "app/render/ThemeCard.h"
#include "app/render/themes/ThemeMovieHandler.h"
#include "app/render/themes/WebRenderer.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/VirtualClock.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using foundation::Dictionary;
using foundation::RunLoop;
using namespace outlinekeys;

namespace {

// The texts the acceptance cards carry: an ampersand in the name, a line
// break in the cast and the director, and markup in the studio's name.
Dictionary acceptanceOutline() {
    return Dictionary{{kMovieName, "Tom & Jerry"}, {kStar, "A</br>B"},        {kStudio, "<b>Acme</b>"},
                      {kDirectedBy, "A</br>B"},    {kProducedBy, "Producer"}, {kWrittenBy, "Writer"},
                      {kEditedBy, "Editor"},       {kMusicBy, "Composer"}};
}

struct Lines {
    std::vector<std::pair<double, std::string>> lines;  // top and text of each line, top to bottom
    bool has(const std::string& text) const {
        return std::any_of(lines.begin(), lines.end(), [&](const auto& l) { return l.second == text; });
    }
    double top(const std::string& text) const {
        for (const auto& l : lines)
            if (l.second == text) return l.first;
        return -1;
    }
};

// The words the card's page drew, joined into lines.
Lines linesOf(const WebRenderer& renderer) {
    Lines result;
    if (!renderer.webView() || !renderer.webView()->document()) return result;
    for (const graphics::HtmlTextRun& run : renderer.webView()->document()->drawnText()) {
        if (run.text.find_first_not_of(' ') == std::string::npos) continue;
        auto line = std::find_if(result.lines.begin(), result.lines.end(),
                                 [&](const auto& l) { return std::abs(l.first - run.frame.origin.y) < 2; });
        if (line == result.lines.end()) {
            result.lines.emplace_back(run.frame.origin.y, run.text);
        } else {
            line->second += " " + run.text;
        }
    }
    std::sort(result.lines.begin(), result.lines.end());
    return result;
}

// Renders one card and answers its picture (null when it failed).
graphics::Image renderCard(WebRenderer& renderer, const std::string& templateName, int theme, const Dictionary& texts) {
    graphics::Image picture;
    int completions = 0;
    renderer.setHandlerComplete([&](const graphics::Image& image) {
        picture = image;
        ++completions;
    });
    renderer.renderContent(templateName, graphics::Size{800, 600}, texts,
                           graphics::Image::load(std::string(TOLLIVAR_BUILD_RESOURCES) + "/themes/" +
                                                 ThemeCard::backgroundImageName(theme))
                               .value());
    RunLoop::main().runUntilIdle();
    EXPECT_LE(completions, 1);
    return picture;
}

class ThemeCards : public ::testing::Test {
protected:
    void SetUp() override {
        KWProjects::getInstance().resetForTesting();
        project = ProjectModel::create();
        project->getMetaData()->set(projectkeys::kName, "Clay Day");
    }
    void TearDown() override { KWProjects::getInstance().resetForTesting(); }

    // A card frame in the list whose pictures are a plain grey stand-in.
    FramePtr addCard(int32_t type) {
        FramePtr frame = Frame::create(type);
        KWImageProducer producer(project);
        EXPECT_TRUE(producer.storeImage(graphics::Image::filled(1280, 720, {90, 90, 90, 255}), frame->frameID()));
        auto list = project->getFrameList();
        list->insertFrame(frame, list->getCaptureIndex());
        return frame;
    }
    std::string fullFrame(const FramePtr& frame) const {
        return *project->getProjectPath() + "/" + KWImageProducer::frameFileName(frame->frameID());
    }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    ProjectModelPtr project;
};

}  // namespace

TEST_F(ThemeCards, EveryThemeDrawsItsCardsAsReviewed) {
    for (int theme = 1; theme <= 9; ++theme) {
        for (bool title : {true, false}) {
            SCOPED_TRACE(theme);
            WebRenderer renderer;
            std::string templateName =
                title ? ThemeCard::titleTemplateName(theme) : ThemeCard::creditsTemplateName(theme);
            graphics::Image card = renderCard(renderer, templateName, theme, acceptanceOutline());
            ASSERT_FALSE(card.isNull());
            EXPECT_EQ(card.pixelWidth(), 1280);
            EXPECT_EQ(card.pixelHeight(), 720);
            std::string name = foundation::format(title ? "title_%.2d.png" : "credits_%.2d.png", {int64_t(theme)});
            EXPECT_LE(themetest::compareWithReference(card, name), 0.01) << name;

            const std::string& page = renderer.webView()->htmlString();
            if (title) {
                EXPECT_NE(page.find("Tom &amp; Jerry"), std::string::npos);
                EXPECT_EQ(page.find("Tom & Jerry"), std::string::npos);
            }
            EXPECT_NE(page.find("&lt;b&gt;Acme&lt;/b&gt;"), std::string::npos);
            EXPECT_EQ(page.find("META_RECORD_OUTLINE"), std::string::npos);
            EXPECT_EQ(page.find("Theme_Credits_"), std::string::npos);
            // What shows: the plain name, the markup as text, and A above B.
            Lines lines = linesOf(renderer);
            if (title) {
                EXPECT_TRUE(lines.has("Tom & Jerry"));
            }
            EXPECT_TRUE(lines.has("<b>Acme</b>"));
            ASSERT_TRUE(lines.has("A") && lines.has("B"));
            EXPECT_GT(lines.top("B"), lines.top("A"));
        }
    }
}

TEST_F(ThemeCards, TheChainStoresBothCardsAndPostsOnce) {
    project->getMetaData()->set(kTheme, 3);
    project->getMetaData()->set(kOutlineData, acceptanceOutline());
    FramePtr title = addCard(Frame::kTypeTitleCard);
    FramePtr credits = addCard(Frame::kTypeCreditsCard);
    std::string oldTitle = testsupport::readFileBytes(fullFrame(title));
    std::string oldCredits = testsupport::readFileBytes(fullFrame(credits));

    auto handler = ThemeMovieHandler::create(project);
    int notifications = 0, completions = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        kThemeRenderingFinishedNotification, handler.get(), [&](const foundation::Notification&) {
            ++notifications;
            EXPECT_EQ(completions, 0) << "posted before the handler runs";
        });
    handler->setHandlerComplete([&] { ++completions; });
    handler->updateThemeforTitle(title, credits);
    EXPECT_EQ(notifications, 0) << "the cards render on the run loop";
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(completions, 1);

    for (auto [frame, old, reference] :
         {std::tuple{title, oldTitle, "title_03.png"}, {credits, oldCredits, "credits_03.png"}}) {
        EXPECT_NE(testsupport::readFileBytes(fullFrame(frame)), old) << reference;
        auto stored = graphics::Image::load(fullFrame(frame));
        ASSERT_TRUE(stored.ok());
        auto expected = graphics::Image::load(std::string(TOLLIVAR_SOURCE_DIR) +
                                              "/tests/app/render/themes/references/" + reference);
        ASSERT_TRUE(expected.ok()) << reference;
        EXPECT_LE(themetest::meanDifference(*stored, *expected), 0.02) << reference;  // JPEG on top
    }
}

TEST_F(ThemeCards, AChainThatCannotRenderACardKeepsItsPicturesAndStillFinishes) {
    struct Case {
        const char* name;
        int theme;
        int32_t secondType;
        bool titleReplaced;
    } cases[] = {
        {"no such theme", 42, Frame::kTypeCreditsCard, false},
        {"no theme", 0, Frame::kTypeCreditsCard, false},
        {"second frame no card", 2, Frame::kTypePicture, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        project->getMetaData()->set(kTheme, c.theme);
        FramePtr title = addCard(Frame::kTypeTitleCard);
        FramePtr second = addCard(c.secondType);
        std::string oldTitle = testsupport::readFileBytes(fullFrame(title));
        std::string oldSecond = testsupport::readFileBytes(fullFrame(second));
        auto handler = ThemeMovieHandler::create(project);
        int notifications = 0, completions = 0;
        auto token = foundation::NotificationCenter::defaultCenter().addObserver(
            kThemeRenderingFinishedNotification, handler.get(),
            [&](const foundation::Notification&) { ++notifications; });
        handler->setHandlerComplete([&] { ++completions; });
        handler->updateThemeforTitle(title, second);
        RunLoop::main().runUntilIdle();
        EXPECT_EQ(notifications, 1);
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(testsupport::readFileBytes(fullFrame(title)) != oldTitle, c.titleReplaced);
        EXPECT_EQ(testsupport::readFileBytes(fullFrame(second)), oldSecond);
    }
}

TEST_F(ThemeCards, AProjectWithoutOutlineShowsThePlaceholderTexts) {
    project->getMetaData()->set(kTheme, 4);
    FramePtr title = addCard(Frame::kTypeTitleCard);
    FramePtr credits = addCard(Frame::kTypeCreditsCard);
    auto handler = ThemeMovieHandler::create(project);
    handler->updateThemeforTitle(title, credits);
    RunLoop::main().runUntilIdle();
    // The renderer keeps the page of the last card, the credits.
    Lines credit = linesOf(handler->webRenderer());
    EXPECT_TRUE(credit.has("Acme Studios"));
    EXPECT_TRUE(credit.has("Me"));
    EXPECT_TRUE(credit.has("iTunes"));
    EXPECT_TRUE(credit.has("A film by"));

    WebRenderer renderer;
    renderCard(renderer, ThemeCard::titleTemplateName(4), 4, placeholderOutline(*project));
    Lines lines = linesOf(renderer);
    EXPECT_TRUE(lines.has("Clay Day"));
    EXPECT_TRUE(lines.has("Captain Clay and Dotty the Dog"));
    EXPECT_TRUE(lines.has("presents"));
    EXPECT_EQ(renderer.webView()->document()->title(), "Chalkboard title");  // theme 4's own resources
}

TEST_F(ThemeCards, ATextCardShowsItsTextAlone) {
    struct Case {
        std::string templateName;
        int theme;
    } cases[] = {{"theme_title_05.html", 5}, {"theme_title_09.html", 9}, {"theme_card_20.html", 22}};
    for (const Case& c : cases) {
        WebRenderer renderer;
        graphics::Image card =
            renderCard(renderer, c.templateName, c.theme, Dictionary{{kMovieName, "Later</br>that day"}});
        ASSERT_FALSE(card.isNull()) << c.templateName;
        Lines lines = linesOf(renderer);
        ASSERT_EQ(lines.lines.size(), 2u) << c.templateName;
        EXPECT_EQ(lines.lines[0].second, "Later");
        EXPECT_EQ(lines.lines[1].second, "that day");
    }
}

TEST_F(ThemeCards, AMissingTemplateIsReportedOnTheRunLoop) {
    WebRenderer renderer;
    std::vector<foundation::Error> failures;
    int completions = 0;
    renderer.setHandlerFailed([&](const foundation::Error& error) { failures.push_back(error); });
    renderer.setHandlerComplete([&](const graphics::Image&) { ++completions; });
    renderer.renderContent("theme_title_77.html", graphics::Size{800, 600}, Dictionary{}, graphics::Image());
    EXPECT_TRUE(failures.empty());
    RunLoop::main().runUntilIdle();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].domain, kWebRendererErrorDomain);
    EXPECT_EQ(failures[0].code, kWebRendererErrorTemplateUnreadable);
    EXPECT_EQ(completions, 0);
}

TEST_F(ThemeCards, TheHandlerMayBeLetGoOnItsNotification) {
    // As the frame editor does: it keeps the handler only until the chain ends,
    // whether that is inside the first call (no title card) or after rendering.
    project->getMetaData()->set(kTheme, 6);
    FramePtr credits = addCard(Frame::kTypeCreditsCard);
    for (FramePtr title : {FramePtr(), addCard(Frame::kTypeTitleCard)}) {
        auto handler = ThemeMovieHandler::create(project);
        // Watched through what the handler owns: a weak pointer to the handler
        // itself would keep its memory and hide a use after its end.
        auto sentinel = std::make_shared<int>(0);
        std::weak_ptr<int> watched = sentinel;
        int completions = 0;
        auto token = foundation::NotificationCenter::defaultCenter().addObserver(
            kThemeRenderingFinishedNotification, handler.get(),
            [&](const foundation::Notification&) { handler.reset(); });
        handler->setHandlerComplete([&completions, sentinel] { ++completions; });
        sentinel.reset();
        handler->updateThemeforTitle(title, credits);
        RunLoop::main().runUntilIdle();
        EXPECT_EQ(completions, 1);
        EXPECT_TRUE(watched.expired());
    }
}
