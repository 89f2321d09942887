#include "app/widgets/alerts/UIActionSheet_MKBlockAdditions.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/controllers/ViewController.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace sheets = UIActionSheet_MKBlockAdditions;
using graphics::Rect;
using sheets::ImagePickerController;
using sheets::ImagePickerSourceType;

class ActionSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        graphics::ensureGuiApplication();
        ImagePickerController::setCameraAvailable(false);
        window->makeKeyAndVisible();
        window->setRootViewController(presenter);
    }
    void TearDown() override {
        for (auto& sheet : ui::ActionSheet::visibleSheets()) sheet->dismissWithClickedButtonIndex(-1, false);
        ImagePickerController::setCameraAvailable(false);
    }

    std::shared_ptr<ui::ActionSheet> shownSheet() {
        auto shown = ui::ActionSheet::visibleSheets();
        return shown.empty() ? nullptr : shown.back();
    }
    std::vector<std::string> titles(const ui::ActionSheet& sheet) {
        std::vector<std::string> result;
        for (int i = 0; i < sheet.numberOfButtons(); ++i) result.push_back(sheet.buttonTitleAtIndex(i));
        return result;
    }
    void advance(double seconds) { foundation::RunLoop::main().advance(seconds); }

    testsupport::VirtualClockScope clock;
    std::shared_ptr<ui::Window> window = ui::makeView<ui::Window>(Rect(0, 0, 1024, 768));
    std::shared_ptr<ui::ViewController> presenter = std::make_shared<ui::ViewController>();
    std::vector<int> dismissed;
    int cancelled = 0;
};

TEST_F(ActionSheetTest, DeleteSheetPutsTheDestructiveButtonFirst) {
    sheets::actionSheetWithTitle(
        "Delete this project?", "not shown", "Delete", {}, presenter->view(),
        [this](int index) { dismissed.push_back(index); }, [this] { ++cancelled; });
    auto sheet = shownSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(titles(*sheet), (std::vector<std::string>{"Delete", "Cancel"}));
    EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
    EXPECT_EQ(sheet->cancelButtonIndex(), 1);
    EXPECT_EQ(sheet->actionSheetStyle(), ui::ActionSheetStyle::BlackOpaque);
    advance(0.5);
    sheet->clickButtonAtIndex(0);
    advance(0.5);
    EXPECT_EQ(dismissed, (std::vector<int>{0}));
    EXPECT_EQ(cancelled, 0);
}

TEST_F(ActionSheetTest, ListedTitlesFollowTheDestructiveAndCancelEnds) {
    sheets::actionSheetWithTitle(
        "Share", "", "Remove", {"Mail", "Dropbox"}, presenter->view(),
        [this](int index) { dismissed.push_back(index); }, [this] { ++cancelled; });
    auto sheet = shownSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(titles(*sheet), (std::vector<std::string>{"Remove", "Mail", "Dropbox", "Cancel"}));
    EXPECT_EQ(sheet->cancelButtonIndex(), 3);
    sheet->clickButtonAtIndex(2);
    advance(0.5);
    EXPECT_EQ(dismissed, (std::vector<int>{2}));

    sheets::actionSheetWithTitle(
        "Share", "", {"Mail", "Dropbox"}, presenter->view(), [this](int index) { dismissed.push_back(index); },
        [this] { ++cancelled; });
    sheet = shownSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(titles(*sheet), (std::vector<std::string>{"Mail", "Dropbox", "Cancel"}));
    EXPECT_EQ(sheet->destructiveButtonIndex(), ui::kNoButtonIndex);
    EXPECT_EQ(sheet->cancelButtonIndex(), 2);
    sheet->clickButtonAtIndex(2);
    advance(0.5);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(dismissed, (std::vector<int>{2}));
}

TEST_F(ActionSheetTest, BarButtonAnchorShowsNextToTheItem) {
    auto toolbar = ui::makeView<ui::Toolbar>(Rect(0, 724, 1024, 44));
    auto trash = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Trash, nullptr);
    toolbar->setItems({trash});
    presenter->view()->addSubview(toolbar);
    toolbar->layoutIfNeeded();
    sheets::actionSheetWithTitle(
        "", "", "Delete", {}, trash.get(), [this](int index) { dismissed.push_back(index); }, [this] { ++cancelled; });
    auto sheet = shownSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isPopover());
    advance(0.5);
    graphics::Image image = window->renderImage();
    auto png = image.pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(
        foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/ActionSheet-delete.png", *png).ok());
}

