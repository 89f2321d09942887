// The music library over a folder of ffmpeg-made, tagged sound files, and
// the synthetic one the picker tests use.

#include "platform/foundation/Collation.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/MediaQuery.h"
#include "platform/library/MusicLibrary.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"
#include "support/TestSounds.h"
#include "support/VirtualClock.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using library::MediaQuery;

// A sound of `seconds` with the given tags ("key=value"), made by ffmpeg.
void makeTaggedSound(const std::string& path, double seconds, const std::vector<std::string>& tags,
                     const std::string& cover = {}) {
    std::vector<std::string> arguments = {"-f", "lavfi", "-i",
                                          "aevalsrc=0.1*sin(2*PI*330*t):s=44100:d=" + std::to_string(seconds)};
    if (!cover.empty())
        arguments.insert(arguments.end(), {"-i", cover, "-map", "0", "-map", "1", "-c:v", "png", "-disposition:v",
                                           "attached_pic", "-id3v2_version", "3"});
    for (const auto& tag : tags) arguments.insert(arguments.end(), {"-metadata", tag});
    arguments.push_back(path);
    testsupport::ffmpegOutput(arguments);
}

std::vector<std::string> titles(const std::vector<library::MediaItemPtr>& items) {
    std::vector<std::string> result;
    for (const auto& item : items) result.push_back(item->title);
    return result;
}

class MusicLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        music = folders.root() + "/Music";
        fs::create_directories(music + "/Zed");
        const std::string cover = folders.root() + "/cover.png";
        testsupport::ffmpegOutput({"-f", "lavfi", "-i", "color=c=red:s=64x48", "-frames:v", "1", cover});
        makeTaggedSound(music + "/Zed/b.mp3", 2.0,
                        {"title=Beta", "artist=Zed", "album=Second", "track=2", "date=2014-05-01"}, cover);
        makeTaggedSound(music + "/Zed/a.m4a", 1.5, {"title=alpha", "artist=Zed", "album=Second", "track=1/2"});
        makeTaggedSound(music + "/c.wav", 1.0, {});
        std::ofstream(music + "/notes.txt") << "not a sound";
        std::ofstream(music + "/mix.m3u") << "#EXTM3U\n#EXTINF:2,Beta\nZed/b.mp3\nmissing.mp3\n"
                                          << music << "/c.wav\r\n";
    }
    testsupport::TempAppFolders folders;
    std::string music;
};

TEST_F(MusicLibraryTest, TaggedFilesListBySongAlbumArtistAndPlaylist) {
    auto musicLibrary = library::MusicLibrary::createWithFolder(music);
    ASSERT_EQ(musicLibrary->items().size(), 3u);

    EXPECT_EQ(titles(MediaQuery::songsQuery(musicLibrary)->items()), (std::vector<std::string>{"alpha", "Beta", "c"}));

    auto albums = MediaQuery::albumsQuery(musicLibrary)->collections();
    ASSERT_EQ(albums.size(), 2u);  // the untagged file's empty album sorts first
    EXPECT_EQ(albums[1]->representativeItem()->albumTitle, "Second");
    EXPECT_EQ(titles(albums[1]->items()), (std::vector<std::string>{"alpha", "Beta"}));  // by track

    auto artists = MediaQuery::artistsQuery(musicLibrary)->collections();
    ASSERT_EQ(artists.size(), 2u);
    EXPECT_EQ(artists[1]->representativeItem()->artist, "Zed");

    auto playlists = MediaQuery::playlistsQuery(musicLibrary)->collections();
    ASSERT_EQ(playlists.size(), 1u);
    const auto* mix = dynamic_cast<const library::MediaPlaylist*>(playlists[0].get());
    ASSERT_NE(mix, nullptr);
    EXPECT_EQ(mix->name(), "mix");
    EXPECT_EQ(titles(mix->items()), (std::vector<std::string>{"Beta", "c"}));  // the missing entry is left out

    // The playlist's songs keep its order; an artist's songs group by album.
    auto inPlaylist = std::make_shared<MediaQuery>(musicLibrary, library::MediaGrouping::Title);
    inPlaylist->addFilterPredicate(library::MediaPropertyPredicate::withIdentifier(
        library::MediaProperty::PlaylistPersistentID, mix->persistentID()));
    EXPECT_EQ(titles(inPlaylist->items()), (std::vector<std::string>{"Beta", "c"}));
    auto byZed = std::make_shared<MediaQuery>(musicLibrary, library::MediaGrouping::Album);
    byZed->addFilterPredicate({library::MediaProperty::Artist, "Zed"});
    ASSERT_EQ(byZed->collections().size(), 1u);
    EXPECT_EQ(byZed->collections()[0]->count(), 2u);
}

