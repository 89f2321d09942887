// The music-library picker over synthetic libraries and over a folder of
// ffmpeg-made, tagged files, driven by synthetic fingers.

#include "PickerFixture.h"
#include "app/audio/JGAlbumTrackTableViewCell.h"
#include "app/audio/JGAlbumViewController.h"
#include "app/audio/JGMediaPickerController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/MediaQuery.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "support/TestSounds.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

library::MusicLibraryPtr songsNamed(const std::vector<std::string>& names) {
    std::vector<library::MediaItem> items;
    for (const auto& name : names) {
        library::MediaItem item;
        item.title = name;
        item.artist = name;
        item.albumTitle = name;
        item.assetURL = "/music/" + name + ".mp3";
        items.push_back(item);
    }
    return library::MusicLibrary::createSynthetic(std::move(items));
}

// The picker's delegate: notes what it hears.
class Caller : public JGMediaPickerDelegate {
public:
    void jgMediaPicker(JGMediaPickerController&, const library::MediaItemCollectionPtr& items,
                       const library::MediaItemPtr& item) override {
        picked = items;
        chosen = item;
    }
    void jgMediaPickerDidCancel(JGMediaPickerController&) override { ++cancels; }
    library::MediaItemCollectionPtr picked;
    library::MediaItemPtr chosen;
    int cancels = 0;
};

class JGMediaPickerTest : public audiotest::PickerFixture<JGMediaPickerController> {
protected:
    void show(library::MusicLibraryPtr musicLibrary) {
        present(JGMediaPickerController::create(std::move(musicLibrary)), &caller);
    }
    ui::NavigationController& stack(size_t tab) {
        return static_cast<ui::NavigationController&>(*picker->tabBarController()->viewControllers().at(tab));
    }
    void selectTab(size_t tab) {
        window->layoutIfNeeded();
        const graphics::Rect rect = picker->tabBarController()->tabBar().rectForItemAtIndex(tab);
        fingers.tap(inWindow(picker->tabBarController()->tabBar(), {rect.midX(), rect.midY()}));
        window->layoutIfNeeded();
    }
    void tapRow(ui::TableView& table, size_t row, size_t section = 0) {
        window->layoutIfNeeded();
        auto cell = table.cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(row, section));
        ASSERT_TRUE(cell) << "row " << row << " not on screen";
        tap(cell.get());
        advance(0.6);  // the push
        window->layoutIfNeeded();
    }
    Caller caller;
};

TEST_F(JGMediaPickerTest, LongListsGetFirstLetterSectionsOnlyFrom26ItemsInTwoSections) {
    struct Case {
        const char* what;
        int queryType;
        std::vector<std::string> names;
        std::vector<std::string> indexTitles;
    };
    std::vector<std::string> mixed, sameLetter, twentyFive;
    for (int i = 0; i < 26; ++i) {
        mixed.push_back(std::string(1, char(i < 13 ? 'A' : 'B')) + std::to_string(i));
        sameLetter.push_back("S" + std::to_string(i));
        if (i < 25) twentyFive.push_back(std::string(1, char('A' + i)) + "x");
    }
    const std::vector<Case> cases = {
        {"25 items", JGMediaQueryViewController::kSongs, twentyFive, {}},
        {"26 in one section", JGMediaQueryViewController::kSongs, sameLetter, {}},
        {"26 songs in two", JGMediaQueryViewController::kSongs, mixed, {"A", "B"}},
        {"26 artists in two", JGMediaQueryViewController::kArtists, mixed, {"A", "B"}},
        {"26 albums in two", JGMediaQueryViewController::kAlbums, mixed, {"A", "B"}},
    };
    for (const Case& c : cases) {
        auto musicLibrary = songsNamed(c.names);
        auto list = std::make_shared<JGMediaQueryViewController>();
        list->setMediaQuery(
            c.queryType == JGMediaQueryViewController::kArtists  ? library::MediaQuery::artistsQuery(musicLibrary)
            : c.queryType == JGMediaQueryViewController::kAlbums ? library::MediaQuery::albumsQuery(musicLibrary)
                                                                 : library::MediaQuery::songsQuery(musicLibrary));
        list->setQueryType(c.queryType);
        window->addSubview(list->viewPtr());
        ui::TableView& table = *list->itemTableView();
        window->layoutIfNeeded();
        EXPECT_EQ(table.sectionIndexTitles(), c.indexTitles) << c.what;
        const size_t sections = c.indexTitles.empty() ? 1 : c.indexTitles.size();
        ASSERT_EQ(table.numberOfSections(), sections) << c.what;
        size_t rows = 0;
        for (size_t s = 0; s < sections; ++s) rows += table.numberOfRowsInSection(s);
        EXPECT_EQ(rows, c.names.size()) << c.what;
        if (sections == 2) {
            EXPECT_EQ(table.numberOfRowsInSection(1), 13u) << c.what;
            EXPECT_EQ(list->sectionForSectionIndexTitle(table, "B", 0), 1u) << c.what;
            EXPECT_EQ(list->itemAtIndexPath({1, 0})->representativeItem()->title, "B13") << c.what;
        }
        list->view()->removeFromSuperview();
    }
}

