#include "ImportTestSupport.h"
#include "app/capture/CaptureImportController.h"
#include "app/capture/ELCAlbumPickerController.h"
#include "app/capture/ELCAssetCell.h"
#include "app/capture/ELCAssetTablePicker.h"
#include "app/capture/KWImportVideoController.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "support/Process.h"
#include "support/TestMovies.h"
#include "support/TouchDriver.h"

namespace {

using importtest::ImportTest;

// A small picture whose width tells which one it is.
foundation::Bytes pictureOfWidth(int width) {
    auto jpeg = testsupport::quadrantsImage(width, 60).jpegData(0.9);
    EXPECT_TRUE(jpeg.ok());
    return *jpeg;
}

class PickerTest : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        fingers = std::make_unique<testsupport::TouchDriver>(*window);
    }

    // Presents the photo import's picker and waits for the album list.
    std::shared_ptr<ELCAlbumPickerController> presentPhotoPicker() {
        photoImport = CaptureImportController::create(project);
        photoImport->setHandlerImportComplete([this](const std::vector<FramePtr>& frames) {
            imported = frames;
            ++completions;
        });
        photoImport->showImagePickerWithController(*screen);
        return waitForAlbums(photoImport->picker());
    }

    std::shared_ptr<ELCAlbumPickerController> waitForAlbums(std::shared_ptr<ELCAlbumPickerController> picker) {
        EXPECT_TRUE(picker);
        if (!picker) return picker;
        EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return picker->isLoaded(); }, 10));
        foundation::RunLoop::main().advance(1.0);
        window->layoutIfNeeded();
        return picker;
    }

    std::shared_ptr<ELCAssetTablePicker> openAlbum(ELCAlbumPickerController& picker, size_t index) {
        auto grid = picker.openGroupAtIndex(index);
        EXPECT_TRUE(grid);
        if (!grid) return grid;
        EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return grid->isLoaded(); }, 30));
        foundation::RunLoop::main().advance(1.0);
        window->layoutIfNeeded();
        return grid;
    }

    // The photo picker, opened on the album at `index` of its list.
    std::shared_ptr<ELCAssetTablePicker> presentPhotoGrid(size_t index) {
        auto picker = presentPhotoPicker();
        return picker ? openAlbum(*picker, index) : nullptr;
    }

    void tapThumbnail(const ELCAssetTablePicker& grid, size_t index) {
        ui::View* thumbnail = grid.assets().at(index).get();
        ASSERT_NE(thumbnail->window(), nullptr) << "thumbnail " << index << " is not on screen";
        graphics::Rect frame = thumbnail->convertRectToView(thumbnail->bounds(), nullptr);
        fingers->tap(graphics::Point{frame.midX(), frame.midY()});
    }

    void savePicture(const std::string& name) {
        foundation::RunLoop::main().advance(0.5);
        auto png = window->renderImage().pngData();
        ASSERT_TRUE(png.ok());
        ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/" + name, *png).ok());
    }

    std::vector<std::string> names(const std::vector<library::PhotoAsset>& assets) {
        std::vector<std::string> out;
        for (const auto& asset : assets) out.push_back(asset.identifier());
        return out;
    }

    std::unique_ptr<testsupport::TouchDriver> fingers;
    std::shared_ptr<CaptureImportController> photoImport;
    std::vector<FramePtr> imported;
    int completions = 0;
};

TEST_F(PickerTest, AlbumListPutsSavedPhotosFirstAndCountsPhotos) {
    for (int i = 0; i < 3; ++i) addToLibrary("IMG_" + std::to_string(i) + ".JPG", pictureOfWidth(80 + i), i);
    for (int i = 0; i < 9; ++i)
        addToLibrary("beach" + std::to_string(i) + ".jpg", pictureOfWidth(90 + i), i, "Holidays");
    copyToLibrary(testsupport::testMovie(testsupport::TestMovie::FiveSeconds), "clip.mp4", 10);

    auto picker = presentPhotoPicker();
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->title, "Albums");
    ASSERT_EQ(picker->assetGroups().size(), 2u);
    EXPECT_EQ(picker->assetGroups()[0].name(), "Saved Photos");
    EXPECT_EQ(picker->assetGroups()[1].name(), "Holidays");
    ASSERT_EQ(picker->tableView()->numberOfRowsInSection(0), 2u);
    const std::pair<const char*, const char*> rows[] = {{"Saved Photos", "3 Photos"}, {"Holidays", "9 Photos"}};
    for (size_t row = 0; row < 2; ++row) {
        auto cell = picker->tableView()->cellForRowAtIndexPath(ui::IndexPath{0, row});
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->textLabel()->text(), rows[row].first);
        EXPECT_EQ(cell->detailTextLabel()->text(), rows[row].second);
        EXPECT_EQ(picker->tableView()->rectForRowAtIndexPath(ui::IndexPath{0, row}).size.height, 57.0);
    }
    savePicture("ELCAlbumPickerController-albums.png");

    // Cancel closes the sheet and imports nothing.
    picker->cancel();
    foundation::RunLoop::main().advance(1.0);
    EXPECT_EQ(screen->presentedViewController(), nullptr);
    EXPECT_EQ(completions, 0);
}

