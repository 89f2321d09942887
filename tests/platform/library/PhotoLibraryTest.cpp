#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/library/PhotoLibraryFiles.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/SyncFailures.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/TestMovies.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using foundation::RunLoop;
using namespace library;

class PhotoLibraryTest : public ::testing::Test {
protected:
    void TearDown() override { PhotoLibrary::setAccessDenied(false); }

    std::string root() const { return folders_.root() + "/pictures"; }

    // Writes a picture and waits for the answer.
    std::string write(const PhotoLibrary& library, const graphics::Image& image,
                      graphics::ImageOrientation orientation = graphics::ImageOrientation::Up,
                      std::optional<foundation::Error>* errorOut = nullptr) {
        bool done = false;
        std::string url;
        library.writeImageToSavedPhotosAlbum(image, orientation, [&](const std::string& u, const auto& error) {
            EXPECT_TRUE(RunLoop::isMainThread());
            url = u;
            if (errorOut) *errorOut = error;
            done = true;
        });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
        return url;
    }

    std::vector<std::optional<PhotoGroup>> groups(const PhotoLibrary& library, uint32_t types,
                                                  std::optional<foundation::Error>* failure = nullptr) {
        std::vector<std::optional<PhotoGroup>> seen;
        bool done = false;
        library.enumerateGroups(
            types,
            [&](const std::optional<PhotoGroup>& group, bool*) {
                EXPECT_TRUE(RunLoop::isMainThread());
                seen.push_back(group);
                if (!group) done = true;
            },
            [&](const foundation::Error& error) {
                if (failure) *failure = error;
                done = true;
            });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
        return seen;
    }

