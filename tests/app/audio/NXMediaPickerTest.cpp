// The frame editor's audio picker: its seven tabs, the recordings list with
// shared files, the sound folders and the delegate's callbacks.

#include "PickerFixture.h"
#include "app/audio/JGAlbumTrackTableViewCell.h"
#include "app/audio/NXMediaPickerController.h"
#include "app/core/FormatterUtil.h"
#include "platform/foundation/DateFormat.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/host/ControlMap.h"
#include "platform/ui/lists/TableView.h"
#include "support/TestSounds.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class Editor : public NXMediaPickerDelegate {
public:
    void nxMediaPicker(NXMediaPickerController&, const std::vector<NXMediaPickerItemPtr>& items,
                       const NXMediaPickerItemPtr& item) override {
        picked = items;
        chosen = item;
    }
    void nxMediaPicker(NXMediaPickerController&, const NXMediaPickerItemPtr& item) override {
        removed.push_back(item->title);
        if (deletesFiles) fs::remove(item->URL);
    }
    void jgMediaPickerDidCancel(JGMediaPickerController&) override { ++cancels; }
    std::vector<NXMediaPickerItemPtr> picked;
    NXMediaPickerItemPtr chosen;
    std::vector<std::string> removed;
    bool deletesFiles = false;
    int cancels = 0;
};

std::vector<std::string> titlesOf(const std::vector<NXMediaPickerItemPtr>& items) {
    std::vector<std::string> titles;
    for (const auto& item : items) titles.push_back(item->title);
    return titles;
}

void copySound(const testsupport::TestSound& sound, const std::string& folder, const std::string& name) {
    fs::create_directories(folder);
    fs::copy_file(testsupport::testSound(sound), folder + "/" + name, fs::copy_options::overwrite_existing);
}

class NXMediaPickerTest : public audiotest::PickerFixture<NXMediaPickerController> {
protected:
    void SetUp() override {
        std::vector<library::MediaItem> songs(2);
        songs[0].title = "Harbour Lights", songs[0].artist = "Ann", songs[0].albumTitle = "Coastlines";
        songs[1].title = "Paper Boats", songs[1].artist = "Ben", songs[1].albumTitle = "Small Hours";
        for (auto& song : songs) song.assetURL = "/music/" + song.title + ".mp3", song.albumArtist = song.artist;
        musicLibrary = library::MusicLibrary::createSynthetic(songs, {{"Road Trip", {1, 0}}});
        shared = foundation::path::appending(foundation::Paths::documentsDirectory(), "shared-audio");
    }
    void show(ProjectModelPtr project) {
        present(NXMediaPickerController::create(std::move(project), musicLibrary), &editor);
    }
    // A saved project whose folder holds these files.
    ProjectModelPtr projectWith(const std::vector<std::string>& files) {
        const std::string folder = folders.documents() + "/project";
        for (const auto& name : files) {
            if (library::isAudioFileName(name))
                copySound({"0.2", 2.0}, folder, name);
            else
                std::ofstream(folder + "/" + name) << "not a sound";
        }
        return ProjectModel::create(folder);
    }
    void showRecordings(ProjectModelPtr project) {
        show(std::move(project));
        picker->tabBarController()->setSelectedIndex(0);
        window->layoutIfNeeded();
    }
    library::MusicLibraryPtr musicLibrary;
    std::string shared;
    Editor editor;
};

TEST_F(NXMediaPickerTest, SevenTabsWithSoundEffectsSelected) {
    show(projectWith({"record-2015-01-02-03-04-05.m4a"}));
    auto& tabs = *picker->tabBarController();
    std::vector<std::string> titles;
    for (const auto& item : tabs.tabBar().items()) titles.push_back(item.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Recordings", "Theme Music", "Sound Effects", "Albums", "Playlists",
                                                "Artists", "Songs"}));
    EXPECT_EQ(tabs.selectedIndex(), NXMediaPickerController::kSoundEffectsTab);
    EXPECT_EQ(picker->selectedTabIndex(), 2);
    EXPECT_EQ(tabs.selectedViewController(), tabs.viewControllers()[2].get());
    EXPECT_FALSE(picker->allowsSelectionOfNonPlayableItem);
    // Sounds in the folder lists, for the pictures.
    const std::string sounds = folders.root() + "/sounds";
    copySound({"0.1", 75.0, 8000}, sounds, "Morning Theme.m4a");
    copySound({"0.1", 2.5}, sounds, "Door Bell.wav");
    picker->themeMusicViewController()->updateLibraryFromFolderAtPath(sounds);
    picker->soundEffectsViewController()->updateLibraryFromFolderAtPath(sounds);
    for (size_t i = 0; i < tabs.viewControllers().size(); ++i) {
        tabs.setSelectedIndex(i);
        window->layoutIfNeeded();
        EXPECT_TRUE(tabs.viewControllers()[i]->view()->window()) << titles[i];
        std::string name = titles[i];
        std::replace(name.begin(), name.end(), ' ', '-');
        savePicture("AudioPicker-" + std::to_string(i) + "-" + name + ".png");
    }
    // Cancel in a file list is the picker's cancel.
    picker->nxMediaQueryViewControllerDidCancel(*picker->themeMusicViewController());
    EXPECT_EQ(editor.cancels, 1);
}