TEST_F(ActionSheetTest, PictureSheetButtonsToSources) {
    // Camera and library: "Camera" 0, "Photo library" 1.
    EXPECT_EQ(sheets::photoPickerSourceForButtonIndex(0, true, true), ImagePickerSourceType::Camera);
    EXPECT_EQ(sheets::photoPickerSourceForButtonIndex(1, true, true), std::nullopt);
    // No camera: "Photo library" 0 opens the saved photos.
    EXPECT_EQ(sheets::photoPickerSourceForButtonIndex(0, false, true), ImagePickerSourceType::SavedPhotosAlbum);
    // Only a camera: its button still means the camera.
    EXPECT_EQ(sheets::photoPickerSourceForButtonIndex(0, true, false), ImagePickerSourceType::Camera);
}

TEST_F(ActionSheetTest, PictureSheetOffersWhatTheMachineHas) {
    sheets::photoPickerWithTitle("Backdrop", presenter->view(), presenter, {}, {});
    auto sheet = shownSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(titles(*sheet), (std::vector<std::string>{"Photo library", "Cancel"}));
    EXPECT_EQ(sheet->cancelButtonIndex(), 1);
    EXPECT_EQ(sheet->tag(), sheets::kPhotoPickerSheetTag);
    EXPECT_EQ(sheet->actionSheetStyle(), ui::ActionSheetStyle::Automatic);
    sheet->dismissWithClickedButtonIndex(1, false);

    ImagePickerController::setCameraAvailable(true);
    sheets::photoPickerWithTitle("Backdrop", presenter->view(), presenter, {}, [this] { ++cancelled; });
    sheet = shownSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(titles(*sheet), (std::vector<std::string>{"Camera", "Photo library", "Cancel"}));
    EXPECT_EQ(sheet->cancelButtonIndex(), 2);
    sheet->clickButtonAtIndex(0);
    advance(1.0);
    auto* picker = dynamic_cast<ImagePickerController*>(presenter->presentedViewController());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->sourceType, ImagePickerSourceType::Camera);
    EXPECT_EQ(cancelled, 0);
}

class PhotoPickerFlowTest : public ActionSheetTest {
protected:
    void SetUp() override {
        ActionSheetTest::SetUp();
        std::string root = library::PhotoLibrary::defaultRootDirectory();
        std::filesystem::create_directories(root);
        auto jpeg = graphics::Image::filled(64, 32, {200, 40, 40, 255}).jpegData(0.9);
        ASSERT_TRUE(jpeg.ok());
        ASSERT_TRUE(foundation::writeFileAtomically(root + "/IMG_0001.JPG", *jpeg).ok());
    }

    ImagePickerController* openPicker() {
        sheets::photoPickerWithTitle(
            "Backdrop", presenter->view(), presenter,
            [this](const graphics::Image& picture) { picked.push_back(picture); }, [this] { ++cancelled; });
        auto sheet = shownSheet();
        if (!sheet) return nullptr;
        sheet->clickButtonAtIndex(0);
        advance(0.5);  // the sheet slides away before the picker comes
        auto* picker = dynamic_cast<ImagePickerController*>(presenter->presentedViewController());
        if (picker) foundation::RunLoop::main().runUntil([picker] { return !picker->assets().empty(); }, 5.0);
        advance(1.0);
        return picker;
    }

    testsupport::TempAppFolders folders;
    std::vector<graphics::Image> picked;
};

TEST_F(PhotoPickerFlowTest, PhotoLibraryOpensSavedPhotosAndHandsOverTheSquare) {
    ImagePickerController* picker = openPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->sourceType, ImagePickerSourceType::SavedPhotosAlbum);
    EXPECT_TRUE(picker->allowsEditing);
    ASSERT_EQ(picker->assets().size(), 1u);

    graphics::Image image = window->renderImage();
    auto png = image.pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(
        foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/ActionSheet-picker.png", *png).ok());

    testsupport::TouchDriver fingers(*window);
    fingers.tap({40, 85});
    advance(1.0);
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0].size(), (graphics::Size{32, 32}));  // the edited square, not the whole picture
    EXPECT_EQ(presenter->presentedViewController(), nullptr);
    EXPECT_EQ(cancelled, 0);
}

TEST_F(PhotoPickerFlowTest, EscapeCancelsThePickerWhichClosesAndReports) {
    ImagePickerController* picker = openPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(window->sendKey(ui::Key::Escape));  // the picker's Cancel
    advance(1.0);
    EXPECT_EQ(presenter->presentedViewController(), nullptr);
    EXPECT_EQ(cancelled, 1);
    EXPECT_TRUE(picked.empty());
}

}  // namespace