    std::optional<PhotoAsset> lookUp(const PhotoLibrary& library, const std::string& url) {
        std::optional<PhotoAsset> found;
        bool done = false;
        library.assetForURL(
            url,
            [&](const std::optional<PhotoAsset>& asset) {
                found = asset;
                done = true;
            },
            [&](const foundation::Error&) { done = true; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
        return found;
    }

    std::optional<PhotoGroup> createAlbum(const PhotoLibrary& library, const std::string& name,
                                          std::optional<foundation::Error>* failure = nullptr) {
        std::optional<PhotoGroup> made;
        bool done = false;
        library.addAssetsGroupAlbum(
            name,
            [&](const std::optional<PhotoGroup>& group) {
                made = group;
                done = true;
            },
            [&](const foundation::Error& error) {
                if (failure) *failure = error;
                done = true;
            });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
        return made;
    }

    testsupport::TempAppFolders folders_;
    testsupport::VirtualClockScope clock_;
};

TEST_F(PhotoLibraryTest, DefaultRootFollowsTheTestRoot) {
    EXPECT_EQ(PhotoLibrary().rootDirectory(), root());
    foundation::Paths::setRootOverride(std::nullopt);
    std::string outside = PhotoLibrary::defaultRootDirectory();
    foundation::Paths::setRootOverride(folders_.root());
    EXPECT_NE(outside, root());
}

TEST_F(PhotoLibraryTest, WritesNumberedUprightJpegsIntoSavedPhotos) {
    PhotoLibrary library;
    // Stored 40 x 20 but shown turned a quarter: the file must hold 20 x 40.
    std::string first = write(library, testsupport::halvesImage(40, 20), graphics::ImageOrientation::Right);
    std::string second = write(library, testsupport::halvesImage(8, 8));
    EXPECT_EQ(first, "assets-library://asset/asset.JPG?id=IMG_0001.JPG&ext=JPG");
    EXPECT_EQ(second, "assets-library://asset/asset.JPG?id=IMG_0002.JPG&ext=JPG");

    auto check = testsupport::runPython(
        "import sys, struct\n"
        "d = open(sys.argv[1], 'rb').read()\n"
        "assert d[:2] == b'\\xff\\xd8' and d[-2:] == b'\\xff\\xd9'\n"
        "i = 2\n"
        "while True:\n"
        "    m, n = d[i + 1], struct.unpack('>H', d[i + 2:i + 4])[0]\n"
        "    if m in (0xC0, 0xC1, 0xC2):\n"
        "        h, w = struct.unpack('>HH', d[i + 5:i + 9]); print(w, h); break\n"
        "    i += 2 + n\n",
        {root() + "/IMG_0001.JPG"});
    ASSERT_EQ(check.exitCode, 0) << check.output;
    EXPECT_EQ(check.output, "20 40\n");

    auto asset = lookUp(library, first);
    ASSERT_TRUE(asset.has_value());
    EXPECT_EQ(asset->type(), AssetType::Photo);
    EXPECT_EQ(asset->orientation(), graphics::ImageOrientation::Up);
    auto picture = asset->fullResolutionImage();
    ASSERT_TRUE(picture.ok());
    EXPECT_EQ(picture->pixelWidth(), 20);
    EXPECT_EQ(picture->pixelHeight(), 40);
    EXPECT_EQ(asset->url(), first);
    EXPECT_EQ(asset->duration(), 0.0);
}

TEST_F(PhotoLibraryTest, NumbersContinueAfterTheHighestAndNeverReplace) {
    ASSERT_TRUE(foundation::FileManager::defaultManager().createDirectory(root(), true).ok());
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/IMG_0041.png", std::string_view("not a picture")).ok());
    PhotoLibrary library;
    EXPECT_EQ(write(library, testsupport::halvesImage(4, 4)),
              "assets-library://asset/asset.JPG?id=IMG_0042.JPG&ext=JPG");
    auto names = foundation::FileManager::defaultManager().contentsOfDirectory(root());
    ASSERT_TRUE(names.ok());
    // No temporary file is left behind.
    EXPECT_EQ(*names, (std::vector<std::string>{"IMG_0041.png", "IMG_0042.JPG"}));
}

TEST_F(PhotoLibraryTest, EnumeratesSavedPhotosThenAlbumsThenTheEnd) {
    PhotoLibrary library;
    write(library, testsupport::halvesImage(4, 4));
    auto& files = foundation::FileManager::defaultManager();
    ASSERT_TRUE(files.createDirectory(root() + "/Zoo", false).ok());
    ASSERT_TRUE(files.createDirectory(root() + "/Beach", false).ok());
    ASSERT_TRUE(files.createDirectory(root() + "/.thumbnails", false).ok());
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/notes.txt", std::string_view("x")).ok());

    auto all = groups(library, kAssetsGroupAll);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0]->name(), kSavedPhotosGroupName);
    EXPECT_EQ(all[0]->type(), kAssetsGroupSavedPhotos);
    EXPECT_FALSE(all[0]->isEditable());
    EXPECT_EQ(all[0]->numberOfAssets(), 1);
    EXPECT_EQ(all[1]->name(), "Beach");
    EXPECT_EQ(all[1]->type(), kAssetsGroupAlbum);
    EXPECT_EQ(all[2]->name(), "Zoo");
    EXPECT_FALSE(all[3].has_value());

    auto albums = groups(library, kAssetsGroupAlbum);
    ASSERT_EQ(albums.size(), 3u);
    EXPECT_EQ(albums[0]->name(), "Beach");

    // Stopping ends the enumeration without the final call.
    std::vector<std::string> names;
    library.enumerateGroups(
        kAssetsGroupAll,
        [&](const std::optional<PhotoGroup>& group, bool* stop) {
            names.push_back(group ? group->name() : "<end>");
            if (group && group->name() == "Beach") *stop = true;
        },
        nullptr);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(names, (std::vector<std::string>{kSavedPhotosGroupName, "Beach"}));
}

TEST_F(PhotoLibraryTest, MissingRootIsAnEmptyLibrary) {
    PhotoLibrary library(folders_.root() + "/nowhere");
    auto all = groups(library, kAssetsGroupAll);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0]->numberOfAssets(), 0);
    EXPECT_TRUE(all[0]->posterImage().isNull());
    EXPECT_FALSE(all[1].has_value());
}