TEST_F(NXMediaPickerTest, RecordingsAreTheProjectsRecordFilesThenTheSharedOnes) {
    copySound({"0.1", 1.0}, shared, "song.mp3");
    std::ofstream(shared + "/readme.txt") << "no sound";
    showRecordings(projectWith(
        {"record-2015-01-02-03-04-05.m4a", "record-take.m4a", "voice.m4a", "record-2015.jpg", "audio-1.wav"}));
    const auto& items = picker->projectAudioViewController()->mediaItemsCollection();
    const auto date = foundation::parseDate("2015-01-02-03-04-05", "yyyy-MM-dd-HH-mm-ss");
    ASSERT_TRUE(date);
    const std::string dated = foundation::localized("Record") + ": " + FormatterUtil::getFormatedDate(*date);
    EXPECT_EQ(titlesOf(items), (std::vector<std::string>{dated, "record-take", "song"}));
    for (const auto& item : items) EXPECT_TRUE(item->isRecord) << item->title;
    ui::TableView& table = *picker->projectAudioViewController()->tableView();
    auto cell = std::dynamic_pointer_cast<JGAlbumTrackTableViewCell>(table.cellForRowAtIndexPath({0, 2}));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->trackNumberLabel()->text(), "3.");
    EXPECT_EQ(cell->trackNameLabel()->text(), "song");
    EXPECT_EQ(cell->trackLengthLabel()->text(), "0:01");
    savePicture("AudioPicker-Recordings.png");

    // Choosing a row hands over that one item.
    tap(cell.get());
    ASSERT_EQ(editor.picked.size(), 1u);
    EXPECT_EQ(editor.chosen->title, "song");
    EXPECT_EQ(editor.chosen->URL, shared + "/song.mp3");
}

TEST_F(NXMediaPickerTest, ANeverSavedProjectListsTheSharedFiles) {
    copySound({"0.1", 1.0}, shared, "shared.wav");
    showRecordings(ProjectModel::create());
    EXPECT_EQ(titlesOf(picker->projectAudioViewController()->mediaItemsCollection()),
              (std::vector<std::string>{"shared"}));
    EXPECT_FALSE(picker->projectAudioViewController()->directoryPath());
}

TEST_F(NXMediaPickerTest, DeletingARecordingRemovesItsRowWhateverTheDelegateDoes) {
    for (bool deletesFiles : {false, true}) {
        editor.deletesFiles = deletesFiles;
        editor.removed.clear();
        showRecordings(projectWith({"record-a.m4a", "record-b.m4a", "record-c.m4a"}));
        auto& list = *picker->projectAudioViewController();
        ui::TableView& table = *list.tableView();
        list.actionPlayButton(2);
        ASSERT_EQ(list.currentPlayedItemIndex(), 2);
        ASSERT_TRUE(list.canEditRowAtIndexPath(table, {0, 1}));
        list.commitEditingStyle(table, ui::TableViewCellEditingStyle::Delete, {0, 1});
        advance(0.5);
        window->layoutIfNeeded();
        EXPECT_EQ(editor.removed, (std::vector<std::string>{"record-b"}));
        EXPECT_EQ(titlesOf(list.mediaItemsCollection()), (std::vector<std::string>{"record-a", "record-c"}))
            << deletesFiles;
        EXPECT_EQ(table.numberOfRowsInSection(0), 2u);
        EXPECT_EQ(list.currentPlayedItemIndex(), -1);  // rows moved under the playing one
        EXPECT_EQ(fs::exists(folders.documents() + "/project/record-b.m4a"), !deletesFiles);
        window->setRootViewController(nullptr);
        fs::remove_all(folders.documents() + "/project");
    }
}

