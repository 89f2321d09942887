#include "app/widgets/categories/ALAssetsLibrary_CustomPhotoAlbum.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using foundation::RunLoop;
using library::PhotoLibrary;
namespace album = ALAssetsLibrary_CustomPhotoAlbum;

class CustomPhotoAlbumTest : public ::testing::Test {
protected:
    void TearDown() override { PhotoLibrary::setAccessDenied(false); }

    std::string root() const { return folders_.root() + "/pictures"; }

    std::vector<std::string> filesIn(const std::string& folder) const {
        auto names = foundation::FileManager::defaultManager().contentsOfDirectory(folder);
        return names ? *names : std::vector<std::string>{};
    }

    // Saves and waits for the completion; returns its error.
    std::optional<foundation::Error> save(const graphics::Image& image, const std::string& name) {
        bool done = false;
        std::optional<foundation::Error> result;
        album::saveImage(library_, image, name, [&](const std::optional<foundation::Error>& error) {
            EXPECT_TRUE(RunLoop::isMainThread());
            EXPECT_FALSE(done) << "completion ran twice";
            result = error;
            done = true;
        });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
        RunLoop::main().runUntilIdle();
        return result;
    }

    testsupport::TempAppFolders folders_;
    testsupport::VirtualClockScope clock_;
    PhotoLibrary library_;
    graphics::Image picture_ = graphics::Image::filled(16, 8, {10, 200, 30, 255});
};

TEST_F(CustomPhotoAlbumTest, SavingTwiceCreatesTheAlbumOnce) {
    EXPECT_FALSE(save(picture_, "Tollivar").has_value());
    EXPECT_FALSE(save(picture_, "Tollivar").has_value());
    EXPECT_EQ(filesIn(root()), (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.JPG", "Tollivar"}));
    EXPECT_EQ(filesIn(root() + "/Tollivar"), (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.JPG"}));
}

TEST_F(CustomPhotoAlbumTest, LetterCaseMakesAnotherAlbum) {
    EXPECT_FALSE(save(picture_, "Tollivar").has_value());
    EXPECT_FALSE(save(picture_, "tollivar").has_value());
    EXPECT_EQ(filesIn(root() + "/Tollivar"), (std::vector<std::string>{"IMG_0001.JPG"}));
    EXPECT_EQ(filesIn(root() + "/tollivar"), (std::vector<std::string>{"IMG_0002.JPG"}));
}

TEST_F(CustomPhotoAlbumTest, SavesStartedTogetherBothReachTheNewAlbum) {
    int completions = 0;
    std::vector<std::optional<foundation::Error>> errors;
    for (int i = 0; i < 2; ++i) {
        album::saveImage(library_, picture_, "Burst", [&](const std::optional<foundation::Error>& error) {
            errors.push_back(error);
            ++completions;
        });
    }
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return completions == 2; }, 30));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(completions, 2);
    for (const auto& error : errors) EXPECT_FALSE(error.has_value()) << error->description;
    EXPECT_EQ(filesIn(root() + "/Burst"), (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.JPG"}));
}

TEST_F(CustomPhotoAlbumTest, PictureIsStoredUpright) {
    // 16 x 8 stored, turned a quarter for display: 8 x 16 upright.
    EXPECT_FALSE(save(picture_.withOrientation(graphics::ImageOrientation::Left), "Turned").has_value());
    auto stored = graphics::Image::load(root() + "/Turned/IMG_0001.JPG");
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored->pixelWidth(), 8);
    EXPECT_EQ(stored->pixelHeight(), 16);
}

TEST_F(CustomPhotoAlbumTest, DeniedAccessReportsTheLibrarysError) {
    PhotoLibrary::setAccessDenied(true);
    auto error = save(picture_, "Tollivar");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->domain, library::kAssetsLibraryErrorDomain);
    EXPECT_EQ(error->code, library::kAssetsLibraryAccessUserDeniedError);
    EXPECT_TRUE(filesIn(root()).empty());
}

TEST_F(CustomPhotoAlbumTest, AnItemThatIsNotThereIsAnError) {
    bool done = false;
    std::optional<foundation::Error> result;
    album::addAssetURL(library_, "assets-library://asset/asset.JPG?id=IMG_0404.JPG&ext=JPG", "Tollivar",
                       [&](const std::optional<foundation::Error>& error) {
                           result = error;
                           done = true;
                       });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->code, library::kAssetsLibraryDataUnavailableError);
    // The album is made all the same, as it would be for an item that exists.
    EXPECT_EQ(filesIn(root() + "/Tollivar"), std::vector<std::string>{});
}

TEST_F(CustomPhotoAlbumTest, AnAlbumNameThatCannotBeAFolderIsAnError) {
    auto error = save(picture_, "a/b");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, library::kAssetsLibraryWriteInvalidDataError);
    // The picture itself is in the saved photos.
    EXPECT_EQ(filesIn(root()), (std::vector<std::string>{"IMG_0001.JPG"}));
}

}  // namespace