TEST_F(PhotoLibraryTest, UrlsThatLeaveTheLibraryFindNothing) {
    PhotoLibrary library;
    std::string url = write(library, testsupport::halvesImage(4, 4));
    ASSERT_TRUE(foundation::writeFileAtomically(folders_.root() + "/secret.jpg", std::string_view("x")).ok());
    for (const char* bad : {"assets-library://asset/asset.JPG?id=..%2Fsecret.jpg&ext=JPG",
                            "assets-library://asset/asset.JPG?id=../secret.jpg&ext=JPG",
                            "assets-library://asset/asset.JPG?id=%2Fetc%2Fpasswd&ext=JPG",
                            "assets-library://asset/asset.JPG?id=a%2Fb%2Fc.jpg&ext=JPG",
                            "assets-library://asset/asset.JPG?id=IMG_0001.JPG&id=x.jpg",
                            "assets-library://asset/asset.JPG?id=IMG_0001.JPG%",
                            "assets-library://asset/asset.JPG?id=IMG_0009.JPG&ext=JPG",
                            "assets-library://asset/asset.JPG", "file:///etc/passwd", ""}) {
        EXPECT_FALSE(lookUp(library, bad).has_value()) << bad;
    }
    EXPECT_TRUE(lookUp(library, url).has_value());
}

TEST_F(PhotoLibraryTest, NamesWithSpacesAndAccentsRoundTrip) {
    auto& files = foundation::FileManager::defaultManager();
    ASSERT_TRUE(files.createDirectory(root() + "/Ferien & Meer", true).ok());
    auto jpeg = testsupport::halvesImage(6, 6).jpegData(0.8);
    ASSERT_TRUE(jpeg.ok());
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/Ferien & Meer/Strand ä?.jpg", *jpeg).ok());
    PhotoLibrary library;
    auto all = groups(library, kAssetsGroupAlbum);
    ASSERT_EQ(all.size(), 2u);
    auto assets = all[0]->assets();
    ASSERT_EQ(assets.size(), 1u);
    EXPECT_EQ(assets[0].identifier(), "Ferien & Meer/Strand ä?.jpg");
    auto again = lookUp(library, assets[0].url());
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(*again, assets[0]);
    EXPECT_EQ(again->path(), root() + "/Ferien & Meer/Strand ä?.jpg");
}

TEST_F(PhotoLibraryTest, AlbumsAreCreatedOnceAndMustBeFolderNames) {
    PhotoLibrary library;
    auto album = createAlbum(library, "Tollivar");
    ASSERT_TRUE(album.has_value());
    EXPECT_EQ(album->name(), "Tollivar");
    EXPECT_TRUE(album->isEditable());
    bool isDirectory = false;
    EXPECT_TRUE(foundation::FileManager::defaultManager().fileExists(root() + "/Tollivar", &isDirectory));
    EXPECT_TRUE(isDirectory);
    // As the platform's: an existing name answers with no group, not an error.
    std::optional<foundation::Error> failure;
    EXPECT_FALSE(createAlbum(library, "Tollivar", &failure).has_value());
    EXPECT_FALSE(failure.has_value());
    EXPECT_TRUE(createAlbum(library, "tollivar").has_value());

    for (const char* bad : {"", "..", ".hidden", "a/b", "/abs"}) {
        failure.reset();
        EXPECT_FALSE(createAlbum(library, bad, &failure).has_value()) << bad;
        ASSERT_TRUE(failure.has_value()) << bad;
        EXPECT_EQ(failure->domain, kAssetsLibraryErrorDomain);
        EXPECT_EQ(failure->code, kAssetsLibraryWriteInvalidDataError);
    }
}

TEST_F(PhotoLibraryTest, AddingLinksTheFileOnceAndKeepsOtherFiles) {
    PhotoLibrary library;
    auto asset = lookUp(library, write(library, testsupport::halvesImage(4, 4)));
    ASSERT_TRUE(asset.has_value());
    auto album = createAlbum(library, "Movies");
    ASSERT_TRUE(album.has_value());
    // Another picture of the same name already sits in the album.
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/Movies/IMG_0001.JPG", std::string_view("other")).ok());

    EXPECT_TRUE(album->addAsset(*asset));
    EXPECT_TRUE(album->addAsset(*asset));
    auto names = foundation::FileManager::defaultManager().contentsOfDirectory(root() + "/Movies");
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(*names, (std::vector<std::string>{"IMG_0001-2.JPG", "IMG_0001.JPG"}));
    struct stat a {
    }, b{};
    ASSERT_EQ(::stat((root() + "/IMG_0001.JPG").c_str(), &a), 0);
    ASSERT_EQ(::stat((root() + "/Movies/IMG_0001-2.JPG").c_str(), &b), 0);
    EXPECT_EQ(a.st_ino, b.st_ino);
    auto other = foundation::readFile(root() + "/Movies/IMG_0001.JPG");
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(std::string(other->begin(), other->end()), "other");

    // The saved-photos group takes no items, and items of another library are refused.
    auto saved = groups(library, kAssetsGroupSavedPhotos);
    EXPECT_FALSE(saved[0]->addAsset(*asset));
    PhotoLibrary elsewhere(folders_.root() + "/other");
    auto foreign = createAlbum(elsewhere, "X");
    ASSERT_TRUE(foreign.has_value());
    EXPECT_FALSE(foreign->addAsset(*asset));
}