TEST_F(PickerTest, GridRowsRunOldestFirstAndPicksKeepTheirOrder) {
    for (int i = 0; i < 9; ++i)
        addToLibrary("beach" + std::to_string(i) + ".jpg", pictureOfWidth(90 + i), i, "Holidays");
    auto grid = presentPhotoGrid(1);
    ASSERT_TRUE(grid);

    // Spacer, two full rows, a row of one, the count.
    ui::TableView& table = *grid->tableView();
    ASSERT_EQ(table.numberOfRowsInSection(0), 5u);
    const double heights[] = {2.0, 79.0, 79.0, 79.0, 50.0};
    for (size_t row = 0; row < 5; ++row)
        EXPECT_EQ(table.rectForRowAtIndexPath(ui::IndexPath{0, row}).size.height, heights[row]) << row;
    const size_t perRow[] = {4, 4, 1, 0};
    for (size_t row = 0; row < 4; ++row) EXPECT_EQ(grid->assetsForIndexPath(ui::IndexPath{0, row}).size(), perRow[row]);
    std::vector<std::string> shown;
    for (const auto& view : grid->assets()) shown.push_back(view->asset()->identifier());
    EXPECT_EQ(shown, (std::vector<std::string>{"Holidays/beach0.jpg", "Holidays/beach1.jpg", "Holidays/beach2.jpg",
                                               "Holidays/beach3.jpg", "Holidays/beach4.jpg", "Holidays/beach5.jpg",
                                               "Holidays/beach6.jpg", "Holidays/beach7.jpg", "Holidays/beach8.jpg"}));
    auto countCell = table.cellForRowAtIndexPath(ui::IndexPath{0, 4});
    ASSERT_TRUE(countCell);
    EXPECT_EQ(countCell->textLabel()->text(), "9 Photos");
    EXPECT_EQ(grid->title, "Select Photos");
    ASSERT_TRUE(grid->doneButton());
    EXPECT_EQ(grid->toolbarItems().size(), 5u);

    // C, then A, then B.
    const std::pair<size_t, const char*> taps[] = {{2, "1 Photo"}, {0, "2 Photos"}, {1, "3 Photos"}};
    for (const auto& [index, title] : taps) {
        tapThumbnail(*grid, index);
        EXPECT_EQ(grid->title, title);
    }
    EXPECT_TRUE(grid->assets()[2]->isSelected());
    EXPECT_FALSE(grid->assets()[3]->isSelected());
    savePicture("ELCAssetTablePicker-photos.png");

    grid->doneAction();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return completions > 0; }, 30));
    foundation::RunLoop::main().advance(1.0);
    EXPECT_EQ(screen->presentedViewController(), nullptr);
    ASSERT_EQ(imported.size(), 3u);
    const int widths[] = {92, 90, 91};
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(storedPicture(imported[i]).pixelWidth(), widths[i]);
}

