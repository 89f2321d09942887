// The theme card chooser and the text card editor, driven by synthetic
// fingers over the build's theme resources.

#include "ThemeTestSupport.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/render/themes/ThemeCardEditViewController.h"
#include "app/render/themes/ThemeCardTableViewController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/lists/TableViewCell.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/WindowFixture.h"

#include <filesystem>
#include <regex>
#include <gtest/gtest.h>

using foundation::RunLoop;

namespace {

class ThemeCardScreens : public testsupport::WindowFixture {
protected:
    void SetUp() override {
        KWProjects::getInstance().resetForTesting();
        project = ProjectModel::create();
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
        window->layoutIfNeeded();
    }
    void TearDown() override {
        window->setRootViewController(nullptr);
        RunLoop::main().runUntilIdle();
        KWProjects::getInstance().resetForTesting();
        WindowFixture::TearDown();
    }

    std::shared_ptr<ThemeCardTableViewController> presentChooser() {
        auto chooser = std::make_shared<ThemeCardTableViewController>(project);
        chooser->setHandlerComplete([this](FramePtr frame) { created.push_back(frame); });
        root->presentViewController(std::make_shared<ui::NavigationController>(chooser), false);
        advance(0.5);
        window->layoutIfNeeded();
        return chooser;
    }

    // The card button k of a row on screen.
    ui::Button* cardButton(ThemeCardTableViewController& chooser, size_t row, size_t k) {
        chooser.tableView()->scrollToRowAtIndexPath(ui::IndexPath::indexPathForRow(row, 0),
                                                    ui::TableViewScrollPosition::Middle, false);
        window->layoutIfNeeded();
        auto cell = chooser.tableView()->cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(row, 0));
        if (!cell) return nullptr;
        for (const ui::ViewPtr& view : cell->contentView().subviews())
            if (view->tag() == ThemeCardTableViewController::kFirstButtonTag + static_cast<int>(k))
                return dynamic_cast<ui::Button*>(view.get());
        return nullptr;
    }

    std::string projectFile(const std::string& name) const { return *project->getProjectPath() + "/" + name; }

    testsupport::TempAppFolders folders;
    ProjectModelPtr project;
    std::shared_ptr<ui::ViewController> root;
    std::vector<FramePtr> created;
};

}  // namespace

TEST_F(ThemeCardScreens, TheChooserListsTwentyNineCardsInEightRows) {
    auto chooser = presentChooser();
    EXPECT_EQ(chooser->title, "Theme Cards");
    ASSERT_EQ(chooser->items().size(), 29u);
    EXPECT_EQ(chooser->tableView()->numberOfRowsInSection(0), 8u);
    struct Entry {
        size_t index;
        int32_t type, theme;
        const char* picture;
    } entries[] = {{0, 0, 50, "theme_bg_50.jpg"},  {14, 0, 64, "theme_bg_64.jpg"}, {15, 4, 20, "theme_bg_20.jpg"},
                   {19, 4, 24, "theme_bg_24.jpg"}, {20, 4, 1, "theme_bg_01.jpg"},  {28, 4, 9, "theme_bg_09.jpg"}};
    for (const Entry& e : entries) {
        const ThemeCardItem& item = chooser->items()[e.index];
        EXPECT_EQ(item.frameType, e.type) << e.index;
        EXPECT_EQ(item.themeID, e.theme) << e.index;
        EXPECT_EQ(item.bgImagePath, e.picture) << e.index;
    }
    EXPECT_EQ(chooser->items()[28].thumbImagePath, "theme_09");

    // Buttons: (width - 50) / 4 wide, 10 apart; the last row shows entry 29 alone.
    const double width = ThemeCardTableViewController::buttonWidth(chooser->view()->bounds().width());
    EXPECT_EQ(width, 243);
    for (size_t k = 0; k < 4; ++k) {
        ui::Button* button = cardButton(*chooser, 0, k);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->frame(), graphics::Rect(10 + k * (width + 10), 20, width, 80));
        EXPECT_FALSE(button->isHidden());
    }
    savePicture("theme-card-chooser.png");
    for (size_t k = 0; k < 4; ++k) {
        ui::Button* button = cardButton(*chooser, 7, k);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->isHidden(), k > 0) << k;
    }
}