TEST_F(PhotoLibraryTest, FiltersOrderAndPoster) {
    auto& files = foundation::FileManager::defaultManager();
    ASSERT_TRUE(files.createDirectory(root() + "/Mixed", true).ok());
    auto red = graphics::Image::filled(30, 20, {255, 0, 0, 255}).jpegData(0.9);
    auto green = graphics::Image::filled(20, 30, {0, 255, 0, 255}).pngData();
    ASSERT_TRUE(red.ok() && green.ok());
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/Mixed/b.jpeg", *red).ok());
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/Mixed/a.PNG", *green).ok());
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/Mixed/c.mov", std::string_view("not a movie")).ok());
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/Mixed/.d.jpg", *red).ok());
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/Mixed/e.gif", *red).ok());
    // Oldest first, whatever the names say.
    ASSERT_TRUE(files.setModificationDate(root() + "/Mixed/b.jpeg", foundation::Date{100}).ok());
    ASSERT_TRUE(files.setModificationDate(root() + "/Mixed/a.PNG", foundation::Date{200}).ok());
    ASSERT_TRUE(files.setModificationDate(root() + "/Mixed/c.mov", foundation::Date{300}).ok());

    PhotoLibrary library;
    auto albums = groups(library, kAssetsGroupAlbum);
    ASSERT_EQ(albums.size(), 2u);
    PhotoGroup mixed = *albums[0];
    auto all = mixed.assets();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].identifier(), "Mixed/b.jpeg");
    EXPECT_EQ(all[1].identifier(), "Mixed/a.PNG");
    EXPECT_EQ(all[2].type(), AssetType::Video);
    EXPECT_EQ(all[2].duration(), 0.0);
    EXPECT_TRUE(all[2].thumbnail().isNull());
    EXPECT_FALSE(all[2].fullResolutionImage().ok());

    mixed.setAssetsFilter(AssetsFilter::AllPhotos);
    EXPECT_EQ(mixed.numberOfAssets(), 2);
    // The poster is the newest picture: green, square.
    graphics::Image poster = mixed.posterImage();
    ASSERT_FALSE(poster.isNull());
    EXPECT_EQ(poster.pixelWidth(), kAssetThumbnailPixels);
    EXPECT_EQ(poster.pixelHeight(), kAssetThumbnailPixels);
    EXPECT_EQ(poster.pixelAt(75, 75).g, 255);
    mixed.setAssetsFilter(AssetsFilter::AllVideos);
    EXPECT_EQ(mixed.numberOfAssets(), 1);

    std::vector<size_t> indexes;
    mixed.setAssetsFilter(AssetsFilter::AllAssets);
    mixed.enumerateAssets([&](const PhotoAsset&, size_t index, bool* stop) {
        indexes.push_back(index);
        *stop = index == 1;
    });
    EXPECT_EQ(indexes, (std::vector<size_t>{0, 1}));
}