TEST_F(PickerTest, ToolbarSelectsAllInGridOrderAfterEarlierPicks) {
    for (int i = 0; i < 6; ++i) addToLibrary("IMG_" + std::to_string(i) + ".JPG", pictureOfWidth(80 + i), i);
    auto grid = presentPhotoGrid(0);
    ASSERT_TRUE(grid);
    std::vector<std::vector<library::PhotoAsset>> handed;
    grid->setDidFinishSelectingAssets(
        [&](const std::vector<library::PhotoAsset>& assets) { handed.push_back(assets); });

    tapThumbnail(*grid, 4);
    grid->actionSelectAll();
    EXPECT_EQ(names(grid->selectedAssets()),
              (std::vector<std::string>{"IMG_4.JPG", "IMG_0.JPG", "IMG_1.JPG", "IMG_2.JPG", "IMG_3.JPG", "IMG_5.JPG"}));
    EXPECT_EQ(grid->title, "6 Photos");
    grid->actionInverse();
    EXPECT_EQ(grid->totalSelectedAssets(), 0u);
    grid->actionInverse();
    grid->actionDeselectAll();
    EXPECT_EQ(grid->title, "Select Photos");
    grid->doneAction();
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_TRUE(handed[0].empty());
}

TEST_F(PickerTest, ALongAlbumOpensScrolledToItsNewestRow) {
    for (int i = 0; i < 30; ++i) addToLibrary("IMG_" + std::to_string(100 + i) + ".JPG", pictureOfWidth(64), i);
    auto grid = presentPhotoGrid(0);
    ASSERT_TRUE(grid);
    ui::TableView& table = *grid->tableView();
    ASSERT_EQ(table.numberOfRowsInSection(0), 10u);
    ASSERT_GT(table.contentSize().height, table.bounds().size.height);
    // The bottom edge of the content is the bottom of the view: the newest row is in sight.
    EXPECT_NEAR(table.contentOffset().y + table.bounds().size.height, table.contentSize().height, 1.0);
    EXPECT_NE(grid->assets().back()->window(), nullptr);
    EXPECT_EQ(grid->assets().front()->window(), nullptr);
}

TEST_F(PickerTest, SingleSelectionVideoPickerEndsAtTheFirstTap) {
    copyToLibrary(testsupport::testMovie(testsupport::TestMovie::FiveSeconds), "clip.mp4", 0);
    copyToLibrary(testsupport::testMovie(testsupport::TestMovie::Rotated), "turned.mp4", 1);
    addToLibrary("IMG_0.JPG", pictureOfWidth(80), 2);
    auto videoImport = KWImportVideoController::create(project);
    std::optional<std::vector<FramePtr>> frames;
    videoImport->setHandlerImportComplete([&](const std::optional<std::vector<FramePtr>>& result) {
        frames = result;
        ++completions;
    });
    videoImport->showVideoPickerWithController(*screen);
    auto picker = waitForAlbums(videoImport->picker());
    ASSERT_TRUE(picker);
    auto cell = picker->tableView()->cellForRowAtIndexPath(ui::IndexPath{0, 0});
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->detailTextLabel()->text(), "2 Videos");
    savePicture("ELCAlbumPickerController-videos.png");
    auto grid = openAlbum(*picker, 0);
    ASSERT_TRUE(grid);

    EXPECT_FALSE(grid->doneButton());
    EXPECT_TRUE(grid->toolbarItems().empty());
    EXPECT_EQ(grid->title, "Select a Video");
    ASSERT_EQ(grid->assets().size(), 2u);
    for (const auto& view : grid->assets()) {
        EXPECT_FALSE(view->videoView()->isHidden());
        EXPECT_FALSE(view->imageView()->image().isNull());
    }
    EXPECT_EQ(grid->assets()[0]->labelDuration()->text(), "00:05  ");
    EXPECT_EQ(grid->assets()[1]->labelDuration()->text(), "00:02  ");
    savePicture("ELCAssetTablePicker-videos.png");

    tapThumbnail(*grid, 0);
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return completions > 0; }, 60));
    EXPECT_EQ(screen->presentedViewController(), nullptr);
    ASSERT_TRUE(frames.has_value());
    EXPECT_EQ(frames->size(), 60u);
}

TEST_F(PickerTest, RefusedLibraryAccessExplainsWhereToAllowIt) {
    library::PhotoLibrary::setAccessDenied(true);
    auto picker = presentPhotoPicker();
    ASSERT_TRUE(picker);
    EXPECT_TRUE(picker->assetGroups().empty());
    auto alerts = ui::AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), "Photo Library");
    EXPECT_EQ(alerts[0]->message(),
              "The app needs access to your camera roll in order save data. Go to system settings -> privacy -> photos "
              "and enable access for this app.");
    ASSERT_EQ(alerts[0]->numberOfButtons(), 1);
    alerts[0]->dismissWithClickedButtonIndex(0, false);
}

}  // namespace