TEST_F(MusicLibraryTest, ItemsCarryTheirTagsArtworkAndLength) {
    auto musicLibrary = library::MusicLibrary::createWithFolder(music);
    auto songs = MediaQuery::songsQuery(musicLibrary)->items();
    ASSERT_EQ(songs.size(), 3u);
    const library::MediaItem& alpha = *songs[0];
    const library::MediaItem& beta = *songs[1];
    const library::MediaItem& untagged = *songs[2];
    EXPECT_EQ(alpha.trackNumber, 1);
    EXPECT_EQ(alpha.albumArtist, "Zed");  // the artist stands in for the album's
    EXPECT_FALSE(alpha.artwork());
    EXPECT_EQ(beta.trackNumber, 2);
    EXPECT_EQ(beta.releaseYearString(), "2014");
    EXPECT_NEAR(beta.playbackDuration, 2.0, 0.1);
    EXPECT_EQ(beta.assetURL, music + "/Zed/b.mp3");
    EXPECT_TRUE(beta.isPlayable());
    auto cover = beta.artwork();
    ASSERT_TRUE(cover);
    EXPECT_EQ(cover->pixelWidth(), 64);
    EXPECT_GE(cover->pixelAt(10, 10).r, 240);  // red, through ffmpeg's colour conversion
    EXPECT_LE(cover->pixelAt(10, 10).g, 15);
    auto small = beta.artworkWithSize({32, 32});
    ASSERT_TRUE(small);
    EXPECT_EQ(small->pixelWidth(), 32);
    EXPECT_EQ(small->pixelHeight(), 24);
    EXPECT_EQ(untagged.title, "c");
    EXPECT_EQ(untagged.releaseYearString(), "");
    // Identifiers survive a second reading.
    auto again = library::MusicLibrary::createWithFolder(music);
    EXPECT_EQ(MediaQuery::songsQuery(again)->items()[1]->persistentID, beta.persistentID);
    // A missing folder is an empty library.
    EXPECT_TRUE(library::MusicLibrary::createWithFolder(folders.root() + "/none")->items().empty());
}

TEST_F(MusicLibraryTest, ChangesOfTheFolderArePostedWhileNotificationsAreGenerated) {
    testsupport::VirtualClockScope clock;
    auto musicLibrary = library::MusicLibrary::createWithFolder(music);
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        library::MusicLibrary::kDidChangeNotification, musicLibrary.get(),
        [&](const foundation::Notification&) { ++posted; });
    musicLibrary->beginGeneratingLibraryChangeNotifications();
    foundation::RunLoop::main().runFor(library::MusicLibrary::kFolderCheckSeconds + 0.5);
    EXPECT_EQ(posted, 0);  // nothing changed
    makeTaggedSound(music + "/d.wav", 0.5, {});
    foundation::RunLoop::main().runFor(library::MusicLibrary::kFolderCheckSeconds + 0.5);
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(musicLibrary->items().size(), 4u);
    musicLibrary->endGeneratingLibraryChangeNotifications();
    fs::remove(music + "/d.wav");
    foundation::RunLoop::main().runFor(2 * library::MusicLibrary::kFolderCheckSeconds);
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(musicLibrary->items().size(), 4u);
}