TEST_F(ThemeCardScreens, AChosenCardBecomesAFrameHeldForOneSecond) {
    struct Case {
        size_t row, button;
        foundation::Value fps;
        int32_t type;
        int64_t theme;  // of the theme item; 0 for none
        int64_t hold;
    } cases[] = {
        {0, 0, 12, Frame::kTypePicture, 0, 12},         // theme 50: picture only
        {3, 3, 12, Frame::kTypeThemeTextCard, 20, 12},  // the first text card
        {7, 0, 25, Frame::kTypeThemeTextCard, 9, 25},   // the last entry
        {5, 1, 0, Frame::kTypeThemeTextCard, 2, 5},     // a broken rate: getFPS's 5, never a hold of 0
    };
    for (const Case& c : cases) {
        created.clear();
        project->getMetaData()->set(projectkeys::kFPS, c.fps);
        auto chooser = presentChooser();
        ui::Button* button = cardButton(*chooser, c.row, c.button);
        ASSERT_NE(button, nullptr);
        tap(button);
        EXPECT_TRUE(created.empty()) << "the picture is stored first";
        RunLoop::main().runUntilIdle();
        advance(0.5);
        ASSERT_EQ(created.size(), 1u) << c.row;
        FramePtr frame = created[0];
        EXPECT_EQ(frame->type(), c.type);
        EXPECT_EQ(frame->getDuration(), c.hold);
        EXPECT_EQ(frame->getTheme() ? frame->getTheme()->themeID() : 0, c.theme);
        for (const std::string& name :
             {KWImageProducer::frameFileName(frame->frameID()), KWImageProducer::previewFileName(frame->frameID()),
              KWImageProducer::thumbnailFileName(frame->frameID())})
            EXPECT_TRUE(std::filesystem::exists(projectFile(name))) << name;
        EXPECT_EQ(root->presentedViewController(), nullptr) << "dismissed";
    }
}

TEST_F(ThemeCardScreens, CancelCreatesNothing) {
    auto chooser = presentChooser();
    chooser->actionDone();
    advance(0.5);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(created.empty());
}

namespace {

class CardEditor : public ThemeCardScreens {
protected:
    std::shared_ptr<ThemeCardEditViewController> showEditor(int64_t theme, std::optional<std::string> text) {
        frame = Frame::create(Frame::kTypeThemeTextCard);
        auto item = std::make_shared<KWThemeItem>();
        item->setThemeID(theme);
        item->setText(text);
        frame->setTheme(item);
        KWImageProducer producer(project);
        EXPECT_TRUE(producer.storeImage(graphics::Image::filled(1280, 720, {90, 90, 90, 255}), frame->frameID()));
        oldPicture = testsupport::readFileBytes(projectFile(KWImageProducer::frameFileName(frame->frameID())));
        auto editor = std::make_shared<ThemeCardEditViewController>("ThemeCardEditViewController_iPad", frame, project);
        editor->setHandlerComplete([this](FramePtr done) { finished.push_back(done); });
        root->presentViewController(editor, false);
        advance(0.5);
        window->layoutIfNeeded();
        return editor;
    }
    std::string picture() const {
        return testsupport::readFileBytes(projectFile(KWImageProducer::frameFileName(frame->frameID())));
    }

    FramePtr frame;
    std::string oldPicture;
    std::vector<FramePtr> finished;
};

}  // namespace

TEST_F(CardEditor, AnUnchangedTextEndsWithoutRendering) {
    auto editor = showEditor(22, "Hello");
    EXPECT_EQ(editor->textViewCardEdit()->text(), "Hello");
    editor->actionClose();
    ASSERT_EQ(finished.size(), 1u) << "at once";
    EXPECT_EQ(finished[0], frame);
    EXPECT_EQ(editor->webRenderer(), nullptr);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(picture(), oldPicture);
}

TEST_F(CardEditor, AChangedTextRendersTheCardWithItsTemplate) {
    struct Case {
        int64_t theme;
        const char* pageTitle;
        const char* typed;
        const char* stored;
    } cases[] = {
        {22, "Text card", "Later</br>that day", "Later</br>that day"},
        {3, "Sunny Day title", "Tom & Jerry", "Tom & Jerry"},
        {24, "Text card", "damn it", nullptr},  // filtered before it is stored
    };
    for (const Case& c : cases) {
        finished.clear();
        auto editor = showEditor(c.theme, std::nullopt);
        EXPECT_EQ(editor->textViewCardEdit()->text(), "Tap to edit.");
        EXPECT_TRUE(editor->textViewShouldBeginEditing(*editor->textViewCardEdit()));
        EXPECT_EQ(editor->textViewCardEdit()->text(), "") << "the placeholder goes when editing starts";
        editor->textViewCardEdit()->setText(c.typed);
        if (c.theme == 22) savePicture("theme-card-editor.png");
        editor->actionClose();
        EXPECT_TRUE(finished.empty()) << "the card renders first";
        RunLoop::main().runUntilIdle();
        ASSERT_EQ(finished.size(), 1u) << c.typed;
        std::string text = frame->getTheme()->text().value_or("");
        if (c.stored) {
            EXPECT_EQ(text, c.stored);
        } else {
            EXPECT_NE(text, c.typed);
            EXPECT_EQ(text.substr(text.size() - 3), " it");
        }
        ASSERT_NE(editor->webRenderer(), nullptr);
        EXPECT_EQ(editor->webRenderer()->webView()->document()->title(), c.pageTitle);
        EXPECT_NE(picture(), oldPicture);
        auto stored = graphics::Image::load(projectFile(KWImageProducer::frameFileName(frame->frameID())));
        ASSERT_TRUE(stored.ok());
        EXPECT_EQ(stored->pixelWidth(), 1280);
        root->dismissViewController(false);
        advance(0.5);
    }
}