TEST_F(PhotoLibraryTest, ExifOrientationTurnsThumbnailsButNotTheStoredPicture) {
    auto jpeg = testsupport::halvesImage(40, 20).jpegData(0.95);
    ASSERT_TRUE(jpeg.ok());
    ASSERT_TRUE(foundation::FileManager::defaultManager().createDirectory(root(), true).ok());
    // EXIF 6: the stored picture is to be turned 90° clockwise for display.
    ASSERT_TRUE(
        foundation::writeFileAtomically(root() + "/turned.jpg", testsupport::jpegWithExifOrientation(*jpeg, 6, true))
            .ok());
    PhotoLibrary library;
    auto asset = lookUp(library, "assets-library://asset/asset.JPG?id=turned.jpg&ext=JPG");
    ASSERT_TRUE(asset.has_value());
    EXPECT_EQ(asset->orientation(), graphics::ImageOrientation::Right);
    auto stored = asset->fullResolutionImage();
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored->pixelWidth(), 40);
    EXPECT_EQ(stored->orientation(), graphics::ImageOrientation::Up);
    // Upright, red (the stored left half) is on top: the square's top row is red, bottom row blue.
    graphics::Image thumbnail = asset->thumbnail();
    ASSERT_EQ(thumbnail.pixelWidth(), kAssetThumbnailPixels);
    EXPECT_GT(thumbnail.pixelAt(75, 5).r, 200);
    EXPECT_GT(thumbnail.pixelAt(75, 144).b, 200);
}

TEST_F(PhotoLibraryTest, VideosKeepTheirLengthAndOnlyMoviesAreTaken) {
    std::string movie = folders_.root() + "/clip.mov";
    auto made = testsupport::runProcess(
        {"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=duration=2.5:size=64x48:rate=10", "-y", movie});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    auto probe = testsupport::runProcess(
        {"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", movie});
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    double expected = std::stod(probe.output);

    PhotoLibrary library;
    bool done = false;
    std::string url;
    library.writeVideoAtPathToSavedPhotosAlbum(movie, [&](const std::string& u, const auto& error) {
        EXPECT_FALSE(error.has_value());
        url = u;
        done = true;
    });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
    EXPECT_EQ(url, "assets-library://asset/asset.MOV?id=IMG_0001.MOV&ext=MOV");
    auto asset = lookUp(library, url);
    ASSERT_TRUE(asset.has_value());
    EXPECT_EQ(asset->type(), AssetType::Video);
    EXPECT_NEAR(asset->duration(), expected, 0.01);

    done = false;
    std::optional<foundation::Error> refused;
    ASSERT_TRUE(foundation::writeFileAtomically(folders_.root() + "/fake.mov", std::string_view("nope")).ok());
    library.writeVideoAtPathToSavedPhotosAlbum(folders_.root() + "/fake.mov",
                                               [&](const std::string& u, const auto& error) {
                                                   EXPECT_TRUE(u.empty());
                                                   refused = error;
                                                   done = true;
                                               });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->code, kAssetsLibraryWriteIncompatibleDataError);

    // Into an album: one file there and none in the root, a file of its own.
    struct Save {
        std::string album, url;
    };
    for (const Save& save : {Save{"Tollivar", "assets-library://asset/asset.MOV?id=Tollivar%2FIMG_0001.MOV&ext=MOV"},
                             Save{"Tollivar", "assets-library://asset/asset.MOV?id=Tollivar%2FIMG_0002.MOV&ext=MOV"}}) {
        done = false;
        library.writeVideoAtPathToAlbum(movie, save.album, [&](const std::string& u, const auto& error) {
            EXPECT_FALSE(error.has_value());
            url = u;
            done = true;
        });
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
        EXPECT_EQ(url, save.url);
        auto saved = lookUp(library, url);
        ASSERT_TRUE(saved.has_value());
        EXPECT_FALSE(std::filesystem::equivalent(saved->path(), movie));
        EXPECT_NEAR(saved->duration(), expected, 0.01);
    }
    EXPECT_EQ(std::filesystem::hard_link_count(movie), 1u);
    auto albums = groups(library, kAssetsGroupAlbum);
    ASSERT_EQ(albums.size(), 2u) << "the album, then the end";
    EXPECT_EQ(albums[0]->name(), "Tollivar");
    EXPECT_EQ(albums[0]->numberOfAssets(), 2);
    EXPECT_EQ(groups(library, kAssetsGroupSavedPhotos)[0]->numberOfAssets(), 1) << "only the first, plain save";

    // An album name that is no folder name is refused like a new album's.
    done = false;
    library.writeVideoAtPathToAlbum(movie, "../escape", [&](const std::string& u, const auto& error) {
        EXPECT_TRUE(u.empty());
        refused = error;
        done = true;
    });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->code, kAssetsLibraryWriteInvalidDataError);
}