TEST_F(NXMediaPickerTest, SoundFoldersListSoundsInTitleOrderAndPreviewThem) {
    const std::string folder = folders.root() + "/theme_music.bundle";
    copySound({"0.1", 1.0}, folder, "b.wav");
    copySound({"0.1", 61.0, 8000}, folder, "Anthem.wav");
    copySound({"0.1", 1.0}, folder, "c.m4a");
    std::ofstream(folder + "/cover.jpg") << "no sound";
    EXPECT_EQ(titlesOf(listAudioFolder(folder)), (std::vector<std::string>{"Anthem", "b", "c"}));
    EXPECT_EQ(listAudioFolder(folder)[0]->getDuration(), "1:01");
    EXPECT_FALSE(listAudioFolder(folder)[0]->isRecord);

    show(ProjectModel::create());
    auto& list = *picker->themeMusicViewController();
    list.updateLibraryFromFolderAtPath(folder);
    list.updateLibraryFromFolderAtPath(std::nullopt);  // changes nothing
    ASSERT_EQ(list.mediaItemsCollection().size(), 3u);
    picker->tabBarController()->setSelectedIndex(1);
    window->layoutIfNeeded();
    auto cell = std::dynamic_pointer_cast<JGAlbumTrackTableViewCell>(list.tableView()->cellForRowAtIndexPath({0, 1}));
    ASSERT_TRUE(cell);
    tap(cell->btnPlay());
    EXPECT_EQ(list.currentPlayedItemIndex(), 1);
    EXPECT_EQ(list.preview().player()->path(), folder + "/b.wav");
    // Switching to another tab stops listening.
    picker->tabBarController()->setSelectedIndex(2);
    EXPECT_EQ(list.currentPlayedItemIndex(), -1);
}

TEST_F(NXMediaPickerTest, CancelIsOnTheLeftOnEveryTabAndAfterTheBackButtonOfAnAlbum) {
    show(projectWith({}));
    auto& tabs = *picker->tabBarController();
    // The Cancel buttons drawn in the window, and the back buttons.
    auto barButtons = [&](const std::string& label) {
        window->layoutIfNeeded();
        std::vector<graphics::Rect> found;
        for (const ui::MappedView& shown : ui::mapViews(*window, ui::WindowPlacement{}))
            if (shown.kind == "BarButton" && shown.label.find(label) != std::string::npos)
                found.push_back(shown.visible);
        return found;
    };
    std::optional<graphics::Rect> first;
    for (size_t tab = 0; tab < tabs.viewControllers().size(); ++tab) {
        SCOPED_TRACE(tabs.tabBar().items()[tab].title);
        tabs.setSelectedIndex(tab);
        const auto cancels = barButtons("Cancel");
        ASSERT_EQ(cancels.size(), 1u);
        EXPECT_LT(cancels[0].maxX(), window->bounds().midX());
        if (!first) first = cancels[0];
        EXPECT_EQ(cancels[0].toString(), first->toString()) << "the same place on every tab";
        fingers.tap({cancels[0].midX(), cancels[0].midY()});
        EXPECT_EQ(editor.cancels, int(tab) + 1);
    }
    // An album pushed from the albums tab keeps the way back, then Cancel.
    tabs.setSelectedIndex(3);
    window->layoutIfNeeded();
    tap(picker->albumsViewController()->itemTableView()->cellForRowAtIndexPath({0, 0}).get());
    advance(0.6);
    const auto back = barButtons("Albums");
    const auto cancels = barButtons("Cancel");
    ASSERT_EQ(back.size(), 1u);
    ASSERT_EQ(cancels.size(), 1u);
    EXPECT_LT(back[0].maxX(), cancels[0].minX());
    EXPECT_LT(cancels[0].maxX(), window->bounds().midX());
}

TEST(NXMediaPickerItemTest, ItemsOfFilesAndTheirTitles) {
    EXPECT_EQ(NXMediaPickerItem::create(""), nullptr);
    auto item = NXMediaPickerItem::create("/nowhere/Theme 1.m4a");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->title, "Theme 1");
    EXPECT_FALSE(item->asset);
    EXPECT_EQ(item->getDuration(), "0:00");
    const std::vector<std::pair<std::string, std::string>> titles = {
        {"record-2015-01-02-03-04-05.m4a",
         foundation::localized("Record") + ": " +
             FormatterUtil::getFormatedDate(*foundation::parseDate("2015-01-02-03-04-05", "yyyy-MM-dd-HH-mm-ss"))},
        {"record-not-a-date.m4a", "record-not-a-date"},
        {"record-.m4a", "record-"},
        {"voice.m4a", "voice"},
    };
    for (const auto& [file, title] : titles) EXPECT_EQ(recordingTitle(file), title) << file;
}

}  // namespace