TEST_F(JGMediaPickerTest, TappingASongHandsOverTheWholeListAndTheSongUnplayableOnesTakeNoTouches) {
    std::vector<library::MediaItem> items(4);
    const char* titles[] = {"Carol", "Anthem", "Ballad", "Dirge"};
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].title = titles[i];
        items[i].assetURL = std::string("/music/") + titles[i] + ".mp3";
    }
    items[3].assetURL.reset();  // not downloaded
    show(library::MusicLibrary::createSynthetic(items));
    EXPECT_EQ(picker->selectedTabIndex(), 1);
    selectTab(3);
    EXPECT_EQ(picker->selectedTabIndex(), 3);
    ui::TableView& table = *picker->songsViewController()->itemTableView();
    auto dirge = table.cellForRowAtIndexPath({0, 3});
    ASSERT_TRUE(dirge);
    EXPECT_FALSE(dirge->isUserInteractionEnabled());
    EXPECT_EQ(dirge->textLabel()->textColor(), graphics::Color::lightGray());

    tapRow(table, 1);
    ASSERT_TRUE(caller.picked);
    EXPECT_EQ(caller.picked->count(), 4u);
    EXPECT_EQ(caller.chosen->title, "Ballad");
    tapRow(table, 3);
    EXPECT_EQ(caller.chosen->title, "Ballad");  // the unplayable row took no tap
    savePicture("MusicPicker-Songs.png");

    // Cancel on the list's navigation bar reaches the caller.
    picker->songsViewController()->cancelButtonTap();
    EXPECT_EQ(caller.cancels, 1);
}

TEST_F(JGMediaPickerTest, TaggedFilesListByArtistAlbumAndTrackAndPreview) {
    const std::string music = folders.root() + "/Music";
    fs::create_directories(music);
    auto make = [&](const std::string& name, double seconds, std::vector<std::string> tags) {
        std::vector<std::string> arguments = {"-f", "lavfi", "-i",
                                              "aevalsrc=0.1*sin(2*PI*330*t):s=44100:d=" + std::to_string(seconds)};
        for (const auto& tag : tags) arguments.insert(arguments.end(), {"-metadata", tag});
        arguments.push_back(music + "/" + name);
        testsupport::ffmpegOutput(arguments);
    };
    make("b.mp3", 2.0, {"title=Beta", "artist=Zed", "album=Second", "track=2"});
    make("a.m4a", 1.5, {"title=Alpha", "artist=Zed", "album=Second", "track=1", "date=2014"});
    make("k.mp3", 1.0, {"title=Kappa", "artist=Ann", "album=First", "track=1"});
    show(library::MusicLibrary::createWithFolder(music));

    selectTab(2);  // artists: Ann, Zed
    ui::TableView& artists = *picker->artistsViewController()->itemTableView();
    ASSERT_EQ(artists.numberOfRowsInSection(0), 2u);
    EXPECT_EQ(artists.cellForRowAtIndexPath({0, 1})->textLabel()->text(), "Zed");
    tapRow(artists, 1);
    auto* albums = dynamic_cast<JGMediaQueryViewController*>(stack(2).topViewController());
    ASSERT_NE(albums, nullptr);
    EXPECT_EQ(albums->title, "Zed");
    ASSERT_EQ(albums->items().size(), 1u);
    tapRow(*albums->itemTableView(), 0);
    auto* album = dynamic_cast<JGAlbumViewController*>(stack(2).topViewController());
    ASSERT_NE(album, nullptr);
    EXPECT_EQ(album->albumTitleLabel()->text(), "Second");
    EXPECT_EQ(album->albumArtistLabel()->text(), "Zed");
    EXPECT_EQ(album->albumReleaseDateLabel()->text(), "Released 2014");
    EXPECT_EQ(album->albumTrackCountTimeLabel()->text(), "2 Songs, 0 Mins.");
    window->layoutIfNeeded();
    auto row = [&](size_t index) {
        return std::dynamic_pointer_cast<JGAlbumTrackTableViewCell>(
            album->tableView()->cellForRowAtIndexPath({0, index}));
    };
    ASSERT_TRUE(row(1));
    EXPECT_EQ(row(0)->trackNameLabel()->text(), "Alpha");
    EXPECT_EQ(row(1)->trackNumberLabel()->text(), "2");
    EXPECT_EQ(row(1)->trackLengthLabel()->text(), "0:02");
    savePicture("MusicPicker-Album.png");

    // Listening: the row's button starts its file, the same button stops it,
    // another row's takes over, and the end of the file clears it.
    tap(row(1)->btnPlay());
    EXPECT_EQ(album->currentPlayedItemIndex(), 1);
    ASSERT_TRUE(album->preview().player());
    EXPECT_EQ(album->preview().player()->path(), music + "/b.mp3");
    window->layoutIfNeeded();
    EXPECT_TRUE(row(1)->btnPlay()->isSelected());
    tap(row(1)->btnPlay());
    EXPECT_EQ(album->currentPlayedItemIndex(), -1);
    tap(row(0)->btnPlay());
    EXPECT_EQ(album->currentPlayedItemIndex(), 0);
    advance(2.0);
    EXPECT_EQ(album->currentPlayedItemIndex(), -1);
    EXPECT_FALSE(album->preview().player());

    tapRow(*album->tableView(), 1);
    ASSERT_TRUE(caller.chosen);
    EXPECT_EQ(caller.chosen->title, "Beta");
    EXPECT_EQ(caller.picked->count(), 2u);
}