TEST_F(PhotoLibraryTest, VideoThumbnailsWithoutProviderShowTheMoviesFirstPicture) {
    ASSERT_TRUE(foundation::FileManager::defaultManager().createDirectory(root(), true).ok());
    ASSERT_TRUE(foundation::FileManager::defaultManager()
                    .copyItem(testsupport::testMovie(testsupport::TestMovie::FiveSeconds), root() + "/clip.mp4")
                    .ok());
    PhotoLibrary library;
    auto asset = lookUp(library, "assets-library://asset/asset.MP4?id=clip.mp4&ext=MP4");
    ASSERT_TRUE(asset.has_value());
    EXPECT_NEAR(asset->duration(), 5.0, 0.05);
    graphics::Image thumbnail = asset->thumbnail();
    ASSERT_EQ(thumbnail.pixelWidth(), kAssetThumbnailPixels);
    EXPECT_EQ(thumbnail.pixelHeight(), kAssetThumbnailPixels);
    // The centre square of frame 0: its middle band, digit 0.
    EXPECT_TRUE(testsupport::pixelNear(thumbnail.pixelAt(75, 75), {8, 8, 8, 255}, 6));
}

TEST_F(PhotoLibraryTest, VideoThumbnailsComeFromTheInstalledProvider) {
    ASSERT_TRUE(foundation::FileManager::defaultManager().createDirectory(root(), true).ok());
    ASSERT_TRUE(foundation::writeFileAtomically(root() + "/clip.mp4", std::string_view("movie")).ok());
    PhotoLibrary library;
    auto asset = lookUp(library, "assets-library://asset/asset.MP4?id=clip.mp4&ext=MP4");
    ASSERT_TRUE(asset.has_value());
    EXPECT_TRUE(asset->thumbnail().isNull());

    std::string asked;
    PhotoLibrary::setVideoFrameProvider([&](const std::string& path) {
        asked = path;
        return graphics::Image::filled(320, 180, {0, 0, 255, 255});
    });
    graphics::Image thumbnail = asset->thumbnail();
    auto videos = groups(library, kAssetsGroupSavedPhotos);
    graphics::Image poster = videos[0]->posterImage();
    PhotoLibrary::setVideoFrameProvider(nullptr);

    EXPECT_EQ(asked, root() + "/clip.mp4");
    ASSERT_EQ(thumbnail.pixelWidth(), kAssetThumbnailPixels);
    EXPECT_EQ(thumbnail.pixelHeight(), kAssetThumbnailPixels);
    EXPECT_EQ(thumbnail.pixelAt(10, 10).b, 255);
    EXPECT_FALSE(poster.isNull());
}

TEST_F(PhotoLibraryTest, MovieHeadersOfBothVersions) {
    auto box = [](const char* type, const foundation::Bytes& body) {
        foundation::Bytes out;
        uint32_t size = uint32_t(body.size() + 8);
        out = {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)};
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), body.begin(), body.end());
        return out;
    };
    // Version 0: timescale 600, duration 1500 → 2.5 s; the movie box after the data.
    foundation::Bytes mvhd0 = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0x02, 0x58, 0, 0, 0x05, 0xDC};
    foundation::Bytes file0 = box("ftyp", {'q', 't', ' ', ' '});
    foundation::Bytes mdat = box("mdat", foundation::Bytes(100, 7));
    file0.insert(file0.end(), mdat.begin(), mdat.end());
    foundation::Bytes moov0 = box("moov", box("mvhd", mvhd0));
    file0.insert(file0.end(), moov0.begin(), moov0.end());
    // Version 1: 64-bit times, timescale 1000, duration 90000 → 90 s.
    foundation::Bytes mvhd1 = {1, 0, 0, 0};
    mvhd1.resize(4 + 16, 0);
    for (uint8_t b : {0, 0, 0x03, 0xE8, 0, 0, 0, 0, 0, 0x01, 0x5F, 0x90}) mvhd1.push_back(b);
    foundation::Bytes file1 = box("moov", box("mvhd", mvhd1));
    // Damaged: a box size running past the end.
    foundation::Bytes damaged = file0;
    damaged[3] = 0xFF;

    std::string dir = folders_.root();
    ASSERT_TRUE(foundation::writeFileAtomically(dir + "/v0.mov", file0).ok());
    ASSERT_TRUE(foundation::writeFileAtomically(dir + "/v1.mp4", file1).ok());
    ASSERT_TRUE(foundation::writeFileAtomically(dir + "/bad.mov", damaged).ok());
    EXPECT_EQ(detail::movieDuration(dir + "/v0.mov"), 2.5);
    EXPECT_EQ(detail::movieDuration(dir + "/v1.mp4"), 90.0);
    EXPECT_FALSE(detail::movieDuration(dir + "/bad.mov").has_value());
    EXPECT_FALSE(detail::movieDuration(dir + "/missing.mov").has_value());
}