TEST_F(CardEditor, TheTextMovesWithAScreenKeyboard) {
    auto editor = showEditor(21, "Hi");
    const double y = editor->textView()->center().y;
    foundation::NotificationCenter::defaultCenter().post(kKeyboardWillShowNotification);
    advance(0.3);
    EXPECT_DOUBLE_EQ(editor->textView()->center().y, y - 15);
    foundation::NotificationCenter::defaultCenter().post(kKeyboardWillHideNotification);
    advance(0.3);
    EXPECT_DOUBLE_EQ(editor->textView()->center().y, y);
}

namespace {

// The card listed in a project whose list's bound is scaled down, with some
// picture frames in front of it that pay for themselves.
class CardEditorNearTheBound : public CardEditor {
protected:
    CardEditorNearTheBound() { ProjectDataWrapper::setFixedFrameListBytesForTesting(kFixedBytes); }
    ~CardEditorNearTheBound() override { ProjectDataWrapper::setFixedFrameListBytesForTesting(std::nullopt); }

    std::shared_ptr<ThemeCardEditViewController> showListedEditor() {
        auto editor = showEditor(22, "Hello");
        auto list = project->getFrameList();
        KWImageProducer producer(project);
        for (int i = 0; i < 20; ++i) {
            FramePtr picture = Frame::create(Frame::kTypePicture);
            EXPECT_TRUE(producer.storeImage(graphics::Image::filled(32, 18, {9, 9, 9, 255}), picture->frameID()));
            list->insertFrame(picture, list->getCaptureIndex());
        }
        list->insertFrame(frame, list->getCaptureIndex());
        EXPECT_TRUE(project->saveFramelistToDisk());
        return editor;
    }
    // Types a text and taps Done.
    void commit(ThemeCardEditViewController& editor, const std::string& text) {
        editor.textViewCardEdit()->setText(text);
        tap(editor.closeButton());
        advance(0.5);
    }

    static constexpr size_t kFixedBytes = 4 << 10;
};

}  // namespace

TEST_F(CardEditorNearTheBound, ATextTooLongIsRefusedAtDoneSayingByHowMuch) {
    auto editor = showListedEditor();
    const std::string list = testsupport::readFileBytes(projectFile("frames.meta"));
    const size_t typed = 3 * kFixedBytes;
    commit(*editor, std::string(typed, 'w'));

    const std::vector<std::string> told = alertMessages();
    ASSERT_EQ(told.size(), 1u);
    std::smatch by;
    ASSERT_TRUE(std::regex_search(told[0], by, std::regex("about ([0-9]+) characters too long"))) << told[0];
    EXPECT_NE(told[0].find("Shorten this text"), std::string::npos) << told[0];
    // Nothing changed, drawn or written; the editor stays open with the text typed.
    EXPECT_EQ(frame->getTheme()->text(), "Hello");
    EXPECT_EQ(editor->webRenderer(), nullptr);
    EXPECT_TRUE(finished.empty());
    EXPECT_EQ(editor->textViewCardEdit()->text(), std::string(typed, 'w'));
    EXPECT_EQ(picture(), oldPicture);
    EXPECT_EQ(testsupport::readFileBytes(projectFile("frames.meta")), list);
    savePicture("theme-card-editor-too-long.png");
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);

    // Shorter by what it said: the card renders and its list saves.
    const size_t over = std::stoul(by[1].str());
    ASSERT_LT(over, typed);
    commit(*editor, std::string(typed - over, 'w'));
    EXPECT_TRUE(alertMessages().empty());
    RunLoop::main().runUntilIdle();
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(frame->getTheme()->text(), std::string(typed - over, 'w'));
    EXPECT_NE(picture(), oldPicture);
    EXPECT_TRUE(project->saveFramelistToDisk());
}