TEST_F(JGMediaPickerTest, AFolderReadInTheBackgroundFillsTheTabsOpenedAfterIt) {
    const std::string music = folders.root() + "/Music";
    fs::create_directories(music);
    testsupport::ffmpegOutput({"-f", "lavfi", "-i", "aevalsrc=0.1*sin(2*PI*330*t):s=44100:d=1", "-metadata",
                               "title=Lone", "-metadata", "artist=Solo", music + "/lone.mp3"});
    auto musicLibrary = library::MusicLibrary::readFolderInBackground(music);
    show(musicLibrary);
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return musicLibrary->items().size() == 1; }, 30.0));
    advance(0.1);
    // The songs tab opens only now, after the library has changed.
    selectTab(3);
    ui::TableView& songs = *picker->songsViewController()->itemTableView();
    ASSERT_EQ(songs.numberOfRowsInSection(0), 1u);
    auto cell = songs.cellForRowAtIndexPath({0, 0});
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->textLabel()->text(), "Lone");
    EXPECT_EQ(cell->detailTextLabel()->text(), "Solo");  // no album: no dangling dash
    EXPECT_EQ(picker->songsViewController()->emptyListText(), std::nullopt);
}

TEST_F(JGMediaPickerTest, AnEmptyLibrarySaysSoOnEveryTab) {
    show(songsNamed({}));
    const std::vector<std::string> expected = {"No albums", "No playlists", "No artists", "No songs"};
    for (size_t tab = 0; tab < expected.size(); ++tab) {
        selectTab(tab);
        auto* list = dynamic_cast<JGMediaQueryViewController*>(stack(tab).topViewController());
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->emptyListText(), expected[tab]);
        ASSERT_NE(list->itemTableView()->backgroundView(), nullptr);
        EXPECT_FALSE(list->itemTableView()->backgroundView()->isHidden());
    }
    savePicture("MusicPicker-Empty.png");
}

TEST(JGSongTextTest, AlbumAndArtistJoinOnlyWhenBothAreThere) {
    struct Case {
        const char* album;
        const char* artist;
        const char* detail;
    } cases[] = {{"Second", "Zed", "Second - Zed"}, {"", "Zed", "Zed"}, {"Second", "", "Second"}, {"", "", ""}};
    for (const Case& c : cases) EXPECT_EQ(songDetailText(c.album, c.artist), c.detail);
}

TEST(JGAlbumTextTest, TrackCountAndMinutes) {
    EXPECT_EQ(albumTrackCountText(3, 425.9), "3 Songs, 7 Mins.");
    EXPECT_EQ(albumTrackCountText(0, 0), "0 Songs, 0 Mins.");
    EXPECT_EQ(albumTrackCountText(1, 59.99), "1 Songs, 0 Mins.");
}

}  // namespace