TEST_F(PhotoLibraryTest, DeniedAccessFailsEveryCall) {
    PhotoLibrary library;
    write(library, testsupport::halvesImage(4, 4));
    PhotoLibrary::setAccessDenied(true);

    std::optional<foundation::Error> failure;
    auto seen = groups(library, kAssetsGroupAll, &failure);
    EXPECT_TRUE(seen.empty());
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->domain, "ALAssetsLibraryErrorDomain");
    EXPECT_EQ(failure->code, -3311);

    std::optional<foundation::Error> writeError;
    EXPECT_EQ(write(library, testsupport::halvesImage(4, 4), graphics::ImageOrientation::Up, &writeError), "");
    ASSERT_TRUE(writeError.has_value());
    EXPECT_EQ(writeError->code, -3311);

    failure.reset();
    EXPECT_FALSE(createAlbum(library, "New", &failure).has_value());
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->code, -3311);
    EXPECT_FALSE(foundation::FileManager::defaultManager().fileExists(root() + "/New"));
    EXPECT_FALSE(foundation::FileManager::defaultManager().fileExists(root() + "/IMG_0002.JPG"));
}

TEST_F(PhotoLibraryTest, ACrashedSaveIsSweptAndOnlyRealWriteErrorsReachTheCaller) {
    // What a save killed midway left: its claimed temporary, now held by no
    // one. A save under way in another process holds its own.
    const std::string leftover = root() + "/.photo.partial-3C9A1F70-5D2B-4E8F-9A61-7B0C2E4D8F13";
    testsupport::writeFileBytes(leftover, "half a picture");
    auto underWay = foundation::TemporaryClaim::create(root() + "/photo", foundation::TemporaryClaim::Kind::File);
    ASSERT_TRUE(underWay);
    PhotoLibrary library;
    {
        // On a file system that cannot flush folders the picture is saved all the same.
        testsupport::ScopedSyncFailure folders(testsupport::ScopedSyncFailure::On::Folders, EINVAL);
        EXPECT_EQ(write(library, testsupport::halvesImage(8, 8)),
                  "assets-library://asset/asset.JPG?id=IMG_0001.JPG&ext=JPG");
        EXPECT_GT(folders.failures(), 0) << "the new name is flushed into its folder";
    }
    EXPECT_FALSE(std::filesystem::exists(leftover)) << "swept by the next save";
    EXPECT_TRUE(std::filesystem::exists(underWay->path())) << "a held one is in use";
    underWay->discard();

    // A disk that loses the picture or its new name: the caller is told, and
    // nothing is left, neither the item nor its temporary.
    for (auto on : {testsupport::ScopedSyncFailure::On::Files, testsupport::ScopedSyncFailure::On::Folders}) {
        SCOPED_TRACE(on == testsupport::ScopedSyncFailure::On::Files ? "file" : "folder");
        testsupport::ScopedSyncFailure disk(on, EIO);
        std::optional<foundation::Error> error;
        EXPECT_EQ(write(library, testsupport::halvesImage(8, 8), graphics::ImageOrientation::Up, &error), "");
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code, kAssetsLibraryWriteFailedError);
        ASSERT_TRUE(error->underlying);
        EXPECT_NE(error->underlying->description.find("Input/output error"), std::string::npos)
            << error->underlying->description;
        EXPECT_EQ(testsupport::namesInFolder(root()), std::vector<std::string>{"IMG_0001.JPG"});
    }
}

TEST_F(PhotoLibraryTest, EmptyPictureIsRefused) {
    PhotoLibrary library;
    std::optional<foundation::Error> error;
    EXPECT_EQ(write(library, graphics::Image(), graphics::ImageOrientation::Up, &error), "");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, kAssetsLibraryWriteInvalidDataError);
}

}  // namespace