TEST_F(MusicLibraryTest, ALibraryReadInTheBackgroundPostsWhenItsItemsAreIn) {
    testsupport::VirtualClockScope clock;
    auto musicLibrary = library::MusicLibrary::readFolderInBackground(music);
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        library::MusicLibrary::kDidChangeNotification, musicLibrary.get(),
        [&](const foundation::Notification&) { ++posted; });
    EXPECT_TRUE(musicLibrary->items().empty());
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(musicLibrary->items().size(), 3u);
    EXPECT_EQ(musicLibrary->playlists().size(), 1u);
    // Nothing changed since: a look at the folder reads nothing again.
    musicLibrary->reloadIfChanged();
    EXPECT_EQ(posted, 1);
}

TEST_F(MusicLibraryTest, MusicFolderComesFromTheEnvironmentThenTheDesktopsSettings) {
    const std::string config = folders.root() + "/xdgconfig";
    fs::create_directories(config);
    std::ofstream(config + "/user-dirs.dirs") << "# written by xdg-user-dirs-update\nXDG_MUSIC_DIR=\"$HOME/Tunes\"\n";
    {
        testsupport::ScopedEnvironment environment({{"XDG_MUSIC_DIR", std::string("/srv/music")}});
        EXPECT_EQ(library::MusicLibrary::musicFolder(), "/srv/music");
    }
    {
        testsupport::ScopedEnvironment environment(
            {{"XDG_MUSIC_DIR", std::nullopt}, {"XDG_CONFIG_HOME", config}, {"HOME", std::string("/home/ann")}});
        EXPECT_EQ(library::MusicLibrary::musicFolder(), "/home/ann/Tunes");
    }
    {
        testsupport::ScopedEnvironment environment({{"XDG_MUSIC_DIR", std::nullopt},
                                                    {"XDG_CONFIG_HOME", folders.root() + "/empty"},
                                                    {"HOME", std::string("/home/ann")}});
        EXPECT_EQ(library::MusicLibrary::musicFolder(), "/home/ann/Music");
    }
}

TEST(MediaItemTest, PlayabilityAndDurationTexts) {
    library::MediaItem item;
    EXPECT_FALSE(item.isPlayable());  // no asset: not downloaded
    item.assetURL = "ipod-library://item/item.(null)?id=0";
    EXPECT_TRUE(item.assetHasBeenDeleted());
    EXPECT_FALSE(item.isPlayable());
    item.assetURL = "/music/song.mp3";
    EXPECT_TRUE(item.isPlayable());

    const std::vector<std::pair<double, const char*>> durations = {
        {59.9, "0:59"}, {61, "1:01"},  {3725, "1:02:05"}, {0, "0:00"},  {3600, "1:00:00"},
        {-3, "0:00"},   {NAN, "0:00"}, {0.4, "0:01"},     {0.999, "0:01"}, {1.5, "0:01"}};
    for (auto [seconds, text] : durations) EXPECT_EQ(library::trackLengthString(seconds), text) << seconds;
}

TEST(CollationTest, SortsIgnoringCaseAndSectionsByFirstLetter) {
    EXPECT_LT(foundation::localizedCaseInsensitiveCompare("apple", "Banana"), 0);
    EXPECT_GT(foundation::localizedCaseInsensitiveCompare("b", "A"), 0);
    EXPECT_EQ(foundation::localizedCaseInsensitiveCompare("Abc", "aBC"), 0);
    const std::vector<std::pair<const char*, const char*>> sections = {
        {"apple", "A"}, {"Ärger", "A"}, {"zebra", "Z"}, {"42 Songs", "#"}, {"", "#"}, {"!bang", "#"}};
    for (auto [text, title] : sections) EXPECT_EQ(foundation::alphabeticSectionTitle(text), title) << text;

    std::vector<library::MediaItem> items;
    for (const char* title : {"banana", "Avocado", "42", "apple"}) {
        library::MediaItem item;
        item.title = title;
        items.push_back(item);
    }
    auto songs = MediaQuery::songsQuery(library::MusicLibrary::createSynthetic(items));
    EXPECT_EQ(songs->collectionSections(),
              (std::vector<library::MediaQuerySection>{{"#", 0, 1}, {"A", 1, 2}, {"B", 3, 1}}));
}

}  // namespace
